// Interference of one joint: the boundaries of the wall, floor and self rules, the direction
// probes, and the repair by small turns of the joints before it.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "collide/collide_test_util.h"
#include "collide/interference.h"
#include "model/joints.h"

using namespace ct;

namespace {

struct Check {
    int code;
    double bw, bf, bs;
    int K;
    Vec3 P1, P2;
    int t1, t2;
};

Check check(Scene& s, char side, int M, const double* q) {
    Check c{};
    c.code = JntMCollCheck(s, side, M, q, c.bw, c.bf, c.bs, c.K, c.P1, c.P2, c.t1, c.t2);
    return c;
}

bool wallBit(int code) { return code == -1 || code == -4 || code == -5 || code == -7; }
bool floorBit(int code) { return code == -2 || code == -4 || code == -6 || code == -7; }
bool selfBit(int code) { return code == -3 || code == -5 || code == -6 || code == -7; }

// Searches random poses (within the joint limits) for one that satisfies pred.
bool findPose(std::mt19937& rng, Scene& s, double* q, const std::function<bool(const double*)>& pred,
              int tries = 200000) {
    for (int n = 0; n < tries; ++n) {
        randomPose(rng, s, q);
        forwardKinematics(s, q);
        if (pred(q)) return true;
    }
    return false;
}

// Independent distance of links M and K of the current pose.
double linkDist(const Scene& s, int M, int K) {
    return segDistRef(s.J[M - 1], s.mm[M], s.L[M], s.J[K - 1], s.mm[K], s.L[K]);
}

}  // namespace

TEST(JntMCollCheck, CrossingLinksInterfereAt0p2AndNotAt0p22) {
    // Robot F22: link 6 can pass link 4; robot F31: link 4 can pass link 2.
    struct Case {
        int lower, upper, M;
    };
    std::mt19937 rng(21);
    int tested = 0;
    for (Case cs : {Case{2, 2, 6}, Case{3, 1, 4}}) {
        auto s = makeSceneWithRobot(cs.lower, cs.upper);
        placeWall(*s, 0, 100);
        const int M = cs.M, I = M - 1;  // joint M-1 bends link M against the lower links
        int testedHere = 0;
        for (int attempt = 0; attempt < 40 && testedHere < 3; ++attempt) {
            double q[JV];
            int Kc = 0;
            // Link M passes close to the interior of one lower link, every other pair well apart
            // (screened by the fast distance, confirmed below by the independent one).
            bool ok = findPose(rng, *s, q, [&](const double*) {
                if (s->J[M][2] < 0.5) return false;
                Kc = 0;
                for (int K = 1; K <= M - 2; ++K) {
                    double d, c;
                    Vec3 P1, P2;
                    int t1, t2;
                    SegSegDist(*s, M, s->J[M - 1], s->mm[M], K, s->J[K - 1], s->mm[K], d, c, P1, P2, t1, t2);
                    if (d < 0.4) {
                        if (Kc != 0 || d < 0.12 || t1 != 0 || t2 != 0) return false;
                        Kc = K;
                    }
                }
                return Kc != 0;
            });
            ASSERT_TRUE(ok);
            for (double gap : {0.2, 0.22}) {
                // Bring the distance to the gap exactly by turning joint I (bisection on the
                // independent distance).
                double qt[JV];
                std::memcpy(qt, q, sizeof qt);
                auto f = [&](double x) {
                    qt[I] = x;
                    forwardKinematics(*s, qt);
                    return linkDist(*s, M, Kc) - gap;
                };
                double lo = q[I], hi = q[I];
                const double f0 = f(q[I]);
                bool bracket = false;
                for (double step = 0.002; step < 0.5 && !bracket; step *= 1.5) {
                    for (double sg : {-1.0, 1.0}) {
                        if (f(q[I] + sg * step) * f0 < 0) {
                            hi = q[I] + sg * step;
                            bracket = true;
                            break;
                        }
                    }
                }
                if (!bracket) continue;
                for (int i = 0; i < 60; ++i) {
                    double m = (lo + hi) / 2;
                    if (f(m) * f0 > 0)
                        lo = m;
                    else
                        hi = m;
                }
                qt[I] = (lo + hi) / 2;
                forwardKinematics(*s, qt);
                // Only a pose where the closest points are interior to both links and all other
                // links stay far is the case named.
                bool others = true;
                for (int K = 1; K <= M - 2; ++K)
                    if (K != Kc && linkDist(*s, M, K) < 0.3) others = false;
                if (!others || s->J[M][2] < 0.3) continue;
                s->rColl = V(-7, -7, -7);
                Check c = check(*s, 'I', M, qt);
                if (c.t1 != 0 || c.t2 != 0) continue;
                ++tested;
                ++testedHere;
                EXPECT_EQ(c.K, Kc);
                EXPECT_NEAR(dist(c.P1, c.P2), gap, 1e-9);
                EXPECT_NEAR(c.bs, gap - 0.21, 1e-9);
                if (gap < 0.21) {
                    EXPECT_EQ(c.code, -3);
                    EXPECT_NEAR(dist(s->rColl, mul(0.5, add(c.P1, c.P2))), 0, 1e-12);
                } else {
                    EXPECT_EQ(c.code, 0);
                    EXPECT_EQ(s->rColl[0], -7);  // untouched without self interference
                }
            }
        }
    }
    EXPECT_GE(tested, 6);
}

