// The closed-form solvers against their equations: returned angles satisfy them and a dense scan
// finds no crossing missed; polynomial roots satisfy it and multiply back to its coefficients.
#include "solve/tri.h"

#include <algorithm>
#include <complex>

#include "solve/solve_test_util.h"

using namespace st;

namespace {

double f1(double a, double b, double c, double q) { return a * std::cos(q) + b * std::sin(q) + c; }

double f2(const double* k, double q) {
    const double c = std::cos(q), s = std::sin(q);
    return k[0] * c * c + k[1] * s * s + 2 * k[2] * c * s + 2 * k[3] * c + 2 * k[4] * s + k[5];
}

int tri2(const Scene& s, const double* k, double* q) { return TRI2(s, k[0], k[1], k[2], k[3], k[4], k[5], q); }

std::string coeffs(const double* k, int n) {
    std::string t;
    for (int i = 0; i < n; ++i) t += std::to_string(k[i]) + " ";
    return t;
}

enum Kind { General, Isotropic, NoLinear, SineOnly, CosineOnly, NearDouble, Kinds };
const char* kindName[Kinds] = {"general", "A=B,C=0", "D=E=0", "sine only", "cosine only", "near-double"};

void makeCoefficients(Kind kind, std::mt19937& rng, double* k) {
    std::uniform_real_distribution<double> u(-1, 1), lg(-2, 2);
    const double sc = std::pow(10.0, lg(rng));
    for (int i = 0; i < 6; ++i) k[i] = u(rng) * sc;
    if (kind == Isotropic) k[1] = k[0], k[2] = 0;
    if (kind == NoLinear) k[3] = k[4] = 0;
    if (kind == SineOnly) k[3] = k[2] = 0;
    if (kind == CosineOnly) k[4] = k[2] = 0;
    if (kind == NearDouble) {
        // f(q0) = f'(q0) = 0 fixes E and F; F is then nudged so that the root splits or vanishes.
        const double q0 = u(rng) * 3.0, c = std::cos(q0), s = std::sin(q0);
        if (std::fabs(c) < 0.2) return;
        k[4] = (2 * k[0] * c * s - 2 * k[1] * s * c - 2 * k[2] * (c * c - s * s) + 2 * k[3] * s) / (2 * c);
        k[5] = 0;
        k[5] = -f2(k, q0) + u(rng) * 1e-9 * sc;
    }
}

using Cx = std::complex<double>;

// Monic polynomial of degree n with the given roots: c[0..n) below the leading 1.
struct Poly {
    int n;
    double c[4];
};
Poly fromRoots(const Cx* z, int n) {
    Cx p[5] = {1};
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j >= 1; --j) p[j] -= z[i] * p[j - 1];
    Poly P{n, {}};
    for (int i = 0; i < n; ++i) P.c[i] = p[i + 1].real();
    return P;
}

// The solver of the degree: real roots first, then (real part, imaginary part) pairs.
int solve(const Poly& P, double* x) {
    if (P.n == 2) {
        const double pq[2] = {P.c[0] / 2, P.c[1]};
        return quadratic(pq, x);
    }
    return P.n == 3 ? cubic(P.c, x) : quartic(P.c, x);
}

// Real roots satisfy P; all roots multiply back to its coefficients.
void checkRoots(const Poly& P, const double* x, int nreal, const std::string& ctx) {
    Cx z[4];
    for (int i = 0; i < nreal; ++i) {
        double f = 1, size = 1;
        const double ax = std::max(1.0, std::fabs(x[i]));
        for (int j = 0; j < P.n; ++j) f = f * x[i] + P.c[j], size = size * ax + std::fabs(P.c[j]);
        EXPECT_LE(std::fabs(f), 1e-6 * size) << ctx << "root " << x[i];
        z[i] = x[i];
    }
    for (int i = nreal; i < P.n; i += 2) z[i] = Cx(x[i], x[i + 1]), z[i + 1] = Cx(x[i], -x[i + 1]);
    const Poly Q = fromRoots(z, P.n);
    double sz = 1;
    for (int i = 0; i < P.n; ++i) sz = std::max(sz, std::fabs(P.c[i]));
    for (int i = 0; i < P.n; ++i) EXPECT_NEAR(Q.c[i], P.c[i], 1e-5 * sz) << ctx << "coefficient " << i;
}

// Roots drawn pairwise at least a tenth of the largest magnitude apart: the cubic's guard for a
// negligible constant merges tighter clusters away from zero, so only those are held to full
// accuracy.
void drawRoots(std::mt19937& rng, int n, int nreal, Cx* z) {
    std::uniform_real_distribution<double> u(-3, 3), im(0.1, 3);
    for (bool ok = false; !ok;) {
        for (int i = 0; i < nreal; ++i) z[i] = u(rng);
        for (int i = nreal; i < n; i += 2) z[i] = Cx(u(rng), im(rng)), z[i + 1] = std::conj(z[i]);
        double mx = 1;
        for (int i = 0; i < n; ++i) mx = std::max(mx, std::abs(z[i]));
        ok = true;
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < i; ++j) ok = ok && std::abs(z[i] - z[j]) >= 0.1 * mx;
    }
}

}  // namespace

