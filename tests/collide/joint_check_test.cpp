// Interference of one joint: the boundaries of the wall, floor and self rules, the direction
// probes, and the repair by small turns of the joints before it.
#include <functional>

#include "collide/collide_test_util.h"
#include "collide/interference.h"

using namespace ct;

namespace {

struct Check {
    int code, K, t1, t2;
    double bw, bf, bs;
    Vec3 P1, P2;
};

Check check(Scene& s, char side, int M, const double* q, WorkFloor wf = WorkFloor::Judged) {
    Check c{};
    c.code = JntMCollCheck(s, side, M, q, wf, c.bw, c.bf, c.bs, c.K, c.P1, c.P2, c.t1, c.t2);
    return c;
}

// The three clearances reported by a call against the wanted ones, each named when it breaks.
void expectClearances(double bw, double bf, double bs, const Check& want, const std::string& ctx = "") {
    EXPECT_EQ(bw, want.bw) << ctx << " bw";
    EXPECT_EQ(bf, want.bf) << ctx << " bf";
    EXPECT_EQ(bs, want.bs) << ctx << " bs";
}

bool wallBit(int code) { return code == -1 || code == -4 || code == -5 || code == -7; }
bool selfBit(int code) { return code == -3 || code == -5 || code == -6 || code == -7; }

// Each value finite; a failure names its place in the list.
void expectFinite(std::initializer_list<double> values, const char* names) {
    int k = 0;
    for (double v : values) EXPECT_TRUE(std::isfinite(v)) << names << ": value " << k++;
}

// Searches random poses (within the joint limits) for one that satisfies pred.
bool findPose(std::mt19937& rng, Scene& s, double* q, const std::function<bool()>& pred, int tries = 200000) {
    for (int n = 0; n < tries; ++n)
        if (randomPose(rng, s, q), forwardKinematics(s, q), pred()) return true;
    return false;
}

// A pose whose joints before M all lie at least 0.3 before joint M in y, the later joints (with a
// link) at least 0.3 beyond it, joint M well above the floor and the arm clear of itself.
bool reachingPose(Scene& s, std::mt19937& rng, int M, double* q) {
    placeWall(s, 0, 100);
    return findPose(rng, s, q, [&] {
        if (s.J[M][2] < 0.5) return false;
        for (int k = 1; k < M; ++k)
            if (s.J[k][1] > s.J[M][1] - 0.3) return false;
        for (int k = M + 1; k <= s.Nw; ++k)
            if (s.J[k][1] < s.J[M][1] + 0.3 && s.L[k] > 0) return false;
        return check(s, 'I', M, q).code == 0;
    });
}

}  // namespace

