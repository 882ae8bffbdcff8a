// Link-against-link distance: the closest pair against an independent search over both
// segments, the part codes against where the closest points lie, the clearance table and the
// bend limits of touching and adjacent links.
#include <gtest/gtest.h>

#include "collide/collide_test_util.h"
#include "collide/interference.h"

using namespace ct;

namespace {

struct Pair {
    int M, K;
    Vec3 A0, u1, B0, u2;
    double L1, L2;  // lengths of links M and K
};

struct Result {
    int r;
    double d, c;
    Vec3 P1, P2;
    int t1, t2;
};

Result run(Scene& s, const Pair& p) {
    s.L[p.M] = p.L1;
    s.L[p.K] = p.L2;
    Result o{};
    o.r = SegSegDist(s, p.M, p.A0, p.u1, p.K, p.B0, p.u2, o.d, o.c, o.P1, o.P2, o.t1, o.t2);
    return o;
}

// The point lies on the segment where its part code says: 1 the start, 2 the end, 0 between.
void expectOnPart(const Vec3& P, const Vec3& a0, const Vec3& u, double L, int code, const char* what) {
    const Vec3 a1 = add(a0, mul(L, u));
    EXPECT_LT(pointSegDist(P, a0, u, L), 1e-9) << what << " is not on its link";
    if (code == 1) {
        EXPECT_LT(dist(P, a0), 1e-9) << what << " should be the start point";
    }
    if (code == 2) {
        EXPECT_LT(dist(P, a1), 1e-9) << what << " should be the end point";
    }
    if (code == 0) {
        EXPECT_GT(dist(P, a0), 1e-12) << what << " should be interior";
        EXPECT_GT(dist(P, a1), 1e-12) << what << " should be interior";
    }
}

// Checks one pair of links whose clearance table is uniform (0.21 everywhere).
void checkUniformPair(Scene& s, const Pair& p, const char* family) {
    SCOPED_TRACE(family);
    Result o = run(s, p);
    const double ref = segDistRef(p.A0, p.u1, p.L1, p.B0, p.u2, p.L2);
    const double grid = segDistGrid(p.A0, p.u1, p.L1, p.B0, p.u2, p.L2, 60);
    EXPECT_NEAR(o.d, ref, 1e-6);
    EXPECT_LE(o.d, grid + 1e-9);
    EXPECT_NEAR(dist(o.P1, o.P2), o.d, 1e-9);
    EXPECT_NEAR(o.c, o.d - 0.21, 1e-12);
    EXPECT_EQ(o.r, o.c < -0.001 ? -3 : 0);
    expectOnPart(o.P1, p.A0, p.u1, p.L1, o.t1, "P1");
    expectOnPart(o.P2, p.B0, p.u2, p.L2, o.t2, "P2");
}

Pair randomPair(std::mt19937& rng, int M, int K) {
    Pair p;
    p.M = M;
    p.K = K;
    p.A0 = V(uniform(rng, -1, 1), uniform(rng, -1, 1), uniform(rng, -1, 1));
    p.B0 = V(uniform(rng, -1, 1), uniform(rng, -1, 1), uniform(rng, -1, 1));
    p.u1 = randomUnit(rng);
    p.u2 = randomUnit(rng);
    p.L1 = uniform(rng, 0.05, 2.0);
    p.L2 = uniform(rng, 0.05, 2.0);
    return p;
}

}  // namespace

TEST(SegSegDist, RandomPairsMatchIndependentSearch) {
    auto s = makeScene();
    std::mt19937 rng(11);
    // Link pairs below the wrist and not adjacent: one clearance for every pair of parts.
    const int pairs[][2] = {{3, 1}, {1, 3}, {5, 2}, {2, 4}, {4, 1}, {5, 3}};
    for (int n = 0; n < 400; ++n) {
        const int* mk = pairs[n % 6];
        checkUniformPair(*s, randomPair(rng, mk[0], mk[1]), "random");
    }
}

