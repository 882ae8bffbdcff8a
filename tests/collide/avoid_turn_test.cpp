// Turns of a direction vector that keep a link off the wall band and the floor margin: the
// circle they describe, the side the turn leaves from, and the interval arithmetic.
#include <gtest/gtest.h>

#include "collide/avoid_turn.h"
#include "collide/collide_test_util.h"

using namespace ct;

namespace {

struct Turn {
    int ret;
    Vec3 c, e1, e2;
    double r, angle;
    bool avoiding;  // went through calTurnAvoidAxis
};

Vec3 onCircle(const Turn& t, double s) {
    return add(t.c, mul(t.r, add(mul(std::cos(s), t.e1), mul(std::sin(s), t.e2))));
}
// Derivative of the moving vector with respect to the turn parameter.
Vec3 velocity(const Turn& t, double s) {
    return mul(t.r, add(mul(-std::sin(s), t.e1), mul(std::cos(s), t.e2)));
}

Turn turnWF(Scene& s, char side, int M, const Vec3& P, const Vec3& aa, const Vec3& bb) {
    Turn t{};
    s.sgnTurn = -99;
    t.ret = calTurnAvoidWF(s, side, M, P, aa, bb, t.c, t.e1, t.e2, t.r, t.angle);
    t.avoiding = s.sgnTurn != -99;
    return t;
}

// A proper turn: a circle of unit vectors from unit(aa) to unit(bb), orthonormal e1, e2.
void expectCircle(const Turn& t, const Vec3& aa, const Vec3& bb) {
    EXPECT_LT(dist(onCircle(t, 0), unit(aa)), 1e-9);
    EXPECT_LT(dist(onCircle(t, t.angle), unit(bb)), 1e-9);
    EXPECT_NEAR(norm(t.e1), 1, 1e-9);
    EXPECT_NEAR(norm(t.e2), 1, 1e-9);
    EXPECT_NEAR(dot(t.e1, t.e2), 0, 1e-9);
    EXPECT_GE(t.angle, 0);
    EXPECT_LT(t.angle, TWO_PI_C);
    EXPECT_GT(t.r, 0);
    for (double f : {0.25, 0.5, 0.75}) EXPECT_NEAR(norm(onCircle(t, f * t.angle)), 1, 1e-9);
}

}  // namespace

TEST(CalTurnAvoidWF, EveryTurnIsACircleFromAaToBb) {
    auto s = makeScene();
    std::mt19937 rng(51);
    int plain = 0, avoiding = 0;
    for (int n = 0; n < 4000; ++n) {
        const char side = (n % 2) ? 'O' : 'I';
        const int M = 2 + static_cast<int>(rng() % (s->Nw - 1));
        const Vec3 P = V(uniform(rng, -1, 1), s->rhy + uniform(rng, -4, 4), uniform(rng, 0, 3));
        Vec3 aa = mul(uniform(rng, 0.1, 3), randomUnit(rng)), bb = mul(uniform(rng, 0.1, 3), randomUnit(rng));
        if (n % 50 == 7) bb = mul(-0.5, aa);                             // opposite
        if (n % 50 == 8) bb = add(mul(-1, aa), mul(1e-4, randomUnit(rng)));  // nearly opposite
        if (n % 50 == 9) bb = add(aa, mul(3e-5 * norm(aa), randomUnit(rng)));  // nearly the same
        Turn t = turnWF(*s, side, M, P, aa, bb);
        EXPECT_EQ(t.ret, 1);
        const Vec3 A = unit(aa), B = unit(bb);
        if (std::fabs(A[0] - B[0]) + std::fabs(A[1] - B[1]) + std::fabs(A[2] - B[2]) < 0.00001) {
            // Too close to turn: no turn at all.
            EXPECT_EQ(t.r, 0);
            EXPECT_EQ(t.angle, 0);
            EXPECT_EQ(dist(t.e1, A), 0);
            continue;
        }
        expectCircle(t, aa, bb);
        (t.avoiding ? avoiding : plain)++;
        if (!t.avoiding) {
            // The plain turn is the shortest one about the origin.
            EXPECT_EQ(norm(t.c), 0.0);
            EXPECT_EQ(t.r, 1.0);
            EXPECT_NEAR(t.angle, std::acos(std::fmax(-1.0, std::fmin(1.0, dot(unit(aa), unit(bb))))), 1e-9);
            EXPECT_LE(t.angle, PI_C);
        }
    }
    EXPECT_GT(plain, 500);
    EXPECT_GT(avoiding, 500);
}

