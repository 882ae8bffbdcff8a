// Analytic positioning against forward kinematics: every solution the three-joint inverse returns
// puts the chosen point on its target, and the pose the target came from is among them.
#include "solve/ijkinv.h"

#include "solve/joint_dist.h"
#include "solve/solve_test_util.h"

using namespace st;

namespace {

enum Mode { Work, Wrist, Link };
const char* modeText[3] = {"WORK", "WRIST", "LINK"};

// The point each mode places, for the current kinematics of s.
Vec3 pointOf(const Scene& s, Mode m, int K, const Vec3& P) {
    if (m == Work) return s.rw;
    if (m == Wrist) return s.J[s.N - 1];
    Vec3 t, out;
    mulMat3Vec(s.EJ[K], P, t);
    addVec3(s.J[K], t, out);
    return out;
}

// Determinant of the 3x3 Jacobian of point p over the joints I, J, K (current kinematics).
double jacobianDet(const Scene& s, int I, int J, int K, const Vec3& p) {
    Vec3 col[3], r, c12;
    const int jj[3] = {I, J, K};
    for (int k = 0; k < 3; ++k) {
        subVec3(p, s.J[jj[k]], r);
        crossVec3(colMat3(s.EA[jj[k]], 2), r, col[k]);
    }
    crossVec3(col[1], col[2], c12);
    return dotVec3(col[0], c12);
}

double dist3(int I, int J, int K, const double* a, const double* b) {
    return std::fabs(wrapped(a[I] - b[I])) + std::fabs(wrapped(a[J] - b[J])) + std::fabs(wrapped(a[K] - b[K]));
}

}  // namespace

TEST(Pinv2d, RandomTargetsSatisfyThePlanarEquations) {
    auto s = makeScene();
    double qq[2][2];
    ASSERT_EQ(pinv2d(*s, 1, 1, 1, 1, qq), 2);
    EXPECT_EQ(pinv2d(*s, 1, 1, 3, 0, qq), 0);  // out of reach
    std::mt19937 rng(4);
    std::uniform_real_distribution<double> len(0.2, 2), ang(-M_PI, M_PI), rad(0, 1);
    int solved = 0;
    for (int t = 0; t < 1000; ++t) {
        const double L1 = len(rng), L2 = len(rng), a1 = ang(rng), a2 = ang(rng);
        // Targets from a forward pose or anywhere up to twice the reach; first the stretched arm.
        double X = 2 * (L1 + L2) * rad(rng) * std::cos(a1), Y = 2 * (L1 + L2) * rad(rng) * std::sin(a1);
        if (t % 2) X = L1 * std::cos(a1) + L2 * std::cos(a1 + a2), Y = L1 * std::sin(a1) + L2 * std::sin(a1 + a2);
        if (t == 0) X = L1 + L2, Y = 0;
        const int n = pinv2d(*s, L1, L2, X, Y, qq);
        const double r = std::hypot(X, Y);
        if (r < std::fabs(L1 - L2) * (1 - 1e-9) || r > (L1 + L2) * (1 + 1e-9)) { EXPECT_EQ(n, 0); }
        if (r > std::fabs(L1 - L2) * (1 + 1e-9) && r < (L1 + L2) * (1 - 1e-9)) { EXPECT_EQ(n, 2); }
        solved += n > 0;
        for (int k = 0; k < n; ++k) {
            EXPECT_NEAR(L1 * std::cos(qq[k][0]) + L2 * std::cos(qq[k][0] + qq[k][1]), X, 1e-9);
            EXPECT_NEAR(L1 * std::sin(qq[k][0]) + L2 * std::sin(qq[k][0] + qq[k][1]), Y, 1e-9);
        }
    }
    EXPECT_GT(solved, 500);
}

