// The circle of a joint about the joint before it: sweep predictions against stepping the joint,
// the crossing and top records against the poses they name, and the small clearance measures.
#include <gtest/gtest.h>

#include <cstring>

#include "collide/collide_test_util.h"
#include "collide/joint_circle.h"

using namespace ct;

namespace {

int waitCount = 0;
void countWait(Scene&) { ++waitCount; }

// Joint M of q with q[MF] = value.
Vec3 jointAt(Scene& s, const double* q, int MF, double value, int M) {
    double qq[JV];
    std::memcpy(qq, q, sizeof qq);
    qq[MF] = value;
    forwardKinematics(s, qq);
    return s.J[M];
}

// Whether the level h of coordinate k is crossed strictly inside the turn of q[MF] from a to b,
// by stepping the joint. Returns -1 when the samples come too close to the level to tell.
int steppedCrossing(Scene& s, const double* q, int MF, int M, int k, double h, double a, double b) {
    const int n = 3000;
    int lastSign = 0, crossings = 0;
    for (int i = 0; i <= n; ++i) {
        const double v = jointAt(s, q, MF, a + (b - a) * i / n, M)[k] - h;
        if (std::fabs(v) < 1e-4) return -1;
        const int sg = v > 0 ? 1 : -1;
        if (lastSign != 0 && sg != lastSign) ++crossings;
        lastSign = sg;
    }
    // A circle that comes close to the level without crossing it may cross twice between
    // samples: reject turns whose circle nearly touches the level.
    double lo = 1e300, hi = -1e300;
    for (int i = 0; i < 720; ++i) {
        const double v = jointAt(s, q, MF, q[MF] + TWO_PI_C * i / 720, M)[k] - h;
        lo = std::fmin(lo, v);
        hi = std::fmax(hi, v);
    }
    if (std::fabs(lo) < 2e-3 || std::fabs(hi) < 2e-3) return -1;
    return crossings > 0 ? 1 : 0;
}

// Joints with a circle: M after a joint MF >= 1 and a radius that moves it.
bool circleJoint(const Scene& s, int M) {
    int MF = M - 1;
    if (MF >= 1 && s.JRTYPE[MF] == 'R') MF = M - 2;
    if (MF < 1) return false;
    double R = 0;
    for (int k = MF + 1; k <= M; ++k) R += s.L[k];
    return R > 0.05;
}

}  // namespace

TEST(JntMCircle, CircleCarriesTheJointWhenItsPredecessorTurns) {
    std::mt19937 rng(41);
    for (int lower = 1; lower <= 4; ++lower) {
        for (int upper = 1; upper <= 2; ++upper) {
            auto s = makeSceneWithRobot(lower, upper);
            for (int n = 0; n < 20; ++n) {
                double q[JV];
                randomPose(rng, *s, q);
                for (int M = 2; M <= s->Nw; ++M) {
                    if (!circleJoint(*s, M)) continue;
                    int MF;
                    Vec3 C, u, v, a;
                    double R;
                    JntMCircle(*s, M, q, MF, C, u, v, a, R);
                    EXPECT_NEAR(dot(u, a), 0, 1e-12);
                    EXPECT_NEAR(norm(v), 1, 1e-12);
                    for (double d : {0.0, 0.7, -2.0, 3.0}) {
                        const Vec3 J = jointAt(*s, q, MF, q[MF] + d, M);
                        const Vec3 P = add(C, add(mul(R * std::cos(d), u), mul(R * std::sin(d), v)));
                        EXPECT_LT(dist(J, P), 1e-9) << "robot " << lower << upper << " M=" << M;
                    }
                }
            }
        }
    }
}