TEST(SegSegDist, SpecialFamiliesMatchIndependentSearch) {
    auto s = makeScene();
    std::mt19937 rng(12);
    for (int n = 0; n < 60; ++n) {
        const int M = (n % 2) ? 5 : 2, K = (n % 2) ? 2 : 5;  // both caller orders
        // Parallel, either sense, with random overlap.
        Pair p = randomPair(rng, M, K);
        p.u2 = (n % 3 == 0) ? mul(-1, p.u1) : p.u1;
        checkUniformPair(*s, p, "parallel");
        // Collinear: the second link starts on the line of the first.
        p.B0 = add(p.A0, mul(uniform(rng, -2.5, 2.5), p.u1));
        checkUniformPair(*s, p, "collinear");
        // Crossing at interior points.
        p = randomPair(rng, M, K);
        const Vec3 X = add(p.A0, mul(p.L1 * uniform(rng, 0.1, 0.9), p.u1));
        p.B0 = sub(X, mul(p.L2 * uniform(rng, 0.1, 0.9), p.u2));
        checkUniformPair(*s, p, "crossing");
        {
            Result o = run(*s, p);
            EXPECT_NEAR(o.d, 0, 1e-9);
            EXPECT_EQ(o.t1, 0);
            EXPECT_EQ(o.t2, 0);
            EXPECT_EQ(o.r, -3);
        }
        // Zero length on one side, then on both.
        p = randomPair(rng, M, K);
        p.L1 = 0;
        checkUniformPair(*s, p, "zero length 1");
        p.L2 = 0;
        checkUniformPair(*s, p, "zero length 2");
        // The start of the lower link on the end of the higher one: an ordinary closest pair.
        p = randomPair(rng, 2, 5);
        p.A0 = add(p.B0, mul(p.L2, p.u2));
        checkUniformPair(*s, p, "start on end");
        EXPECT_EQ(run(*s, p).r, -3);
    }
}

TEST(SegSegDist, EndOfLowerLinkOnStartOfHigherIsJudgedByItsBendOnly) {
    auto s = makeScene();
    std::mt19937 rng(13);
    for (int n = 0; n < 40; ++n) {
        Pair p = randomPair(rng, 5, 2);  // caller gives the higher link first
        // Link 2 ends where link 5 starts.
        p.A0 = add(p.B0, mul(p.L2, p.u2));
        Result o = run(*s, p);
        EXPECT_EQ(o.d, 9.0);
        EXPECT_EQ(o.c, 9.0);
        EXPECT_EQ(o.t1, 1);  // the start of link 5
        EXPECT_EQ(o.t2, 2);  // the end of link 2
        EXPECT_LT(dist(o.P1, o.P2), 1e-12);
        const double bend = std::acos(std::fmax(-1.0, std::fmin(1.0, dot(p.u1, p.u2))));
        EXPECT_EQ(o.r, bend > s->qLimit ? -3 : 0) << "bend " << bend;
    }
    // A fold of 170 degrees exceeds the limit of 165; 160 does not.
    for (double deg : {160.0, 170.0}) {
        const double a = deg * PI_C / 180;
        Pair p{5, 2, V(0, 0, 1), V(std::sin(a), 0, std::cos(a)), V(0, 0, 0), V(0, 0, 1), 1.0, 1.0};
        EXPECT_EQ(run(*s, p).r, deg > 165 ? -3 : 0);
    }
}

TEST(SegSegDist, AdjacentLinksFailOnlyBeyondTheBendLimits) {
    auto s = makeScene();
    const int N = s->N;
    // Links 3 and 4 (below the wrist: 165 degrees), links 6 and 7 (wrist: 135 degrees).
    for (int k : {3, N - 2}) {
        const double limit = k <= N - 3 ? s->qLimit : s->qLimitWrist;
        for (double off : {-0.01, 0.01}) {
            const double a = limit + off;
            Pair p{k + 1, k, V(0, 0, 1), V(std::sin(a), 0, std::cos(a)), V(0, 0, 0), V(0, 0, 1), 1.0, 1.0};
            Result o = run(*s, p);
            EXPECT_EQ(o.r, off > 0 ? -3 : 0) << "link " << k << " bend " << a;
            EXPECT_TRUE(std::isfinite(o.d) && std::isfinite(o.c));
        }
    }
    // Exactly folded back: the product is -1 (or rounds past it) and must still be judged.
    Pair p{4, 3, V(0, 0, 1), V(0, 0, -1), V(0, 0, 0), V(0, 0, 1), 1.0, 1.0};
    Result o = run(*s, p);
    EXPECT_EQ(o.r, -3);
    const Vec3 u = unit(V(0.3, -0.2, 0.9));
    Pair q{4, 3, V(0, 0, 1), mul(-1.0000000000000002, u), V(0, 0, 0), u, 1.0, 1.0};
    EXPECT_EQ(run(*s, q).r, -3);
}

