// The linearised slit/wrist system, the line search along its direction and one correction.
#include "goal/newton_steps.h"
#include "goal_check.h"

namespace {

// Residuals of the system of a goal off the plane, from the kinematics: [x of J3 - rhx,
// x of J4 - rhx, J[N-2] - wristp].
void residual(Scene& s, const double* q, double* e) {
    forwardKinematics(s, q);
    e[0] = s.J[3][0] - s.rhx;
    e[1] = s.J[4][0] - s.rhx;
    for (int k = 0; k < 3; ++k) e[2 + k] = s.J[s.N - 2][k] - s.wristp[k];
}

double norm5(const double* e) { return std::sqrt(e[0] * e[0] + e[1] * e[1] + e[2] * e[2] + e[3] * e[3] + e[4] * e[4]); }

// Slit error (Mp, Mw) and wrist error of q, from the kinematics.
void errors(Scene& s, const double* q, double& slit, double& wrist) {
    int Mp = 0, Mw = 0, inWall[JV];
    classifyJointsByWall(s, q, &Mp, inWall, &Mw);
    slit = std::fabs(s.J[Mp][0] - s.rhx) + std::fabs(s.J[Mw][0] - s.rhx);
    wrist = 0;
    for (int k = 0; k < 3; ++k) wrist += std::pow(s.J[s.N - 2][k] - s.wristp[k], 2);
    wrist = std::sqrt(wrist);
}

// A pose of F21 near a final pose: the default session pressed until both errors are small.
std::unique_ptr<Scene> nearFinalScene() {
    auto s = makeScene();
    pressKeys(*s, "ab", 8);
    keyboard(*s, 'a');
    return s;
}

}  // namespace

TEST(AabGradient2, DirectionIsTheNewtonStepAndTheLineSearchWalksDownhill) {
    auto s = nearFinalScene();
    ASSERT_EQ(s->sgnWrkAlpha, 'O');
    double q1[JV], qt[JV], dq[JV], e0[5], e1[5];
    std::memcpy(q1, s->qr, sizeof q1);
    int LMIJK[5], sgnSP = 0, MpG = 0, MwG = 0;
    ASSERT_GE(std::fabs(AabGradient2(*s, q1, LMIJK, &sgnSP, &MpG, &MwG, dq)), tolFine);
    EXPECT_EQ(sgnSP, 1);
    EXPECT_EQ(MpG, 3);
    EXPECT_EQ(MwG, 4);
    for (int k = 0; k < 5; ++k) EXPECT_EQ(LMIJK[k], k + 1);
    // Along -dq the residuals shrink in proportion: e(q - t dq) = (1 - t) e(q) to first order.
    residual(*s, q1, e0);
    ASSERT_GT(norm5(e0), 1e-6);
    const double t = 1e-3;
    for (int i = 0; i < JV; ++i) qt[i] = q1[i] - t * dq[i];
    residual(*s, qt, e1);
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(e1[i], (1 - t) * e0[i], 1e-3 * norm5(e0) * t + 1e-9) << i;
    // errP is refreshed for q1.
    double slit0, wrist0;
    errors(*s, q1, slit0, wrist0);
    EXPECT_NEAR(s->errP, wrist0, 1e-12);
    // The search along it ends lower than it started, reports the errors of the pose it returns
    // and moves only the joints of the system.
    double q[JV], Dwr = 0, Dth = 0, slit, wrist;
    const char r = LinearSearch5(*s, sgnSP, MpG, MwG, LMIJK, q1, dq, q, &Dwr, &Dth);
    EXPECT_TRUE(r == 'Y' || r == 'M');
    errors(*s, q, slit, wrist);
    EXPECT_NEAR(Dth, slit, 1e-12);
    EXPECT_NEAR(Dwr, wrist, 1e-12);
    EXPECT_LT(Dwr + Dth, wrist0 + slit0);
    for (int i = 0; i < JV; ++i)
        if (i < 1 || i > 5) { EXPECT_EQ(q[i], q1[i]); }
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

TEST(AabNewton, OneCorrectionLowersBothErrorsNearAFinalPose) {
    auto s = nearFinalScene();
    double q[JV], out[JV], slit0, wrist0, slit, wrist, Dwr = 0, Dth = 0;
    std::memcpy(q, s->qr, sizeof q);
    errors(*s, q, slit0, wrist0);
    EXPECT_NE(AabNewton(*s, q, out, &Dwr, &Dth), 'N');
    EXPECT_TRUE(sameQ(s->qr, out));
    // The orientation is refitted: the hand points down.
    errors(*s, out, slit, wrist);
    EXPECT_NEAR(s->Ew(2, 2), -1.0, 1e-9);
    EXPECT_NEAR(Dth, slit, 1e-12);
    EXPECT_NEAR(Dwr, wrist, 1e-12);
    EXPECT_LT(Dwr + Dth, slit0 + wrist0);
}