TEST(JntMCircleCollCheck, PredictionsAgreeWithSteppingTheJoint) {
    std::mt19937 rng(42);
    int wallYes = 0, wallNo = 0, floorYes = 0, floorNo = 0;
    for (int lower = 1; lower <= 4; ++lower) {
        for (int upper = 1; upper <= 2; ++upper) {
            auto s = makeSceneWithRobot(lower, upper);
            for (int n = 0; n < 40; ++n) {
                double q[JV];
                randomPose(rng, *s, q);
                int M = 2 + static_cast<int>(rng() % (s->Nw - 1));
                if (!circleJoint(*s, M)) continue;
                int MF;
                Vec3 C, u, v, a;
                double R;
                JntMCircle(*s, M, q, MF, C, u, v, a, R);
                const char side = (n % 2) ? 'O' : 'I';
                // A wall whose face the circle of M may cross.
                const double face = C[1] + uniform(rng, -R, R);
                placeWall(*s, uniform(rng, -3, 3), side == 'O' ? face - 0.2 - Margin : face + 0.2 + Margin);
                // Turns within the joint limits, and some that pass +-pi.
                const double qMF = (n % 4 == 3) ? q[MF] + uniform(rng, -4.5, 4.5) : uniform(rng, -2.8, 2.8);
                int code = 99;
                JntMCircle(*s, M, q, MF, C, u, v, a, R);
                JntMCircleCollCheck(*s, side, M, MF, q, qMF, C, u, v, a, R, code);
                const double yf = side == 'O' ? s->rhy2 + Margin : s->rhy1 - Margin;
                const int w = steppedCrossing(*s, q, MF, M, 1, yf, q[MF], qMF);
                const int f = steppedCrossing(*s, q, MF, M, 2, Margin, q[MF], qMF);
                const bool predW = code == -1 || code == -3, predF = code == -2 || code == -3;
                if (w >= 0) {
                    EXPECT_EQ(predW, w == 1) << "wall: robot " << lower << upper << " M=" << M << " MF=" << MF
                                             << " from " << q[MF] << " to " << qMF;
                    (w ? wallYes : wallNo)++;
                }
                if (f >= 0) {
                    EXPECT_EQ(predF, f == 1) << "floor: robot " << lower << upper << " M=" << M << " MF=" << MF
                                              << " from " << q[MF] << " to " << qMF;
                    (f ? floorYes : floorNo)++;
                }
            }
        }
    }
    EXPECT_GT(wallYes, 40);
    EXPECT_GT(wallNo, 40);
    EXPECT_GT(floorYes, 20);
    EXPECT_GT(floorNo, 40);
}

TEST(JntMCircleCollCheck, TurnEndingOnTheCrossingDoesNotCross) {
    auto s = makeScene();
    placeWall(*s, 0, 100);
    double q[JV] = {};
    const int M = 5, MF = 3;
    // A circle at the height of the floor margin, lowest point a quarter turn either way.
    const Vec3 C = V(0, 0, Margin), u = V(0, 0, 1), v = V(0, 1, 0), a = V(1, 0, 0);
    const double ph = std::acos(0.0);
    for (double end : {ph, -ph, std::nextafter(ph, 9.0), std::nextafter(-ph, -9.0), 1.0, -1.0}) {
        int code = 99;
        JntMCircleCollCheck(*s, 'I', M, MF, q, end, C, u, v, a, 1.0, code);
        const bool crosses = std::fabs(end) > ph;
        EXPECT_EQ(code == -2 || code == -3, crosses) << end;
    }
}

TEST(JntMCircleCollCheck, CircleInTheSlitNeverMeetsTheWall) {
    auto s = makeScene();  // F21: joint 3 turns about x in the upright pose
    double q[JV] = {};
    const int M = 5;
    int MF;
    Vec3 C, u, v, a;
    double R;
    JntMCircle(*s, M, q, MF, C, u, v, a, R);
    ASSERT_EQ(MF, 3);
    ASSERT_LT(std::fabs(a[1]) + std::fabs(a[2]), 1e-12);
    // The far face lies across the circle; the circle lies in the slit plane x = 0.
    placeWall(*s, 0.0, C[1] + 1.0 - 0.2 - Margin);
    const int w = steppedCrossing(*s, q, MF, M, 1, s->rhy2 + Margin, 0, 2.0);
    ASSERT_TRUE(w == 1 || w == 0);
    int code = 99;
    JntMCircleCollCheck(*s, 'O', M, MF, q, 2.0, C, u, v, a, R, code);
    EXPECT_TRUE(code == 0 || code == -2);
    // Off the slit plane the same turn meets the wall when the stepping says so.
    placeWall(*s, 0.5, C[1] + 1.0 - 0.2 - Margin);
    JntMCircleCollCheck(*s, 'O', M, MF, q, 2.0, C, u, v, a, R, code);
    EXPECT_EQ(code == -1 || code == -3, w == 1);
}

