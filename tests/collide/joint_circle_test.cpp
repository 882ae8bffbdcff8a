// The circle of a joint about the joint before it: sweep predictions against stepping the joint,
// the crossing and top records against the poses they name, and the small clearance measures.
#include "collide/collide_test_util.h"
#include "collide/joint_circle.h"

using namespace ct;

namespace {

int waitCount = 0;
void countWait(Scene&) { ++waitCount; }

// Whether the level h of coordinate k is crossed strictly inside the turn of q[MF] from a to b,
// by stepping the joint; -1 when the circle comes too close to the level to tell (it could then
// cross twice between samples).
int steppedCrossing(Scene& s, const double* q, int MF, int M, int k, double h, double a, double b) {
    double lo = 1e300, hi = -1e300;
    for (int i = 0; i < 360; ++i) {
        const double v = jointAt(s, q, MF, q[MF] + TWO_PI_C * i / 360, M)[k] - h;
        lo = std::fmin(lo, v), hi = std::fmax(hi, v);
    }
    if (std::fabs(lo) < 2e-3 || std::fabs(hi) < 2e-3) return -1;
    int lastSign = 0, crossings = 0;
    for (int i = 0, n = 800; i <= n; ++i) {
        const double v = jointAt(s, q, MF, a + (b - a) * i / n, M)[k] - h;
        if (std::fabs(v) < 1e-4) return -1;
        crossings += lastSign != 0 && (v > 0 ? 1 : -1) != lastSign;
        lastSign = v > 0 ? 1 : -1;
    }
    return crossings > 0;
}

// Joints with a circle: M after a joint MF >= 1 and a radius that moves it.
bool circleJoint(const Scene& s, int M) {
    const int MF = (M - 1 >= 1 && s.JRTYPE[M - 1] == 'R') ? M - 2 : M - 1;
    double R = 0;
    for (int k = MF + 1; k <= M; ++k) R += s.L[k];
    return MF >= 1 && R > 0.05;
}

// The targets of joint M (all of JntMCircleWallTargets' outputs).
struct Targets {
    int MF, MN, sgnY;
    double R1, R2, dW, dF, ex1, ex2, w1, w2, f1, f2;
    Vec3 C, u, v, a;
};
Targets targets(Scene& s, char side, int M, const double* q) {
    Targets t;
    JntMCircleWallTargets(s, side, M, q, t.MF, t.MN, t.R1, t.R2, t.dW, t.dF, t.C, t.u, t.v, t.a, t.ex1, t.ex2, t.w1,
                          t.w2, t.f1, t.f2, t.sgnY);
    return t;
}

}  // namespace

TEST(JntMCircleCollCheck, PredictionsAgreeWithSteppingTheJoint) {
    std::mt19937 rng(42);
    int wallYes = 0, wallNo = 0, floorYes = 0, floorNo = 0;
    for (int lower = 1; lower <= 4; ++lower)
        for (int upper = 1; upper <= 2; ++upper) {
            auto s = makeSceneWithRobot(lower, upper);
            for (int n = 0; n < 30; ++n) {
                double q[JV];
                randomPose(rng, *s, q);
                const int M = 2 + static_cast<int>(rng() % (s->Nw - 1));
                if (!circleJoint(*s, M)) continue;
                const std::string ctx = "robot " + std::to_string(10 * lower + upper) + " M=" + std::to_string(M);
                int MF;
                Vec3 C, u, v, a;
                double R;
                JntMCircle(*s, M, q, MF, C, u, v, a, R);
                // A wall whose face the circle may cross; turns within the limits, or passing +-pi.
                const char side = (n % 2) ? 'O' : 'I';
                const double face = C[1] + uniform(rng, -R, R);
                placeWall(*s, uniform(rng, -3, 3), side == 'O' ? face - 0.2 - Margin : face + 0.2 + Margin);
                const double qMF = (n % 4 == 3) ? q[MF] + uniform(rng, -4.5, 4.5) : uniform(rng, -2.8, 2.8);
                int code = 99;
                JntMCircleCollCheck(*s, side, M, MF, q, qMF, C, u, v, a, R, code);
                const double yf = side == 'O' ? s->rhy2 + Margin : s->rhy1 - Margin;
                const int w = steppedCrossing(*s, q, MF, M, 1, yf, q[MF], qMF);
                const int f = steppedCrossing(*s, q, MF, M, 2, Margin, q[MF], qMF);
                if (w >= 0) {
                    EXPECT_EQ(code == -1 || code == -3, w == 1) << "wall: " << ctx << " to " << qMF;
                    (w ? wallYes : wallNo)++;
                }
                if (f >= 0) {
                    EXPECT_EQ(code == -2 || code == -3, f == 1) << "floor: " << ctx << " to " << qMF;
                    (f ? floorYes : floorNo)++;
                }
            }
        }
    EXPECT_GT(wallYes, 30);
    EXPECT_GT(wallNo, 30);
    EXPECT_GT(floorYes, 15);
    EXPECT_GT(floorNo, 30);
}

