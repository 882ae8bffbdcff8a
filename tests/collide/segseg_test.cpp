// Link-against-link distance: the closest pair against an independent search over both
// segments, the part codes against where the closest points lie, the clearance table and the
// bend limits of touching and adjacent links.
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
    int r, t1, t2;
    double d, c;
    Vec3 P1, P2;
};

Result run(Scene& s, const Pair& p) {
    Result o{};
    s.L[p.M] = p.L1, s.L[p.K] = p.L2;
    o.r = SegSegDist(s, p.M, p.A0, p.u1, p.K, p.B0, p.u2, o.d, o.c, o.P1, o.P2, o.t1, o.t2);
    return o;
}

// A link from the origin up the z axis, and one from (0, 0, 1) bent by angle a from it.
Pair bent(int M, int K, double a) { return Pair{M, K, V(0, 0, 1), V(std::sin(a), 0, std::cos(a)), V(0, 0, 0), V(0, 0, 1), 1, 1}; }

// The point lies on the segment where its part code says: 1 the start, 2 the end, 0 between.
void expectOnPart(const Vec3& P, const Vec3& a0, const Vec3& u, double L, int code, const char* what) {
    const double d0 = dist(P, a0), d1 = dist(P, add(a0, mul(L, u)));
    EXPECT_LT(pointSegDist(P, a0, u, L), 1e-9) << what << " is not on its link";
    if (code != 2) { EXPECT_EQ(code == 1 ? d0 < 1e-9 : d0 > 1e-12, true) << what << " part " << code << ", start " << d0; }
    if (code != 1) { EXPECT_EQ(code == 2 ? d1 < 1e-9 : d1 > 1e-12, true) << what << " part " << code << ", end " << d1; }
}

}  // namespace

TEST(SegSegDist, RandomPairsAndSpecialFamiliesMatchIndependentSearch) {
    auto s = makeScene();
    std::mt19937 rng(11);
    // Link pairs below the wrist and not adjacent (one clearance, 0.21, for every pair of parts),
    // in both caller orders.
    const int pairs[][2] = {{3, 1}, {1, 3}, {5, 2}, {2, 5}, {4, 1}, {5, 3}};
    const char* family[] = {"random", "parallel", "antiparallel", "collinear", "crossing", "zero length 1",
                            "zero length 2", "start on end"};
    for (int n = 0; n < 320; ++n) {
        const int f = n % 8;
        Pair p{pairs[n % 6][0], pairs[n % 6][1], V(uniform(rng, -1, 1), uniform(rng, -1, 1), uniform(rng, -1, 1)),
               randomUnit(rng), V(uniform(rng, -1, 1), uniform(rng, -1, 1), uniform(rng, -1, 1)), randomUnit(rng),
               uniform(rng, 0.05, 2.0), uniform(rng, 0.05, 2.0)};
        if (f == 1 || f == 3) p.u2 = p.u1;
        if (f == 2) p.u2 = mul(-1, p.u1);
        if (f == 3) p.B0 = add(p.A0, mul(uniform(rng, -2.5, 2.5), p.u1));
        if (f == 4) p.B0 = sub(add(p.A0, mul(p.L1 * uniform(rng, 0.1, 0.9), p.u1)), mul(p.L2 * uniform(rng, 0.1, 0.9), p.u2));
        if (f == 5 || f == 6) p.L1 = 0;
        if (f == 6) p.L2 = 0;
        if (f == 7) p.M = 2, p.K = 5, p.A0 = add(p.B0, mul(p.L2, p.u2));  // lower link starts on the higher's end
        SCOPED_TRACE(family[f]);
        const Result o = run(*s, p);
        EXPECT_NEAR(o.d, segDistRef(p.A0, p.u1, p.L1, p.B0, p.u2, p.L2), 1e-6);
        EXPECT_LE(o.d, segDistGrid(p.A0, p.u1, p.L1, p.B0, p.u2, p.L2, 40) + 1e-9);
        EXPECT_NEAR(dist(o.P1, o.P2), o.d, 1e-9);
        EXPECT_NEAR(o.c, o.d - 0.21, 1e-12);
        EXPECT_EQ(o.r, o.c < -0.001 ? -3 : 0);
        expectOnPart(o.P1, p.A0, p.u1, p.L1, o.t1, "P1");
        expectOnPart(o.P2, p.B0, p.u2, p.L2, o.t2, "P2");
        if (f != 4) continue;
        EXPECT_LT(o.d, 1e-9);
        EXPECT_EQ(o.t1, 0);
        EXPECT_EQ(o.t2, 0);
    }
}

