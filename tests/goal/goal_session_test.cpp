// Whole goal pose calculations driven through the key dispatcher, judged by goal_check.h.
#include "goal/slit_passing.h"
#include "goal/special_cases.h"
#include "goal_check.h"

class KeyPolicy : public ::testing::TestWithParam<int> {};

// 0: the robot of the start-up; otherwise the robot chosen with 'F' and two digits.
TEST_P(KeyPolicy, ReachesAFinalPose) {
    auto s = GetParam() ? makeSceneWithRobot(GetParam() / 10, GetParam() % 10) : makeScene();
    ASSERT_GT(s->nqss0, 0);
    driveToFinalPose(*s);
}

INSTANTIATE_TEST_SUITE_P(Robots, KeyPolicy, ::testing::Values(0, 11, 12, 21, 22, 31, 32, 41, 42),
                         [](const ::testing::TestParamInfo<int>& i) {
                             return i.param ? "F" + std::to_string(i.param) : std::string("StartUp");
                         });

TEST(GoalSession, SpecialCasesRunWhereJointOneOrTheGoalLieOnThePlane) {
    // F12: joint 1 on the plane (rhx = 0), the goal off it: case 1 at the first 'a'.
    {
        auto s = makeSceneWithRobot(1, 2);
        ASSERT_EQ(s->sgnJ1Alpha, 'I');
        ASSERT_EQ(s->sgnWrkAlpha, 'O');
        TraceCapture cap(*s);
        keyboard(*s, 'a');
        EXPECT_NE(cap.text().find("★calSpecCase1()解あり"), std::string::npos);
    }
    // F32: the goal moved with '4' onto the plane x = 0 puts both on it: case 2. F21: the goal
    // moved onto the plane x = 1.6 with joint 1 off it: the normal case with the goal on the plane
    // (the Case 3 search and the goal-on-plane Newton systems).
    struct Case {
        int robot, presses;
        const char* line;
    };
    for (Case c : {Case{32, 52, "SpecCase2へ"}, Case{0, 75, "SlitPassASpec3()始め"}}) {
        auto s = c.robot ? makeSceneWithRobot(c.robot / 10, c.robot % 10) : makeScene();
        pressKeys(*s, "4", c.presses);
        EXPECT_EQ(s->sgnWrkAlpha, 'I');
        EXPECT_EQ(s->sgnAab, 'c');
        keyboard(*s, 'A');
        ASSERT_GT(s->nqss0, 0);
        TraceCapture cap(*s);
        driveToFinalPose(*s);
        EXPECT_NE(cap.text().find(c.line), std::string::npos) << c.line;
    }
}

TEST(GoalSession, StartUpAndGoalKeys) {
    auto s = makeScene();
    ASSERT_GT(s->nqss0, 0);
    EXPECT_EQ(s->cntqs0, 0);
    EXPECT_EQ(s->sgnCAL, 'A');
    EXPECT_EQ(s->sgnPS, 2);
    EXPECT_TRUE(sameQ(s->qr, s->qss0[0]));  // F21: passable
    // The goal keys move the goal and its wrist point only; no calculation runs.
    double q0[JV];
    std::memcpy(q0, s->qr, sizeof q0);
    const Vec3 g0 = s->rwp;
    pressKeys(*s, "12335");
    for (int k = 0; k < 3; ++k) {  // z is not blocked
        EXPECT_NEAR(s->rwp[k], g0[k] + (k == 0 ? 0.01 : k == 2 ? 0.02 : 0.0), 1e-12);
        EXPECT_NEAR(s->wristp[k], s->rwp[k] + (k == 2 ? 0.4 : 0.0), 1e-12);
    }
    EXPECT_EQ(s->sgnAab, 'c');
    EXPECT_EQ(s->sgnARepeat, 0);
    EXPECT_TRUE(sameQ(s->qr, q0));
    // The next 'A' searches anew for the moved goal.
    keyboard(*s, 'A');
    ASSERT_GT(s->nqss0, 0);
    forwardKinematics(*s, s->qr);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(s->rw[k], s->rwp[k], 1e-6);
}

TEST(GoalSession, SpaceVisitsTheCandidatesInTurnAndWithoutCandidatesKeepsThePose) {
    auto s = makeScene();
    const int n = s->nqss0;
    ASSERT_GE(n, 3);
    for (int k = 1; k <= n + 1; ++k) {
        keyboard(*s, ' ');
        EXPECT_EQ(s->cntqs0, k % n);
        EXPECT_TRUE(sameQ(s->qr, s->qss0[k % n]));
        EXPECT_TRUE(sameQ(s->qs, s->qss0[k % n]));
        EXPECT_EQ(s->nqss0, n);
        EXPECT_EQ(s->sgnSOLAEnd, 0);
        EXPECT_EQ(s->sgnAab, 'c');
    }
    keyboard(*s, 'F');  // the choice empties the candidate table
    keyboard(*s, 'A');  // from F mode: only the mode letter
    ASSERT_EQ(s->nqss0, 0);
    double q0[JV];
    std::memcpy(q0, s->qr, sizeof q0);
    pressKeys(*s, " ", 3);
    EXPECT_EQ(s->cntqs0, 0);
    EXPECT_EQ(s->nqss0, 0);
    EXPECT_TRUE(sameQ(s->qr, q0));
    // 'a' and 'b' still run on the pose shown.
    pressKeys(*s, "ab");
    for (int i = 0; i <= s->N; ++i) EXPECT_TRUE(std::isfinite(s->qr[i]));
}

TEST(GoalSession, ObstacleChangeContinuesFromTheCurrentPose) {
    auto s = makeScene();
    pressKeys(*s, "ab");
    double q0[JV];
    std::memcpy(q0, s->qr, sizeof q0);
    const char aab = s->sgnAab;
    keyboard(*s, 'O');
    EXPECT_EQ(s->sgnAtoO, 1);
    pressKeys(*s, "1A");  // slit moved by 0.01 along x
    EXPECT_EQ(s->sgnCAL, 'A');
    EXPECT_EQ(s->sgnAtoO, 0);
    EXPECT_EQ(s->sgnAab, aab);
    EXPECT_NEAR(s->rhx, 1.61, 1e-12);
    // The search runs, but the calculation continues from the pose before the change, its
    // errors taken against the moved slit.
    for (int i = 1; i <= s->N; ++i) {
        EXPECT_EQ(s->qs[i], q0[i]) << i;
        EXPECT_EQ(s->qr[i], q0[i]) << i;
    }
    forwardKinematics(*s, q0);
    double e = 0;
    for (int k = 0; k < 3; ++k) e += std::fabs(s->rw[k] - s->rwp[k]);
    EXPECT_NEAR(s->errP, e, 1e-12);
}