TEST(JntMCircleCollCheck, TraceAndPause) {
    auto s = makeScene();
    placeWall(*s, 0, 100);
    s->waitKey = countWait;
    waitCount = 0;
    double q[JV] = {};
    int MF;
    Vec3 C, u, v, a;
    double R;
    // Joint 6 of the upright arm circles joint 5 high above the floor.
    JntMCircle(*s, 6, q, MF, C, u, v, a, R);
    int code = 99;
    std::string text;
    {
        TraceCapture cap(*s);
        JntMCircleCollCheck(*s, 'I', 6, MF, q, 1.0, C, u, v, a, R, code);
        text = cap.text();
    }
    EXPECT_EQ(code, 0);
    EXPECT_EQ(waitCount, 1);
    EXPECT_EQ(text.rfind("\n〓JntMCircleCollCheck()始め M=6 MF=5 qs[MF]= 0.000 qMF= 1.000", 0), 0u) << text;
    // High above the floor margin and far from the wall: both checks say so.
    EXPECT_NE(text.find("\n〓FCollCheck:qMF= 1.000 cos(THz)=-5.850→sgnFColl=0 床干渉なし"), std::string::npos)
        << text;
    EXPECT_NE(text.find("→sgnWColl=0 壁干渉なし"), std::string::npos);
    EXPECT_NE(text.find("\n〓JntMCircleCollCheck() sgnWIO=I M=6 MF=5 LMF= 1.000 qMF= 1.000 sgnColl=0〓"),
              std::string::npos);
    EXPECT_EQ(text.substr(text.size() - std::strlen("\ngetch()")), "\ngetch()");
    // The pose judged stays in the Scene.
    const Vec3 J6 = s->J[6];
    forwardKinematics(*s, q);
    EXPECT_EQ(dist(J6, s->J[6]), 0.0);
    // The floor check says the same for any turn of that circle.
    for (double t : {-3.0, -1.0, 2.0, 6.0}) {
        JntMCircleCollCheck(*s, 'I', 6, MF, q, t, C, u, v, a, R, code);
        EXPECT_EQ(code, 0);
    }
}

