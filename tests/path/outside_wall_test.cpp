// Motions beyond the wall: the work lift from the final poses of the A keys, the work motion,
// the fold-back saturation and the far step checks.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "../goal/goal_check.h"
#include "model/vecops.h"
#include "app/scene_options.h"
#include "path/outside_step.h"
#include "path/outside_targets.h"
#include "path/outside_wall.h"
#include "path/outside_work.h"
#include "path_check.h"
#include "support/test_scene.h"

namespace {

int countOf(const std::string& t, const char* key) {
    int n = 0;
    for (size_t p = t.find(key); p != std::string::npos; p = t.find(key, p + 1)) ++n;
    return n;
}

}  // namespace

// From each robot's final pose that 'B' accepts: 20 steps turn the work half round (opposite to
// where it pointed) and unwind joint N, unless the work met an interference (1) or joint N-1 its
// limit. The rows themselves are judged by the path checks of phases 1 and 2.
TEST(WorkLift, TwentyStepsTurnTheWorkHalfRoundAndUnwindJointN) {
    int full = 0;
    for (int robot : {11, 12, 21, 22, 31, 32, 41, 42}) {
        auto s = makeSceneWithRobot(robot / 10, robot % 10);
        ASSERT_TRUE(startPathByKeys(*s)) << robot;
        const int N = s->N, Nw = s->Nw;
        forwardKinematics(*s, s->qs);
        const Vec3 v0 = s->mm[Nw];
        double q1[JV];
        TraceCapture cap(*s);
        const int r = WOutWorkLift(*s, s->qs, q1);
        ASSERT_TRUE(r == 1 || r == 2) << robot;
        if (r == 1 || std::fabs(q1[N - 1]) >= s->qLimitWrist - 1e-9) continue;
        ++full;
        EXPECT_EQ(countOf(cap.text(), "▼8:k="), 20) << robot;
        EXPECT_NEAR(q1[N], 0.0, 1e-9) << robot;
        forwardKinematics(*s, q1);
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(s->mm[Nw][k], -v0[k], 1e-5) << robot;
    }
    EXPECT_GE(full, 4);
}

TEST(OutsideWall, WorkMotionTurnsTheWorkUpInSixStepsAndEndsUp) {
    // Arm upright in front of the wall, the work tilted 0.3 rad by joint N-1: only the work
    // turns, so 0.3 / 0.05 = 6 steps; the last row keeps the work up.
    auto s = makeSceneWithRobot(2, 1);
    s->trace = nullptr;
    double q[JV] = {};
    q[s->N - 1] = 0.3;
    copyJointVector(JV - 1, q, s->qIPATH[0]);
    s->NPATH = 0;
    s->sgnNMAX = 'U';
    s->sgnPATH = 2;
    double qOut[JV];
    int MColl = -9;
    TraceCapture cap(*s);
    EXPECT_EQ(WOutWorkLargeMotion7(*s, s->Nw, q, q, 0.0, qOut, MColl), 1);
    EXPECT_EQ(MColl, 0);
    EXPECT_EQ(countOf(cap.text(), "▽W15:"), 6);
    forwardKinematics(*s, s->qIPATH[s->NPATH]);
    EXPECT_NEAR(s->mm[s->Nw][2], 1.0, 1e-5);
}

TEST(OutsideWall, FullFoldBackIsSaturatedToTheLimitAngle) {
    // Target straight back along the link before it: the angle is pi (beyond the limit), so the
    // direction is replaced by one at the limit angle from that link.
    auto s = makeSceneWithRobot(2, 1);
    s->trace = nullptr;
    double q[JV] = {0, 0.2, 0.3, 0.4, 0, 0.5, 0, 0.4, 0};
    forwardKinematics(*s, q);
    const int M = 6, MF = 5;
    const Vec3 mf = s->mm[MF];
    Vec3 back;
    negVec3(mf, back);
    Vec3 eOut;
    EXPECT_EQ(WOutChangeArmDir(*s, s->Nw, M, q, s->mm[M], back, eOut), 1);
    EXPECT_NEAR(std::acos(dotVec3(eOut, mf)), s->qLimit, 1e-6);
}

TEST(OutsideWall, FarStepRefusesWallFaultsTheJointChecksMiss) {
    // Steps once appended: F32, link 5 crossing the far face 0.104 off the slit plane; F11 (slit
    // 0.1 left), the work folded back into the near face's band. The path check confirms each.
    const double q[2][JV] = {{0, -0.4469, 0, 0.1218, 0.7352, -1.9539, 2.6048, 2.1255, 0},
                             {0, -0.0466, -0.11, -2.3359, -0.0014, 2.4257, -2.006, -0.9783, 0}};
    for (int c = 0; c < 2; ++c) {
        auto s = makeSceneWithRobot(c ? 1 : 3, c ? 1 : 2);
        std::string err;
        ASSERT_TRUE(moveSlitByKeys(*s, Vec3{{s->rh[0] - 0.1 * c, s->rh[1], s->rh[2]}}, err));
        EXPECT_FALSE(checkPath(*s, &q[c], 1, nullptr, nullptr).ok);
        double qa[JV];
        int Mbad = 0, collType = 0;
        EXPECT_EQ(checkFarStep(*s, c ? 9 : 4, q[c], qa, Mbad, collType), -1);
        EXPECT_EQ(Mbad, c ? 9 : 5);
    }
}
