// The line search along the direction of the linearised slit/wrist system (the direction and
// the correction itself are held to their results by the goal sessions of goal_session_test.cpp).
#include "goal/newton_steps.h"
#include "goal_check.h"

namespace {

// A pose of F21 near a final pose: the default session pressed until both errors are small.
std::unique_ptr<Scene> nearFinalScene() {
    auto s = makeScene();
    pressKeys(*s, "ab", 8);
    keyboard(*s, 'a');
    return s;
}

}  // namespace

TEST(AabGradient2, NamesTheSystemAndRefreshesErrP) {
    auto s = nearFinalScene();
    ASSERT_EQ(s->sgnWrkAlpha, 'O');
    double dq[JV];
    int LMIJK[5], sgnSP = 0, MpG = 0, MwG = 0;
    s->errP = -1;
    ASSERT_GE(std::fabs(AabGradient2(*s, s->qr, LMIJK, &sgnSP, &MpG, &MwG, dq)), tolFine);
    EXPECT_EQ(sgnSP, 1);
    EXPECT_EQ(MpG, 3);
    EXPECT_EQ(MwG, 4);
    for (int k = 0; k < 5; ++k) EXPECT_EQ(LMIJK[k], k + 1);
    forwardKinematics(*s, s->qr);
    double wrist = 0;
    for (int k = 0; k < 3; ++k) wrist += std::pow(s->J[s->N - 2][k] - s->wristp[k], 2);
    EXPECT_NEAR(s->errP, std::sqrt(wrist), 1e-12);
}

TEST(LinearSearch5, StepBoundZeroDirectionAndTheBoundOfSteps) {
    auto s = nearFinalScene();
    const int LMIJK[5] = {1, 2, 3, 4, 5};
    double dq[JV] = {}, q[JV], Dwr = -1, Dth = -1;
    // A zero direction returns at once with the start.
    EXPECT_EQ(LinearSearch5(*s, 1, 3, 4, LMIJK, s->qr, dq, q, &Dwr, &Dth), 'N');
    EXPECT_TRUE(sameQ(q, s->qr));
    EXPECT_GE(Dwr, 0);
    EXPECT_GE(Dth, 0);
    // Steps are at most 1e-4 rad: larger directions are scaled down, smaller ones stay.
    dq[1] = 0.5, dq[3] = -0.25;
    LinearSearch5(*s, 1, 3, 4, LMIJK, s->qr, dq, q, &Dwr, &Dth);
    EXPECT_DOUBLE_EQ(dq[1], 1e-4);
    EXPECT_DOUBLE_EQ(dq[3], -0.5e-4);
    dq[1] = 5e-5, dq[3] = -2e-5;
    LinearSearch5(*s, 1, 3, 4, LMIJK, s->qr, dq, q, &Dwr, &Dth);
    EXPECT_DOUBLE_EQ(dq[1], 5e-5);
    EXPECT_DOUBLE_EQ(dq[3], -2e-5);
    // Joint N turns the hand about its own axis: no error changes, every sum is equal, which
    // counts as no increase. The search still ends, at the bound of 100000 steps (10 rad).
    const int L8[5] = {8, 0, 0, 0, 0};
    double d8[JV] = {};
    d8[8] = -1.0;
    EXPECT_EQ(LinearSearch5(*s, 1, 3, 4, L8, s->qr, d8, q, &Dwr, &Dth), 'M');
    EXPECT_NEAR(q[8], s->qr[8] + 10.0, 1e-6);
    for (int i = 1; i < 8; ++i) EXPECT_EQ(q[i], s->qr[i]);
    EXPECT_TRUE(std::isfinite(Dwr));
    EXPECT_TRUE(std::isfinite(Dth));
}