TEST(JntMCircleWallCross, RecordsNameThePosesWhereTheJointReachesThePlanes) {
    std::mt19937 rng(43);
    int both = 0, none = 0;
    for (int lower = 1; lower <= 4; ++lower) {
        auto s = makeSceneWithRobot(lower, 2);
        for (int n = 0; n < 60; ++n) {
            double q[JV];
            randomPose(rng, *s, q);
            const int M = 3 + static_cast<int>(rng() % (s->Nw - 2));
            if (!circleJoint(*s, M)) continue;
            const char side = (n % 2) ? 'O' : 'I';
            forwardKinematics(*s, q);
            placeWall(*s, 0, s->J[M][1] + uniform(rng, -2.5, 2.5));
            int MF, MN, sgnY;
            double R1, R2, dW, dF, ex1, ex2, w1, w2, f1, f2;
            Vec3 C, u, v, a;
            JntMCircleWallTargets(*s, side, M, q, MF, MN, R1, R2, dW, dF, C, u, v, a, ex1, ex2, w1, w2, f1, f2,
                                  sgnY);
            double W[2][NCREC], F[2][NCREC];
            const int status = JntMCircleWallCross(*s, side, M, MF, q, R1, C, u, v, a, W, F);
            EXPECT_EQ(W[0][CR_Q], w1);
            EXPECT_EQ(W[1][CR_Q], w2);
            EXPECT_EQ(F[0][CR_Q], f1);
            EXPECT_EQ(F[1][CR_Q], f2);
            const double yp = side == 'O' ? s->rhy + Margin : s->rhy - Margin;
            const bool hasW = W[0][CR_FLAG1] != 0, hasF = F[0][CR_FLAG1] != 0;
            EXPECT_EQ(status, hasW ? (hasF ? 1 : -2) : (hasF ? -1 : -3));
            both += hasW && hasF;
            none += !hasW && !hasF;
            for (int k = 0; k < 2; ++k) {
                for (auto* rec : {W[k], F[k]}) {
                    const bool wallRec = rec == W[k];
                    if (rec[CR_FLAG1] == 0) {
                        for (int i = 0; i < CR_FLAG1; ++i) EXPECT_EQ(rec[i], 99.0);
                        continue;
                    }
                    const Vec3 J = jointAt(*s, q, MF, rec[CR_Q], M);
                    EXPECT_LT(dist(J, V(rec[CR_X], rec[CR_Y], rec[CR_Z])), 1e-9);
                    if (wallRec) {
                        EXPECT_NEAR(J[1], yp, 1e-9);
                    } else {
                        EXPECT_NEAR(J[2], Margin, 1e-9);
                    }
                    EXPECT_NEAR(rec[CR_WALL], side == 'O' ? J[1] - (s->rhy2 + Margin) : J[1] - (s->rhy1 - Margin),
                                1e-12);
                    EXPECT_NEAR(rec[CR_FLOOR], J[2] - Margin, 1e-12);
                    EXPECT_EQ(rec[CR_DIR], rec[CR_Q] <= q[MF] ? -1.0 : 1.0);
                    // The crossing of the other kind met on the way.
                    const double* other = wallRec ? F[0] : W[0];
                    const double* other2 = wallRec ? F[1] : W[1];
                    auto between = [&](double x) {
                        return other[CR_FLAG1] != 0 &&
                               ((q[MF] < x && x < rec[CR_Q]) || (rec[CR_Q] < x && x < q[MF]));
                    };
                    const bool met = between(other[CR_Q]) || between(other2[CR_Q]);
                    EXPECT_EQ(rec[CR_FLAG3], met ? (wallRec ? -2.0 : -1.0) : 1.0);
                }
                // Nearer to the current value first.
            }
            if (hasW) {
                EXPECT_LE(std::fabs(W[0][CR_Q] - q[MF]), std::fabs(W[1][CR_Q] - q[MF]));
            }
            if (hasF) {
                EXPECT_LE(std::fabs(F[0][CR_Q] - q[MF]), std::fabs(F[1][CR_Q] - q[MF]));
            }
            // The extreme angles of y: a maximum and a minimum of y over the circle.
            const double y1 = jointAt(*s, q, MF, ex1, M)[1], y2 = jointAt(*s, q, MF, ex2, M)[1];
            for (int i = 0; i < 72; ++i) {
                const double y = jointAt(*s, q, MF, TWO_PI_C * i / 72, M)[1];
                EXPECT_LE(y, std::fmax(y1, y2) + 1e-9);
                EXPECT_GE(y, std::fmin(y1, y2) - 1e-9);
            }
            EXPECT_LE(std::fabs(ex2), std::fabs(ex1));
            forwardKinematics(*s, q);
            EXPECT_EQ(sgnY, s->J[MF][1] < s->J[MF - 1][1] ? -1 : 1);
            EXPECT_NEAR(dF, s->J[MF][2] - Margin, 1e-12);
        }
    }
    EXPECT_GT(both, 10);
    EXPECT_GT(none, 3);
}

TEST(JntMCircleTop, HighestTurnOrTheJointLimits) {
    std::mt19937 rng(44);
    int limited = 0, free = 0;
    for (int lower = 1; lower <= 4; ++lower) {
        auto s = makeSceneWithRobot(lower, 1);
        placeWall(*s, 0, 1.0);
        for (int n = 0; n < 60; ++n) {
            double q[JV];
            randomPose(rng, *s, q);
            const int M = 3 + static_cast<int>(rng() % (s->Nw - 2));
            if (!circleJoint(*s, M)) continue;
            int MF, MN, sgnY;
            double R1, R2, dW, dF, ex1, ex2, w1, w2, f1, f2;
            Vec3 C, u, v, a;
            const char side = (n % 2) ? 'O' : 'I';
            JntMCircleWallTargets(*s, side, M, q, MF, MN, R1, R2, dW, dF, C, u, v, a, ex1, ex2, w1, w2, f1, f2,
                                  sgnY);
            double T[2][NCREC];
            JntMCircleTop(*s, side, M, MF, q, R1, C, u, v, w1, w2, f1, f2, T);
            const double t = std::atan2(v[2], u[2]);
            if (std::fabs(t) > s->qLimit) {
                ++limited;
                const double first = q[MF] < 0 ? -s->qLimit : s->qLimit;
                EXPECT_EQ(T[0][CR_Q], first);
                EXPECT_EQ(T[1][CR_Q], -first);
            } else {
                ++free;
                EXPECT_EQ(T[0][CR_Q], T[1][CR_Q]);
                const double ztop = jointAt(*s, q, MF, T[0][CR_Q], M)[2];
                for (int i = 0; i < 72; ++i) EXPECT_LE(jointAt(*s, q, MF, TWO_PI_C * i / 72, M)[2], ztop + 1e-9);
            }
            for (int k = 0; k < 2; ++k) {
                const double* rec = T[k];
                const bool floorBad = rec[CR_FLOOR] < -0.001;
                const bool wallBad = side == 'O' ? rec[CR_WALL] < -0.001 : rec[CR_WALL] > 0.001;
                EXPECT_EQ(rec[CR_FLAG1], floorBad && wallBad ? -3.0 : wallBad ? -1.0 : floorBad ? -2.0 : 1.0);
                EXPECT_EQ(rec[CR_FLAG2], 1.0);
                auto btw = [&](double x) { return (q[MF] < x && x < rec[CR_Q]) || (rec[CR_Q] < x && x < q[MF]); };
                double last = (btw(w1) || btw(w2)) ? -1.0 : 0.0;
                last -= 2.0 * (btw(f1) + btw(f2));
                EXPECT_EQ(rec[CR_FLAG3], last == 0 ? 1.0 : last);
                const Vec3 J = jointAt(*s, q, MF, rec[CR_Q], M);
                EXPECT_LT(dist(J, V(rec[CR_X], rec[CR_Y], rec[CR_Z])), 1e-9);
            }
        }
    }
    EXPECT_GT(limited, 5);
    EXPECT_GT(free, 20);
}

