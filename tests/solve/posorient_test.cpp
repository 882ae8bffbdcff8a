// Wrist orientation and the alternating position/orientation solver, checked through forward
// kinematics: every solution gives the goal hand frame (and work point) it was asked for.
#include "solve/joint_dist.h"
#include "solve/posorient.h"
#include "solve/wrist_orient.h"

#include "solve/solve_test_util.h"

using namespace st;

namespace {

// Wrist angles are wrapped with the decimal 2 pi (6.2831853072, 2e-11 above the true value), so a
// wrapped solution is exact only to about 1e-10 in the frame.
constexpr double kFrameTol = 1e-9;

// A success reaches the goal through forward kinematics; a failure gives back the start.
void expectGoalOrStart(Scene& s, int ok, const double* qout, const double* q0, const Vec3& rwT, const Mat3& EwT) {
    if (ok) {
        EXPECT_LE(posError(s, qout, rwT), 1e-8);
        EXPECT_LE(orientError(s, qout, EwT), 1e-8);
    } else {
        EXPECT_EQ(std::memcmp(qout, q0, JV * sizeof(double)), 0);
    }
}

// A goal out of reach: the first round fails, silently, giving back the start.
void expectSilentFailure(Scene& s, const double* q0, const Vec3& rwT, const Mat3& EwT, const std::string& ctx) {
    double qout[JV];
    TraceCapture cap(s);
    EXPECT_EQ(solvePosOrient(s, q0, s.Iinv, s.Jinv, s.Kinv, rwT, EwT, qout), 0) << ctx;
    EXPECT_EQ(s.cntPosOrient, 1) << ctx;
    EXPECT_TRUE(cap.text().empty()) << ctx;
    EXPECT_EQ(std::memcmp(qout, q0, JV * sizeof(double)), 0) << ctx;
}

}  // namespace

TEST(AngleDistances, WrapDiffJointDist3AndErrorsAgainstFieldsOfTheScene) {
    EXPECT_EQ(wrapDiff(3.0, -3.0), 6.0 - TWO_PI_C);
    EXPECT_EQ(wrapDiff(-3.0, 3.0), -6.0 + TWO_PI_C);
    EXPECT_EQ(wrapDiff(0.5, 0.25), 0.25);
    double x[JV] = {}, y[JV] = {};
    x[2] = 3.0, y[2] = -3.0;  // 6 - 2 pi the short way
    x[5] = 0.1, y[5] = 0.4;   // 0.3
    x[7] = -2.0, y[7] = 2.5;  // 4.5 -> 2 pi - 4.5
    x[1] = 100, y[1] = -100;  // not in the set
    EXPECT_NEAR(jointDist3(2, 5, 7, x, y), (TWO_PI_C - 6.0) + 0.3 + (TWO_PI_C - 4.5), 1e-15);
    // Targets may be the scene's own fields, which the kinematics overwrite.
    auto s = makeSceneWithRobot(3, 2);
    std::mt19937 rng(2);
    double q[JV], q2[JV];
    randomPose(rng, *s, q);
    for (int i = 0; i < JV; ++i) q2[i] = q[i] + 0.2;
    forwardKinematics(*s, q);
    const Vec3 rw = s->rw;
    const Mat3 Ew = s->Ew;
    EXPECT_EQ(posError(*s, q, rw) + orientError(*s, q, Ew), 0.0);
    forwardKinematics(*s, q2);
    double wantP = 0, wantE = 0;
    for (int k = 0; k < 3; ++k) wantP += std::fabs(s->rw[k] - rw[k]);
    for (int i = 0; i < 9; ++i) wantE += std::fabs(s->Ew.m[i] - Ew.m[i]);
    EXPECT_NEAR(posError(*s, q, s->rw), wantP, 1e-12);
    forwardKinematics(*s, q2);
    EXPECT_NEAR(orientError(*s, q, s->Ew), wantE, 1e-12);
}