TEST(TRI1, RandomAndNamedCoefficientsSatisfyAndMissNothing) {
    double q[2];
    // a and b below the zero tolerance count as absent: {0, pi} when c vanishes too, else none.
    const double rule[][4] = {{0, 0, 0, 2}, {5e-8, -5e-8, 5e-8, 2}, {0, 0, 1, 0}, {5e-8, 5e-8, 1e-3, 0}};
    for (const auto& r : rule) {
        ASSERT_EQ(TRI1(r[0], r[1], r[2], q), r[3]);
        if (r[3] != 2) continue;
        EXPECT_EQ(q[0], 0.0);
        EXPECT_EQ(q[1], PI_C);
    }
    // Named first: a double root, none, and phi just below pi (phi + pi/2 wraps to near -pi/2).
    const double named[][3] = {{1, 0, 0}, {1, 0, -1}, {1, 0, 2}, {-1, 1e-7, 0}};
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> u(-1, 1), lg(-4, 3);
    int solved = 0;
    for (int t = 0; t < 2500; ++t) {
        const double scale = std::pow(10.0, lg(rng));
        double k[3] = {u(rng) * scale, u(rng) * scale, u(rng) * scale * 1.5};
        if (t % 5 == 1) k[0] = 0;                                        // sine only
        if (t % 5 == 2) k[1] = 0;                                        // cosine only
        if (t % 5 == 3) k[2] = std::copysign(std::hypot(k[0], k[1]), k[2]);  // double root
        if (t < 4) std::copy(named[t], named[t] + 3, k);
        const double a = k[0], b = k[1], c = k[2];
        const int n = TRI1(a, b, c, q);
        const double size = std::fabs(a) + std::fabs(b) + std::fabs(c);
        for (int i = 0; i < n; ++i) {
            EXPECT_LE(std::fabs(f1(a, b, c, q[i])), 1e-6 * size) << coeffs(k, 3);
            EXPECT_GT(q[i], -PI_C - 1e-12) << q[i];
            EXPECT_LE(q[i], PI_C) << q[i];
        }
        EXPECT_EQ(missedCrossings([&](double x) { return f1(a, b, c, x); }, q, n), 0) << coeffs(k, 3);
        // None when |c| exceeds the amplitude, two below it (the tangent case may go either way).
        const double amp = std::hypot(a, b);
        if (std::fabs(c) > amp * (1 + 1e-12)) { EXPECT_EQ(n, 0) << coeffs(k, 3); }
        if (std::fabs(c) < amp * (1 - 1e-12)) { EXPECT_EQ(n, 2) << coeffs(k, 3); }
        solved += n > 0;
    }
    EXPECT_GT(solved, 600);
}

TEST(TRI2, RandomAndNamedCoefficientsSatisfyAndMissNothing) {
    auto s = makeScene();
    // Named branch boundaries first: A = B with C = 0 (handed on to TRI1), A = B with C != 0
    // (phi = pi/4), D = E = 0 with t just below zero (four angles), and the sine-only case.
    const double named[][6] = {{1, 1, 0, 0.5, 0, 0}, {1, 1, 0.5, 0, 0, -1.2}, {1, 1, -0.5, 0, 0, -1.2},
                               {2, 1, 0, 0, 0, -1 + 5e-8}, {1, 3, 0, 0, 0.5, -1.5}};
    const int namedCount[] = {2, 4, 4, 4, -1};
    std::mt19937 rng(21);
    int missedTotal[Kinds] = {}, solvedTotal[Kinds] = {}, runs[Kinds] = {};
    for (int t = 0; t < 3000; ++t) {
        const Kind kind = static_cast<Kind>(t % Kinds);
        double k[6], q[4];
        makeCoefficients(kind, rng, k);
        if (t < 5) std::copy(named[t], named[t] + 6, k);
        const int n = tri2(*s, k, q);
        ASSERT_GE(n, 0);
        ASSERT_LE(n, 4);
        if (t < 5 && namedCount[t] >= 0) { EXPECT_EQ(n, namedCount[t]) << coeffs(k, 6); }
        double size = 0;
        for (double v : k) size = std::max(size, std::fabs(v));
        for (int i = 0; i < n; ++i) EXPECT_LE(std::fabs(f2(k, q[i])), 1e-6 * size) << kindName[kind] << " " << coeffs(k, 6);
        const int missed = missedCrossings([&](double x) { return f2(k, x); }, q, n);
        ++runs[kind];
        solvedTotal[kind] += n > 0;
        missedTotal[kind] += missed;
        // Named exception: a near-double root whose cosine lies next to the cosine of another
        // crossing makes a cluster of quartic roots that the quartic's coincidence guards merge;
        // that crossing can be lost (rarely, bounded below).
        if (kind != NearDouble) { EXPECT_EQ(missed, 0) << kindName[kind] << " " << coeffs(k, 6); }
    }
    for (int i = 0; i < Kinds; ++i) EXPECT_GT(solvedTotal[i], runs[i] / 10) << kindName[i];
    EXPECT_LE(missedTotal[NearDouble], runs[NearDouble] / 100);
}