TEST(JntMCollCheck, CrossingLinksInterfereAt0p2AndNotAt0p22) {
    // Robot F22: link 6 can pass link 4; robot F31: link 4 can pass link 2. From a pose where link
    // M passes one lower link Kc closely (interior to interior) and every other far, joint M-1
    // turns link M until their independent distance is the gap.
    std::mt19937 rng(21);
    int tested = 0;
    for (auto rm : {std::pair<int, int>{22, 6}, {31, 4}}) {
        auto s = makeSceneWithRobot(rm.first / 10, rm.first % 10);
        placeWall(*s, 0, 100);
        const int M = rm.second, I = M - 1;
        for (int attempt = 0, here = 0; attempt < 20 && here < 2; ++attempt) {
            double q[JV], qt[JV];
            int Kc = 0;
            ASSERT_TRUE(findPose(rng, *s, q, [&] {
                const Check c = check(*s, 'I', M, q);
                Kc = c.K;
                if (s->J[M][2] < 0.5 || c.t1 || c.t2 || c.bs < -0.09 || c.bs > 0.19) return false;
                for (int K = 1; K <= M - 2; ++K)
                    if (K != Kc && linkDist(*s, M, K) < 0.4) return false;
                return true;
            }));
            for (double gap : {0.2, 0.22}) {
                std::memcpy(qt, q, sizeof qt);
                auto f = [&](double x) { return qt[I] = x, forwardKinematics(*s, qt), linkDist(*s, M, Kc) - gap; };
                const double f0 = f(q[I]);
                double lo = q[I], hi = q[I];
                for (double step = 0.002; step < 0.5 && hi == lo; step *= 1.5)
                    for (double sg : {-1.0, 1.0})
                        if (hi == lo && f(q[I] + sg * step) * f0 < 0) hi = q[I] + sg * step;
                for (int i = 0; i < 60 && hi != lo; ++i) (f((lo + hi) / 2) * f0 > 0 ? lo : hi) = (lo + hi) / 2;
                f((lo + hi) / 2);
                s->rColl = V(-7, -7, -7);
                const Check c = check(*s, 'I', M, qt);
                bool alone = hi != lo && s->J[M][2] >= 0.3 && c.t1 == 0 && c.t2 == 0;
                for (int K = 1; K <= M - 2; ++K) alone = alone && (K == Kc || linkDist(*s, M, K) >= 0.3);
                if (!alone) continue;
                ++tested, ++here;
                EXPECT_EQ(c.K, Kc) << gap;
                EXPECT_EQ(c.code, (gap < 0.21 ? -3 : 0)) << gap;
                EXPECT_NEAR(dist(c.P1, c.P2), gap, 1e-9);
                EXPECT_NEAR(c.bs, gap - 0.21, 1e-9);
                // The self interference point is written only when there is one.
                EXPECT_NEAR(dist(s->rColl, gap < 0.21 ? mul(0.5, add(c.P1, c.P2)) : V(-7, -7, -7)), 0, 1e-12);
            }
        }
    }
    EXPECT_GE(tested, 4);
}

TEST(JntMCollCheck, WallRulesOnAndOffTheSlitPlane) {
    auto s = makeScene();
    std::mt19937 rng(22);
    int Mp, Mw, inWall[JV];
    for (int M : {4, 5}) {  // (joints 7 and 8 of this robot sit on joint 6)
        double q[JV];
        ASSERT_TRUE(reachingPose(*s, rng, M, q));
        const Vec3 JM = s->J[M];
        // Joint M on the mid plane of the wall: clear only within 0.01 of the slit plane.
        for (char side : {'I', 'O'})
            for (double off : {0.0, 0.005, 0.0099, -0.0099, 0.0101, -0.0101, 0.02, -0.02}) {
                placeWall(*s, JM[0] + off, JM[1]);
                const Check c = check(*s, side, M, q);
                EXPECT_EQ(c.code, std::fabs(off) > 0.01 ? -1 : 0) << "M=" << M << " side " << side << " off " << off;
                EXPECT_NEAR(c.bw, JM[1] - (side == 'O' ? s->rhy2M : s->rhy1M), 1e-12);
            }
        // Joint M the last before the near face inside the margin ('I'), or the first beyond the
        // far face ('O'): the same tolerance. Clear of the margin no verdict wherever the slit is.
        placeWall(*s, JM[0] + 0.02, JM[1] + 0.25);
        classifyJointsByWall(*s, q, &Mp, inWall, &Mw);
        ASSERT_EQ(Mp, M);
        EXPECT_EQ(check(*s, 'I', M, q).code, -1);
        placeWall(*s, JM[0] + 0.005, JM[1] + 0.25);
        EXPECT_EQ(check(*s, 'I', M, q).code, 0);
        placeWall(*s, JM[0] + 1.0, JM[1] + 0.4);
        EXPECT_EQ(check(*s, 'I', M, q).code, 0);
        placeWall(*s, JM[0] + 0.02, JM[1] - 0.25);
        classifyJointsByWall(*s, q, &Mp, inWall, &Mw);
        ASSERT_EQ(Mw, M);
        // The next joint (past a joint turning about its link) decides when it is on the slit.
        const int M1 = s->JRTYPE[M + 1] == 'R' ? M + 2 : M + 1;
        const Vec3 JN = s->J[M1];
        if (std::fabs(JN[0] - JM[0] - 0.02) > 0.01) { EXPECT_EQ(check(*s, 'O', M, q).code, -1); }
        placeWall(*s, JM[0] + 0.005, JM[1] - 0.25);
        EXPECT_EQ(check(*s, 'O', M, q).code, 0);
        // Joint M beyond the mid plane, inside the far margin, off the slit plane, with the next
        // joint on the slit plane: the arm continues along the slit, clear.
        if (M != 5) continue;
        ASSERT_GT(std::fabs(JN[0] - JM[0]), 0.05);
        placeWall(*s, JN[0], JM[1] - 0.1);
        EXPECT_FALSE(wallBit(check(*s, 'O', M, q).code));
        placeWall(*s, JN[0] + 0.001, JM[1] - 0.1);
        EXPECT_TRUE(wallBit(check(*s, 'O', M, q).code));
    }
    // The self check of the far side starts at the first joint beyond the wall: joint 6 first
    // beyond the far face has no earlier link far enough to test.
    double q[JV];
    ASSERT_TRUE(reachingPose(*s, rng, 6, q));
    placeWall(*s, s->J[6][0], s->J[6][1] - 0.25);
    EXPECT_EQ(check(*s, 'O', 6, q).bs, 8.0);
    EXPECT_LT(check(*s, 'I', 6, q).bs, 8.0);
}

