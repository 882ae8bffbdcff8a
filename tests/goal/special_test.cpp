// Pass feasibility, the start pose of a first joint on the plane and the two special cases.
#include "goal/pass_feasibility.h"
#include "goal/special_cases.h"
#include "goal/start_pose.h"
#include "goal_check.h"
#include "model/catalogue.h"
#include "model/vecops.h"

namespace {

// Moves the slit so that the alpha-plane is x = rhx, keeping the wall faces.
void setPlane(Scene& s, double x) { s.rh[0] = s.rhx = x; }

// Joints 1..N-2 of q in the plane x = 0.
void expectArmInPlane(Scene& s, const double* q) {
    forwardKinematics(s, q);
    for (int i = 1; i <= s.N - 2; ++i) EXPECT_NEAR(s.J[i][0], 0.0, 1e-9) << "joint " << i;
}

}  // namespace

TEST(PassFeasibility, JointTypesAndReachOfTheArmToThePlane) {
    // R P P cannot reach a plane off joint 1 unless the goal lies on it; R Q P, P Q P, P Q Q can.
    for (int lower = 1; lower <= 4; ++lower) {
        auto t = makeSceneWithRobot(lower, 1);
        setPlane(*t, 0.5);
        t->rwp = Vec3{{1.0, 3.0, 0.1}};
        EXPECT_EQ(SP1(*t), lower == 1 ? -1 : 1) << "lower " << lower;
        EXPECT_EQ(t->sgnJ1Alpha, 'O');
        EXPECT_EQ(t->sgnWrkAlpha, 'O');
    }
    auto s = makeSceneWithRobot(1, 1);
    setPlane(*s, 0.5);
    s->rwp = Vec3{{0.5, 3.0, 0.1}};  // the goal on the plane: the test does not apply
    EXPECT_EQ(SP1(*s), 1);
    EXPECT_EQ(s->sgnWrkAlpha, 'I');
    s->rwp[0] = 1.0;  // joint 1 on the plane as well
    setPlane(*s, 0.0);
    EXPECT_EQ(SP1(*s), 1);
    EXPECT_EQ(s->sgnJ1Alpha, 'I');
    // F21 (L3 = 2, L4 = 2): |rhx| equal to L3 still passes, the far face at L3 + L4 as well.
    s = makeScene();
    s->rwp = Vec3{{3.0, 3.6, 0.1}};
    struct Case {
        double rhx, rhy2;
        int want;
    };
    const double L3 = s->L[3], L4 = s->L[4];
    for (Case c : {Case{L3, s->rhy2, 2}, {L3 + 1e-9, s->rhy2, -2}, {-1.0, L3 + L4 + 0.01, -2}, {-1.0, L3 + L4, 2},
                   {0.0, 50, 2}}) {  // joint 1 on the plane: passable whatever the reach
        setPlane(*s, c.rhx);
        s->rhy2 = c.rhy2;
        SP1(*s);
        EXPECT_EQ(SP2(*s), c.want) << c.rhx << " " << c.rhy2;
    }
}

TEST(J1AlphaStartPose, AxisPatternsOfTheCatalogueAndZYZ) {
    const double h = PI_C / 2;
    struct Case {
        int robot;  // 0: F21 with joint 3 turning about its link and joint 4 about x (Z Y Z)
        double q1, q2, q3;
        int Lh, Mh;
    };
    for (Case c : {Case{11, 0, -h, 0, 1, 3}, {21, h, h, 0, 1, 3}, {31, -h, 0, 0, 2, 3}, {42, -h, 0, 0, 2, 3},
                   {0, h, h, h, 1, 3}}) {
        auto s = c.robot ? makeSceneWithRobot(c.robot / 10, c.robot % 10) : makeScene();
        if (!c.robot) {
            s->JRTYPE[3] = 'R', s->Estraight[3] = identityMat3();
            s->JRTYPE[4] = 'P', s->Estraight[4] = Mat3{{0, 0, 1, 1, 0, 0, 0, 1, 0}};
            setRobotStructure(*s);
        }
        double q[JV];
        int Lh = 0, Mh = 0;
        EXPECT_EQ(J1AlphaStartPose(*s, q, &Lh, &Mh), 1);
        EXPECT_LT(std::fabs(q[1] - c.q1) + std::fabs(q[2] - c.q2) + std::fabs(q[3] - c.q3), 1e-15) << c.robot;
        EXPECT_EQ(Lh, c.Lh) << c.robot;
        EXPECT_EQ(Mh, c.Mh) << c.robot;
        for (int i = 4; i <= s->N && c.robot; ++i) EXPECT_EQ(q[i], 0.0);
    }
}