TEST(TRI2, NoSolutionLinesAndBranchRulesThatDropOrMergeRoots) {
    auto s = makeScene();
    double q[4];
    // D = E = 0: t = -0.01 is below the zero tolerance, cos^2 beyond one as well.
    EXPECT_EQ(TRI2(*s, 2, 1, 0, 0, 0, -1 + 0.01, q), 0);
    EXPECT_EQ(TRI2(*s, 2, 1, 0, 0, 0, -2.5, q), 0);
    // The general case keeps sin q only when |sin q| < 1 strictly: a crossing at q = pi/2 whose
    // cosine is an exact root of the quartic gives sin q = 1 and is dropped.
    {
        const double k[6] = {2, 1, 0.3, 0.7, 0.5, -2};  // B + 2E + F = 0
        ASSERT_EQ(f2(k, M_PI / 2), 0.0);
        ASSERT_LT(f2(k, M_PI / 2 - 1e-3) * f2(k, M_PI / 2 + 1e-3), 0.0);
        const int n = tri2(*s, k, q);
        for (int i = 0; i < n; ++i) EXPECT_LE(std::fabs(f2(k, q[i])), 1e-9);
        EXPECT_EQ(missedCrossings([&](double x) { return f2(k, x); }, q, n), 1);
    }
    // A quadratic part within the threshold of cos^2 + sin^2 (4C^2 + (A-B)^2 <= 1e-7) is solved
    // as exactly that: the count is that of TRI1(2D, 2E, F + B), whose angles are then polished
    // onto the equation given.
    {
        const double k[6] = {1.0002, 1.0, 0.0001, 0.4, -0.3, -0.5};
        double r[2];
        ASSERT_EQ(tri2(*s, k, q), 2);
        ASSERT_EQ(TRI1(0.8, -0.6, 0.5, r), 2);
        for (int i = 0; i < 2; ++i) {
            EXPECT_NEAR(q[i], r[i], 1e-3);
            EXPECT_LE(std::fabs(f2(k, q[i])), 1e-14);
        }
    }
}

TEST(Polynomials, RootsSatisfyCountAndMultiplyBackToTheCoefficients) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> u(-10, 10);
    for (int deg = 2; deg <= 4; ++deg)
        for (int t = 0; t < 2000; ++t) {
            Poly P{deg, {}};
            int want = -1;
            if (t % 2 == 0) {
                // Constructed from its roots: the real count is known.
                Cx z[4];
                want = deg % 2 + 2 * ((t / 2) % (deg / 2 + 1));
                drawRoots(rng, deg, want, z);
                P = fromRoots(z, deg);
            } else {
                for (int i = 0; i < deg; ++i) P.c[i] = u(rng);
                if (t % 7 == 1) P.c[deg - 1] = 0;  // a zero root
                if (t % 7 == 3) P.c[0] = 0;        // no shift
            }
            double x[4];
            const int n = solve(P, x);
            const std::string ctx = "degree " + std::to_string(deg) + ": " + coeffs(P.c, deg);
            ASSERT_GE(n, 0) << ctx;
            ASSERT_LE(n, deg) << ctx;
            ASSERT_EQ((deg - n) % 2, 0) << ctx;
            if (want >= 0) { ASSERT_EQ(n, want) << ctx; }
            checkRoots(P, x, n, ctx);
        }
    // No cancellation for a small root next to a large one.
    double x[2];
    const double pq[2] = {-1e6, 1.0};
    ASSERT_EQ(quadratic(pq, x), 2);
    EXPECT_NEAR(x[1] * 2e6, 1.0, 1e-9);
}

TEST(Polynomials, PolishRoot) {
    // (x - 0.3)(x + 0.7)(x - 1.2)(x + 2): rough roots are brought onto the polynomial.
    const Cx r[4] = {0.3, -0.7, 1.2, -2.0};
    const Poly P = fromRoots(r, 4);
    for (const Cx& z : r) EXPECT_NEAR(polishRoot(4, z.real() + 0.003, P.c), z.real(), 1e-7);
    // Flat polynomial: a zero secant difference returns the start unchanged.
    const double flat[4] = {0, 0, 0, 1e20};
    EXPECT_EQ(polishRoot(4, 1e-30, flat), 1e-30);
}
