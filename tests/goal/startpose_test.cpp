// Error classes, the start pose search and the entry of the goal calculation.
#include "goal/pose_errors.h"
#include "goal/start_pose.h"
#include "path/record_reset.h"
#include "goal_check.h"

TEST(ErrorClass, BoundariesOfExactAndAllowable) {
    // Exactly tolExact is allowable, exactly tolAllow is large.
    const double e[] = {0.0, 0.999e-6, 1e-6, 0.00999, 0.01, 3.0};
    const int want[] = {2, 2, 4, 4, 1, 1};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(errorClass(e[i]), want[i]) << e[i];
}

TEST(StartPose, CandidatesPlaceTheWorkAndDifferInTheirJoints) {
    auto s = makeScene();
    double table[GoalCalcState::NQSS0][JV];
    const int n = StartPose(*s, 1, 2, 3, 4, 5, s->rwp, s->EwG, table);
    ASSERT_GT(n, 0) << n;
    ASSERT_LE(n, 17) << n;
    EXPECT_EQ(s->nqss0, n);
    EXPECT_EQ(s->cntqs0, 0);
    EXPECT_EQ(s->sgnARepeat, 0);
    EXPECT_TRUE(sameQ(s->qr, table[0]));
    Vec3 J[GoalCalcState::NQSS0][6];
    for (int r = 0; r < n; ++r) {
        EXPECT_EQ(table[r][0], 0.0);
        for (int i = 1; i <= s->N; ++i) {
            EXPECT_GE(table[r][i], -PI_C) << i;
            EXPECT_LT(table[r][i], PI_C) << i;
        }
        forwardKinematics(*s, table[r]);
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(s->rw[k], s->rwp[k], 1e-7);
            for (int c = 0; c < 3; ++c) EXPECT_NEAR(s->Ew(k, c), s->EwG(k, c), 1e-6);
        }
        for (int j = 1; j <= 5; ++j) J[r][j] = s->J[j];
    }
    // No two kept candidates stand with joints 2..5 at the same places.
    for (int a = 0; a < n; ++a)
        for (int b = a + 1; b < n; ++b) {
            double d = 0;
            for (int j = 2; j <= 5; ++j)
                d += std::sqrt(std::pow(J[a][j][0] - J[b][j][0], 2) + std::pow(J[a][j][1] - J[b][j][1], 2) +
                               std::pow(J[a][j][2] - J[b][j][2], 2));
            EXPECT_GE(d, tolFine) << "rows " << a << " and " << b;
        }
}

TEST(StartPose, UnreachableGoalOrJointOneOnThePlane) {
    // Out of reach: no candidate, the pose kept, the lines printed.
    auto s = makeScene();
    double q0[JV];
    std::memcpy(q0, s->qs, sizeof q0);
    s->rwp = Vec3{{30.0, 30.0, 0.1}};
    s->wristp = Vec3{{30.0, 30.0, 0.5}};
    TraceCapture cap(*s);
    s->sgnARepeat = 0;
    setcalA(*s);
    EXPECT_EQ(s->nqss0, 0);
    EXPECT_TRUE(sameQ(s->qs, q0));
    EXPECT_EQ(s->sgnP, 1);
    EXPECT_EQ(s->sgnSOLAEnd, 0);
    for (const char* line : {"関節L,Mを変えても位置決め解なし", "■■ワーク位置決め初期解なし"})
        EXPECT_NE(cap.text().find(line), std::string::npos) << line;
    // F31 stands with joint 1 on the plane x = 0: the extra candidate from J1AlphaStartPose
    // keeps the table in range, and any robot is passable.
    auto t = makeSceneWithRobot(3, 1);
    EXPECT_EQ(t->sgnJ1Alpha, 'I');
    EXPECT_GT(t->nqss0, 0);
    EXPECT_LE(t->nqss0, 17);
    EXPECT_EQ(t->sgnPS, 2);
}

TEST(SetcalA, FreshStartResetsTheFlagsAndClassifiesTheCandidate) {
    auto s = makeScene();
    s->sgnAaStep = 0, s->sgnAbStep = 1, s->sgnPATH = 3, s->NPATH = 17, s->cntBTrial = 2, s->sgnARepeat = 0;
    setcalA(*s);
    // The goal calculation asks for the path of the old final pose to go; the path record does it.
    EXPECT_EQ(s->pathAsk, PathAsk::NewFinalPose);
    EXPECT_EQ(s->NPATH, 17);
    takePathAsk(*s);
    EXPECT_EQ(s->sgnAbStep, 0);
    EXPECT_EQ(s->sgnAab, 'c');
    EXPECT_EQ(s->sgnPATH, 0);
    EXPECT_EQ(s->NPATH, 0);
    EXPECT_EQ(s->cntBTrial, 0);
    EXPECT_EQ(s->sgnNMAX, 'U');
    EXPECT_EQ(s->Lh, s->Lh0[0]);
    EXPECT_EQ(s->Mh, s->Mh0[0]);
    // errP and errT of the candidate, measured here from its kinematics.
    forwardKinematics(*s, s->qs);
    double eP = 0;
    for (int k = 0; k < 3; ++k) eP += std::fabs(s->rw[k] - s->rwp[k]);
    EXPECT_NEAR(s->errP, eP, 1e-12);
    EXPECT_NEAR(s->errT, std::fabs(s->J[s->Mpass][0] - s->rhx) + std::fabs(s->J[s->MW][0] - s->rhx), 1e-12);
    EXPECT_EQ(s->sgnP, errorClass(s->errP));
    EXPECT_EQ(s->sgnT, errorClass(s->errT));
}

TEST(SetcalA, ImpassableRobotStopsBeforeTheFlags) {
    // F11 (joints R P P) with the goal and joint 1 off the plane cannot pass the slit.
    auto s = makeSceneWithRobot(1, 1);
    keyboard(*s, '1');  // goal off the plane x = 0.2
    ASSERT_EQ(s->sgnWrkAlpha, 'O');
    s->sgnSOLAEnd = 1;  // left untouched by the early return
    TraceCapture cap(*s);
    keyboard(*s, 'A');
    EXPECT_EQ(s->sgnPS, -1);
    EXPECT_EQ(s->sgnSOLAEnd, 1);
    EXPECT_NE(cap.text().find("→通り抜け不可能"), std::string::npos);
    EXPECT_EQ(cap.text().find("setcalA() end"), std::string::npos);
    // 'a' and 'b' refuse as well.
    pressKeys(*s, "ab");
    EXPECT_EQ(s->sgnPS, -1);
}
