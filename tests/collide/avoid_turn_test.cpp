// Turns of a direction vector that keep a link off the wall band and the floor margin: the
// circle they describe, the side the turn leaves from, and the interval arithmetic.
#include "collide/avoid_turn.h"
#include "collide/collide_test_util.h"

using namespace ct;

namespace {

struct Turn {
    Vec3 c, e1, e2;
    double r, angle;
    bool avoiding;  // went through calTurnAvoidAxis
};

Vec3 onCircle(const Turn& t, double s) { return add(t.c, mul(t.r, add(mul(std::cos(s), t.e1), mul(std::sin(s), t.e2)))); }
// Derivative of the moving vector with respect to the turn parameter.
Vec3 velocity(const Turn& t, double s) { return mul(t.r, add(mul(-std::sin(s), t.e1), mul(std::cos(s), t.e2))); }

// The turn of calTurnAvoidWF (side, link M about P), or of calTurnAvoidAxis when M is 0.
Turn turn(Scene& s, char side, int M, const Vec3& P, const Vec3& aa, const Vec3& bb) {
    Turn t{};
    s.sgnTurn = -99;
    EXPECT_EQ(M ? calTurnAvoidWF(s, side, M, P, aa, bb, t.c, t.e1, t.e2, t.r, t.angle)
                : calTurnAvoidAxis(s, side, aa, bb, t.c, t.e1, t.e2, t.r, t.angle), 1);
    t.avoiding = s.sgnTurn != -99;
    return t;
}

// A proper turn: a circle of unit vectors from unit(aa) to unit(bb), orthonormal e1, e2, the
// angle in [0, 2 pi).
void expectCircle(const Turn& t, const Vec3& aa, const Vec3& bb) {
    EXPECT_LT(dist(onCircle(t, 0), unit(aa)), 1e-9);
    EXPECT_LT(dist(onCircle(t, t.angle), unit(bb)), 1e-9);
    EXPECT_LT(std::fabs(norm(t.e1) - 1), 1e-9);
    EXPECT_LT(std::fabs(norm(t.e2) - 1), 1e-9);
    EXPECT_LT(std::fabs(dot(t.e1, t.e2)), 1e-9);
    EXPECT_GE(t.angle, 0) << t.angle << " " << t.r;
    EXPECT_LT(t.angle, TWO_PI_C) << t.angle << " " << t.r;
    EXPECT_GT(t.r, 0) << t.angle << " " << t.r;
    for (double f : {0.25, 0.5, 0.75}) EXPECT_NEAR(norm(onCircle(t, f * t.angle)), 1, 1e-9);
}

// No turn at all: zero radius and angle, e1 the given start direction.
void expectNoTurn(const Turn& t, const Vec3& e1, const char* what) {
    EXPECT_EQ(t.r, 0) << what;
    EXPECT_EQ(t.angle, 0) << what;
    EXPECT_EQ(dist(t.e1, e1), 0) << what;
}

}  // namespace

