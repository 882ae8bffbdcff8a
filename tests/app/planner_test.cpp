// Beyond the A and B calculations: the planner's joint space, a planned path against the
// independent check, the numeric final pose against independent kinematics, and the A keys'
// plain stop where they make no progress.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "app/keyboard.h"
#include "app/numeric_pose.h"
#include "app/ompl_planner.h"
#include "app/plan_solve.h"
#include "app/status_text.h"
#include "path/row_gate.h"
#include "path_check.h"
#include "support/test_scene.h"

namespace {

// F11 with the goal 0.05 further in y: the A keys give no final pose from any candidate.
std::unique_ptr<Scene> f11GoalMoved() {
    auto s = makeSceneWithRobot(1, 1);
    for (int k = 0; k < 5; ++k) keyboard(*s, '2');
    keyboard(*s, 'A');
    return s;
}

bool statusSays(const Scene& s, const char* text) {
    const StatusText t = chooseStatusLines(s);
    for (int k = 0; k < t.n; ++k)
        if (std::string(t.line[k].text).find(text) != std::string::npos) return true;
    return false;
}

}  // namespace

TEST(PlannerSpace, RollJointsWrapTheShortWayAndLimitedJointsKeepTheirBounds) {
    auto s = makeSceneWithRobot(2, 1);  // joints R Q P R P R P R
    ASSERT_EQ(std::string(s->JRTYPE + 1, 8), "RQPRPRPR");
    double a[JV] = {}, b[JV] = {}, m[JV] = {};
    a[1] = 3.1, b[1] = -3.1;  // 'R': 2 pi - 6.2 apart across the wrap
    a[3] = 2.8, b[3] = -2.8;  // 'P': 5.6 apart, never across the wrap
    EXPECT_NEAR(plannerDistance(*s, a, b), std::hypot(2 * M_PI - 6.2, 5.6), 1e-8);
    plannerInterpolate(*s, a, b, 0.25, m);
    EXPECT_NEAR(m[1], 3.1 + 0.25 * (2 * M_PI - 6.2), 1e-8);
    EXPECT_NEAR(m[3], 1.4, 1e-12);
    plannerInterpolate(*s, a, b, 0.75, m);
    EXPECT_NEAR(m[1], -3.1 - 0.25 * (2 * M_PI - 6.2), 1e-8);  // wrapped into [-pi, pi)
    double q[JV] = {};
    q[8] = 3.0;
    EXPECT_TRUE(plannerInBounds(*s, q));
    q[2] = s->qLimit + 0.01;  // 'Q' below N-1
    EXPECT_FALSE(plannerInBounds(*s, q));
    q[2] = 0, q[7] = s->qLimitWrist + 0.01;  // joint N-1
    EXPECT_FALSE(plannerInBounds(*s, q));
    q[7] = s->qLimitWrist - 0.01;
    EXPECT_TRUE(plannerInBounds(*s, q));
}

TEST(Planner, PlannedPathPassesTheIndependentCheckAndRepeatsExactly) {
    SolvePlan plan;
    plan.method = SolveMethod::Ompl;
    std::unique_ptr<Scene> first;
    for (int run = 0; run < 2; ++run) {
        auto s = makeSceneWithRobot(3, 1);
        const SolveResult r = solveScene(*s, plan);
        ASSERT_TRUE(r.complete) << r.stop;
        EXPECT_STREQ(r.pathBy, "planner");
        EXPECT_EQ(s->sgnCAL, 'C');
        const int n = s->NPATH + 1;
        const PathCheckReport rev = checkPath(*s, s->qIPATH, n, s->qAfinal, s->qInit);
        EXPECT_TRUE(rev.ok) << rev.fault;
        const PathCheckReport fwd = checkPath(*s, s->qPATH, n, s->qInit, s->qAfinal);
        EXPECT_TRUE(fwd.ok) << fwd.fault;
        const PathClearance c = pathClearance(*s, s->qPATH, n);
        EXPECT_GE(std::min({c.wall, c.floor, c.workFloor, c.work, c.self}), 0);
        if (run == 0) {
            first = std::move(s);
            continue;
        }
        ASSERT_EQ(s->NPATH, first->NPATH);
        EXPECT_EQ(std::memcmp(s->qIPATH, first->qIPATH, sizeof(double) * JV * n), 0);
    }
}

TEST(NumericPose, MeetsTheGoalWithinItsToleranceWhereTheAKeysCannot) {
    auto s = f11GoalMoved();
    const NumericPose p = numericFinalPose(*s, nullptr, 0, kNumericBudgetMs);
    ASSERT_TRUE(p.found);
    Vec3 P[JV];
    independentJointPoints(*s, p.q, P);
    double err = 0;
    for (int k = 0; k < 3; ++k) err += std::fabs(P[s->Nw][k] - s->rwp[k]);
    EXPECT_LE(err, kNumericPoseTol);
    // The hand points straight down: the wrist stands Lw above the work point.
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(P[s->N - 2][k], s->wristp[k], 1e-5);
    EXPECT_EQ(gatePose(*s, p.q).status, GateStatus::Accepted);
    EXPECT_LE(std::fabs(p.q[s->N - 1]), s->qLimitWrist);
}

TEST(HonestA, KeysStopWithAPlainStatusWhereNoFinalPoseCanCome) {
    auto s = f11GoalMoved();
    ASSERT_GT(s->nqss0, 1);
    // Candidate 0 settles on a pose off the slit plane after about 200 presses: the status
    // keeps asking for keys until the keys go round in a circle, then stops asking.
    int presses = 0;
    for (; presses < 150; ++presses) keyboard(*s, "aab"[presses % 3]);
    EXPECT_TRUE(statusSays(*s, "Continue Calcul"));
    while (s->sgnAStall == 0 && presses < 240) keyboard(*s, "aab"[presses++ % 3]);
    EXPECT_TRUE(statusSays(*s, "No final pose from this start pose; Space for the next")) << presses;
    EXPECT_NE(s->sgnSOLAEnd, 1);
    // Every candidate in turn (each stops within 384 presses): the last one says that none is
    // left under the slit rule.
    for (int c = 1; c < s->nqss0; ++c) {
        keyboard(*s, ' ');
        EXPECT_EQ(s->sgnAStall, 0);
        for (int k = 0; s->sgnAStall == 0 && k < 400; ++k) keyboard(*s, "aab"[k % 3]);
        ASSERT_NE(s->sgnAStall, 0) << "candidate " << c;
    }
    EXPECT_EQ(s->sgnAStall, 2);
    EXPECT_TRUE(statusSays(*s, "No final pose under the slit rule"));
    // 'N' then finds a numeric final pose and a planned path, ready for 'C'.
    s->autoPlanSeconds = 10;
    s->autoNumericMs = kNumericBudgetMs;
    keyboard(*s, 'N');
    EXPECT_EQ(s->sgnPATHEnd, 1);
    EXPECT_EQ(s->sgnCAL, 'C');
    EXPECT_TRUE(statusSays(*s, "'N': Numeric Final Pose, Path by the Sampling Planner"));
}

TEST(KeyN, SaysPlainlyWhenNothingIsFound) {
    auto s = makeScene();  // F21, goal moved out of reach: no candidate, no numeric pose
    for (int k = 0; k < 600; ++k) keyboard(*s, '2');
    keyboard(*s, 'A');
    keyboard(*s, 'N');
    EXPECT_EQ(s->sgnPATHEnd, 0);
    EXPECT_TRUE(statusSays(*s, "'N': No Path Found"));
    keyboard(*s, 'a');  // any key of the calculations takes the line away
    EXPECT_FALSE(statusSays(*s, "'N'"));
}