namespace {

// A pose of F21 whose joints before M all lie at least 0.3 before joint M in y, joint M well
// above the floor and the arm clear of itself.
bool reachingPose(Scene& s, std::mt19937& rng, int M, double* q) {
    placeWall(s, 0, 100);
    return findPose(rng, s, q, [&](const double* qq) {
        if (s.J[M][2] < 0.5) return false;
        for (int k = 1; k < M; ++k)
            if (s.J[k][1] > s.J[M][1] - 0.3) return false;
        for (int k = M + 1; k <= s.Nw; ++k)
            if (s.J[k][1] < s.J[M][1] + 0.3 && s.L[k] > 0) return false;
        Check c = check(s, 'I', M, qq);
        return c.code == 0;
    });
}

}  // namespace

TEST(JntMCollCheck, JointInsideTheWallIsClearOnlyOnTheSlitPlane) {
    auto s = makeScene();
    std::mt19937 rng(22);
    for (int M : {4, 5}) {  // (joints 7 and 8 of this robot sit on joint 6)
        double q[JV];
        ASSERT_TRUE(reachingPose(*s, rng, M, q));
        forwardKinematics(*s, q);
        const Vec3 JM = s->J[M];
        for (char side : {'I', 'O'}) {
            // Joint M on the mid plane of the wall, in the wall list.
            for (double off : {0.0, 0.005, 0.0099, -0.0099, 0.0101, -0.0101, 0.02, -0.02}) {
                placeWall(*s, JM[0] + off, JM[1]);
                Check c = check(*s, side, M, q);
                const bool expectWall = std::fabs(off) > 0.01;
                EXPECT_EQ(wallBit(c.code), expectWall) << "M=" << M << " side " << side << " off " << off;
                EXPECT_EQ(c.code, expectWall ? -1 : 0);
                EXPECT_NEAR(c.bw, side == 'O' ? JM[1] - s->rhy2M : JM[1] - s->rhy1M, 1e-12);
            }
        }
        // Side 'I': joint M is the last before the near face, inside the margin.
        placeWall(*s, JM[0] + 0.02, JM[1] + 0.2 + 0.05);
        {
            int Mp, Mw, inWall[JV];
            classifyJointsByWall(*s, q, &Mp, inWall, &Mw);
            ASSERT_EQ(Mp, M);
        }
        EXPECT_EQ(check(*s, 'I', M, q).code, -1);
        placeWall(*s, JM[0] + 0.005, JM[1] + 0.2 + 0.05);
        EXPECT_EQ(check(*s, 'I', M, q).code, 0);
        // Clear of the margin: no wall verdict wherever the slit is.
        placeWall(*s, JM[0] + 1.0, JM[1] + 0.2 + 0.2);
        EXPECT_EQ(check(*s, 'I', M, q).code, 0);
        // Side 'O': joint M is the first beyond the far face, inside the margin.
        placeWall(*s, JM[0] + 0.02, JM[1] - 0.2 - 0.05);
        {
            int Mp, Mw, inWall[JV];
            classifyJointsByWall(*s, q, &Mp, inWall, &Mw);
            ASSERT_EQ(Mw, M);
        }
        // The next joint (past a joint turning about its link) decides when it is on the slit.
        int M1 = M + 1;
        if (s->JRTYPE[M + 1] == 'R') M1 = M + 2;
        forwardKinematics(*s, q);
        if (std::fabs(s->J[M1][0] - s->J[M][0] - 0.02) > 0.01) {
            EXPECT_EQ(check(*s, 'O', M, q).code, -1);
        }
        placeWall(*s, JM[0] + 0.005, JM[1] - 0.2 - 0.05);
        EXPECT_EQ(check(*s, 'O', M, q).code, 0);
    }
}