TEST(CalTurnAvoidWF, EveryTurnIsACircleFromAaToBbAndPlainOnlyWhereNothingIsNear) {
    auto s = makeScene();
    std::mt19937 rng(51);
    int plain = 0, avoiding = 0;
    for (int n = 0; n < 2000; ++n) {
        const char side = (n % 2) ? 'O' : 'I';
        const int M = 2 + static_cast<int>(rng() % (s->Nw - 1));
        const double m = M < s->Nw ? Margin : MarginW;
        const Vec3 P = V(uniform(rng, -1, 1), s->rhy + uniform(rng, -4, 4), uniform(rng, 0, 3));
        const Vec3 aa = mul(uniform(rng, 0.1, 3), randomUnit(rng));
        Vec3 bb = mul(uniform(rng, 0.1, 3), randomUnit(rng));
        if (n % 50 == 7) bb = mul(-0.5, aa);                                    // opposite
        if (n % 50 == 8) bb = add(mul(-1, aa), mul(1e-4, randomUnit(rng)));     // nearly opposite
        if (n % 50 == 9) bb = add(aa, mul(3e-5 * norm(aa), randomUnit(rng)));  // nearly the same
        const Turn t = turn(*s, side, M, P, aa, bb);
        const Vec3 A = unit(aa), B = unit(bb);
        if (std::fabs(A[0] - B[0]) + std::fabs(A[1] - B[1]) + std::fabs(A[2] - B[2]) < 0.00001) {
            expectNoTurn(t, A, "too close to turn");
            continue;
        }
        expectCircle(t, aa, bb);
        (t.avoiding ? avoiding : plain)++;
        if (t.avoiding) continue;
        // The plain turn is the shortest one about the origin...
        EXPECT_EQ(norm(t.c), 0.0);
        EXPECT_EQ(t.r, 1.0);
        EXPECT_NEAR(t.angle, std::acos(std::fmax(-1.0, std::fmin(1.0, dot(A, B)))), 1e-9);
        // ... taken only where a link of unit length cannot reach the band...
        EXPECT_TRUE(side == 'O' ? P[1] - (s->rhy2 + m) >= s->L[M] : P[1] + s->L[M] <= s->rhy1 - m) << side;
        // ... and where the vector never dips below both its ends unless a unit link stays above
        // the floor margin all round.
        double zmin = 1e300;
        for (int i = 0; i <= 200; ++i) zmin = std::fmin(zmin, onCircle(t, t.angle * i / 200)[2]);
        EXPECT_TRUE(P[2] - 1.0 >= m - 1e-12 || zmin >= std::fmin(A[2], B[2]) - 1e-9 || P[2] + zmin >= m - 1e-9);
    }
    EXPECT_GT(plain, 200);
    EXPECT_GT(avoiding, 200);
}

TEST(CalTurnAvoidAxis, TurnLeavesTheWallSideDirectionAwayFromTheWallAndUpwards) {
    auto s = makeScene();
    std::mt19937 rng(53);
    int unswapped = 0, swapped = 0;
    for (int n = 0; n < 2000; ++n) {
        const char side = (n % 2) ? 'O' : 'I';
        const double away = side == 'O' ? 1.0 : -1.0;  // +y leaves the far face, -y the near face
        const Vec3 a = randomUnit(rng), b = randomUnit(rng);
        if (dist(a, b) < 1e-3 || dist(a, mul(-1, b)) < 1e-2) continue;
        const Turn t = turn(*s, side, 0, a, a, b);
        expectCircle(t, a, b);
        // Q is the direction nearer the wall, P the other; the turn goes between them either way.
        const bool sw = away * b[1] < away * a[1];
        const Vec3 Q = sw ? b : a, Pd = sw ? a : b;
        // The motion at Q, pointing from Q towards P along the circle, and the arrival at P.
        const Vec3 leaveQ = unit(sw ? mul(-1, velocity(t, t.angle)) : velocity(t, 0));
        const Vec3 arriveP = unit(sw ? velocity(t, 0) : mul(-1, velocity(t, t.angle)));
        (sw ? swapped : unswapped)++;
        // Away from the wall, unless the velocity can hardly move in y at all; upwards from Q when
        // Q is the lower one, else arriving at P from above.
        EXPECT_GE(away * leaveQ[1], -0.015) << "side " << side;
        if (Q[2] <= Pd[2]) {
            EXPECT_GE(leaveQ[2], -0.015) << "upwards from Q";
        } else {
            EXPECT_GE(arriveP[2], -1e-8) << "arrival at P from above";
        }
    }
    EXPECT_GT(unswapped, 500);
    EXPECT_GT(swapped, 500);
    // Exactly opposite: a half turn about an axis across x.
    for (char side : {'O', 'I'})
        for (Vec3 a : {V(0, 0.6, 0.8), V(0.3, -0.5, 0), V(0.2, -0.3, -0.9), V(1, 0, 0), V(-1, 0, 0)}) {
            a = unit(a);
            const Turn t = turn(*s, side, 0, a, a, mul(-1, a));
            expectCircle(t, a, mul(-1, a));
            // the axis e1 x e2 lies along x
            EXPECT_LT(std::fabs(t.angle - PI_C), 1e-9);
            EXPECT_LT(norm(t.c), 1e-12);
            EXPECT_LT(std::fabs(t.e1[1] * t.e2[2] - t.e1[2] * t.e2[1]), 1e-12);
        }
    // Degenerate input (a zero vector, or aa along bb): no turn, finite defaults.
    Turn t = turn(*s, 'O', 0, V(0, 0, 0), V(0, 0, 0), V(0, 1, 0));
    expectNoTurn(t, s->nAlpha, "zero aa");
    EXPECT_EQ(dist(t.c, s->ez), 0);
    EXPECT_EQ(dist(t.e2, s->nWall), 0);
    t = turn(*s, 'O', 5, V(0, 0, 1), V(0, 2, 0), V(0, 1, 0));
    expectNoTurn(t, V(0, 1, 0), "aa along bb");
    EXPECT_EQ(dist(t.e2, s->ez), 0);
    t = turn(*s, 'O', 5, V(0, 0, 1), V(0, 0, 0), V(0, 1, 0));
    expectNoTurn(t, s->nAlpha, "zero aa, link 5");
    EXPECT_EQ(norm(t.c), 0);
}

