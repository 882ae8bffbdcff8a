// Pass feasibility, the start pose of a first joint on the plane and the two special cases.
#include <gtest/gtest.h>

#include <cmath>

#include "app/keyboard.h"
#include "goal/goal.h"
#include "goal_check.h"
#include "model/catalogue.h"
#include "model/kinematics.h"
#include "model/vecops.h"
#include "support/test_scene.h"

namespace {

// Moves the slit so that the alpha-plane is x = rhx, keeping the wall faces.
void setPlane(Scene& s, double x) {
    s.rh[0] = x;
    s.rhx = x;
}

}  // namespace

TEST(PassFeasibility, JointTypesThatCannotReachThePlane) {
    auto s = makeSceneWithRobot(1, 1);  // R P P
    setPlane(*s, 0.5);
    s->rwp = Vec3{{1.0, 3.0, 0.1}};
    EXPECT_EQ(SP1(*s), -1);
    EXPECT_EQ(s->sgnJ1Alpha, 'O');
    EXPECT_EQ(s->sgnWrkAlpha, 'O');
    // The goal on the plane: the test does not apply.
    s->rwp[0] = 0.5;
    EXPECT_EQ(SP1(*s), 1);
    EXPECT_EQ(s->sgnWrkAlpha, 'I');
    // Joint 1 on the plane as well.
    s->rwp[0] = 1.0;
    setPlane(*s, 0.0);
    EXPECT_EQ(SP1(*s), 1);
    EXPECT_EQ(s->sgnJ1Alpha, 'I');

    for (int lower = 2; lower <= 4; ++lower) {  // R Q P, P Q P, P Q Q pass
        auto t = makeSceneWithRobot(lower, 1);
        setPlane(*t, 0.5);
        t->rwp = Vec3{{1.0, 3.0, 0.1}};
        EXPECT_EQ(SP1(*t), 1) << "lower " << lower;
    }
}

TEST(PassFeasibility, ReachOfTheArmToThePlaneAndTheFarFace) {
    auto s = makeScene();  // R Q P: L3 = 2, L4 = 2
    s->rwp = Vec3{{3.0, 3.6, 0.1}};
    setPlane(*s, s->L[3]);  // |rhx| equal to L3 still passes
    SP1(*s);
    EXPECT_EQ(SP2(*s), 2);
    setPlane(*s, s->L[3] + 1e-9);
    SP1(*s);
    EXPECT_EQ(SP2(*s), -2);
    setPlane(*s, -1.0);
    s->rhy2 = s->L[3] + s->L[4] + 0.01;  // the far face out of reach
    SP1(*s);
    EXPECT_EQ(SP2(*s), -2);
    s->rhy2 = s->L[3] + s->L[4];
    EXPECT_EQ(SP2(*s), 2);
    // Joint 1 on the plane: passable whatever the reach.
    setPlane(*s, 0.0);
    s->rhy2 = 50;
    SP1(*s);
    EXPECT_EQ(SP2(*s), 2);
}

TEST(J1AlphaStartPose, AxisPatternsOfTheCatalogue) {
    struct Case {
        int lower, upper;
        double q1, q2, q3;
        int Lh, Mh;
    };
    const double h = PI_C / 2;
    const Case cases[] = {
        {1, 1, 0, -h, 0, 1, 3},  // Z X X
        {2, 1, h, h, 0, 1, 3},   // Z Y X
        {3, 1, -h, 0, 0, 2, 3},  // X Y X
        {4, 2, -h, 0, 0, 2, 3},  // X Y Y
    };
    for (const Case& c : cases) {
        auto s = makeSceneWithRobot(c.lower, c.upper);
        double q[JV];
        int Lh = 0, Mh = 0;
        EXPECT_EQ(J1AlphaStartPose(*s, q, &Lh, &Mh), 1);
        EXPECT_DOUBLE_EQ(q[1], c.q1) << c.lower << c.upper;
        EXPECT_DOUBLE_EQ(q[2], c.q2) << c.lower << c.upper;
        EXPECT_DOUBLE_EQ(q[3], c.q3) << c.lower << c.upper;
        for (int i = 4; i <= s->N; ++i) EXPECT_EQ(q[i], 0.0);
        EXPECT_EQ(Lh, c.Lh);
        EXPECT_EQ(Mh, c.Mh);
    }
}

