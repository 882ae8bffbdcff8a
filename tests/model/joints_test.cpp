// Angle and joint operations at the boundaries their rules name.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/scene.h"
#include "model/joints.h"
#include "model/angles.h"
#include "model/vecops.h"
#include "support/test_scene.h"

TEST(JointDiff, WrapsOnlyRJointsAndReducesBothAnglesFirst) {
    auto s = makeScene();  // F21: joint 1 'R', joint 3 'P'
    EXPECT_DOUBLE_EQ(jointDiff(*s, 1, 3.0, -3.0), 6.0 - 6.2831853072);
    EXPECT_DOUBLE_EQ(jointDiff(*s, 3, 3.0, -3.0), 6.0);
    // The result of an 'R' joint lies in [-pi, pi) and equals a - b modulo 2 pi.
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> u(-12.0, 12.0);
    for (int k = 0; k < 20000; ++k) {
        double a = u(rng), b = u(rng);
        double d = jointDiff(*s, 1, a, b);
        EXPECT_GE(d, -PI_C);
        EXPECT_LT(d, PI_C);
        double turns = (a - b - d) / TWO_PI_C;
        EXPECT_NEAR(turns, std::round(turns), 1e-9);
    }
    // b >= 2 pi is reduced twice at most; a <= -2 pi is raised twice at most.
    EXPECT_NEAR(jointDiff(*s, 3, 0.5, 0.1 + 2 * TWO_PI_C), 0.4, 1e-12);
    EXPECT_NEAR(jointDiff(*s, 3, -0.5 - 2 * TWO_PI_C, 0.0), -0.5, 1e-12);
    EXPECT_NEAR(jointDiff(*s, 3, -TWO_PI_C, 0.0), TWO_PI_C - TWO_PI_C, 1e-12);
}

TEST(ClampJoint, LimitsByJointKind) {
    auto s = makeScene();  // F21: 'R' 'Q' 'P' 'R' 'P' 'R' 'P' 'R'
    // 'R' joints below N-1 and joint N are never limited; joint N-1 uses the wrist limit.
    const double lim = 2.8797932658, wrist = 2.3561944902;
    const struct {
        int i;
        double q, out;
        int clamped;
    } cases[] = {{3, 3.0, lim, 1},   {3, lim + 0.0005, lim, 0}, {3, -3.0, -lim, 1},     {2, 1.0, 1.0, 0},
                 {1, 5.0, 5.0, 0},   {8, -9.0, -9.0, 0},        {7, 2.5, wrist, 1},     {7, -2.5, -wrist, 1}};
    for (const auto& c : cases) {
        double out = 0;
        EXPECT_EQ(clampJoint(*s, c.i, c.q, &out), c.clamped) << c.i << " " << c.q;
        EXPECT_DOUBLE_EQ(out, c.out) << c.i << " " << c.q;
    }
}

TEST(MaxAbsJoint, FirstIndexWinsAndZeroVector) {
    auto s = makeScene();
    double v[JV] = {}, mx = -1;
    EXPECT_EQ(argMaxAbsJoint(*s, 8, v, &mx), 0);
    EXPECT_EQ(mx, 0.0);
    EXPECT_EQ(maxAbsJoint(*s, 8, v), 0.0);
    v[2] = -0.7;
    v[5] = 0.7;
    EXPECT_EQ(argMaxAbsJoint(*s, 8, v, &mx), 2);
    EXPECT_DOUBLE_EQ(mx, 0.7);
    // 'R' joint 1 at 6.0 rad is only 0.283 away from zero.
    v[1] = 6.0;
    EXPECT_EQ(argMaxAbsJoint(*s, 8, v, &mx), 2);
}

TEST(VectorOps, EdgeRules) {
    Vec3 z{{0, 0, 0}}, out{{9, 9, 9}};
    unitVec3(z, out);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(out[k], 0.0) << k;
    Vec3 a{{3, 0, 4}};
    unitVec3(a, a);  // may alias
    EXPECT_DOUBLE_EQ(a[0], 0.6);
    EXPECT_DOUBLE_EQ(a[2], 0.8);
    EXPECT_EQ(charToNum('a'), 100);
    EXPECT_EQ(charToNum('7'), 7);
    EXPECT_EQ(digitChar(12), 'x');
    EXPECT_EQ(digitChar(-1), 'x');
    EXPECT_EQ(digitChar(3), '3');
    double src[4] = {0, PI_C, -PI_C, 7.0}, dst[4];
    wrapJointVector(3, src, dst);
    EXPECT_DOUBLE_EQ(dst[1], PI_C - TWO_PI_C);  // pi itself wraps
    EXPECT_DOUBLE_EQ(dst[2], -PI_C);            // -pi stays
    EXPECT_DOUBLE_EQ(dst[3], 7.0 - TWO_PI_C);   // one shift only
    EXPECT_NEAR(angleDiffNearest(0.1, 0.1 + 2 * TWO_PI_C), 0.0, 1e-12);
    EXPECT_NEAR(angleDiffNearest(3.0, -3.0), 6.0 - TWO_PI_C, 1e-12);
}

TEST(MatrixOps, RotZAndChainAgreeWithDirectProducts) {
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int k = 0; k < 200; ++k) {
        Mat3 A, B, C, AB, ABC, chain, rz, ref;
        for (double& x : A.m) x = u(rng);
        for (double& x : B.m) x = u(rng);
        for (double& x : C.m) x = u(rng);
        mulMat3(A, B, AB);
        mulMat3(AB, C, ABC);
        Mat3 mats[3] = {A, B, C};
        chainMat3(0, 2, mats, chain);
        for (int i = 0; i < 9; ++i) EXPECT_NEAR(chain.m[i], ABC.m[i], 1e-12);
        double q = 3 * u(rng);
        Mat3 Rz{{std::cos(q), -std::sin(q), 0, std::sin(q), std::cos(q), 0, 0, 0, 1}};
        rotZMat3(A, q, rz);
        mulMat3(A, Rz, ref);
        for (int i = 0; i < 9; ++i) EXPECT_NEAR(rz.m[i], ref.m[i], 1e-12);
        Mat3 At, tn;
        transposeMat3(A, At);
        mulMat3(At, B, ref);
        mulMat3TN(A, B, tn);
        for (int i = 0; i < 9; ++i) EXPECT_NEAR(tn.m[i], ref.m[i], 1e-12);
        Vec3 v{{u(rng), u(rng), u(rng)}}, w1, w2;
        mulMat3TVec(A, v, w1);
        mulMat3Vec(At, v, w2);
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(w1[i], w2[i], 1e-12);
    }
}