TEST(JntMCircleWallCross, CircleAwayFromTheWallPlaneHasNoWallRecords) {
    auto s = makeScene();
    placeWall(*s, 0, 50);
    double q[JV] = {};
    int MF;
    Vec3 C, u, v, a;
    double R;
    JntMCircle(*s, 6, q, MF, C, u, v, a, R);
    double W[2][NCREC], F[2][NCREC];
    // High above the floor as well: no record of either kind.
    EXPECT_EQ(JntMCircleWallCross(*s, 'O', 6, MF, q, R, C, u, v, a, W, F), -3);
    for (auto* rec : {W[0], W[1], F[0], F[1]}) {
        for (int i = 0; i < CR_FLAG1; ++i) EXPECT_EQ(rec[i], 99.0);
        for (int i = CR_FLAG1; i < NCREC; ++i) EXPECT_EQ(rec[i], 0.0);
    }
    // Joint 5 circling joint 3 reaches the floor margin only.
    JntMCircle(*s, 5, q, MF, C, u, v, a, R);
    EXPECT_EQ(JntMCircleWallCross(*s, 'O', 5, MF, q, R, C, u, v, a, W, F), -1);
}

TEST(JointClearance, WallDistanceBySideAndTheFarScan) {
    auto s = makeScene();
    std::mt19937 rng(45);
    for (int n = 0; n < 200; ++n) {
        double q[JV];
        randomPose(rng, *s, q);
        forwardKinematics(*s, q);
        placeWall(*s, uniform(rng, -1, 1), uniform(rng, -2, 2));
        int Mp, Mw, inWall[JV] = {};
        const int cnt = classifyJointsByWall(*s, q, &Mp, inWall, &Mw);
        for (int M = 1; M <= s->Nw; ++M) {
            const double m = M == s->Nw ? MarginW : Margin;
            const double y = s->J[M][1];
            bool in = false;
            for (int k = 0; k < cnt; ++k) in = in || inWall[k] == M;
            const double d = JntWallDist(*s, Mp, inWall, Mw, M, s->J[M]);
            if (M == Mp || in || M == Mw) {
                EXPECT_NEAR(d, y - s->rhy, 1e-12);
            } else if (M > Mw) {
                EXPECT_NEAR(d, y - s->rhy2 - m, 1e-12);
            } else {
                EXPECT_NEAR(d, y - s->rhy1 + m, 1e-12);
            }
            EXPECT_NEAR(JntFloorDist(*s, M, s->J[M]), s->J[M][2] - m, 1e-12);
        }
        for (char shape : {'S', 'H'}) {
            s->ObstacleShape = shape;
            s->rhz = s->J[5][2];
            int list[JV], Mmin = -1;
            double dy[JV], cl[JV];
            const int M0 = 2 + static_cast<int>(rng() % 6);
            JntWallOutScan(*s, M0, q, list, dy, cl, Mmin);
            double best = 1e300;
            int expectMin = M0;
            int k = 0;
            for (int j = M0; j <= s->Nw; ++j) {
                if (s->L[j] < 0.0001) {
                    EXPECT_EQ(dy[j], dy[j - 1]);
                    continue;
                }
                const Vec3& P = s->J[j];
                EXPECT_NEAR(dy[j], P[1] - s->rhy2, 1e-12);
                const bool onSlit = std::fabs(P[0] - s->rhx) < 0.0001;
                const double m = (j == M0 && onSlit) ? 0 : (j >= s->Nw ? MarginW : Margin);
                EXPECT_NEAR(cl[j], dy[j] - m, 1e-12);
                if (dy[j] < best) {
                    best = dy[j];
                    expectMin = j;
                }
                if (cl[j] < 0 && !onSlit) {
                    EXPECT_EQ(list[k++], j);
                }
            }
            EXPECT_EQ(list[k], 0);
            EXPECT_EQ(Mmin, expectMin);
        }
    }
    // Shape 'S': a joint on the slit plane does not count; shape 'H': only on the hole axis.
    double q[JV] = {};
    forwardKinematics(*s, q);
    placeWall(*s, 0, 6.0);  // the upright arm stands in the slit plane, before the far face
    int list[JV], Mmin;
    double dy[JV], cl[JV];
    s->ObstacleShape = 'S';
    JntWallOutScan(*s, 2, q, list, dy, cl, Mmin);
    EXPECT_EQ(list[0], 0);
    s->ObstacleShape = 'H';
    s->rhz = s->J[3][2];
    JntWallOutScan(*s, 2, q, list, dy, cl, Mmin);
    EXPECT_EQ(list[0], 2);  // every joint off the hole axis except joint 3
    for (int k = 0; list[k] != 0; ++k) EXPECT_NE(list[k], 3);
    // Nothing to scan beyond the work point.
    list[0] = 5;
    JntWallOutScan(*s, s->Nw + 1, q, list, dy, cl, Mmin);
    EXPECT_EQ(list[0], 0);
    EXPECT_EQ(Mmin, 0);
}