TEST(JntMCollCheck, FloorRulesForBaseJointsAndTheWorkPoint) {
    auto s = makeSceneWithRobot(2, 1);
    placeWall(*s, 0, 100);
    std::mt19937 rng(24);
    double q[JV];
    // Joint 1 of this robot sits on the floor: never a floor verdict for joints 0 and 1.
    randomPose(rng, *s, q);
    for (int M : {0, 1}) {
        EXPECT_LT(check(*s, 'I', M, q).bf, 0) << M;
        EXPECT_EQ(check(*s, 'I', M, q).code, 0) << M;
    }
    // The work point below its margin: judged only when the caller says so; any other joint at once.
    const int Nw = s->Nw;
    ASSERT_TRUE(findPose(rng, *s, q, [&] { return s->J[Nw][2] > 0.02 && s->J[Nw][2] < 0.18 && !check(*s, 'I', Nw, q, WorkFloor::Exempt).code; }));
    const double z = s->J[Nw][2];
    for (WorkFloor wf : {WorkFloor::Exempt, WorkFloor::Judged}) {
        const Check c = check(*s, 'I', Nw, q, wf);
        EXPECT_NEAR(c.bf, z - MarginW, 1e-12);
        EXPECT_EQ(c.code, wf == WorkFloor::Judged ? -2 : 0);
    }
    ASSERT_TRUE(findPose(rng, *s, q, [&] { return s->J[5][2] > 0.05 && s->J[5][2] < 0.14 && !selfBit(check(*s, 'I', 5, q, WorkFloor::Exempt).code); }));
    EXPECT_EQ(check(*s, 'I', 5, q, WorkFloor::Exempt).code, -2);
}