TEST(WristOrient, RegularCaseTwoSolutionsThatReachTheGoal) {
    std::mt19937 rng(31);
    forEachRobot([&](Scene& s, const std::string& robot) {
        const int N = s.N;
        for (int t = 0; t < 100; ++t) {
            double q[JV], sols[2][JV], qn[JV];
            randomPose(rng, s, q);
            // Half the goals are the hand frame of the pose itself: then the pose is its own
            // nearest solution.
            forwardKinematics(s, q);
            const bool own = t % 2;
            const Mat3 EwG = own ? s.Ew : randomRotation(rng);
            ASSERT_EQ(wristOrientSolve(s, q, s.EwH, EwG, sols), 2) << robot;
            for (int k = 0; k < 2; ++k) {
                for (int i = 0; i < JV; ++i)
                    if (i < N - 2 || i > N) { ASSERT_EQ(sols[k][i], q[i]); }
                for (int i = N - 2; i <= N; ++i) {
                    EXPECT_GE(sols[k][i], -PI_C) << i;
                    EXPECT_LT(sols[k][i], PI_C) << i;
                }
                EXPECT_LE(orientError(s, sols[k], EwG), kFrameTol) << robot;
            }
            EXPECT_GT(jointDist3(N - 2, N - 1, N, sols[0], sols[1]), 1e-6);
            // The nearest one by the wrist joints; the output may be the input itself.
            std::memcpy(qn, q, sizeof q);
            ASSERT_EQ(wristOrientNearest(s, qn, s.EwH, EwG, qn), 1);
            const int want = jointDist3(N - 2, N - 1, N, q, sols[1]) < jointDist3(N - 2, N - 1, N, q, sols[0]);
            EXPECT_EQ(std::memcmp(qn, sols[want], sizeof qn), 0);
            for (int i = N - 2; i <= N && own; ++i) EXPECT_NEAR(wrapped(qn[i] - q[i]), 0, 1e-9);
        }
    });
}

TEST(WristOrient, DegenerateCaseOneSolutionKeepsJointNm2) {
    auto s = makeSceneWithRobot(1, 2);
    std::mt19937 rng(41);
    std::uniform_real_distribution<double> u(-M_PI, M_PI);
    const int N = s->N;
    for (int t = 0; t < 100; ++t) {
        double q[JV], sols[2][JV];
        randomPose(rng, *s, q);
        forwardKinematics(*s, q);
        // Goal approach axis along joint N-2's axis (every other time flipped), turned at random.
        Mat3 EwG, tmp;
        rotZMat3(s->EA[N - 2], u(rng), tmp);
        const Mat3 Rx{{1, 0, 0, 0, -1, 0, 0, 0, -1}};
        mulMat3(tmp, t % 2 ? Rx : identityMat3(), EwG);
        ASSERT_EQ(wristOrientSolve(*s, q, s->EwH, EwG, sols), 1);
        EXPECT_NEAR(wrapped(sols[0][N - 2] - q[N - 2]), 0, 1e-12);
        EXPECT_LE(orientError(*s, sols[0], EwG), kFrameTol);
    }
    // |joint N-2 axis x goal axis|^2 below 1e-7: one solution (off only by the lean), above: two.
    double q[JV] = {0, 0.3, -0.7, 1.1, 0.4, -0.2, 0.9, 0.5, -1.3};
    forwardKinematics(*s, q);
    for (double sin2 : {0.5e-7, 2e-7}) {
        const double d = std::asin(std::sqrt(sin2));
        const Mat3 Ry{{std::cos(d), 0, std::sin(d), 0, 1, 0, -std::sin(d), 0, std::cos(d)}};
        Mat3 EwG;
        mulMat3(s->EA[N - 2], Ry, EwG);
        double sols[2][JV];
        EXPECT_EQ(wristOrientSolve(*s, q, s->EwH, EwG, sols), sin2 < 1e-7 ? 1 : 2);
        EXPECT_LE(orientError(*s, sols[0], EwG), sin2 < 1e-7 ? 1e-6 : kFrameTol);
    }
}

TEST(WristOrient, TiltedWristHasNoSolutionInsideItsCone) {
    // Joint N's axis stays 60 degrees off joint N-2's: goals inside that cone are out of reach.
    auto s = makeSceneWithRobot(2, 1);
    const int N = s->N;
    const double tilt = 60 * M_PI / 180;
    tiltLastWristAxis(*s, tilt);
    std::mt19937 rng(43);
    int none = 0, two = 0;
    for (int t = 0; t < 600; ++t) {
        double q[JV], sols[2][JV], qn[JV];
        randomPose(rng, *s, q);
        forwardKinematics(*s, q);
        const Mat3 EwG = randomRotation(rng);
        Mat3 EwHT, Mt;
        transposeMat3(s->EwH, EwHT);
        mulMat3(EwG, EwHT, Mt);
        const double cosang = std::fabs(dotVec3(colMat3(s->EA[N - 2], 2), colMat3(Mt, 2)));
        std::fill(qn, qn + JV, -7.0);
        const int n = wristOrientSolve(*s, q, s->EwH, EwG, sols);
        if (cosang > std::cos(tilt) + 1e-9) {
            EXPECT_EQ(n, 0);
            EXPECT_EQ(wristOrientNearest(*s, q, s->EwH, EwG, qn), 0);
            EXPECT_EQ(qn[1], -7);  // left unchanged
            ++none;
        } else if (cosang < std::cos(tilt) - 1e-9) {
            EXPECT_EQ(n, 2);
            for (int k = 0; k < n; ++k) EXPECT_LE(orientError(*s, sols[k], EwG), kFrameTol);
            ++two;
        }
    }
    EXPECT_GT(none, 30);
    EXPECT_GT(two, 30);
    // solvePosOrient toward such a goal: nothing found, silently, and the start comes back.
    double q[JV];
    randomPose(rng, *s, q);
    forwardKinematics(*s, q);
    const Mat3 EwT = s->EA[N - 2];  // EwH is the identity
    Vec3 rwT;
    for (int r = 0; r < 3; ++r) rwT[r] = s->J[N - 1][r] + s->L[s->Nw] * EwT(r, 2);
    expectSilentFailure(*s, q, rwT, EwT, "approach inside the cone");
}