TEST(JntMCircleCollCheck, NonFiniteValuesAreNeverClear) {
    auto s = makeScene();
    placeWall(*s, 0, 100);
    double q[JV] = {};
    int MF;
    Vec3 C, u, v, a;
    double R;
    JntMCircle(*s, 6, q, MF, C, u, v, a, R);
    int code = 99;
    JntMCircleCollCheck(*s, 'I', 6, MF, q, NAN, C, u, v, a, R, code);
    EXPECT_EQ(code, -3);
    JntMCircleCollCheck(*s, 'O', 6, MF, q, 1.0, C, V(NAN, 0, 0), v, a, R, code);
    EXPECT_EQ(code, -3);
    q[2] = NAN;
    JntMCircleCollCheck(*s, 'O', 6, MF, q, 1.0, C, u, v, a, R, code);
    EXPECT_EQ(code, -3);
    double W[2][NCREC], F[2][NCREC], T[2][NCREC];
    EXPECT_EQ(JntMCircleWallCross(*s, 'O', 6, MF, q, R, C, u, v, a, W, F), -3);
    JntMCircleTop(*s, 'O', 6, MF, q, R, C, u, v, 99, 99, 99, 99, T);
    for (auto* rec : {W[0], W[1], F[0], F[1], T[0], T[1]})
        for (int i = 0; i < NCREC; ++i) EXPECT_TRUE(std::isfinite(rec[i]));
    int MN, sgnY;
    double R1, R2, dW, dF, ex1, ex2, w1, w2, f1, f2;
    JntMCircleWallTargets(*s, 'O', 6, q, MF, MN, R1, R2, dW, dF, C, u, v, a, ex1, ex2, w1, w2, f1, f2, sgnY);
    for (double x : {R1, R2, dW, dF, C[0], u[0], v[0], a[0], ex1, ex2, w1, w2, f1, f2}) EXPECT_TRUE(std::isfinite(x));
    EXPECT_LT(dW, 0);
    int list[JV], Mmin;
    double dy[JV], cl[JV];
    JntWallOutScan(*s, 2, q, list, dy, cl, Mmin);
    EXPECT_EQ(list[0], 2);
    for (int j = 0; j < JV; ++j) EXPECT_TRUE(std::isfinite(dy[j]) && std::isfinite(cl[j]));
}