TEST(JntMCollCheck, JointLimitsAndTheFirstJointOfTypeR) {
    auto r = makeSceneWithRobot(2, 1);  // first joint 'R'
    auto p = makeSceneWithRobot(3, 1);  // first joint 'P'
    auto s = makeSceneWithRobot(3, 2);  // PQP-QP-RPR
    for (Scene* x : {r.get(), p.get(), s.get()}) placeWall(*x, 0, 100);
    double q[JV] = {}, d, bw, bf, bs;
    int K, t1, t2;
    Vec3 P1, P2;
    q[1] = 3.0;  // beyond 165 degrees
    EXPECT_FALSE(selfBit(check(*r, 'I', 1, q).code));
    const Check cp = check(*p, 'I', 1, q);
    EXPECT_EQ(cp.code, -3);
    EXPECT_EQ(cp.t1, 1);
    EXPECT_EQ(cp.t2, 1);
    // Joint limits: joints up to N-3 at 165 degrees, joint N-1 at 135 degrees.
    const int N = s->N;
    for (int M : {2, 3, N - 1})
        for (double off : {-0.01, 0.01}) {
            double qq[JV] = {};
            qq[M] = -((M == N - 1 ? s->qLimitWrist : s->qLimit) + off);
            EXPECT_EQ(selfBit(check(*s, 'I', M, qq).code), off > 0) << "M=" << M << " off " << off;
        }
    // A robot turning about its first link: joint 3 folding link 4 back over link 3 beyond the
    // limit interferes at once, inside it the link distances judge; for joint 2 only the bend of
    // links 2 and 3 counts.
    for (double bend : {2.85, 2.95}) {
        double qq[JV] = {};
        qq[3] = bend;
        const Check c = check(*r, 'I', 4, qq);
        forwardKinematics(*r, qq);
        if (bend > r->qLimit) {
            EXPECT_EQ(c.code, -3);
            EXPECT_EQ(c.bs, 0.0);
            EXPECT_EQ(c.K, 1);
        } else {
            EXPECT_NEAR(c.bs, std::fmin(linkDist(*r, 4, 1), linkDist(*r, 4, 2)) - 0.21, 1e-6);
        }
        qq[3] = 0, qq[2] = bend;
        EXPECT_EQ(SelfCollCheck(*r, 1, 2, qq, d, bs, K, P1, P2, t1, t2), bend > r->qLimit ? -3 : 0);
        EXPECT_EQ(bs, 9.0);
        EXPECT_EQ(K, 1);
    }
    // ... which JntMCollAvoid leaves to the link check: joint 2 is clear as it stands.
    double qo[JV];
    bool stepped = true;
    EXPECT_EQ(JntMCollAvoid(*r, 'I', 2, q, WorkFloor::Judged, bw, bf, bs, qo, stepped), 1);
    expectClearances(bw, bf, bs, Check{0, 0, 0, 0, 1.0, 1.0, 1.0, {}, {}});
    EXPECT_EQ(std::memcmp(q, qo, sizeof q), 0);
    EXPECT_FALSE(stepped);
    // Non-finite joint values are never clear; joints outside the arm are not judged.
    q[3] = NAN;
    const Check c = check(*r, 'I', 5, q);
    EXPECT_EQ(c.code, -7);
    expectFinite({c.bw, c.bf, c.bs}, "bw bf bs");
    EXPECT_EQ(JntMCollAvoid(*r, 'I', 5, q, WorkFloor::Judged, bw, bf, bs, qo, stepped), -7);
    EXPECT_FALSE(stepped);
    EXPECT_EQ(SelfCollCheck(*r, 1, 5, q, d, bs, K, P1, P2, t1, t2), -3);
    expectFinite({d, bs, P1[0]}, "d bs P1");
    const double zero[JV] = {};
    for (int M : {-1, r->Nw + 1, JV + 5}) EXPECT_EQ(check(*r, 'O', M, zero).code, 0);
}