TEST(J1AlphaStartPose, AxesZYZWithJointFourP) {
    // A robot built here with joint 3 turning about its link and joint 4 about x.
    auto s = makeScene();
    s->JRTYPE[3] = 'R';
    s->Estraight[3] = identityMat3();
    s->JRTYPE[4] = 'P';
    s->Estraight[4] = Mat3{{0, 0, 1, 1, 0, 0, 0, 1, 0}};
    setRobotStructure(*s);
    double q[JV];
    int Lh = 0, Mh = 0;
    J1AlphaStartPose(*s, q, &Lh, &Mh);
    EXPECT_DOUBLE_EQ(q[1], PI_C / 2);
    EXPECT_DOUBLE_EQ(q[2], PI_C / 2);
    EXPECT_DOUBLE_EQ(q[3], PI_C / 2);
    EXPECT_EQ(Lh, 1);
    EXPECT_EQ(Mh, 3);
}

TEST(PutWristPlanar, PlacesTheWristInThePlane) {
    auto s = makeSceneWithRobot(3, 1);  // P Q P, joint 1 and the goal on x = 0
    ASSERT_EQ(s->sgnJ1Alpha, 'I');
    ASSERT_EQ(s->sgnWrkAlpha, 'I');
    double qb[JV] = {}, qo[JV];
    for (int i = 0; i < JV; ++i) qb[i] = 0;
    ASSERT_EQ(putWristPlanar(*s, 1, 3, qb, s->wristp, qo), 'Y');
    EXPECT_EQ(s->sgnP, 2);
    EXPECT_EQ(s->sgnT, 2);
    forwardKinematics(*s, qo);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(s->J[s->N - 2][k], s->wristp[k], 1e-9);
    for (int i = 1; i <= s->N - 2; ++i) EXPECT_NEAR(s->J[i][0], 0.0, 1e-12) << "joint " << i << " in the plane";
    for (int i = 1; i <= s->N; ++i)
        if (i != 1 && i != 3) {
            EXPECT_EQ(qo[i], qb[i]);
        }
    // A target beyond the reach of the two links: nothing placed.
    Vec3 far = {{0, 20, 0.5}};
    double qn[JV];
    EXPECT_EQ(putWristPlanar(*s, 1, 3, qb, far, qn), 'N');
    EXPECT_EQ(s->sgnP, 0);
    EXPECT_EQ(s->sgnT, 2);
    for (int i = 0; i < JV; ++i) EXPECT_EQ(qn[i], qb[i]);
}

TEST(SpecialCases, CaseOneKeepsTheWallJointsOnThePlaneAndPlacesTheWrist) {
    auto s = makeSceneWithRobot(3, 2);  // P Q P - Q P: joint 1 on x = 0, goal at x = 0.52
    ASSERT_EQ(s->sgnJ1Alpha, 'I');
    ASSERT_EQ(s->sgnWrkAlpha, 'O');
    double q[JV], Dwr = 0, Dth = 0;
    const char r = calSpecCase1(*s, s->qr, q, &Dwr, &Dth);
    EXPECT_EQ(r, 'Y');
    forwardKinematics(*s, q);
    double dw = 0;
    for (int k = 0; k < 3; ++k) dw += (s->J[s->N - 2][k] - s->wristp[k]) * (s->J[s->N - 2][k] - s->wristp[k]);
    EXPECT_NEAR(std::sqrt(dw), Dwr, 1e-12);
    EXPECT_LT(Dwr, tolExact);
    EXPECT_LT(Dth, tolExact);
    EXPECT_EQ(s->errP, Dwr);
    EXPECT_EQ(s->errT, Dth);
    for (int i = 0; i < JV; ++i) EXPECT_EQ(s->qr[i], q[i]);
    FinalPoseReport f = judgeFinalPose(*s, q);
    EXPECT_EQ(f.why, "");
}