TEST(SolvePosOrient, FromThePoseItselfFromPerturbedStartsAndOutOfReach) {
    // Starts at the pose, with every joint moved (the goal may leave the reach of I, J, K), or
    // only I, J, K and the wrist (always solvable): the 'R' wrist lands in one round.
    std::mt19937 rng(53);
    std::uniform_real_distribution<double> pert(-0.3, 0.3);
    forEachRobot([&](Scene& s, const std::string& robot) {
        const int N = s.N, I = s.Iinv, J = s.Jinv, K = s.Kinv;
        int reachTried = 0, reachSolved = 0, maxRounds = 0;
        for (int t = 0; t < 240; ++t) {
            double q[JV], q0[JV], qout[JV];
            randomPose(rng, s, q);
            forwardKinematics(s, q);
            const Vec3 rwT = s.rw;
            const Mat3 EwT = s.Ew;
            std::memcpy(q0, q, sizeof q);
            const int kind = t % 3;  // 0: the pose, 1: all joints moved, 2: I, J, K and wrist moved
            for (int i = 1; i <= N && kind; ++i)
                if (kind == 1 || i == I || i == J || i == K || i >= N - 2) q0[i] += pert(rng);
            const int ok = solvePosOrient(s, q0, I, J, K, rwT, EwT, qout);
            if (kind == 0) {
                ASSERT_EQ(ok, 1) << robot;
                EXPECT_EQ(s.cntPosOrient, 1);
                for (int i = 1; i <= N; ++i) EXPECT_NEAR(wrapped(qout[i] - q[i]), 0, 1e-6) << robot << " " << i;
            }
            reachTried += kind == 2;
            reachSolved += kind == 2 && ok;
            if (ok) maxRounds = std::max(maxRounds, s.cntPosOrient);
            expectGoalOrStart(s, ok, qout, q0, rwT, EwT);
        }
        EXPECT_EQ(reachSolved, reachTried) << robot;
        EXPECT_EQ(maxRounds, 1) << robot;
        double q0[JV] = {};
        for (int i = 1; i <= N; ++i) q0[i] = 0.1 * i;
        expectSilentFailure(s, q0, Vec3{{30, 0, 1}}, s.EwG, robot);
    });
}

TEST(SolvePosOrient, DampedRoundsAndNoConvergenceWithAnotherWristType) {
    // A wrist other than 'R' places the work point itself and damps jumps: several rounds; goals
    // with a far orientation often never settle, and after 201 rounds the run prints its line.
    std::mt19937 rng(57);
    std::uniform_real_distribution<double> pert(-0.3, 0.3), far(-0.5, 0.5);
    auto s = makeSceneWithRobot(1, 1);
    s->WristType = 'S';
    int multiRound = 0, unsettled = 0;
    for (int t = 0; t < 300; ++t) {
        double q[JV], q0[JV], qo[JV], qout[JV];
        randomPose(rng, *s, q);
        std::memcpy(q0, q, sizeof q);
        std::memcpy(qo, q, sizeof q);
        for (int i = 1; i <= s->N; ++i) (t % 2 ? qo[i] += far(rng) : q0[i] += pert(rng));
        forwardKinematics(*s, qo);
        const Mat3 EwT = s->Ew;
        forwardKinematics(*s, q);
        const Vec3 rwT = s->rw;
        TraceCapture cap(*s);
        const int ok = solvePosOrient(*s, q0, s->Iinv, s->Jinv, s->Kinv, rwT, EwT, qout);
        expectGoalOrStart(*s, ok, qout, q0, rwT, EwT);
        multiRound += ok && s->cntPosOrient > 1;
        unsettled += !ok && s->cntPosOrient == 201;
        EXPECT_EQ(cap.text(), !ok && s->cntPosOrient == 201 ? "\n繰り返し回数cnt=201>200を超えた．解なし" : "");
    }
    EXPECT_GT(multiRound, 0);
    EXPECT_GT(unsettled, 0);
}