TEST(DirectionProbes, ChosenTurnMovesTheJointOrTheLinksTheRightWay) {
    std::mt19937 rng(26);
    int chosen = 0;
    for (int lower = 1; lower <= 4; ++lower) {
        auto s = makeSceneWithRobot(lower, 1 + lower % 2);
        for (int n = 0; n < 100; ++n) {
            double q[JV], y[3], z[3];  // joint M at q[I], q[I] + 0.05, q[I] - 0.05
            randomPose(rng, *s, q);
            const int M = 2 + static_cast<int>(rng() % (s->Nw - 1)), I = 1 + static_cast<int>(rng() % (M - 1));
            for (int k = 0; k < 3; ++k) {
                const Vec3 J = jointAt(*s, q, I, q[I] + (k == 0 ? 0 : k == 1 ? 0.05 : -0.05), M);
                y[k] = J[1], z[k] = J[2];
            }
            // A chosen direction moves the joint the wanted way; none is chosen only at an
            // extremum that neither way improves. The probes leave the pose of q in the Scene.
            const int o = WCollDirO(*s, I, M, q), i = WCollDirI(*s, I, M, q), f = FCollDir(*s, I, M, q);
            EXPECT_TRUE(o ? y[o > 0 ? 1 : 2] > y[0] : (y[0] >= y[1] || y[0] >= y[2]));
            EXPECT_TRUE(i ? y[i > 0 ? 1 : 2] < y[0] : (y[0] <= y[1] || y[0] <= y[2]));
            EXPECT_TRUE(f ? z[f > 0 ? 1 : 2] > z[0] : (z[0] >= z[1] || z[0] >= z[2]));
            const Vec3 left = s->J[M];
            EXPECT_EQ(dist(jointAt(*s, q, I, q[I], M), left), 0.0);
            if (lower != 2) continue;
            // Links apart: SCollDir against the independent distance of links 5 and K (F21).
            const int K = 1 + static_cast<int>(rng() % 3), J = K + static_cast<int>(rng() % (6 - K));
            auto d = [&](double dq) { return jointAt(*s, q, J, q[J] + dq, 5), linkDist(*s, 5, K); };
            const double fwd = d(0.05), back = d(-0.05);
            const int r = SCollDir(*s, J, 5, K, q);
            if (J == 4 && s->JRTYPE[J] == 'R') {
                EXPECT_EQ(r, 0);
            } else if (std::fabs(fwd - back) > 1e-7) {
                EXPECT_EQ(r, fwd > back ? 1 : -1) << "I=" << J << " K=" << K;
                ++chosen;
            }
        }
        // Joints outside the two links and adjacent links give no direction.
        double q[JV] = {};
        EXPECT_EQ(SCollDir(*s, 6, 5, 2, q), 0);
        EXPECT_EQ(SCollDir(*s, 3, 4, 3, q), 0);
    }
    EXPECT_GT(chosen, 30);
}

TEST(JntMCollAvoid, RepairsOrLeavesThePoseUnchanged) {
    std::mt19937 rng(28);
    int repaired = 0, failed = 0, clear = 0;
    for (int robot : {11, 12, 21, 22, 31, 32, 41, 42}) {
        auto s = makeSceneWithRobot(robot / 10, robot % 10);
        int interfering = 0;
        for (int n = 0; n < 4000 && interfering < 40; ++n) {
            double q[JV], qo[JV], qq[JV], bw, bf, bs;
            randomPose(rng, *s, q, 0.9);
            int M = 2 + static_cast<int>(rng() % (s->Nw - 1));
            if (M == 2 && s->JRTYPE[1] == 'R') M = 3;
            const char side = (rng() % 2) ? 'O' : 'I';
            // A wall near the joint, often across it.
            forwardKinematics(*s, q);
            placeWall(*s, s->J[M][0] + uniform(rng, -0.3, 0.3), s->J[M][1] + uniform(rng, -0.5, 0.5));
            const WorkFloor wf = (rng() % 2) ? WorkFloor::Judged : WorkFloor::Exempt;
            const Check c0 = check(*s, side, M, q, wf);
            if (c0.code == 0 && clear >= 20) continue;
            interfering += c0.code != 0;
            bool stepped = false;
            const int r = JntMCollAvoid(*s, side, M, q, wf, bw, bf, bs, qo, stepped);
            const std::string ctx = "robot " + std::to_string(robot) + " M=" + std::to_string(M) + " " + side;
            if (c0.code == 0) {
                ++clear;  // a clear pose comes back as it is
                EXPECT_EQ(r, 1) << ctx;
                EXPECT_EQ(std::memcmp(q, qo, sizeof q), 0) << ctx;
            } else if (r == 1) {
                ++repaired;
                const Check c1 = check(*s, side, M, qo, wf);
                EXPECT_EQ(c1.code, 0) << ctx;
                expectClearances(bw, bf, bs, c1, ctx);
                for (int i = M; i <= s->N; ++i) EXPECT_EQ(qo[i], q[i]) << ctx << " only joints before M move";
            } else {
                ++failed;
                EXPECT_LT(r, 0) << ctx;
                EXPECT_EQ(std::memcmp(q, qo, sizeof q), 0) << ctx;
                expectClearances(bw, bf, bs, c0, ctx);
            }
            // Also when the output is the input itself.
            std::memcpy(qq, q, sizeof qq);
            EXPECT_EQ(JntMCollAvoid(*s, side, M, qq, wf, bw, bf, bs, qq, stepped), r);
            EXPECT_EQ(std::memcmp(qq, qo, sizeof qq), 0) << ctx;
        }
        EXPECT_GE(interfering, 40) << "robot " << robot;
    }
    EXPECT_GT(repaired, 50);
    EXPECT_GT(failed, 20);
}