TEST(JntMCollCheck, FarSideJointOnTheWayAlongTheSlitIsClear) {
    auto s = makeScene();
    std::mt19937 rng(23);
    const int M = 5;  // joint 6 follows (type 'R' in F21, so joint 7 decides)
    double q[JV];
    ASSERT_TRUE(reachingPose(*s, rng, M, q));
    forwardKinematics(*s, q);
    int M1 = M + 1;
    if (s->JRTYPE[M + 1] == 'R') M1 = M + 2;
    const Vec3 JM = s->J[M], JN = s->J[M1];
    ASSERT_GT(std::fabs(JN[0] - JM[0]), 0.05);
    // Joint M beyond the mid plane, inside the far margin and off the slit plane; the next joint
    // on the slit plane: the arm continues along the slit.
    placeWall(*s, JN[0], JM[1] - 0.1);
    EXPECT_EQ(wallBit(check(*s, 'O', M, q).code), false);
    placeWall(*s, JN[0] + 0.001, JM[1] - 0.1);
    EXPECT_EQ(wallBit(check(*s, 'O', M, q).code), true);
}

TEST(JntMCollCheck, FloorRulesForBaseJointsAndTheWorkPoint) {
    auto s = makeSceneWithRobot(2, 1);
    placeWall(*s, 0, 100);
    std::mt19937 rng(24);
    double q[JV];
    // Joint 1 of this robot sits on the floor: never a floor verdict for joints 0 and 1.
    randomPose(rng, *s, q);
    for (int M : {0, 1}) {
        Check c = check(*s, 'I', M, q);
        EXPECT_LT(c.bf, 0);
        EXPECT_FALSE(floorBit(c.code));
    }
    // The work point below its margin: judged only from B phase 2 on.
    ASSERT_TRUE(findPose(rng, *s, q, [&](const double* qq) {
        if (!(s->J[s->Nw][2] > 0.02 && s->J[s->Nw][2] < 0.18)) return false;
        return check(*s, 'I', s->Nw, qq).code == 0;
    }));
    for (int phase : {0, 1, 2, 3}) {
        s->sgnPATH = phase;
        Check c = check(*s, 'I', s->Nw, q);
        forwardKinematics(*s, q);
        EXPECT_NEAR(c.bf, s->J[s->Nw][2] - MarginW, 1e-12);
        EXPECT_EQ(c.code, phase >= 2 ? -2 : 0) << "phase " << phase;
    }
    // Any other joint: floor verdict at and below its margin, none above.
    s->sgnPATH = 0;
    ASSERT_TRUE(findPose(rng, *s, q, [&](const double* qq) {
        return s->J[5][2] > 0.05 && s->J[5][2] < 0.14 && !selfBit(check(*s, 'I', 5, qq).code);
    }));
    EXPECT_EQ(check(*s, 'I', 5, q).code, -2);
}

