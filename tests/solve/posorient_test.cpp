// Wrist orientation and the alternating position/orientation solver, checked through forward
// kinematics: every solution gives the goal hand frame (and work point) it was asked for.
#include "solve/posorient.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "app/scene.h"
#include "capture.h"
#include "model/kinematics.h"
#include "model/vecops.h"
#include "support/test_scene.h"

namespace {

constexpr double kPi = 3.1415926536, kTwoPi = 6.2831853072;

void randomPose(std::mt19937& rng, const Scene& s, double* q, double lim = 2.6) {
    std::uniform_real_distribution<double> u(-lim, lim);
    for (int i = 0; i < JV; ++i) q[i] = 0;
    for (int i = 1; i <= s.N; ++i) q[i] = u(rng);
}

// A random rotation (unit quaternion).
Mat3 randomRotation(std::mt19937& rng) {
    std::normal_distribution<double> g;
    double w = g(rng), x = g(rng), y = g(rng), z = g(rng);
    const double n = std::sqrt(w * w + x * x + y * y + z * z);
    w /= n, x /= n, y /= n, z /= n;
    return Mat3{{1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y),  //
                 2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x),  //
                 2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)}};
}

double wrapped(double d) {
    d = std::fmod(d, 2 * M_PI);
    if (d > M_PI) d -= 2 * M_PI;
    if (d < -M_PI) d += 2 * M_PI;
    return d;
}

// Wrist angles are wrapped with the decimal 2 pi (6.2831853072, 2e-11 above the true value), so a
// wrapped solution is exact only to about 1e-10 in the frame.
constexpr double kFrameTol = 1e-9;

}  // namespace

TEST(AngleDistances, WrapDiffAndJointDist3) {
    EXPECT_EQ(wrapDiff(3.0, -3.0), 6.0 - kTwoPi);
    EXPECT_EQ(wrapDiff(-3.0, 3.0), -6.0 + kTwoPi);
    EXPECT_EQ(wrapDiff(0.5, 0.25), 0.25);
    std::mt19937 rng(2);
    std::uniform_real_distribution<double> u(-7, 7);
    for (int t = 0; t < 2000; ++t) {
        const double a = u(rng), b = u(rng);
        const double d = wrapDiff(a, b);
        // one of the three candidates, and none of them shorter
        const double c[3] = {a - b, a - b + kTwoPi, a - b - kTwoPi};
        bool isOne = false;
        for (double v : c) {
            isOne = isOne || v == d;
            EXPECT_LE(std::fabs(d), std::fabs(v));
        }
        EXPECT_TRUE(isOne);
    }
    double x[JV] = {}, y[JV] = {};
    x[2] = 3.0, y[2] = -3.0;  // 6 - 2 pi the short way
    x[5] = 0.1, y[5] = 0.4;   // 0.3
    x[7] = -2.0, y[7] = 2.5;  // 4.5 -> 2 pi - 4.5
    x[1] = 100, y[1] = -100;  // not in the set
    EXPECT_NEAR(jointDist3(2, 5, 7, x, y), (kTwoPi - 6.0) + 0.3 + (kTwoPi - 4.5), 1e-15);
}

TEST(PosOrientError, MatchForwardKinematics) {
    auto s = makeSceneWithRobot(3, 2);
    std::mt19937 rng(9);
    double q[JV];
    randomPose(rng, *s, q);
    forwardKinematics(*s, q);
    const Vec3 rw = s->rw;
    const Mat3 Ew = s->Ew;
    EXPECT_EQ(posError(*s, q, rw), 0.0);
    EXPECT_EQ(orientError(*s, q, Ew), 0.0);
    Vec3 off = rw;
    off[0] += 0.1, off[1] -= 0.2, off[2] += 0.3;
    EXPECT_NEAR(posError(*s, q, off), 0.6, 1e-12);
    Mat3 E2 = Ew;
    E2.m[4] += 0.25, E2.m[8] -= 0.5;
    EXPECT_NEAR(orientError(*s, q, E2), 0.75, 1e-12);
    // Targets may be the scene's own fields, left by the kinematics of another pose.
    double q2[JV];
    for (int i = 0; i < JV; ++i) q2[i] = q[i] + 0.2;
    forwardKinematics(*s, q2);
    Vec3 d;
    subVec3(s->rw, rw, d);
    const double wantP = std::fabs(d[0]) + std::fabs(d[1]) + std::fabs(d[2]);
    EXPECT_GT(wantP, 1e-3);
    EXPECT_NEAR(posError(*s, q, s->rw), wantP, 1e-12);
    forwardKinematics(*s, q2);
    double wantE = 0;
    for (int i = 0; i < 9; ++i) wantE += std::fabs(s->Ew.m[i] - Ew.m[i]);
    EXPECT_NEAR(orientError(*s, q, s->Ew), wantE, 1e-12);
}

