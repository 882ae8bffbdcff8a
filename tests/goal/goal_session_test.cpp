// Whole goal pose calculations driven through the key dispatcher, judged by goal_check.h.
//
// Key policy: press 'a', 'a', 'b' in turn until sgnSOLAEnd = 1, at most 200 presses. When the
// pose then breaks a joint limit (the path preparation would refuse it), or no final pose came,
// press SP and start again from the next candidate.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/keyboard.h"
#include "goal/goal.h"
#include "goal_check.h"
#include "model/kinematics.h"
#include "support/capture.h"
#include "support/test_scene.h"

namespace {

constexpr int kMaxPresses = 200;

struct Drive {
    int candidate = -1;  // candidate that gave the final pose, -1 when none did
    int presses = 0;     // 'a'/'b' presses on that candidate
    int total = 0;       // all 'a'/'b'/SP presses
    FinalPoseReport report;
};

void press(Scene& s, unsigned char key) { keyboard(s, key); }

Drive driveToFinalPose(Scene& s) {
    Drive d;
    const int candidates = s.nqss0;
    for (int c = 0; c < candidates; ++c) {
        if (c > 0) {
            press(s, ' ');
            ++d.total;
        }
        int n = 0;
        while (s.sgnSOLAEnd != 1 && n < kMaxPresses) {
            press(s, "aab"[n % 3]);
            ++n;
        }
        d.total += n;
        if (s.sgnSOLAEnd != 1) continue;
        d.report = judgeFinalPose(s, s.qr);
        if (d.report.overLimit == 0) {
            d.candidate = c;
            d.presses = n;
            return d;
        }
    }
    return d;
}

void expectFinalPose(Scene& s, const Drive& d) {
    ASSERT_GE(d.candidate, 0) << "no candidate gave a final pose";
    EXPECT_EQ(s.sgnSOLAEnd, 1);
    EXPECT_EQ(d.report.why, "");
    EXPECT_LT(d.report.workErr, tolAllow);
    EXPECT_LT(d.report.handErr, 0.01);
    EXPECT_LT(d.report.planeMp, tolAllow);
    EXPECT_LT(d.report.planeMw, tolAllow);
    // The classes that the calculation reports agree with the pose.
    EXPECT_TRUE(s.sgnP == 2 || s.sgnP == 4);
    EXPECT_TRUE(s.sgnT == 2 || s.sgnT == 4);
    for (int i = 1; i <= s.N; ++i) {
        EXPECT_TRUE(std::isfinite(s.qr[i]));
        EXPECT_DOUBLE_EQ(s.qAfinal[i], s.qr[i]) << "the final pose is the accepted one";
    }
}

}  // namespace

TEST(GoalSession, DefaultRobotStartsWithCandidatesThatPlaceTheWork) {
    auto s = makeScene();
    ASSERT_GT(s->nqss0, 0);
    EXPECT_LE(s->nqss0, 17);
    EXPECT_EQ(s->cntqs0, 0);
    EXPECT_EQ(s->sgnCAL, 'A');
    EXPECT_EQ(s->sgnPS, 2);  // F21: passable
    for (int r = 0; r < s->nqss0; ++r) {
        forwardKinematics(*s, s->qss0[r]);
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(s->rw[k], s->rwp[k], 1e-6) << "candidate " << r;
            EXPECT_NEAR(s->Ew(k, 2), s->EwG(k, 2), 1e-6) << "candidate " << r;
        }
        for (int i = 1; i <= s->N; ++i) {
            EXPECT_GE(s->qss0[r][i], -PI_C);
            EXPECT_LT(s->qss0[r][i], PI_C);
        }
    }
    for (int k = 0; k < JV; ++k) EXPECT_EQ(s->qr[k], s->qss0[0][k]);
}

TEST(GoalSession, DefaultRobotReachesAFinalPose) {
    auto s = makeScene();
    Drive d = driveToFinalPose(*s);
    expectFinalPose(*s, d);
}

class EightRobots : public ::testing::TestWithParam<int> {};

TEST_P(EightRobots, FirstChoiceReachesAFinalPose) {
    const int lower = GetParam() / 10, upper = GetParam() % 10;
    auto s = makeSceneWithRobot(lower, upper);
    ASSERT_GT(s->nqss0, 0);
    Drive d = driveToFinalPose(*s);
    expectFinalPose(*s, d);
}

INSTANTIATE_TEST_SUITE_P(Catalogue, EightRobots, ::testing::Values(11, 12, 21, 22, 31, 32, 41, 42),
                         [](const ::testing::TestParamInfo<int>& i) { return "F" + std::to_string(i.param); });