TEST(JntMCollCheck, JointLimitsAndTheFirstJointOfTypeR) {
    // F21: first joint 'R'; F31: first joint 'P'.
    auto r = makeSceneWithRobot(2, 1);
    auto p = makeSceneWithRobot(3, 1);
    for (Scene* s : {r.get(), p.get()}) placeWall(*s, 0, 100);
    double q[JV] = {};
    q[1] = 3.0;  // beyond 165 degrees
    Check cr = check(*r, 'I', 1, q), cp = check(*p, 'I', 1, q);
    EXPECT_FALSE(selfBit(cr.code));
    EXPECT_EQ(cp.code, -3);
    EXPECT_EQ(cp.t1, 1);
    EXPECT_EQ(cp.t2, 1);
    // Joint limits: joints up to N-3 at 165 degrees, joint N-1 at 135 degrees.
    auto s = makeSceneWithRobot(3, 2);  // PQP-QP-RPR
    placeWall(*s, 0, 100);
    const int N = s->N;
    for (int M : {2, 3, N - 1}) {
        const double lim = M == N - 1 ? s->qLimitWrist : s->qLimit;
        for (double off : {-0.01, 0.01}) {
            double qq[JV] = {};
            qq[M] = -(lim + off);
            Check c = check(*s, 'I', M, qq);
            EXPECT_EQ(selfBit(c.code), off > 0) << "M=" << M << " off " << off;
        }
    }
    // A robot turning about its first link: a bend beyond the limit between consecutive links.
    placeWall(*r, 0, 100);
    for (double bend : {2.85, 2.95}) {
        double qq[JV] = {};
        qq[3] = bend;  // joint 3 ('P') folds link 4 back over link 3
        Check c = check(*r, 'I', 4, qq);
        if (bend > r->qLimit) {
            EXPECT_EQ(c.code, -3);
            EXPECT_EQ(c.bs, 0.0);
            EXPECT_EQ(c.K, 1);
        } else {
            // Judged by the link distances: link 4 against links 1 and 2.
            forwardKinematics(*r, qq);
            double ref = std::fmin(linkDist(*r, 4, 1), linkDist(*r, 4, 2)) - 0.21;
            EXPECT_NEAR(c.bs, ref, 1e-6);
        }
    }
    // Joint 2 of such a robot: bend between links 2 and 3 only.
    for (double bend : {2.85, 2.95}) {
        double qq[JV] = {};
        qq[2] = bend;
        double d, bs;
        int K, t1, t2;
        Vec3 P1, P2;
        int res = SelfCollCheck(*r, 1, 2, qq, d, bs, K, P1, P2, t1, t2);
        EXPECT_EQ(res, bend > r->qLimit ? -3 : 0);
        EXPECT_EQ(bs, 9.0);
        EXPECT_EQ(K, 1);
    }
    double qa[JV] = {}, qo[JV];
    qa[2] = 2.95;
    double bw, bf, bs;
    EXPECT_EQ(JntMCollAvoid(*r, 'I', 2, qa, bw, bf, bs, qo), 1);
    EXPECT_EQ(bw, 1.0);
    EXPECT_EQ(bf, 1.0);
    EXPECT_EQ(bs, 1.0);
    EXPECT_EQ(std::memcmp(qa, qo, sizeof qa), 0);
}

TEST(JntMCollCheck, SelfCheckOfTheFarSideStartsAtTheFirstJointBeyondTheWall) {
    auto s = makeScene();
    std::mt19937 rng(25);
    double q[JV];
    const int M = 6;
    ASSERT_TRUE(reachingPose(*s, rng, M, q));
    forwardKinematics(*s, q);
    // Joint M is the first beyond the far face: no earlier link far enough to test.
    placeWall(*s, s->J[M][0], s->J[M][1] - 0.25);
    Check c = check(*s, 'O', M, q);
    EXPECT_EQ(c.bs, 8.0);
    EXPECT_EQ(c.code, 0);
    Check ci = check(*s, 'I', M, q);
    EXPECT_LT(ci.bs, 8.0);
}

TEST(JntMCollCheck, NonFiniteOrOutOfRangeInput) {
    auto s = makeScene();
    double q[JV] = {};
    q[3] = NAN;
    Check c = check(*s, 'I', 5, q);
    EXPECT_EQ(c.code, -7);
    EXPECT_TRUE(std::isfinite(c.bw) && std::isfinite(c.bf) && std::isfinite(c.bs));
    double qo[JV], bw, bf, bs;
    s->sgnMColl = 1;
    EXPECT_EQ(JntMCollAvoid(*s, 'I', 5, q, bw, bf, bs, qo), -7);
    EXPECT_EQ(s->sgnMColl, -7);
    double d, bss;
    int K, t1, t2;
    Vec3 P1, P2;
    EXPECT_EQ(SelfCollCheck(*s, 1, 5, q, d, bss, K, P1, P2, t1, t2), -3);
    EXPECT_TRUE(std::isfinite(d) && std::isfinite(bss) && std::isfinite(P1[0]));
    double z[JV] = {};
    for (int M : {-1, s->Nw + 1, JV + 5}) EXPECT_EQ(check(*s, 'O', M, z).code, 0);
}