TEST(SegSegDist, TouchingAndAdjacentLinksAreJudgedByTheirBend) {
    auto s = makeScene();
    std::mt19937 rng(13);
    // The end of a lower link on the start of a higher one (caller gives the higher first): no
    // distance, only the bend against the limit of 165 degrees.
    for (int n = 0; n < 40; ++n) {
        Pair p{5, 2, V(0, 0, 0), randomUnit(rng), V(uniform(rng, -1, 1), 0, 0), randomUnit(rng), 1.0, uniform(rng, 0.1, 2)};
        p.A0 = add(p.B0, mul(p.L2, p.u2));
        const Result o = run(*s, p);
        EXPECT_EQ(o.d, 9.0);
        EXPECT_EQ(o.c, 9.0);
        EXPECT_EQ(o.t1, 1);
        EXPECT_EQ(o.t2, 2);
        EXPECT_LT(dist(o.P1, o.P2), 1e-12);
        EXPECT_EQ(o.r, std::acos(std::fmax(-1.0, std::fmin(1.0, dot(p.u1, p.u2)))) > s->qLimit ? -3 : 0);
    }
    // Bends just inside and just beyond the limits: touching links 5 on 2 (165 degrees),
    // adjacent links 4 on 3 (165 degrees) and N-1 on N-2 (wrist, 135 degrees).
    const int N = s->N;
    for (auto mk : {std::pair<int, int>{5, 2}, {4, 3}, {N - 1, N - 2}})
        for (double off : {-0.01, 0.01}) {
            const double limit = mk.second <= N - 3 ? s->qLimit : s->qLimitWrist;
            const Result o = run(*s, bent(mk.first, mk.second, limit + off));
            EXPECT_EQ(o.r, off > 0 ? -3 : 0) << "links " << mk.first << " " << mk.second;
            EXPECT_TRUE(std::isfinite(o.d));
            EXPECT_TRUE(std::isfinite(o.c));
        }
    // Exactly folded back: the product is -1 (or rounds past it) and must still be judged.
    EXPECT_EQ(run(*s, bent(4, 3, PI_C)).r, -3);
    const Vec3 u = unit(V(0.3, -0.2, 0.9));
    EXPECT_EQ(run(*s, Pair{4, 3, V(0, 0, 1), mul(-1.0000000000000002, u), V(0, 0, 0), u, 1.0, 1.0}).r, -3);
}

TEST(SegSegDist, ClearanceTableByPartsAndLinks) {
    auto s = makeScene();
    const int N = s->N, Nw = s->Nw;
    struct Case {
        int M;
        Vec3 A0, u1;
        double d, req;
        int t1;
    };
    const Case cases[] = {
        // Crossing interiors 0.2 apart interfere (0.21 required), 0.22 apart do not.
        {5, V(-0.5, 0, 0.2), V(1, 0, 0), 0.2, 0.21, 0},
        {5, V(-0.5, 0, 0.22), V(1, 0, 0), 0.22, 0.21, 0},
        // The end point of a link near the wrist keeps 0.31; lower links and the start 0.21.
        {N - 3, V(0, 0, 1.3), V(0, 0, -1), 0.3, 0.21, 2},
        {N - 2, V(0, 0, 1.3), V(0, 0, -1), 0.3, 0.31, 2},
        {N - 1, V(0, 0, 1.3), V(0, 0, -1), 0.3, 0.31, 2},
        {N - 2, V(0, 0, 0.3), V(0, 0, 1), 0.3, 0.21, 1},
        // The work link keeps 0.31 everywhere, interior to interior included.
        {Nw, V(-0.5, 0, 0.3), V(1, 0, 0), 0.3, 0.31, 0},
    };
    for (const Case& c : cases) {
        // Against link 2 along y (crossing) or along x (under the end of a vertical link).
        const bool crossing = c.u1[0] != 0;
        const Result o = run(*s, Pair{c.M, 2, c.A0, c.u1, V(crossing ? 0 : -0.5, crossing ? -0.5 : 0, 0), V(!crossing, crossing, 0), 1, 1});
        EXPECT_LT(std::fabs(o.d - c.d), 1e-12) << "link " << c.M << " " << o.d << " " << o.c;
        EXPECT_LT(std::fabs(o.c - (c.d - c.req)), 1e-12) << "link " << c.M << " " << o.d << " " << o.c;
        EXPECT_EQ(o.t1, c.t1) << "link " << c.M;
        EXPECT_EQ(o.t2, 0) << "link " << c.M;
        EXPECT_EQ(o.r, (c.d < c.req ? -3 : 0)) << "link " << c.M;
    }
}

TEST(SegSegDist, LinksOutsideTheArmAndNonFinitePoints) {
    auto s = makeScene();
    const Vec3 a = V(0, 0, 0), u = V(1, 0, 0);
    double d, c;
    Vec3 P1, P2;
    int t1, t2;
    for (auto mk : {std::pair<int, int>{3, 3}, {0, 3}, {3, -1}, {s->Nw + 1, 2}, {2, s->Nw + 1}}) {
        EXPECT_EQ(SegSegDist(*s, mk.first, a, u, mk.second, a, u, d, c, P1, P2, t1, t2), 0);
        EXPECT_EQ(d, 9.0);
        EXPECT_EQ(c, 9.0);
    }
    // Non-finite points cannot be judged clear.
    EXPECT_EQ(SegSegDist(*s, 5, V(NAN, 0, 0), u, 2, a, u, d, c, P1, P2, t1, t2), -3);
    EXPECT_TRUE(std::isfinite(d));
    EXPECT_TRUE(std::isfinite(c));
    EXPECT_TRUE(std::isfinite(P1[0]));
    EXPECT_TRUE(std::isfinite(P2[0]));
}