TEST(JntMCollAvoid, GivesUpAtOnceWhenWallAndFloorDisagreeOnItsOnlyJoint) {
    // F21: joint 4 is turned by joint 3 alone (joint 2 before it does not turn about its link).
    auto s = makeScene();
    std::mt19937 rng(30);
    const int M = 4, I = 3;
    ASSERT_NE(s->JRTYPE[I - 1], 'R');
    int tested = 0;
    for (int n = 0; n < 400000 && tested < 5; ++n) {
        double q[JV], qo[JV], bw, bf, bs;
        randomPose(rng, *s, q);
        forwardKinematics(*s, q);
        if (!(s->J[M][2] > 0.01 && s->J[M][2] < 0.14)) continue;
        // The joint in the wall band, off the slit plane.
        placeWall(*s, s->J[M][0] + 0.5, s->J[M][1]);
        const Check c = check(*s, 'I', M, q);
        if (c.code != -4) continue;
        // Lowering y and raising z need opposite turns of joint I (independent differences).
        const Vec3 J0 = jointAt(*s, q, I, q[I], M), Jp = jointAt(*s, q, I, q[I] + 0.05, M), Jm = jointAt(*s, q, I, q[I] - 0.05, M);
        const bool monotone = (Jp[1] - J0[1]) * (J0[1] - Jm[1]) > 0 && (Jp[2] - J0[2]) * (J0[2] - Jm[2]) > 0;
        if (!monotone || !((Jp[1] - Jm[1]) * (Jp[2] - Jm[2]) > 0)) continue;
        ++tested;
        bool stepped = true;
        EXPECT_EQ(JntMCollAvoid(*s, 'I', M, q, WorkFloor::Judged, bw, bf, bs, qo, stepped), -4);
        EXPECT_EQ(std::memcmp(q, qo, sizeof q), 0);
        EXPECT_FALSE(stepped);
        EXPECT_EQ(bw, c.bw);
        EXPECT_EQ(bf, c.bf);
    }
    EXPECT_GE(tested, 5);
}

TEST(SelfCollCheck, ClearanceIsTheLeastOverEveryLowerLink) {
    // Links 3..N-3 keep 0.21 from every link below their neighbour, the lowest one included: the
    // check's clearance is the least independent distance to links 1..M-2, less 0.21. (Robots
    // whose first joint is 'P', so that no bend rule decides first.)
    std::mt19937 rng(32);
    for (int robot : {31, 32, 41, 42}) {
        auto s = makeSceneWithRobot(robot / 10, robot % 10);
        for (int n = 0; n < 200; ++n) {
            double q[JV], d, bs;
            int K, t1, t2;
            Vec3 P1, P2;
            randomPose(rng, *s, q);
            const int M = 3 + static_cast<int>(rng() % (s->N - 5));
            if (s->L[M] < 0.001) continue;
            SelfCollCheck(*s, 1, M, q, d, bs, K, P1, P2, t1, t2);
            double least = 1e9;
            for (int k = 1; k <= M - 2; ++k) least = std::fmin(least, linkDist(*s, M, k));
            EXPECT_NEAR(bs, least - 0.21, 1e-6) << "F" << robot << " M=" << M;
        }
    }
}