TEST(DirectionProbes, ChosenTurnMovesTheJointTheRightWay) {
    std::mt19937 rng(26);
    for (int lower = 1; lower <= 4; ++lower) {
        auto s = makeSceneWithRobot(lower, 1 + lower % 2);
        double q[JV];
        for (int n = 0; n < 150; ++n) {
            randomPose(rng, *s, q);
            const int M = 2 + static_cast<int>(rng() % (s->Nw - 1));
            const int I = 1 + static_cast<int>(rng() % (M - 1));
            auto at = [&](double dq, int k) {
                double qq[JV];
                std::memcpy(qq, q, sizeof qq);
                qq[I] += dq;
                forwardKinematics(*s, qq);
                return s->J[M][k];
            };
            const double y0 = at(0, 1), yp = at(0.05, 1), ym = at(-0.05, 1);
            const double z0 = at(0, 2), zp = at(0.05, 2), zm = at(-0.05, 2);
            const int o = WCollDirO(*s, I, M, q), i = WCollDirI(*s, I, M, q), f = FCollDir(*s, I, M, q);
            // A chosen direction moves the joint the wanted way; none is chosen at an extremum
            // that neither way improves.
            if (o != 0) {
                EXPECT_GT(at(0.05 * o, 1), y0);
            } else {
                EXPECT_TRUE(y0 >= yp || y0 >= ym);
            }
            if (i != 0) {
                EXPECT_LT(at(0.05 * i, 1), y0);
            } else {
                EXPECT_TRUE(y0 <= yp || y0 <= ym);
            }
            if (f != 0) {
                EXPECT_GT(at(0.05 * f, 2), z0);
            } else {
                EXPECT_TRUE(z0 >= zp || z0 >= zm);
            }
            // The probes leave the pose of q in the Scene.
            WCollDirO(*s, I, M, q);
            double qq[JV];
            std::memcpy(qq, q, sizeof qq);
            const Vec3 Jm = s->J[M];
            forwardKinematics(*s, qq);
            EXPECT_EQ(dist(Jm, s->J[M]), 0.0);
        }
    }
}

TEST(DirectionProbes, SelfDirectionTurnsTheLinksApart) {
    auto s = makeScene();
    std::mt19937 rng(27);
    int chosen = 0;
    for (int n = 0; n < 400; ++n) {
        double q[JV];
        randomPose(rng, *s, q);
        const int M = 5, K = 1 + static_cast<int>(rng() % 3);  // links below the wrist, not adjacent
        const int I = K + static_cast<int>(rng() % (M - K + 1));
        auto d = [&](double dq) {
            double qq[JV];
            std::memcpy(qq, q, sizeof qq);
            qq[I] += dq;
            forwardKinematics(*s, qq);
            return linkDist(*s, M, K);
        };
        const double d0 = d(0), fwd = d(0.05) - d0, back = d(-0.05) - d0;
        const int r = SCollDir(*s, I, M, K, q);
        const bool skipped = (I == M - 1 && s->JRTYPE[I] == 'R');
        if (skipped) {
            EXPECT_EQ(r, 0);
            continue;
        }
        if (std::fabs(fwd - back) < 1e-7) continue;
        EXPECT_EQ(r, fwd > back ? 1 : -1) << "I=" << I << " K=" << K;
        ++chosen;
    }
    EXPECT_GT(chosen, 100);
    // Joints outside the two links and adjacent links give no direction.
    double q[JV] = {};
    EXPECT_EQ(SCollDir(*s, 6, 5, 2, q), 0);
    EXPECT_EQ(SCollDir(*s, 3, 4, 3, q), 0);
}