TEST(JntMCircleCollCheck, EndOnTheCrossingTheSlitPlaneTraceAndNonFiniteValues) {
    auto s = makeScene();
    placeWall(*s, 0, 100);
    double q[JV] = {}, R;
    int code = 99, MF;
    Vec3 C, u, v, a;
    // A circle at the height of the floor margin, lowest a quarter turn either way: a turn that
    // ends on the crossing does not cross it.
    const double ph = std::acos(0.0);
    for (double end : {ph, -ph, std::nextafter(ph, 9.0), std::nextafter(-ph, -9.0), 1.0, -1.0}) {
        JntMCircleCollCheck(*s, 'I', 5, 3, q, end, V(0, 0, Margin), V(0, 0, 1), V(0, 1, 0), V(1, 0, 0), 1.0, code);
        EXPECT_EQ(code == -2 || code == -3, std::fabs(end) > ph) << end;
    }
    // Joint 5 of the upright F21 circles joint 3 about x in the slit plane: a turn across the far
    // face meets no wall there, and meets it off the plane.
    JntMCircle(*s, 5, q, MF, C, u, v, a, R);
    ASSERT_EQ(MF, 3);
    ASSERT_LT(std::fabs(a[1]) + std::fabs(a[2]), 1e-12);
    placeWall(*s, 0.0, C[1] + 1.0 - 0.2 - Margin);
    ASSERT_EQ(steppedCrossing(*s, q, MF, 5, 1, s->rhy2 + Margin, 0, -2.0), 1);
    JntMCircleCollCheck(*s, 'O', 5, MF, q, -2.0, C, u, v, a, R, code);
    EXPECT_TRUE(code == 0 || code == -2);
    placeWall(*s, 0.5, C[1] + 1.0 - 0.2 - Margin);
    JntMCircleCollCheck(*s, 'O', 5, MF, q, -2.0, C, u, v, a, R, code);
    EXPECT_TRUE(code == -1 || code == -3);
    // Joint 6 circling joint 5 high above the floor and far from the wall: clear, one pause, the
    // pose judged left in the Scene.
    placeWall(*s, 0, 100);
    s->waitKey = countWait;
    waitCount = 0;
    JntMCircle(*s, 6, q, MF, C, u, v, a, R);
    JntMCircleCollCheck(*s, 'I', 6, MF, q, 1.0, C, u, v, a, R, code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(waitCount, 1);
    const Vec3 J6 = s->J[6];
    EXPECT_EQ(dist(jointAt(*s, q, 1, 0, 6), J6), 0.0);
    // Non-finite values are never clear.
    JntMCircleCollCheck(*s, 'I', 6, MF, q, NAN, C, u, v, a, R, code);
    EXPECT_EQ(code, -3);
    JntMCircleCollCheck(*s, 'O', 6, MF, q, 1.0, C, V(NAN, 0, 0), v, a, R, code);
    EXPECT_EQ(code, -3);
    q[2] = NAN;
    JntMCircleCollCheck(*s, 'O', 6, MF, q, 1.0, C, u, v, a, R, code);
    EXPECT_EQ(code, -3);
}

TEST(JntMCircleWallCross, RecordsNameThePosesWhereTheJointReachesThePlanesAndItsTop) {
    std::mt19937 rng(43);
    int both = 0, none = 0, limited = 0, free = 0;
    double W[2][NCREC], F[2][NCREC], T[2][NCREC];
    for (int lower = 1; lower <= 4; ++lower) {
        auto s = makeSceneWithRobot(lower, 1 + lower % 2);
        for (int n = 0; n < 50; ++n) {
            double q[JV];
            randomPose(rng, *s, q);
            const int M = 3 + static_cast<int>(rng() % (s->Nw - 2));
            if (!circleJoint(*s, M)) continue;
            const char side = (n % 2) ? 'O' : 'I';
            forwardKinematics(*s, q);
            placeWall(*s, 0, s->J[M][1] + uniform(rng, -2.5, 2.5));
            const Targets t = targets(*s, side, M, q);
            const int MF = t.MF;
            const int status = JntMCircleWallCross(*s, side, M, MF, q, t.R1, t.C, t.u, t.v, t.a, W, F);
            EXPECT_EQ(W[0][CR_Q], t.w1);
            EXPECT_EQ(W[1][CR_Q], t.w2);
            EXPECT_EQ(F[0][CR_Q], t.f1);
            EXPECT_EQ(F[1][CR_Q], t.f2);
            const bool hasW = W[0][CR_FLAG1] != 0, hasF = F[0][CR_FLAG1] != 0;
            EXPECT_EQ(status, hasW ? (hasF ? 1 : -2) : (hasF ? -1 : -3));
            both += hasW && hasF;
            none += !hasW && !hasF;
            // Each record is a pose of the turn, joint M on the wall plane or the floor margin, the
            // nearer to the current value first; an absent record holds 99.
            const double yp = side == 'O' ? s->rhy + Margin : s->rhy - Margin;
            for (auto* rec : {W[0], W[1], F[0], F[1]}) {
                for (int i = 0; i < CR_FLAG1 && rec[CR_FLAG1] == 0; ++i) EXPECT_EQ(rec[i], 99.0);
                if (rec[CR_FLAG1] == 0) continue;
                const Vec3 J = jointAt(*s, q, MF, rec[CR_Q], M);
                EXPECT_LT(dist(J, V(rec[CR_X], rec[CR_Y], rec[CR_Z])), 1e-9);
                EXPECT_NEAR((rec == W[0] || rec == W[1]) ? J[1] - yp : J[2] - Margin, 0, 1e-9);
            }
            for (auto* P : {W, F})
                if (P[0][CR_FLAG1] != 0) { EXPECT_LE(std::fabs(P[0][CR_Q] - q[MF]), std::fabs(P[1][CR_Q] - q[MF])); }
            // The extreme angles of y are a maximum and a minimum over the circle; the top is the
            // highest turn, or the joint limits when it lies beyond them.
            const double y1 = jointAt(*s, q, MF, t.ex1, M)[1], y2 = jointAt(*s, q, MF, t.ex2, M)[1];
            EXPECT_LE(std::fabs(t.ex2), std::fabs(t.ex1));
            JntMCircleTop(*s, side, M, MF, q, t.R1, t.C, t.u, t.v, t.w1, t.w2, t.f1, t.f2, T);
            const bool beyond = std::fabs(std::atan2(t.v[2], t.u[2])) > s->qLimit;
            EXPECT_EQ(T[0][CR_Q], beyond ? (q[MF] < 0 ? -s->qLimit : s->qLimit) : T[1][CR_Q]);
            if (beyond) { EXPECT_EQ(T[1][CR_Q], -T[0][CR_Q]); }
            (beyond ? limited : free)++;
            const double ztop = jointAt(*s, q, MF, T[0][CR_Q], M)[2];
            for (int i = 0; i < 72; ++i) {
                const Vec3 J = jointAt(*s, q, MF, TWO_PI_C * i / 72, M);
                EXPECT_LE(J[1], std::fmax(y1, y2) + 1e-9);
                EXPECT_GE(J[1], std::fmin(y1, y2) - 1e-9);
                EXPECT_TRUE(beyond || J[2] <= ztop + 1e-9);
            }
            for (auto* rec : {T[0], T[1]})
                EXPECT_LT(dist(jointAt(*s, q, MF, rec[CR_Q], M), V(rec[CR_X], rec[CR_Y], rec[CR_Z])), 1e-9);
            forwardKinematics(*s, q);
            EXPECT_EQ(t.sgnY, s->J[MF][1] < s->J[MF - 1][1] ? -1 : 1);
        }
    }
    EXPECT_GT(both, 10);
    EXPECT_GT(none, 3);
    EXPECT_GT(limited, 3);
    EXPECT_GT(free, 20);
    // The upright arm far from the wall: joint 6 about joint 5 meets neither plane, joint 5 about
    // joint 3 the floor margin only; non-finite joints give finite records and targets.
    auto s = makeScene();
    placeWall(*s, 0, 50);
    double q[JV] = {};
    for (int M : {6, 5}) {
        const Targets t = targets(*s, 'O', M, q);
        EXPECT_EQ(JntMCircleWallCross(*s, 'O', M, t.MF, q, t.R1, t.C, t.u, t.v, t.a, W, F), M == 6 ? -3 : -1);
    }
    q[2] = NAN;
    const Targets t = targets(*s, 'O', 6, q);
    int k = 0;
    for (double x : {t.R1, t.R2, t.dW, t.dF, t.C[0], t.u[0], t.v[0], t.a[0], t.ex1, t.ex2, t.w1, t.w2, t.f1, t.f2})
        EXPECT_TRUE(std::isfinite(x)) << "target " << k++;
    EXPECT_EQ(JntMCircleWallCross(*s, 'O', 6, 5, q, 1, V(0, 0, 1), V(1, 0, 0), V(0, 1, 0), V(0, 0, 1), W, F), -3);
    JntMCircleTop(*s, 'O', 6, 5, q, 1, V(0, 0, 1), V(1, 0, 0), V(0, 1, 0), 99, 99, 99, 99, T);
    for (auto* rec : {W[0], W[1], F[0], F[1], T[0], T[1]})
        for (int i = 0; i < NCREC; ++i) EXPECT_TRUE(std::isfinite(rec[i]));
}

TEST(JntWallOutScan, JointsStillInTheWallBySlitShape) {
    auto s = makeScene();
    int list[JV], Mmin;
    double q[JV], dy[JV], cl[JV];
    // The upright arm stands in the slit plane before the far face. Shape 'S': a joint on the slit
    // plane does not count; shape 'H': only one on the hole axis (joint 3) does not.
    std::fill(q, q + JV, 0.0);
    forwardKinematics(*s, q);
    placeWall(*s, 0, 6.0);
    s->ObstacleShape = 'S';
    JntWallOutScan(*s, 2, q, list, dy, cl, Mmin);
    EXPECT_EQ(list[0], 0);
    s->ObstacleShape = 'H';
    s->rhz = s->J[3][2];
    JntWallOutScan(*s, 2, q, list, dy, cl, Mmin);
    EXPECT_EQ(list[0], 2);
    for (int k = 0; list[k] != 0; ++k) EXPECT_NE(list[k], 3);
    // Nothing to scan beyond the work point; with non-finite joints every joint is still in.
    JntWallOutScan(*s, s->Nw + 1, q, list, dy, cl, Mmin);
    EXPECT_EQ(list[0], 0);
    EXPECT_EQ(Mmin, 0);
    q[2] = NAN;
    JntWallOutScan(*s, 2, q, list, dy, cl, Mmin);
    EXPECT_EQ(list[0], 2);
    for (int j = 0; j < JV; ++j) {
        EXPECT_TRUE(std::isfinite(dy[j])) << j;
        EXPECT_TRUE(std::isfinite(cl[j])) << j;
    }
}