TEST(CalTurnAvoidWF, PlainTurnOnlyWhereTheLinkCannotReachTheWallAndKeepsOffTheFloor) {
    auto s = makeScene();
    std::mt19937 rng(52);
    for (int n = 0; n < 3000; ++n) {
        const char side = (n % 2) ? 'O' : 'I';
        const int M = 2 + static_cast<int>(rng() % (s->Nw - 1));
        const double m = M < s->Nw ? Margin : MarginW;
        const Vec3 P = V(0, s->rhy + uniform(rng, -5, 5), uniform(rng, 0, 2.5));
        const Vec3 aa = randomUnit(rng), bb = randomUnit(rng);
        Turn t = turnWF(*s, side, M, P, aa, bb);
        if (t.avoiding) continue;
        // Far enough from the band for the link...
        if (side == 'O') {
            EXPECT_GE(P[1] - (s->rhy2 + m), s->L[M]);
        } else {
            EXPECT_LE(P[1] + s->L[M], s->rhy1 - m);
        }
        // ... and the vector never dips below both its ends unless a unit link stays above the
        // floor margin all round.
        double zmin = 1e300;
        for (int i = 0; i <= 400; ++i) zmin = std::fmin(zmin, onCircle(t, t.angle * i / 400)[2]);
        const bool above = P[2] - 1.0 >= m - 1e-12;
        EXPECT_TRUE(above || zmin >= std::fmin(aa[2], bb[2]) - 1e-9 || P[2] + zmin >= m - 1e-9);
    }
    // Far from the wall and high above the floor: the plain great-circle turn.
    placeWall(*s, 0, 50);
    Turn t = turnWF(*s, 'I', 5, V(0, 0, 5), V(1, 0, 0), V(0, 0, -1));
    EXPECT_FALSE(t.avoiding);
    EXPECT_NEAR(t.angle, std::acos(0.0), 1e-12);
}

TEST(CalTurnAvoidAxis, TurnLeavesTheWallSideDirectionAwayFromTheWall) {
    auto s = makeScene();
    std::mt19937 rng(53);
    int unswapped = 0, swapped = 0;
    for (int n = 0; n < 4000; ++n) {
        const char side = (n % 2) ? 'O' : 'I';
        const double away = side == 'O' ? 1.0 : -1.0;  // +y leaves the far face, -y the near face
        const Vec3 a = randomUnit(rng), b = randomUnit(rng);
        if (dist(a, b) < 1e-3 || dist(a, mul(-1, b)) < 1e-2) continue;
        Turn t{};
        t.ret = calTurnAvoidAxis(*s, side, a, b, t.c, t.e1, t.e2, t.r, t.angle);
        EXPECT_EQ(t.ret, 1);
        expectCircle(t, a, b);
        // Q is the direction nearer the wall, P the other; the turn goes between them either way.
        const bool sw = away * b[1] < away * a[1];
        const Vec3 Q = sw ? b : a, Pd = sw ? a : b;
        // The motion at Q, pointing from Q towards P along the circle.
        const Vec3 leaveQ = sw ? mul(-1, velocity(t, t.angle)) : velocity(t, 0);
        const Vec3 arriveP = sw ? velocity(t, 0) : mul(-1, velocity(t, t.angle));  // from P back
        (sw ? swapped : unswapped)++;
        // Away from the wall, unless the velocity can hardly move in y at all.
        const Vec3 vN = unit(leaveQ);
        EXPECT_GE(away * vN[1], -0.015) << "side " << side;
        if (Q[2] <= Pd[2]) {
            EXPECT_GE(vN[2], -0.015) << "upwards from Q";
        } else {
            EXPECT_GE(unit(arriveP)[2], -1e-8) << "arrival at P from above";
        }
        if (!sw) {
            // Starting on the wall side, the first motion itself is away from the wall.
            EXPECT_GE(away * unit(velocity(t, 0))[1], -0.015);
        }
    }
    EXPECT_GT(unswapped, 1000);
    EXPECT_GT(swapped, 1000);
}