TEST(JntMCollAvoid, RepairsOrLeavesThePoseUnchanged) {
    std::mt19937 rng(28);
    int repaired = 0, failed = 0;
    for (int lower = 1; lower <= 4; ++lower) {
        for (int upper = 1; upper <= 2; ++upper) {
            auto s = makeSceneWithRobot(lower, upper);
            int interfering = 0;
            for (int n = 0; n < 4000 && interfering < 60; ++n) {
                double q[JV];
                randomPose(rng, *s, q, 0.9);
                int M = 2 + static_cast<int>(rng() % (s->Nw - 1));
                if (M == 2 && s->JRTYPE[1] == 'R') M = 3;
                const char side = (rng() % 2) ? 'O' : 'I';
                // A wall near the joint, often across it.
                forwardKinematics(*s, q);
                placeWall(*s, s->J[M][0] + uniform(rng, -0.3, 0.3), s->J[M][1] + uniform(rng, -0.5, 0.5));
                s->sgnPATH = static_cast<int>(rng() % 4);
                Check c0 = check(*s, side, M, q);
                if (c0.code == 0) continue;
                ++interfering;
                double qo[JV], bw, bf, bs;
                s->sgnMColl = 1;
                const int r = JntMCollAvoid(*s, side, M, q, bw, bf, bs, qo);
                if (r == 1) {
                    ++repaired;
                    Check c1 = check(*s, side, M, qo);
                    EXPECT_EQ(c1.code, 0) << "robot " << lower << upper << " M=" << M << " side " << side;
                    EXPECT_EQ(bw, c1.bw);
                    EXPECT_EQ(bf, c1.bf);
                    EXPECT_EQ(bs, c1.bs);
                    // Only the joints before M moved, and by whole steps.
                    for (int i = M; i <= s->N; ++i) EXPECT_EQ(qo[i], q[i]);
                } else {
                    ++failed;
                    EXPECT_LT(r, 0);
                    EXPECT_EQ(std::memcmp(q, qo, sizeof q), 0);
                    EXPECT_EQ(s->sgnMColl, r);
                    EXPECT_EQ(bw, c0.bw);
                    EXPECT_EQ(bf, c0.bf);
                    EXPECT_EQ(bs, c0.bs);
                }
                // Also when the output is the input itself.
                double qq[JV];
                std::memcpy(qq, q, sizeof qq);
                const int r2 = JntMCollAvoid(*s, side, M, qq, bw, bf, bs, qq);
                EXPECT_EQ(r2, r);
                if (r == 1) {
                    EXPECT_EQ(std::memcmp(qq, qo, sizeof qq), 0);
                }
            }
            EXPECT_GE(interfering, 60) << "robot " << lower << upper;
        }
    }
    EXPECT_GT(repaired, 50);
    EXPECT_GT(failed, 20);
}

TEST(JntMCollAvoid, ClearPoseComesBackAsIsOrClamped) {
    auto s = makeScene();
    std::mt19937 rng(29);
    double q[JV];
    const int M = 6;
    ASSERT_TRUE(reachingPose(*s, rng, M, q));
    double qo[JV], bw, bf, bs;
    EXPECT_EQ(JntMCollAvoid(*s, 'I', M, q, bw, bf, bs, qo), 1);
    EXPECT_EQ(std::memcmp(q, qo, sizeof q), 0);
    Check c = check(*s, 'I', M, q);
    EXPECT_EQ(bw, c.bw);
    EXPECT_EQ(bf, c.bf);
    EXPECT_EQ(bs, c.bs);
}

TEST(JntMCollAvoid, GivesUpAtOnceWhenWallAndFloorDisagreeOnItsOnlyJoint) {
    // F21: joint 4 is turned by joint 3 alone (joint 2 before it does not turn about its link).
    auto s = makeScene();
    std::mt19937 rng(30);
    const int M = 4, I = 3;
    ASSERT_NE(s->JRTYPE[I - 1], 'R');
    int tested = 0;
    for (int n = 0; n < 400000 && tested < 5; ++n) {
        double q[JV];
        randomPose(rng, *s, q);
        forwardKinematics(*s, q);
        const double z = s->J[M][2];
        if (!(z > 0.01 && z < 0.14)) continue;
        // The joint in the wall band, off the slit plane.
        placeWall(*s, s->J[M][0] + 0.5, s->J[M][1]);
        Check c = check(*s, 'I', M, q);
        if (c.code != -4) continue;
        // Lowering y and raising z need opposite turns of joint I (independent finite differences).
        auto at = [&](double dq, int k) {
            double qq[JV];
            std::memcpy(qq, q, sizeof qq);
            qq[I] += dq;
            forwardKinematics(*s, qq);
            return s->J[M][k];
        };
        const double dy = at(0.05, 1) - at(-0.05, 1), dz = at(0.05, 2) - at(-0.05, 2);
        const double y0 = at(0, 1), z0 = at(0, 2);
        const bool monotone = (at(0.05, 1) - y0) * (y0 - at(-0.05, 1)) > 0 && (at(0.05, 2) - z0) * (z0 - at(-0.05, 2)) > 0;
        if (!monotone || !(-dy * dz < 0)) continue;
        ++tested;
        double qo[JV], bw, bf, bs;
        s->sgnMColl = 1;
        s->JColl = 77;  // a repair attempt would reset it
        EXPECT_EQ(JntMCollAvoid(*s, 'I', M, q, bw, bf, bs, qo), -4);
        EXPECT_EQ(std::memcmp(q, qo, sizeof q), 0);
        EXPECT_EQ(s->sgnMColl, -4);
        EXPECT_EQ(s->JColl, 77);
        EXPECT_EQ(bw, c.bw);
        EXPECT_EQ(bf, c.bf);
    }
    EXPECT_GE(tested, 5);
}