TEST(SegSegDist, ClearanceTableByPartsAndLinks) {
    auto s = makeScene();
    const int N = s->N, Nw = s->Nw;
    // Two crossing links 0.2 apart: clearance -0.01 (interference); 0.22 apart: +0.01.
    for (double gap : {0.2, 0.22}) {
        Pair p{5, 2, V(-0.5, 0, gap), V(1, 0, 0), V(0, -0.5, 0), V(0, 1, 0), 1.0, 1.0};
        Result o = run(*s, p);
        EXPECT_NEAR(o.d, gap, 1e-12);
        EXPECT_NEAR(o.c, gap - 0.21, 1e-12);
        EXPECT_EQ(o.r, gap < 0.21 ? -3 : 0);
        EXPECT_EQ(o.t1, 0);
        EXPECT_EQ(o.t2, 0);
    }
    // The end point of a link near the wrist keeps 0.31 from another link; lower links 0.21.
    for (int M : {N - 3, N - 2, N - 1}) {
        // Link M ends 0.3 above the middle of link 2.
        Pair p{M, 2, V(0, 0, 1.3), V(0, 0, -1), V(-0.5, 0, 0), V(1, 0, 0), 1.0, 1.0};
        Result o = run(*s, p);
        EXPECT_NEAR(o.d, 0.3, 1e-12);
        EXPECT_EQ(o.t1, 2);
        EXPECT_EQ(o.t2, 0);
        const double req = M >= N - 2 ? 0.31 : 0.21;
        EXPECT_NEAR(o.c, 0.3 - req, 1e-12) << "link " << M;
        EXPECT_EQ(o.r, M >= N - 2 ? -3 : 0);
    }
    // Its start point keeps 0.21 (entries without the end point of the wrist link).
    {
        Pair p{N - 2, 2, V(0, 0, 0.3), V(0, 0, 1), V(-0.5, 0, 0), V(1, 0, 0), 1.0, 1.0};
        Result o = run(*s, p);
        EXPECT_EQ(o.t1, 1);
        EXPECT_NEAR(o.c, 0.3 - 0.21, 1e-12);
    }
    // The work link keeps 0.31 everywhere, interior to interior included.
    {
        Pair p{Nw, 2, V(-0.5, 0, 0.3), V(1, 0, 0), V(0, -0.5, 0), V(0, 1, 0), 1.0, 1.0};
        Result o = run(*s, p);
        EXPECT_EQ(o.t1, 0);
        EXPECT_EQ(o.t2, 0);
        EXPECT_NEAR(o.c, 0.3 - 0.31, 1e-12);
        EXPECT_EQ(o.r, -3);
    }
}

TEST(SegSegDist, LinksOutsideTheArmAreNotJudged) {
    auto s = makeScene();
    const Vec3 a = V(0, 0, 0), u = V(1, 0, 0);
    for (auto mk : {std::pair<int, int>{3, 3}, {0, 3}, {3, -1}, {s->Nw + 1, 2}, {2, s->Nw + 1}}) {
        double d, c;
        Vec3 P1, P2;
        int t1, t2;
        EXPECT_EQ(SegSegDist(*s, mk.first, a, u, mk.second, a, u, d, c, P1, P2, t1, t2), 0);
        EXPECT_EQ(d, 9.0);
        EXPECT_EQ(c, 9.0);
    }
    // Non-finite points cannot be judged clear.
    double d, c;
    Vec3 P1, P2;
    int t1, t2;
    const Vec3 bad = V(NAN, 0, 0);
    EXPECT_EQ(SegSegDist(*s, 5, bad, u, 2, a, u, d, c, P1, P2, t1, t2), -3);
    EXPECT_TRUE(std::isfinite(d) && std::isfinite(c) && std::isfinite(P1[0]) && std::isfinite(P2[0]));
}