TEST(CalTurnAvoidAxis, DegenerateAndOppositeDirections) {
    auto s = makeScene();
    Vec3 c, e1, e2;
    double r = -1, angle = -1;
    // Exactly opposite: a half turn about an axis across x.
    for (char side : {'O', 'I'}) {
        for (Vec3 a : {V(0, 0.6, 0.8), V(0.3, -0.5, 0), unit(V(0.2, -0.3, -0.9)),
                       V(1, 0, 0), V(-1, 0, 0)}) {
            a = unit(a);
            const Vec3 b = mul(-1, a);
            calTurnAvoidAxis(*s, side, a, b, c, e1, e2, r, angle);
            Turn t{1, c, e1, e2, r, angle, true};
            expectCircle(t, a, b);
            EXPECT_NEAR(angle, PI_C, 1e-9);
            EXPECT_NEAR(norm(c), 0, 1e-12);
            EXPECT_NEAR(cross(e1, e2)[0], 0, 1e-12) << "axis with x component";
        }
    }
    // Degenerate input: the defaults.
    calTurnAvoidAxis(*s, 'O', V(0, 0, 0), V(0, 1, 0), c, e1, e2, r, angle);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(angle, 0);
    EXPECT_EQ(dist(c, s->ez), 0);
    EXPECT_EQ(dist(e1, s->nAlpha), 0);
    EXPECT_EQ(dist(e2, s->nWall), 0);
    // aa = bb: no turn at all.
    Turn t = turnWF(*s, 'O', 5, V(0, 0, 1), V(0, 2, 0), V(0, 1, 0));
    EXPECT_EQ(t.r, 0);
    EXPECT_EQ(t.angle, 0);
    EXPECT_EQ(dist(t.e1, V(0, 1, 0)), 0);
    EXPECT_EQ(dist(t.e2, s->ez), 0);
    // A zero vector: the defaults of the turn, all finite.
    t = turnWF(*s, 'O', 5, V(0, 0, 1), V(0, 0, 0), V(0, 1, 0));
    EXPECT_EQ(t.r, 0);
    EXPECT_EQ(t.angle, 0);
    EXPECT_EQ(dist(t.e1, s->nAlpha), 0);
    EXPECT_EQ(dist(t.c, V(0, 0, 0)), 0);
}

TEST(CalTurnAvoidWF, Trace) {
    auto s = makeScene();
    Vec3 c, e1, e2;
    double r, angle;
    std::string text;
    {
        TraceCapture cap(*s);
        calTurnAvoidWF(*s, 'O', 5, V(0, 0, 1), V(0, 1, 0), V(0, 0, 2), c, e1, e2, r, angle);
        text = cap.text();
    }
    EXPECT_EQ(text.rfind("\n☆========= ベクトルの壁床と干渉しないaa[]→bb[]への旋回計算 =============☆"
                         "\n  aa[]=(  0.000  1.000  0.000)  bb[]=(  0.000  0.000  2.000)",
                         0),
              0u)
        << text;
}

TEST(IntervalMeet, MeetOfAngleIntervalsModuloTwoPi) {
    auto s = makeScene();
    std::mt19937 rng(54);
    auto inArc = [](double x, double lo, double len) {
        double d = std::fmod(x - lo, TWO_PI_C);
        if (d < 0) d += TWO_PI_C;
        return d <= len + 1e-9 || d >= TWO_PI_C - 1e-9;
    };
    for (int n = 0; n < 3000; ++n) {
        const double lo1 = uniform(rng, -PI_C, PI_C), len1 = uniform(rng, 0.1, 3.0);
        const double lo2 = uniform(rng, -PI_C, PI_C), len2 = uniform(rng, 0.1, 3.0);
        double out[2] = {7, 7};
        intervalMeet(*s, lo1, lo1 + len1, lo2, lo2 + len2, out);
        // The arcs meet when one contains the start of the other.
        const bool meet = inArc(lo2, lo1, len1) || inArc(lo1, lo2, len2);
        EXPECT_EQ(s->sgnTurn, meet ? 1 : 0);
        if (meet) {
            EXPECT_LE(out[0], out[1] + 1e-12);
            for (int k = 0; k <= 4; ++k) {
                const double x = out[0] + (out[1] - out[0]) * k / 4;
                EXPECT_TRUE(inArc(x, lo1, len1) && inArc(x, lo2, len2)) << x;
            }
        } else {
            EXPECT_EQ(out[0], 0.0);
            EXPECT_EQ(out[1], 0.0);
        }
    }
    // Half intervals: where cos(t - a) >= 0; two of them always meet.
    for (int n = 0; n < 1000; ++n) {
        const double a1 = uniform(rng, -PI_C, PI_C), a2 = uniform(rng, -PI_C, PI_C);
        double out[2];
        halfIntervals(*s, 'P', a1, 'P', a2, out);
        EXPECT_EQ(s->sgnTurn, 1);
        for (int k = 0; k <= 4; ++k) {
            const double x = out[0] + (out[1] - out[0]) * k / 4;
            EXPECT_GE(std::cos(x - a1), -1e-8);
            EXPECT_GE(std::cos(x - a2), -1e-8);
        }
        halfIntervals(*s, 'N', a1, 'P', a2, out);
        for (int k = 0; k <= 4; ++k) {
            const double x = out[0] + (out[1] - out[0]) * k / 4;
            EXPECT_LE(std::cos(x - a1), 1e-8);
            EXPECT_GE(std::cos(x - a2), -1e-8);
        }
    }
    // Non-finite ends: no meet.
    double out[2];
    intervalMeet(*s, NAN, 1, 0, 1, out);
    EXPECT_EQ(s->sgnTurn, 0);
    EXPECT_EQ(out[0], 0.0);
}
