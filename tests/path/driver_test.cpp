// B preparation (error classes, limits, interference, trials), phase 1 of every robot, path keys.
#include <gtest/gtest.h>

#include <cmath>

#include "model/wall_goal.h"
#include "goal/goal_check.h"
#include "path_check.h"
#include "support/test_scene.h"

namespace {

// q as an error-free final pose: goal and alpha-plane at its work point, near wall face at rhy1.
void prepare(Scene& s, const double* q, double rhy1) {
    forwardKinematics(s, q);
    s.rwp = s.rw;
    s.rh = Vec3{{s.rw[0], rhy1 + s.Dwall / 2, 0}};
    setWallGeometry(s);
    std::copy(q, q + JV, s.qAfinal);
    s.cntBTrial = 0;
}

}  // namespace

TEST(BPrep, ErrorClassesLimitsInterferenceAndTrials) {
    auto s = makeScene();  // F21
    const double deg = M_PI / 180;
    struct Limit { int joint; double angle; char type; bool fails; } limits[] = {
        {3, 166 * deg, 'P', true}, {3, 164 * deg, 'P', false}, {4, 166 * deg, 'R', false},
        {7, 136 * deg, 'R', true}, {8, 179 * deg, 'R', false}};
    for (const Limit& l : limits) {
        double q[JV] = {};
        q[l.joint] = l.angle;
        s->JRTYPE[l.joint] = l.type;
        prepare(*s, q, 20.0);
        keyboard(*s, 'B');
        if (!l.fails) {
            EXPECT_NE(s->sgnMColl, -3) << "joint " << l.joint;
            continue;
        }
        EXPECT_EQ(s->sgnMColl, -3) << "joint " << l.joint;
        EXPECT_EQ(s->sgnSOLAEnd, -3) << "joint " << l.joint;
        EXPECT_EQ(s->JColl, l.joint);
    }
    auto scene = makeScene();
    Scene& t = *scene;
    const double bent[JV] = {0, 1.4, 0.6, 1.2};  // work point at x = 4.39: J[MW] (none) must not count
    prepare(t, bent, 20.0);
    t.rwp[0] += 0.002;
    t.rwp[2] -= 0.003;  // errP 0.005: allowable
    keyboard(t, 'B');
    EXPECT_EQ(t.sgnP, 4);
    EXPECT_EQ(t.sgnT, 2);
    EXPECT_EQ(t.sgnSOLAEnd, 1);
    EXPECT_EQ(t.sgnPATH, 1);
    EXPECT_EQ(t.sgnArmDir, 'L');
    for (int trial = 2; trial <= 3; ++trial) {
        t.sgnPATH = 3, t.NPATH = 7;
        keyboard(t, 'B');  // second trial: new path, direction 'U'; third: nothing changes
        if (trial == 3) continue;
        EXPECT_EQ(t.sgnArmDir, 'U');
        EXPECT_EQ(t.sgnPATH, 1);
        EXPECT_EQ(t.NPATH, 0);
        EXPECT_EQ(t.cntBTrial, 2);
    }
    EXPECT_EQ(t.cntBTrial, 3);
    EXPECT_EQ(t.sgnPATH, 3);
    EXPECT_EQ(t.NPATH, 7);
    prepare(t, bent, 20.0);
    t.rwp[1] += 0.02;
    keyboard(t, 'B');
    EXPECT_EQ(t.sgnP, 1);
    EXPECT_EQ(t.sgnMColl, 0);
    EXPECT_EQ(t.sgnSOLAEnd, 0);
    EXPECT_EQ(t.sgnPATH, 0);
    // Joint 3 (last before the wall) 0.04 in front of it, off the slit: wall, stop before the reset.
    forwardKinematics(t, bent);
    prepare(t, bent, t.J[3][1] + 0.04);
    t.nAlpha = Vec3{{0, 0, 0}}, t.rhx = 0;  // slit error neutralised
    keyboard(t, 'B');
    EXPECT_EQ(t.sgnMColl, -1);
    EXPECT_EQ(t.JColl, 3);
    EXPECT_EQ(t.sgnSOLAEnd, 0);
    EXPECT_EQ(t.sgnPATH, 0);
    EXPECT_EQ(t.NPATH, 7);
}

// 'B', then 's' through phases 1 and 2 from each robot's final pose: every row passes the path
// check (steps, wall, slit, floor, self); in phase 1 the joints in the wall keep on the slit plane.
TEST(BPhases1And2, EveryRobotKeepsItsRowsClear) {
    for (int robot : {11, 12, 21, 22, 31, 32, 41, 42}) {
        auto s = makeSceneWithRobot(robot / 10, robot % 10);
        ASSERT_TRUE(startPathByKeys(*s)) << robot;
        keyboard(*s, 's');
        ASSERT_EQ(s->sgnPATH, 2) << robot;
        PathCheckLimits pointModel;  // the joints in the wall on the slit plane: the calculations' model
        pointModel.pointModel = true;
        EXPECT_LE(checkPath(*s, s->qIPATH, s->NPATH + 1, s->qAfinal, nullptr, pointModel).maxRowSlitOffset, 0.01)
            << robot;
        for (int k = 0; k < 400 && s->sgnPATH == 2; ++k) keyboard(*s, 's');
        const PathCheckReport rep = checkPath(*s, s->qIPATH, s->NPATH + 1, s->qAfinal, nullptr);
        EXPECT_TRUE(rep.ok) << robot << " " << rep.fault;
    }
}

// Review, 'O' and resume leave the path as without them (phases continue from the last row); 'C'
// early, then 's' in C mode to the end, converts the finished record; a stopped one stays stopped.
TEST(BKeys, ReviewResumeAndFinishingInCMode) {
    auto plain = makeSceneWithRobot(3, 1), other = makeSceneWithRobot(3, 1);
    ASSERT_TRUE(startPathByKeys(*plain));
    ASSERT_TRUE(startPathByKeys(*other));
    pressKeys(*plain, "sss");
    pressKeys(*other, "sSSSsssOBs");
    ASSERT_EQ(plain->NPATH, other->NPATH);
    for (int k = 0; k <= plain->NPATH; ++k) ASSERT_TRUE(sameQ(plain->qIPATH[k], other->qIPATH[k])) << k;
    keyboard(*plain, 'C');
    plain->sgnMColl = 0;
    const int n = plain->NPATH;
    keyboard(*plain, 's');
    EXPECT_EQ(plain->sgnCAL, 'C');
    EXPECT_EQ(plain->sgnPATHEnd, 0);
    EXPECT_EQ(plain->NPATH, n);
    plain->sgnMColl = 1;
    for (int k = 0; k < 300 && plain->sgnPATHEnd == 0; ++k) keyboard(*plain, 's');
    ASSERT_EQ(plain->sgnPATHEnd, 1);
    EXPECT_EQ(plain->sgnMOVE, 'M');
    EXPECT_EQ(plain->nMOVE, 0);
    EXPECT_TRUE(sameQ(plain->qPATH[plain->NPATH], plain->qIPATH[0]));
    for (int i = 0; i < JV; ++i) EXPECT_EQ(plain->qPATH[0][i], 0.0);
}