TEST(SpecialCases, CaseTwoPutsTheArmInThePlane) {
    auto s = makeSceneWithRobot(3, 1);  // F31: joint 1 and the goal on x = 0
    double q[JV], Dwr = 0, Dth = 0;
    EXPECT_EQ(calSpecCase2(*s, s->qr, q, &Dwr, &Dth), 'Y');
    EXPECT_LT(Dwr, tolExact);
    EXPECT_LT(Dth, tolExact);
    FinalPoseReport f = judgeFinalPose(*s, q);
    EXPECT_EQ(f.why, "");
    forwardKinematics(*s, q);
    for (int i = 1; i <= s->N - 2; ++i) EXPECT_NEAR(s->J[i][0], 0.0, 1e-9);
}

TEST(SpecialCases, CaseTwoOfJointsRQPWithJointFourR) {
    // F21 (R Q P - R P) with the slit moved to x = 0 and the goal onto it, 4.6 along y: joint 1
    // turns a quarter, joint 4 another quarter so that joint 5 turns about x again.
    auto s = makeScene();
    keyboard(*s, 'O');
    for (int i = 0; i < 160; ++i) keyboard(*s, '4');
    keyboard(*s, 'A');
    for (int i = 0; i < 235; ++i) keyboard(*s, '4');
    for (int i = 0; i < 100; ++i) keyboard(*s, '2');
    keyboard(*s, 'A');
    ASSERT_EQ(s->sgnJ1Alpha, 'I');
    ASSERT_EQ(s->sgnWrkAlpha, 'I');
    double q[JV], Dwr = 0, Dth = 0;
    EXPECT_EQ(calSpecCase2(*s, s->qr, q, &Dwr, &Dth), 'Y');
    EXPECT_LT(Dwr, tolExact);
    EXPECT_LT(Dth, tolExact);
    forwardKinematics(*s, q);
    for (int i = 1; i <= s->N - 2; ++i) EXPECT_NEAR(s->J[i][0], 0.0, 1e-9) << "joint " << i;
    FinalPoseReport f = judgeFinalPose(*s, q);
    EXPECT_EQ(f.why, "");
}

TEST(SpecialCases, OutOfReachLeavesThePose) {
    auto s = makeSceneWithRobot(3, 1);
    for (int i = 0; i < 300; ++i) keyboard(*s, '2');  // goal 3 units farther along y
    double q0[JV];
    for (int i = 0; i < JV; ++i) q0[i] = s->qr[i];
    double q[JV], Dwr = 0, Dth = 0;
    EXPECT_EQ(calSpecCase2(*s, s->qr, q, &Dwr, &Dth), 'N');
    for (int i = 0; i < JV; ++i) EXPECT_EQ(q[i], q0[i]);
    EXPECT_EQ(calSpecCase1(*s, s->qr, q, &Dwr, &Dth), 'N');
    // Through the key: class 0 and the stuck line, the pose unchanged.
    keyboard(*s, 'a');
    EXPECT_EQ(s->sgnP, 0);
    EXPECT_EQ(s->sgnSOLAEnd, 0);
    for (int i = 0; i < JV; ++i) EXPECT_EQ(s->qr[i], q0[i]);
}

TEST(SpecialCases, FirstJointOffThePlaneIsNotASpecialCase) {
    auto s = makeScene();  // F21: rhx = 1.6
    double q[JV], Dwr = 0, Dth = 0;
    EXPECT_EQ(calSpecCase1(*s, s->qr, q, &Dwr, &Dth), 'M');
    EXPECT_EQ(calSpecCase2(*s, s->qr, q, &Dwr, &Dth), 'M');
    for (int i = 0; i < JV; ++i) EXPECT_EQ(q[i], s->qr[i]);
}
