// The exported robot is the robot: its URDF, read by the reference parser (urdfdom) and turned
// into a chain by KDL, puts every joint point and the work frame where slitpass's forward
// kinematics puts them. The scene URDF parses too and leaves the slit where the wall has it.
#include <gtest/gtest.h>

#include <console_bridge/console.h>
#include <kdl/chainfksolverpos_recursive.hpp>
#include <kdl/tree.hpp>
#include <kdl_parser/kdl_parser.hpp>
#include <urdf_parser/urdf_parser.h>

#include <cstdlib>
#include <random>
#include <string>

#include "app/urdf_export.h"
#include "model/kinematics.h"
#include "support/test_scene.h"

namespace {

// Collects what urdfdom reports at warning level or above while it parses.
struct Warnings : console_bridge::OutputHandler {
    std::string text;
    void log(const std::string& t, console_bridge::LogLevel level, const char*, int) override {
        if (level >= console_bridge::CONSOLE_BRIDGE_LOG_WARN) text += t + "\n";
    }
};

urdf::ModelInterfaceSharedPtr parse(const Scene& s, void (*write)(const Scene&, std::FILE*)) {
    char* buf = nullptr;
    size_t len = 0;
    std::FILE* f = open_memstream(&buf, &len);
    write(s, f);
    std::fclose(f);
    Warnings w;
    console_bridge::useOutputHandler(&w);
    urdf::ModelInterfaceSharedPtr model = urdf::parseURDF(std::string(buf, len));
    console_bridge::restorePreviousOutputHandler();
    std::free(buf);
    EXPECT_EQ(w.text, "");
    return model;
}

}  // namespace

TEST(UrdfExport, KdlChainOfEveryRobotAgreesWithForwardKinematics) {
    std::mt19937_64 rng(18);
    std::uniform_real_distribution<double> angle(-3.2, 3.2);
    for (int robot = 0; robot < 8; ++robot) {
        auto s = makeSceneWithRobot(robot / 2 + 1, robot % 2 + 1);
        SCOPED_TRACE("robot F" + std::to_string(robot / 2 + 1) + std::to_string(robot % 2 + 1));
        const int N = s->N;
        urdf::ModelInterfaceSharedPtr model = parse(*s, writeRobotUrdf);
        ASSERT_TRUE(model);
        // The joint-limit rule: 'P'/'Q' below N-1 at qLimit, N-1 at qLimitWrist, the rest free.
        for (int i = 1; i <= N; ++i) {
            auto j = model->getJoint("j" + std::to_string(i));
            const double limit = i == N - 1 ? s->qLimitWrist : (i < N - 1 && s->JRTYPE[i] != 'R') ? s->qLimit : 0;
            ASSERT_TRUE(j);
            EXPECT_EQ(j->type, limit ? urdf::Joint::REVOLUTE : urdf::Joint::CONTINUOUS) << "joint " << i;
            if (limit) {
                EXPECT_EQ(j->limits->upper, limit) << "joint " << i;
                EXPECT_EQ(j->limits->lower, -limit) << "joint " << i;
            }
        }
        KDL::Tree tree;
        KDL::Chain chain;
        ASSERT_TRUE(kdl_parser::treeFromUrdfModel(*model, tree));
        ASSERT_TRUE(tree.getChain("base", "work_point", chain));
        ASSERT_EQ(int(chain.getNrOfJoints()), N);
        int upTo[JV] = {};  // segments up to the body of joint i, whose frame is at the joint
        for (unsigned k = 0; k < chain.getNrOfSegments(); ++k)
            for (int i = 1; i <= N; ++i) upTo[i] += chain.getSegment(k).getName() == "body" + std::to_string(i) ? k + 1 : 0;
        KDL::ChainFkSolverPos_recursive fk(chain);
        KDL::JntArray qk(N);
        double q[JV] = {}, worst = 0;
        KDL::Frame f;
        for (int pose = 0; pose < 1000; ++pose) {
            for (int i = 1; i <= N; ++i) qk(i - 1) = q[i] = angle(rng);
            forwardKinematics(*s, q);
            for (int i = 1; i <= N; ++i) {
                ASSERT_GT(upTo[i], 0);
                ASSERT_GE(fk.JntToCart(qk, f, upTo[i]), 0);
                for (int k = 0; k < 3; ++k) worst = std::max(worst, std::fabs(f.p(k) - s->J[i][k]));
            }
            ASSERT_GE(fk.JntToCart(qk, f), 0);
            for (int r = 0; r < 3; ++r) {
                worst = std::max(worst, std::fabs(f.p(r) - s->rw[r]));
                for (int c = 0; c < 3; ++c) worst = std::max(worst, std::fabs(f.M(r, c) - s->Ew(r, c)));
            }
        }
        EXPECT_LT(worst, 1e-9);
    }
}

TEST(UrdfExport, SceneWallLeavesTheSlitOfTheWallGeometry) {
    auto s = makeSceneWithRobot(3, 1);
    urdf::ModelInterfaceSharedPtr model = parse(*s, writeSceneUrdf);
    ASSERT_TRUE(model);
    double lo[2][3], hi[2][3];  // extent of each block from its placement and box size
    for (int b = 0; b < 2; ++b) {
        const std::string name = b ? "wall_right" : "wall_left";
        const auto& at = model->getJoint("world_" + name)->parent_to_joint_origin_transform.position;
        auto box = std::dynamic_pointer_cast<urdf::Box>(model->getLink(name)->collision->geometry);
        ASSERT_TRUE(box);
        const double c[3] = {at.x, at.y, at.z}, d[3] = {box->dim.x, box->dim.y, box->dim.z};
        for (int k = 0; k < 3; ++k) lo[b][k] = c[k] - d[k] / 2, hi[b][k] = c[k] + d[k] / 2;
        EXPECT_NEAR(lo[b][1], s->rhy1, 1e-12);
        EXPECT_NEAR(hi[b][1], s->rhy2, 1e-12);
        EXPECT_NEAR(lo[b][2], s->rh[2], 1e-12);
    }
    EXPECT_NEAR(lo[1][0] - hi[0][0], s->Wslit, 1e-12);      // the gap between the blocks is the slit
    EXPECT_NEAR((lo[1][0] + hi[0][0]) / 2, s->rhx, 1e-12);  // centred on it
}