TEST(GoalSession, SpecialCasesRunWhereJointOneOrTheGoalLieOnThePlane) {
    // F12: joint 1 on the plane (rhx = 0), the goal off it: case 1 at the first 'a'.
    {
        auto s = makeSceneWithRobot(1, 2);
        ASSERT_EQ(s->sgnJ1Alpha, 'I');
        ASSERT_EQ(s->sgnWrkAlpha, 'O');
        TraceCapture cap(*s);
        press(*s, 'a');
        EXPECT_NE(cap.text().find("SpecCase1へ"), std::string::npos);
        EXPECT_NE(cap.text().find("★calSpecCase1()解あり"), std::string::npos);
    }
    // F32: the goal moved with '4' onto the plane x = 0 puts both on it: case 2.
    {
        auto s = makeSceneWithRobot(3, 2);
        for (int i = 0; i < 52; ++i) press(*s, '4');
        EXPECT_EQ(s->sgnWrkAlpha, 'I');
        EXPECT_EQ(s->sgnAab, 'c');
        press(*s, 'A');
        ASSERT_GT(s->nqss0, 0);
        TraceCapture cap(*s);
        Drive d = driveToFinalPose(*s);
        EXPECT_NE(cap.text().find("SpecCase2へ"), std::string::npos);
        expectFinalPose(*s, d);
    }
    // F21: the goal moved onto the plane x = 1.6 with joint 1 off it: the normal case with the
    // goal on the plane (the Case 3 search and the goal-on-plane Newton systems).
    {
        auto s = makeScene();
        for (int i = 0; i < 75; ++i) press(*s, '4');
        EXPECT_EQ(s->sgnWrkAlpha, 'I');
        press(*s, 'A');
        TraceCapture cap(*s);
        Drive d = driveToFinalPose(*s);
        EXPECT_NE(cap.text().find("SlitPassASpec3()始め"), std::string::npos);
        expectFinalPose(*s, d);
    }
}

TEST(GoalSession, GoalKeysMoveTheGoalAndItsWristPointOnly) {
    auto s = makeScene();
    double q0[JV];
    for (int i = 0; i < JV; ++i) q0[i] = s->qr[i];
    const Vec3 g0 = s->rwp;
    press(*s, '1');
    press(*s, '2');
    press(*s, '3');
    press(*s, '3');
    press(*s, '5');
    EXPECT_NEAR(s->rwp[0], g0[0] + 0.01, 1e-12);
    EXPECT_NEAR(s->rwp[1], g0[1], 1e-12);
    EXPECT_NEAR(s->rwp[2], g0[2] + 0.02, 1e-12);  // z is not blocked
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(s->wristp[k], s->rwp[k] + (k == 2 ? 0.4 : 0.0), 1e-12);
    EXPECT_EQ(s->sgnAab, 'c');
    EXPECT_EQ(s->sgnARepeat, 0);
    for (int i = 0; i < JV; ++i) EXPECT_EQ(s->qr[i], q0[i]) << "no calculation runs";
    // The next 'A' searches anew for the moved goal.
    press(*s, 'A');
    ASSERT_GT(s->nqss0, 0);
    forwardKinematics(*s, s->qr);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(s->rw[k], s->rwp[k], 1e-6);
}

TEST(GoalSession, SpaceVisitsTheCandidatesInTurn) {
    auto s = makeScene();
    const int n = s->nqss0;
    ASSERT_GE(n, 3);
    for (int k = 1; k <= n + 1; ++k) {
        press(*s, ' ');
        EXPECT_EQ(s->cntqs0, k % n);
        for (int i = 1; i <= s->N; ++i) {
            EXPECT_EQ(s->qr[i], s->qss0[k % n][i]);
            EXPECT_EQ(s->qs[i], s->qss0[k % n][i]);
        }
        EXPECT_EQ(s->nqss0, n) << "the candidates are kept";
        EXPECT_EQ(s->sgnSOLAEnd, 0);
        EXPECT_EQ(s->sgnAab, 'c');
    }
}

TEST(GoalSession, SpaceWithoutCandidatesKeepsThePose) {
    auto s = makeScene();
    press(*s, 'F');  // the choice empties the candidate table
    press(*s, 'A');  // from F mode: only the mode letter
    ASSERT_EQ(s->nqss0, 0);
    double q0[JV];
    for (int i = 0; i < JV; ++i) q0[i] = s->qr[i];
    for (int k = 0; k < 3; ++k) {
        press(*s, ' ');
        EXPECT_EQ(s->cntqs0, 0);
        EXPECT_EQ(s->nqss0, 0);
        for (int i = 0; i < JV; ++i) EXPECT_EQ(s->qr[i], q0[i]);
    }
    // 'a' and 'b' still run on the pose shown.
    press(*s, 'a');
    press(*s, 'b');
    for (int i = 0; i <= s->N; ++i) EXPECT_TRUE(std::isfinite(s->qr[i]));
}

TEST(GoalSession, ObstacleChangeContinuesFromTheCurrentPose) {
    auto s = makeScene();
    press(*s, 'a');
    press(*s, 'b');
    double q0[JV];
    for (int i = 0; i < JV; ++i) q0[i] = s->qr[i];
    const char aab = s->sgnAab;
    press(*s, 'O');
    EXPECT_EQ(s->sgnAtoO, 1);
    press(*s, '1');  // slit moved by 0.01 along x
    press(*s, 'A');
    EXPECT_EQ(s->sgnCAL, 'A');
    EXPECT_EQ(s->sgnAtoO, 0);
    EXPECT_EQ(s->sgnAab, aab);
    // The search runs, but the calculation continues from the pose before the change.
    for (int i = 1; i <= s->N; ++i) {
        EXPECT_EQ(s->qs[i], q0[i]);
        EXPECT_EQ(s->qr[i], q0[i]);
    }
    EXPECT_NEAR(s->rhx, 1.61, 1e-12);
    // The errors are those of that pose against the moved slit.
    forwardKinematics(*s, q0);
    double e = 0;
    for (int k = 0; k < 3; ++k) e += std::fabs(s->rw[k] - s->rwp[k]);
    EXPECT_NEAR(s->errP, e, 1e-12);
}
