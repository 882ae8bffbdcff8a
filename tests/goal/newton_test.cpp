// The linearised slit/wrist system, the line search along its direction and one correction.
#include <gtest/gtest.h>

#include <cmath>

#include "app/keyboard.h"
#include "goal/goal.h"
#include "model/kinematics.h"
#include "support/test_scene.h"

namespace {

// Residuals of the system of a goal off the plane, from the kinematics: [x of J3 - rhx,
// x of J4 - rhx, J6 - wristp].
void residual1(Scene& s, const double* q, double* e) {
    forwardKinematics(s, q);
    e[0] = s.J[3][0] - s.rhx;
    e[1] = s.J[4][0] - s.rhx;
    for (int k = 0; k < 3; ++k) e[2 + k] = s.J[s.N - 2][k] - s.wristp[k];
}

double norm5(const double* e) {
    double t = 0;
    for (int i = 0; i < 5; ++i) t += e[i] * e[i];
    return std::sqrt(t);
}

// A pose of F21 near a final pose: the default session pressed until both errors are small.
std::unique_ptr<Scene> nearFinalScene() {
    auto s = makeScene();
    const char* keys = "ababababababababa";
    for (const char* k = keys; *k; ++k) keyboard(*s, static_cast<unsigned char>(*k));
    return s;
}

}  // namespace

TEST(AabGradient2, DirectionIsTheNewtonStepOfTheResiduals) {
    auto s = nearFinalScene();
    ASSERT_EQ(s->sgnWrkAlpha, 'O');
    double q[JV];
    for (int i = 0; i < JV; ++i) q[i] = s->qr[i];
    int LMIJK[5], sgnSP = 0, MpG = 0, MwG = 0;
    double dq[JV];
    const double det = AabGradient2(*s, q, LMIJK, &sgnSP, &MpG, &MwG, dq);
    ASSERT_GE(std::fabs(det), tolFine);
    EXPECT_EQ(sgnSP, 1);
    EXPECT_EQ(MpG, 3);
    EXPECT_EQ(MwG, 4);
    for (int k = 0; k < 5; ++k) EXPECT_EQ(LMIJK[k], k + 1);
    // Along -dq the residuals shrink in proportion: e(q - t dq) = (1 - t) e(q) to first order.
    double e0[5], e1[5], qt[JV];
    residual1(*s, q, e0);
    ASSERT_GT(norm5(e0), 1e-6);
    const double t = 1e-3;
    for (int i = 0; i < JV; ++i) qt[i] = q[i] - t * dq[i];
    residual1(*s, qt, e1);
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(e1[i], (1 - t) * e0[i], 1e-3 * norm5(e0) * t + 1e-9) << i;
    // errT and errP are refreshed for q.
    forwardKinematics(*s, q);
    double dw = 0;
    for (int k = 0; k < 3; ++k) dw += (s->J[s->N - 2][k] - s->wristp[k]) * (s->J[s->N - 2][k] - s->wristp[k]);
    EXPECT_NEAR(s->errP, std::sqrt(dw), 1e-12);
}

TEST(LinearSearch5, ZeroDirectionReturnsAtOnce) {
    auto s = nearFinalScene();
    const int LMIJK[5] = {1, 2, 3, 4, 5};
    double dq[JV] = {}, q[JV], Dwr = -1, Dth = -1;
    EXPECT_EQ(LinearSearch5(*s, 1, 3, 4, LMIJK, s->qr, dq, q, &Dwr, &Dth), 'N');
    for (int i = 0; i < JV; ++i) EXPECT_EQ(q[i], s->qr[i]);
    EXPECT_GE(Dwr, 0);
    EXPECT_GE(Dth, 0);
}

TEST(LinearSearch5, AStepThatChangesNoErrorEndsAfterTheStepBound) {
    // Joint N turns the hand about its own axis: no error changes, every sum is equal, which
    // counts as no increase. The search still ends, at the bound of 100000 steps (10 rad).
    auto s = nearFinalScene();
    const int LMIJK[5] = {8, 0, 0, 0, 0};
    double dq[JV] = {}, q[JV], Dwr = 0, Dth = 0;
    dq[8] = -1.0;
    const char r = LinearSearch5(*s, 1, 3, 4, LMIJK, s->qr, dq, q, &Dwr, &Dth);
    EXPECT_EQ(r, 'M');
    EXPECT_NEAR(q[8], s->qr[8] + 10.0, 1e-6);
    for (int i = 1; i < 8; ++i) EXPECT_EQ(q[i], s->qr[i]);
    EXPECT_TRUE(std::isfinite(Dwr) && std::isfinite(Dth));
}