TEST(WristOrient, RegularCaseTwoSolutionsThatReachTheGoal) {
    std::mt19937 rng(31);
    for (int lower = 1; lower <= 4; ++lower)
        for (int upper = 1; upper <= 2; ++upper) {
            auto s = makeSceneWithRobot(lower, upper);
            const int N = s->N;
            for (int t = 0; t < 200; ++t) {
                double q[JV];
                randomPose(rng, *s, q);
                const Mat3 EwG = randomRotation(rng);
                double sols[2][JV];
                const int n = wristOrientSolve(*s, q, s->EwH, EwG, sols);
                ASSERT_EQ(n, 2) << "F" << lower << upper;
                for (int k = 0; k < n; ++k) {
                    for (int i = 0; i < JV; ++i) {
                        if (i >= N - 2 && i <= N) continue;
                        ASSERT_EQ(sols[k][i], q[i]);
                    }
                    for (int i = N - 2; i <= N; ++i) {
                        EXPECT_GE(sols[k][i], -kPi);
                        EXPECT_LT(sols[k][i], kPi);
                    }
                    EXPECT_LE(orientError(*s, sols[k], EwG), kFrameTol);
                }
                EXPECT_GT(jointDist3(N - 2, N - 1, N, sols[0], sols[1]), 1e-6);

                // The nearest one by the wrist joints.
                double qn[JV];
                ASSERT_EQ(wristOrientNearest(*s, q, s->EwH, EwG, qn), 1);
                const double d0 = jointDist3(N - 2, N - 1, N, q, sols[0]);
                const double d1 = jointDist3(N - 2, N - 1, N, q, sols[1]);
                const int want = d1 < d0 ? 1 : 0;
                for (int i = 0; i < JV; ++i) EXPECT_EQ(qn[i], sols[want][i]);
            }
        }
}

TEST(WristOrient, PoseWithTheGoalOrientationIsItsOwnNearestSolution) {
    auto s = makeSceneWithRobot(2, 1);
    std::mt19937 rng(37);
    const int N = s->N;
    for (int t = 0; t < 300; ++t) {
        double q[JV];
        randomPose(rng, *s, q);
        forwardKinematics(*s, q);
        const Mat3 EwG = s->Ew;
        double qn[JV];
        for (int i = 0; i < JV; ++i) qn[i] = q[i];
        ASSERT_EQ(wristOrientNearest(*s, qn, s->EwH, EwG, qn), 1);  // output over input
        for (int i = N - 2; i <= N; ++i) EXPECT_NEAR(wrapped(qn[i] - q[i]), 0, 1e-9);
    }
}

TEST(WristOrient, DegenerateCaseOneSolutionKeepsJointNm2) {
    auto s = makeSceneWithRobot(1, 2);
    std::mt19937 rng(41);
    std::uniform_real_distribution<double> u(-M_PI, M_PI);
    const int N = s->N;
    for (int t = 0; t < 200; ++t) {
        double q[JV];
        randomPose(rng, *s, q);
        forwardKinematics(*s, q);
        // Goal approach axis along joint N-2's axis (either way), turned about it at random.
        const Mat3 F = s->EA[N - 2];
        Mat3 EwG, tmp;
        rotZMat3(F, u(rng), tmp);
        if (t % 2) {
            // flip the approach axis: turn half a turn about the frame's x axis
            const Mat3 Rx{{1, 0, 0, 0, -1, 0, 0, 0, -1}};
            mulMat3(tmp, Rx, EwG);
        } else {
            EwG = tmp;
        }
        double sols[2][JV];
        const int n = wristOrientSolve(*s, q, s->EwH, EwG, sols);
        ASSERT_EQ(n, 1);
        EXPECT_NEAR(wrapped(sols[0][N - 2] - q[N - 2]), 0, 1e-12);
        EXPECT_LE(orientError(*s, sols[0], EwG), kFrameTol);
    }
}