TEST(IJKinv, ReproducesTargetsForEveryRobotAndMode) {
    std::mt19937 rng(17);
    std::uniform_real_distribution<double> up(-1, 1);
    forEachRobot([&](Scene& s, const std::string& robot) {
        int calls = 0, regular = 0, poseFound = 0, maxSols = 0;
        for (int I = 1; I <= 5; ++I)
            for (int J = I + 1; J <= 5; ++J)
                for (int K = J + 1; K <= 5; ++K)
                    for (int m = Work; m <= Link; ++m)
                        for (int t = 0; t < 30; ++t) {
                            double q[JV], sols[4][JV];
                            randomPose(rng, s, q);
                            const Vec3 P{{up(rng), up(rng), up(rng)}};
                            forwardKinematics(s, q);
                            const Vec3 target = pointOf(s, Mode(m), K, P);
                            const double det = jacobianDet(s, I, J, K, target);
                            const std::string ctx = robot + " " + modeText[m] + " " + std::to_string(100 * I + 10 * J + K);
                            const int n = IJKinv(s, modeText[m], q, I, J, K, P, target, sols);
                            ++calls;
                            ASSERT_GE(n, 0) << ctx;
                            ASSERT_LE(n, 4) << ctx;
                            maxSols = std::max(maxSols, n);
                            double best = 1e9;
                            for (int k = 0; k < n; ++k) {
                                for (int i = 0; i < JV; ++i)
                                    if (i != I && i != J && i != K) { ASSERT_EQ(sols[k][i], q[i]) << ctx; }
                                forwardKinematics(s, sols[k]);
                                Vec3 d;
                                subVec3(pointOf(s, Mode(m), K, P), target, d);
                                EXPECT_LE(normVec3(d), 1e-8) << ctx << " sol " << k << "/" << n;
                                for (int j = 0; j < k; ++j) {
                                    const double dd = std::fabs(sols[k][I] - sols[j][I]) +
                                                      std::fabs(sols[k][J] - sols[j][J]) +
                                                      std::fabs(sols[k][K] - sols[j][K]);
                                    EXPECT_GE(dd, 0.0001) << ctx;
                                }
                                best = std::min(best, dist3(I, J, K, sols[k], q));
                            }
                            // Away from singular poses the solutions are isolated, so the pose
                            // itself is one of them. Named exception, allowed once in a
                            // thousand: the elimination divides by d = A2 bw - B2 aw, and where d
                            // is small (joint J's origin near joint I's axis) two roots of the
                            // quartic in cos qK come close and the pose's root can be lost.
                            if (std::fabs(det) > 1e-2) {
                                ++regular;
                                poseFound += best <= 1e-6;
                            }
                        }
        EXPECT_GT(regular, calls / 2) << robot;
        EXPECT_LE(regular - poseFound, regular / 1000) << robot;
        EXPECT_EQ(maxSols, 4) << robot;
    });
}

TEST(IJKinv, NearestSolutionAndBadArguments) {
    auto s = makeSceneWithRobot(2, 1);
    std::mt19937 rng(23);
    const int I = s->Iinv, J = s->Jinv, K = s->Kinv;
    for (int t = 0; t < 200; ++t) {
        double q[JV], q0[JV], qout[JV], sols[4][JV];
        randomPose(rng, *s, q);
        forwardKinematics(*s, q);
        const Vec3 target = s->rw;
        const bool regular = std::fabs(jacobianDet(*s, I, J, K, target)) > 1e-2;
        // From a start near the pose: the nearest solution (the pose itself when regular).
        std::memcpy(q0, q, sizeof q);
        q0[I] += 0.01;
        q0[K] -= 0.01;
        ASSERT_EQ(IJKinvNearest(*s, "WORK", q0, I, J, K, Vec3{}, target, qout), 1);
        const int n = IJKinv(*s, "WORK", q0, I, J, K, Vec3{}, target, sols);
        double dmin = 1e9;
        for (int k = 0; k < n; ++k) dmin = std::min(dmin, jointDist3(I, J, K, q0, sols[k]));
        EXPECT_EQ(jointDist3(I, J, K, q0, qout), dmin);
        if (regular) { EXPECT_LT(dist3(I, J, K, q, qout), 1e-6); }
        // The output may be the input array itself.
        ASSERT_EQ(IJKinvNearest(*s, "WORK", q0, I, J, K, Vec3{}, target, q0), 1);
        EXPECT_EQ(std::memcmp(q0, qout, sizeof q0), 0);
    }
    // Out of reach: 0 and the output is the input; bad arguments: no solution.
    double q[JV] = {}, qout[JV], sols[4][JV];
    std::fill(qout, qout + JV, 99.0);
    EXPECT_EQ(IJKinvNearest(*s, "WORK", q, 3, 4, 5, Vec3{}, Vec3{{30, 0, 0}}, qout), 0);
    EXPECT_EQ(std::memcmp(q, qout, sizeof q), 0);
    // Not I < J < K, joint 0 (the base), beyond N, the wrist point below joint 7, an unknown mode.
    const struct {
        const char* mode;
        int I, J, K;
    } bad[] = {{"WORK", 3, 2, 5}, {"WORK", 0, 2, 5}, {"WORK", 1, 2, 9}, {"WRIST", 1, 2, 7}, {"XY", 1, 2, 3}};
    for (const auto& b : bad) EXPECT_EQ(IJKinv(*s, b.mode, q, b.I, b.J, b.K, Vec3{}, Vec3{{1, 1, 3}}, sols), 0) << b.mode << b.K;
}
