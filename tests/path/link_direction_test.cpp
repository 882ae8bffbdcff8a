// Turning a link to a direction: random reachable directions on every robot of the catalogue,
// judged by forward kinematics of the result.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/scene.h"
#include "model/joints.h"
#include "model/kinematics.h"
#include "model/vecops.h"
#include "path/link_direction.h"
#include "support/test_scene.h"

namespace {

// Driving joints of link M as the solver names them: M' next to the link, M'' before it.
void drivers(const Scene& s, int M, int& m1, int& m2) {
    m1 = M == s.Nw ? s.N - 1 : M - 1 - (s.JRTYPE[M - 1] == 'R');
    m2 = M == s.Nw ? s.N - 2 : m1 - 1 - (m1 > 1 && s.JRTYPE[m1 - 1] == s.JRTYPE[m1]);
}

}  // namespace

class LinkDirection : public ::testing::TestWithParam<int> {};

TEST_P(LinkDirection, RandomReachableDirectionsAreReachedAndTheNearestPairIsTaken) {
    auto s = makeSceneWithRobot(GetParam() / 10, GetParam() % 10);
    std::mt19937 rng(GetParam());
    std::uniform_real_distribution<double> U(-2.8, 2.8);
    int solved = 0;
    for (int trial = 0; trial < 300; ++trial) {
        const int M = 2 + trial % (s->Nw - 1);
        int m1, m2;
        drivers(*s, M, m1, m2);
        if (m2 < 1) continue;
        double q[JV] = {}, qT[JV];
        for (int i = 1; i <= s->N; ++i) q[i] = U(rng);
        for (int i = 0; i < JV; ++i) qT[i] = q[i];
        qT[m1] = U(rng);
        qT[m2] = U(rng);
        forwardKinematics(*s, qT);
        const Vec3 e = s->mm[M];
        double out[JV];
        const int n = calJntMDir(*s, q, M, e, out);
        ASSERT_GT(n, 0) << "M=" << M << " trial " << trial;  // e is reachable by construction
        forwardKinematics(*s, out);
        for (int k = 0; k < 3; ++k) ASSERT_NEAR(s->mm[M][k], e[k], 1e-5) << "M=" << M;
        for (int i = 1; i <= s->N; ++i) ASSERT_TRUE(i == m1 || i == m2 || out[i] == q[i]) << i;
        ++solved;
        // Where joint M' changes the height of the link above the axis of joint M'', the
        // solutions are isolated and the pair drawn at random is one of them: the one taken is
        // no farther from q. (Otherwise the solutions form a family; any member will do.)
        double h[2];
        for (int k = 0; k < 2; ++k) {
            double qk[JV];
            for (int i = 0; i < JV; ++i) qk[i] = qT[i];
            qk[m1] += k;
            forwardKinematics(*s, qk);
            h[k] = s->mm[M][0] * s->EA[m2](0, 2) + s->mm[M][1] * s->EA[m2](1, 2) + s->mm[M][2] * s->EA[m2](2, 2);
        }
        if (std::fabs(h[0] - h[1]) < 1e-6) continue;
        auto dist = [&](const double* a) {
            return std::fabs(jointDiff(*s, m1, a[m1], q[m1])) + std::fabs(jointDiff(*s, m2, a[m2], q[m2]));
        };
        EXPECT_LE(dist(out), dist(qT) + 1e-6) << "M=" << M;
    }
    EXPECT_GT(solved, 200);
}

INSTANTIATE_TEST_SUITE_P(Robots, LinkDirection, ::testing::Values(11, 12, 21, 22, 31, 32, 41, 42),
                         [](const ::testing::TestParamInfo<int>& i) { return "F" + std::to_string(i.param); });

TEST(LinkDirection, DirectionsAlongTheAxisOfTheFarDriverAndInvalidRequests) {
    auto s = makeSceneWithRobot(2, 1);
    double q[JV] = {0, 0.3, 0.4, -0.5, 0.2, 0.6, 0.1, 0.7, 0.2}, out[JV];
    // The work along link 6 (the axis of the roll joint 6 that drives it): joint 6 is free.
    forwardKinematics(*s, q);
    const Vec3 axis = colMat3(s->EA[6], 2);
    ASSERT_GT(calJntMDir(*s, q, s->Nw, axis, out), 0);
    forwardKinematics(*s, out);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(s->mm[s->Nw][k], axis[k], 1e-5);
    // NaN and zero directions: no solution, the pose kept.
    for (Vec3 e : {Vec3{{NAN, 0, 1}}, Vec3{{0, 0, 0}}}) {
        EXPECT_EQ(calJntMDir(*s, q, s->Nw, e, out), 0);
        for (int i = 1; i <= s->N; ++i) EXPECT_EQ(out[i], q[i]);
    }
}