TEST(WristOrient, TiltedWristHasNoSolutionOutsideItsCone) {
    // A wrist whose last axis leans 60 degrees out of the plane perpendicular to joint N-1's axis:
    // joint N's axis then keeps 30 degrees to joint N-1's axis, which is perpendicular to joint
    // N-2's axis, so joint N's axis stays at least 60 degrees off joint N-2's axis. Goals inside
    // that cone are out of reach (the auxiliary cosine leaves [-1, 1]); goals outside still give
    // two exact solutions.
    auto s = makeSceneWithRobot(2, 1);
    const int N = s->N;
    const double tilt = 60 * M_PI / 180;
    Mat3 Rx{{1, 0, 0, 0, std::cos(tilt), -std::sin(tilt), 0, std::sin(tilt), std::cos(tilt)}}, E;
    mulMat3(Rx, s->Erel[N], E);
    s->Erel[N] = E;
    std::mt19937 rng(43);
    int none = 0, two = 0;
    for (int t = 0; t < 2000; ++t) {
        double q[JV];
        randomPose(rng, *s, q);
        forwardKinematics(*s, q);
        const Mat3 EwG = randomRotation(rng);
        // angle between joint N-2's axis and the goal axis of joint N
        const Vec3 a = colMat3(s->EA[N - 2], 2);
        Mat3 EwHT, Mt;
        transposeMat3(s->EwH, EwHT);
        mulMat3(EwG, EwHT, Mt);
        const Vec3 z = colMat3(Mt, 2);
        const double cosang = dotVec3(a, z);
        double sols[2][JV], qn[JV];
        for (int i = 0; i < JV; ++i) qn[i] = -7;
        const int n = wristOrientSolve(*s, q, s->EwH, EwG, sols);
        if (std::fabs(cosang) > std::cos(tilt) + 1e-9) {
            EXPECT_EQ(n, 0);
            EXPECT_EQ(wristOrientNearest(*s, q, s->EwH, EwG, qn), 0);
            EXPECT_EQ(qn[1], -7);  // left unchanged
            ++none;
        } else if (std::fabs(cosang) < std::cos(tilt) - 1e-9) {
            EXPECT_EQ(n, 2);
            for (int k = 0; k < n; ++k) EXPECT_LE(orientError(*s, sols[k], EwG), kFrameTol);
            ++two;
        }
    }
    EXPECT_GT(none, 100);
    EXPECT_GT(two, 100);
}

TEST(WristOrient, DegenerateThresholdOnTheVectorProduct) {
    // Squared length of (joint N-2 axis x goal axis of joint N) below 1e-7: one solution; above:
    // two.
    auto s = makeSceneWithRobot(3, 1);
    const int N = s->N;
    double q[JV] = {};
    q[1] = 0.3, q[2] = -0.7, q[3] = 1.1, q[4] = 0.4, q[5] = -0.2, q[6] = 0.9, q[7] = 0.5, q[8] = -1.3;
    forwardKinematics(*s, q);
    for (double sin2 : {0.5e-7, 2e-7}) {
        const double d = std::asin(std::sqrt(sin2));
        const Mat3 Ry{{std::cos(d), 0, std::sin(d), 0, 1, 0, -std::sin(d), 0, std::cos(d)}};
        Mat3 EwG;
        mulMat3(s->EA[N - 2], Ry, EwG);
        double sols[2][JV];
        EXPECT_EQ(wristOrientSolve(*s, q, s->EwH, EwG, sols), sin2 < 1e-7 ? 1 : 2);
        // The single solution of the degenerate side misses the goal only by the lean.
        EXPECT_LE(orientError(*s, sols[0], EwG), sin2 < 1e-7 ? 1e-6 : kFrameTol);
    }
}

namespace {

struct PosOrientStats {
    int tried = 0, solved = 0;
};

}  // namespace