TEST(IntervalMeet, MeetOfAngleIntervalsModuloTwoPi) {
    auto s = makeScene();
    std::mt19937 rng(54);
    auto inArc = [](double x, double lo, double len) {
        double d = std::fmod(x - lo, TWO_PI_C);
        if (d < 0) d += TWO_PI_C;
        return d <= len + 1e-9 || d >= TWO_PI_C - 1e-9;
    };
    for (int n = 0; n < 1500; ++n) {
        const double lo1 = uniform(rng, -PI_C, PI_C), len1 = uniform(rng, 0.1, 3.0);
        const double lo2 = uniform(rng, -PI_C, PI_C), len2 = uniform(rng, 0.1, 3.0);
        double out[2] = {7, 7};
        intervalMeet(*s, lo1, lo1 + len1, lo2, lo2 + len2, out);
        // The arcs meet when one contains the start of the other.
        const bool meet = inArc(lo2, lo1, len1) || inArc(lo1, lo2, len2);
        EXPECT_EQ(s->sgnTurn, meet ? 1 : 0);
        if (meet) {
            EXPECT_LE(out[0], out[1] + 1e-12);
        } else {
            EXPECT_EQ(out[0], 0.0);
            EXPECT_EQ(out[1], 0.0);
        }
        for (int k = 0; k <= 4 && meet; ++k) {
            const double x = out[0] + (out[1] - out[0]) * k / 4;
            EXPECT_TRUE(inArc(x, lo1, len1)) << x;
            EXPECT_TRUE(inArc(x, lo2, len2)) << x;
        }
        // Half intervals: where cos(t - a) >= 0 ('P') or <= 0 ('N'); two 'P' always meet.
        const double a1 = lo1, a2 = lo2, sg1 = n % 2 ? 1 : -1;
        halfIntervals(*s, n % 2 ? 'P' : 'N', a1, 'P', a2, out);
        if (n % 2) { EXPECT_EQ(s->sgnTurn, 1); }
        for (int k = 0; k <= 4; ++k) {
            const double x = out[0] + (out[1] - out[0]) * k / 4;
            EXPECT_GE(sg1 * std::cos(x - a1), -1e-8) << x;
            EXPECT_GE(std::cos(x - a2), -1e-8) << x;
        }
    }
    // An arc from exactly 0 past pi meets one past -pi: the copy a turn lower counts.
    double out[2];
    intervalMeet(*s, 0, 4, -3, -2.5, out);
    EXPECT_EQ(s->sgnTurn, 1);
    EXPECT_NEAR(out[0], -3, 1e-12);
    EXPECT_NEAR(out[1], -2.5, 1e-12);
    // Non-finite ends: no meet.
    intervalMeet(*s, NAN, 1, 0, 1, out);
    EXPECT_EQ(s->sgnTurn, 0);
    EXPECT_EQ(out[0], 0.0);
}