TEST(LinearSearch5, StepIsAtMostATenThousandthAndSmallerDirectionsStay) {
    auto s = nearFinalScene();
    const int LMIJK[5] = {1, 2, 3, 4, 5};
    double dq[JV] = {}, q[JV], Dwr, Dth;
    dq[2] = 5e-5;
    dq[4] = -2e-5;
    LinearSearch5(*s, 1, 3, 4, LMIJK, s->qr, dq, q, &Dwr, &Dth);
    EXPECT_DOUBLE_EQ(dq[2], 5e-5);
    EXPECT_DOUBLE_EQ(dq[4], -2e-5);
    double big[JV] = {};
    big[1] = 0.5;
    big[3] = -0.25;
    LinearSearch5(*s, 1, 3, 4, LMIJK, s->qr, big, q, &Dwr, &Dth);
    EXPECT_DOUBLE_EQ(big[1], 1e-4);
    EXPECT_DOUBLE_EQ(big[3], -0.5e-4);
}

TEST(LinearSearch5, WalksDownhillAndNeverEndsAboveTheStart) {
    auto s = nearFinalScene();
    double q1[JV];
    for (int i = 0; i < JV; ++i) q1[i] = s->qr[i];
    int LMIJK[5], sgnSP = 0, MpG = 0, MwG = 0;
    double dq[JV];
    ASSERT_GE(std::fabs(AabGradient2(*s, q1, LMIJK, &sgnSP, &MpG, &MwG, dq)), tolFine);
    forwardKinematics(*s, q1);
    const double start = std::fabs(s->J[3][0] - s->rhx) + std::fabs(s->J[4][0] - s->rhx);
    double startW = 0;
    for (int k = 0; k < 3; ++k) startW += std::pow(s->J[s->N - 2][k] - s->wristp[k], 2);
    startW = std::sqrt(startW);
    double q[JV], Dwr = 0, Dth = 0;
    const char r = LinearSearch5(*s, sgnSP, MpG, MwG, LMIJK, q1, dq, q, &Dwr, &Dth);
    EXPECT_TRUE(r == 'Y' || r == 'M');
    // The errors reported are those of the pose returned.
    forwardKinematics(*s, q);
    EXPECT_NEAR(Dth, std::fabs(s->J[3][0] - s->rhx) + std::fabs(s->J[4][0] - s->rhx), 1e-12);
    EXPECT_LE(Dwr + Dth, startW + start + 1e-12);
    EXPECT_LT(Dwr + Dth, startW + start);
    for (int i = 0; i < JV; ++i)
        if (i < 1 || i > 5) {
            EXPECT_EQ(q[i], q1[i]);
        }
}

TEST(AabNewton, OneCorrectionLowersBothErrorsNearAFinalPose) {
    auto s = nearFinalScene();
    double q[JV], out[JV];
    for (int i = 0; i < JV; ++i) q[i] = s->qr[i];
    forwardKinematics(*s, q);
    int Mp = 0, Mw = 0, inWall[JV];
    classifyJointsByWall(*s, q, &Mp, inWall, &Mw);
    auto wrist = [&]() {
        double d = 0;
        for (int k = 0; k < 3; ++k) d += std::pow(s->J[s->N - 2][k] - s->wristp[k], 2);
        return std::sqrt(d);
    };
    const double before = std::fabs(s->J[Mp][0] - s->rhx) + std::fabs(s->J[Mw][0] - s->rhx) + wrist();
    double Dwr = 0, Dth = 0;
    const char r = AabNewton(*s, q, out, &Dwr, &Dth);
    EXPECT_NE(r, 'N');
    for (int i = 0; i < JV; ++i) EXPECT_EQ(s->qr[i], out[i]);
    // The orientation is refitted: the hand points down.
    forwardKinematics(*s, out);
    EXPECT_NEAR(s->Ew(2, 2), -1.0, 1e-9);
    classifyJointsByWall(*s, out, &Mp, inWall, &Mw);
    EXPECT_NEAR(Dth, std::fabs(s->J[Mp][0] - s->rhx) + std::fabs(s->J[Mw][0] - s->rhx), 1e-12);
    EXPECT_NEAR(Dwr, wrist(), 1e-12);
    EXPECT_LT(Dwr + Dth, before);
}