TEST(SolvePosOrient, FromThePoseItselfInTheFirstRound) {
    std::mt19937 rng(51);
    for (int lower = 1; lower <= 4; ++lower)
        for (int upper = 1; upper <= 2; ++upper) {
            auto s = makeSceneWithRobot(lower, upper);
            const int I = s->Iinv, J = s->Jinv, K = s->Kinv;
            for (int t = 0; t < 100; ++t) {
                double q[JV], qout[JV];
                randomPose(rng, *s, q);
                forwardKinematics(*s, q);
                const Vec3 rwT = s->rw;
                const Mat3 EwT = s->Ew;
                ASSERT_EQ(solvePosOrient(*s, q, I, J, K, rwT, EwT, qout), 1) << "F" << lower << upper;
                EXPECT_EQ(s->cntPosOrient, 1);
                EXPECT_LE(posError(*s, qout, rwT), 1e-8);
                EXPECT_LE(orientError(*s, qout, EwT), 1e-8);
                // the nearest position solution is the pose itself
                for (int i = 1; i <= s->N; ++i) EXPECT_NEAR(wrapped(qout[i] - q[i]), 0, 1e-6) << i;
            }
        }
}

TEST(SolvePosOrient, FromPerturbedStartsEverySuccessReachesTheGoal) {
    // Two kinds of start: every joint moved by up to 0.3 rad (the goal may then be out of reach
    // of joints I, J, K with the others held), and only I, J, K and the wrist moved (the goal
    // stays reachable: the pose is a solution).
    std::mt19937 rng(53);
    std::uniform_real_distribution<double> pert(-0.3, 0.3);
    std::printf("solvePosOrient from starts within 0.3 rad of a pose (joints Iinv, Jinv, Kinv):\n");
    for (int lower = 1; lower <= 4; ++lower)
        for (int upper = 1; upper <= 2; ++upper) {
            auto s = makeSceneWithRobot(lower, upper);
            const int N = s->N, I = s->Iinv, J = s->Jinv, K = s->Kinv;
            PosOrientStats all, reach;
            int maxRounds = 0;
            for (int t = 0; t < 600; ++t) {
                const bool allJoints = t % 2 == 0;
                double q[JV], q0[JV], qout[JV];
                randomPose(rng, *s, q);
                forwardKinematics(*s, q);
                const Vec3 rwT = s->rw;
                const Mat3 EwT = s->Ew;
                for (int i = 0; i < JV; ++i) q0[i] = q[i];
                for (int i = 1; i <= N; ++i)
                    if (allJoints || i == I || i == J || i == K || i >= N - 2) q0[i] += pert(rng);
                PosOrientStats& st = allJoints ? all : reach;
                ++st.tried;
                if (solvePosOrient(*s, q0, I, J, K, rwT, EwT, qout)) {
                    ++st.solved;
                    maxRounds = std::max(maxRounds, s->cntPosOrient);
                    EXPECT_LE(posError(*s, qout, rwT), 1e-8);
                    EXPECT_LE(orientError(*s, qout, EwT), 1e-8);
                } else {
                    for (int i = 0; i < JV; ++i) EXPECT_EQ(qout[i], q0[i]);
                }
            }
            std::printf(
                "  F%d%d (I,J,K)=(%d,%d,%d): all joints moved %d of %d solved (%.1f%%); "
                "I, J, K and wrist moved %d of %d solved (%.1f%%); most rounds %d\n",
                lower, upper, I, J, K, all.solved, all.tried, 100.0 * all.solved / all.tried, reach.solved,
                reach.tried, 100.0 * reach.solved / reach.tried, maxRounds);
            EXPECT_EQ(reach.solved, reach.tried);
            // With the 'R' wrist no round is damped: the first one lands.
            EXPECT_EQ(maxRounds, 1);
        }
}

TEST(SolvePosOrient, UnreachableGoalFailsAtOnceAndSilently) {
    auto s = makeSceneWithRobot(2, 1);
    double q0[JV] = {}, qout[JV];
    for (int i = 1; i <= s->N; ++i) q0[i] = 0.1 * i;
    for (double& v : qout) v = 5;
    TraceCapture cap(*s);
    EXPECT_EQ(solvePosOrient(*s, q0, s->Iinv, s->Jinv, s->Kinv, Vec3{{30, 0, 1}}, s->EwG, qout), 0);
    EXPECT_EQ(s->cntPosOrient, 1);
    EXPECT_EQ(cap.text(), "");
    for (int i = 0; i < JV; ++i) EXPECT_EQ(qout[i], q0[i]);
}