TEST(PutWristPlanar, PlacesTheWristInThePlaneOrKeepsThePose) {
    auto s = makeSceneWithRobot(3, 1);  // P Q P, joint 1 and the goal on x = 0
    ASSERT_EQ(s->sgnJ1Alpha, 'I');
    ASSERT_EQ(s->sgnWrkAlpha, 'I');
    double qb[JV] = {}, qo[JV];
    ASSERT_EQ(putWristPlanar(*s, 1, 3, qb, s->wristp, qo), 'Y');
    EXPECT_EQ(s->sgnP, 2);
    EXPECT_EQ(s->sgnT, 2);
    expectArmInPlane(*s, qo);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(s->J[s->N - 2][k], s->wristp[k], 1e-9);
    for (int i = 1; i <= s->N; ++i)
        if (i != 1 && i != 3) { EXPECT_EQ(qo[i], qb[i]); }
    // A target beyond the reach of the two links: nothing placed, the pose kept.
    EXPECT_EQ(putWristPlanar(*s, 1, 3, qb, Vec3{{0, 20, 0.5}}, qo), 'N');
    EXPECT_EQ(s->sgnP, 0);
    EXPECT_EQ(s->sgnT, 2);
    EXPECT_TRUE(sameQ(qo, qb));
}

TEST(SpecialCases, CaseOneAndCaseTwoGiveFinalPoses) {
    double q[JV], Dwr = 0, Dth = 0;
    {
        // F32 (P Q P - Q P): joint 1 on x = 0, goal at x = 0.52: the wall joints on the plane, the
        // wrist placed.
        auto s = makeSceneWithRobot(3, 2);
        ASSERT_EQ(s->sgnJ1Alpha, 'I');
        ASSERT_EQ(s->sgnWrkAlpha, 'O');
        EXPECT_EQ(calSpecCase1(*s, s->qr, q, &Dwr, &Dth), 'Y');
        EXPECT_LT(Dwr, tolExact);
        EXPECT_LT(Dth, tolExact);
        EXPECT_EQ(s->errP, Dwr);
        EXPECT_EQ(s->errT, Dth);
        EXPECT_TRUE(sameQ(s->qr, q));
        EXPECT_EQ(judgeFinalPose(*s, q).why, "");
    }
    // Case 2 puts the arm in the plane: F31 (joint 1 and the goal on x = 0), and F21 (R Q P - R P)
    // with the slit moved to x = 0 and the goal onto it, 4.6 along y, where joint 1 turns a
    // quarter and joint 4 another quarter so that joint 5 turns about x again.
    for (int robot : {31, 21}) {
        auto s = robot == 21 ? makeScene() : makeSceneWithRobot(3, 1);
        if (robot == 21) {
            pressKeys(*s, "O");
            pressKeys(*s, "4", 160);
            pressKeys(*s, "A");
            pressKeys(*s, "4", 235);
            pressKeys(*s, "2", 100);
            pressKeys(*s, "A");
        }
        ASSERT_EQ(s->sgnJ1Alpha, 'I');
        ASSERT_EQ(s->sgnWrkAlpha, 'I');
        EXPECT_EQ(calSpecCase2(*s, s->qr, q, &Dwr, &Dth), 'Y');
        EXPECT_LT(Dwr, tolExact);
        EXPECT_LT(Dth, tolExact);
        expectArmInPlane(*s, q);
        EXPECT_EQ(judgeFinalPose(*s, q).why, "");
    }
}

TEST(SpecialCases, OutOfReachOrJointOneOffThePlaneLeavesThePose) {
    auto s = makeSceneWithRobot(3, 1);
    pressKeys(*s, "2", 300);  // goal 3 units farther along y
    double q0[JV], q[JV], Dwr = 0, Dth = 0;
    std::memcpy(q0, s->qr, sizeof q0);
    EXPECT_EQ(calSpecCase2(*s, s->qr, q, &Dwr, &Dth), 'N');
    EXPECT_TRUE(sameQ(q, q0));
    EXPECT_EQ(calSpecCase1(*s, s->qr, q, &Dwr, &Dth), 'N');
    // Through the key: class 0 and the stuck line, the pose unchanged.
    keyboard(*s, 'a');
    EXPECT_EQ(s->sgnP, 0);
    EXPECT_EQ(s->sgnSOLAEnd, 0);
    EXPECT_TRUE(sameQ(s->qr, q0));
    // F21: rhx = 1.6, joint 1 off the plane: neither case applies.
    s = makeScene();
    EXPECT_EQ(calSpecCase1(*s, s->qr, q, &Dwr, &Dth), 'M');
    EXPECT_EQ(calSpecCase2(*s, s->qr, q, &Dwr, &Dth), 'M');
    EXPECT_TRUE(sameQ(q, s->qr));
}