TEST(SolvePosOrient, DampedRoundsAndNoConvergenceWithAnotherWristType) {
    // Any wrist letter other than 'R' places the work point itself and damps large jumps, so the
    // two steps take several rounds; whatever is reported solved reaches the goal, and a run that
    // does not settle within 201 rounds prints its line and gives back the start. Half the goals
    // come from the pose itself (start moved by up to 0.3 rad); the other half take their
    // orientation from a pose moved by up to 0.5 rad in every joint, which joints I, J, K and the
    // wrist often cannot meet together although each step alone succeeds.
    std::mt19937 rng(57);
    std::uniform_real_distribution<double> pert(-0.3, 0.3), far(-0.5, 0.5);
    auto s = makeSceneWithRobot(1, 1);
    s->WristType = 'S';
    const int I = s->Iinv, J = s->Jinv, K = s->Kinv;
    int solved = 0, tried = 0, multiRound = 0, noPosition = 0, unsettled = 0;
    for (int t = 0; t < 400; ++t) {
        double q[JV], q0[JV], qout[JV];
        randomPose(rng, *s, q);
        forwardKinematics(*s, q);
        const Vec3 rwT = s->rw;
        Mat3 EwT = s->Ew;
        for (int i = 0; i < JV; ++i) q0[i] = q[i];
        if (t % 2) {
            double qo[JV];
            for (int i = 0; i < JV; ++i) qo[i] = q[i];
            for (int i = 1; i <= s->N; ++i) qo[i] += far(rng);
            forwardKinematics(*s, qo);
            EwT = s->Ew;
        } else {
            for (int i = 1; i <= s->N; ++i) q0[i] += pert(rng);
        }
        ++tried;
        TraceCapture cap(*s);
        if (solvePosOrient(*s, q0, I, J, K, rwT, EwT, qout)) {
            ++solved;
            multiRound += s->cntPosOrient > 1;
            EXPECT_EQ(cap.text(), "");
            EXPECT_LE(posError(*s, qout, rwT), 1e-8);
            EXPECT_LE(orientError(*s, qout, EwT), 1e-8);
        } else {
            for (int i = 0; i < JV; ++i) EXPECT_EQ(qout[i], q0[i]);
            if (s->cntPosOrient == 201) {
                ++unsettled;
                EXPECT_EQ(cap.text(), "\n繰り返し回数cnt=201>200を超えた．解なし");
            } else {
                ++noPosition;
                EXPECT_EQ(cap.text(), "");
            }
        }
    }
    std::printf(
        "wrist type 'S': %d of %d solved (%d needing more than one round), %d without a position "
        "solution, %d unsettled after 201 rounds\n",
        solved, tried, multiRound, noPosition, unsettled);
    EXPECT_GT(multiRound, 0);
    EXPECT_GT(unsettled, 0);
}

TEST(SolvePosOrient, NoOrientationSolutionFailsSilently) {
    // The tilted wrist of the test above cannot point joint N's axis along joint N-2's axis: with
    // the wrist point in place the orientation step finds nothing, and the start comes back.
    auto s = makeSceneWithRobot(2, 1);
    const int N = s->N;
    const double tilt = 60 * M_PI / 180;
    Mat3 Rx{{1, 0, 0, 0, std::cos(tilt), -std::sin(tilt), 0, std::sin(tilt), std::cos(tilt)}}, E;
    mulMat3(Rx, s->Erel[N], E);
    s->Erel[N] = E;
    std::mt19937 rng(61);
    for (int t = 0; t < 20; ++t) {
        double q[JV], qout[JV];
        randomPose(rng, *s, q);
        forwardKinematics(*s, q);
        const Mat3 EwT = s->EA[N - 2];  // approach axis along joint N-2's axis (EwH is identity)
        Vec3 rwT;
        for (int r = 0; r < 3; ++r) rwT[r] = s->J[N - 1][r] + s->L[s->Nw] * EwT(r, 2);
        TraceCapture cap(*s);
        EXPECT_EQ(solvePosOrient(*s, q, s->Iinv, s->Jinv, s->Kinv, rwT, EwT, qout), 0);
        EXPECT_EQ(s->cntPosOrient, 1);
        EXPECT_EQ(cap.text(), "");
        for (int i = 0; i < JV; ++i) EXPECT_EQ(qout[i], q[i]);
    }
}
