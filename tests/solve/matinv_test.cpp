// The matrix inverse against independent computations: A times the returned inverse is the
// identity, the determinant agrees with a cofactor expansion, and nothing outside the leading
// block of the caller's array is touched.
#include "solve/matinv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "capture.h"
#include "support/test_scene.h"

namespace {

// Determinant by cofactor expansion along the first row (independent of any elimination).
double cofactorDet(int n, const double* m, int stride) {
    if (n == 1) return m[0];
    double sub[25];
    double det = 0, sign = 1;
    for (int c = 0; c < n; ++c) {
        int k = 0;
        for (int i = 1; i < n; ++i)
            for (int j = 0; j < n; ++j)
                if (j != c) sub[k++] = m[i * stride + j];
        det += sign * m[c] * cofactorDet(n - 1, sub, n - 1);
        sign = -sign;
    }
    return det;
}

constexpr double kSentinel = -12345.678;

struct Stored {
    int n, ncol;
    double a[5 * 9 + 4];  // room for the largest stride plus a tail
    double orig[5 * 9 + 4];
    int size() const { return n * ncol + 4; }
};

}  // namespace

TEST(Matinv, RandomMatricesAnyStride) {
    auto s = makeScene();
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> u(-1, 1);
    std::uniform_int_distribution<int> extra(0, 4);
    for (int t = 0; t < 3000; ++t) {
        Stored m;
        m.n = 1 + t % 5;
        m.ncol = m.n + extra(rng);
        for (int i = 0; i < m.size(); ++i) m.a[i] = kSentinel;
        // Diagonally dominant rows in a random row order: well conditioned, pivoting needed.
        int perm[5] = {0, 1, 2, 3, 4};
        std::shuffle(perm, perm + m.n, rng);
        for (int i = 0; i < m.n; ++i)
            for (int j = 0; j < m.n; ++j)
                m.a[m.ncol * i + j] = u(rng) + (j == perm[i] ? (u(rng) > 0 ? 4.0 : -4.0) : 0.0);
        std::memcpy(m.orig, m.a, sizeof m.a);

        const double want = cofactorDet(m.n, m.orig, m.ncol);
        const double det = matinv(*s, m.n, m.a, m.ncol);
        EXPECT_NEAR(det, want, 1e-10 * std::fabs(want));
        for (int i = 0; i < m.n; ++i)
            for (int j = 0; j < m.n; ++j) {
                double sum = 0;
                for (int k = 0; k < m.n; ++k) sum += m.orig[m.ncol * i + k] * m.a[m.ncol * k + j];
                EXPECT_NEAR(sum, i == j ? 1.0 : 0.0, 1e-9) << "n=" << m.n << " (" << i << "," << j << ")";
            }
        for (int i = 0; i < m.size(); ++i) {
            const bool inBlock = i < m.n * m.ncol && i % m.ncol < m.n;
            if (!inBlock) {
                EXPECT_EQ(m.a[i], kSentinel) << "outside the block at " << i;
            }
        }
    }
}

TEST(Matinv, NamedCases) {
    auto s = makeScene();
    {
        double a[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        EXPECT_EQ(matinv(*s, 3, a, 3), 1.0);
        const double id[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        for (int i = 0; i < 9; ++i) EXPECT_EQ(a[i], id[i]);
    }
    {
        // One row exchange: determinant -1, the matrix is its own inverse.
        double a[4] = {0, 1, 1, 0};
        EXPECT_EQ(matinv(*s, 2, a, 2), -1.0);
        EXPECT_EQ(a[0], 0.0);
        EXPECT_EQ(a[1], 1.0);
        EXPECT_EQ(a[2], 1.0);
        EXPECT_EQ(a[3], 0.0);
    }
    {
        // 2 x 2 in an array of row stride 5: only the leading block is read and written.
        double a[10];
        for (double& v : a) v = kSentinel;
        a[0] = 2;
        a[1] = 1;
        a[5] = 1;
        a[6] = 3;
        EXPECT_NEAR(matinv(*s, 2, a, 5), 5.0, 1e-15);
        EXPECT_NEAR(a[0], 0.6, 1e-15);
        EXPECT_NEAR(a[1], -0.2, 1e-15);
        EXPECT_NEAR(a[5], -0.2, 1e-15);
        EXPECT_NEAR(a[6], 0.4, 1e-15);
        for (int i : {2, 3, 4, 7, 8, 9}) EXPECT_EQ(a[i], kSentinel);
    }
}

TEST(Matinv, SmallPivotAndSmallDeterminant) {
    auto s = makeScene();
    {
        // First column all zero: row 0, value 0.
        double a[9] = {0, 1, 2, 0, 3, 4, 0, 5, 7};
        double orig[9];
        std::memcpy(orig, a, sizeof a);
        TraceCapture cap(*s);
        EXPECT_EQ(matinv(*s, 3, a, 3), 0.0);
        EXPECT_EQ(cap.text(), "\n0 row =   0.000e+00, no inverse");
        EXPECT_EQ(std::memcmp(a, orig, sizeof a), 0);
    }
    {
        // Second pivot below 1e-8: rows exchanged first (|2| > |1|), then row 0 fails.
        double a[4] = {1, 2, 2, 4 + 5e-9};
        double orig[4];
        std::memcpy(orig, a, sizeof a);
        const double u = 2 - (1.0 / 2) * (4 + 5e-9);  // remaining pivot of row 0
        char want[64];
        std::snprintf(want, sizeof want, "\n%d row = %11.3e, no inverse", 0, u);
        TraceCapture cap(*s);
        EXPECT_EQ(matinv(*s, 2, a, 2), 0.0);
        EXPECT_EQ(cap.text(), want);
        EXPECT_EQ(std::memcmp(a, orig, sizeof a), 0);
    }
    {
        // Equal pivot candidates: the first in permutation order stays, so the failing pivot is
        // the one of row 1 (an exchange would have named row 0).
        double a[4] = {1, 1, -1, -1};
        TraceCapture cap(*s);
        EXPECT_EQ(matinv(*s, 2, a, 2), 0.0);
        EXPECT_EQ(cap.text(), "\n1 row =   0.000e+00, no inverse");
    }
    {
        // Regular, pivots above 1e-8, determinant 5e-7: returned, matrix untouched, silent.
        double a[4] = {1, 2, 3, 6 + 5e-7};
        double orig[4];
        std::memcpy(orig, a, sizeof a);
        const double want = cofactorDet(2, orig, 2);
        ASSERT_NEAR(want, 5e-7, 1e-12);
        TraceCapture cap(*s);
        EXPECT_NEAR(matinv(*s, 2, a, 2), want, 1e-15);
        EXPECT_EQ(cap.text(), "");
        EXPECT_EQ(std::memcmp(a, orig, sizeof a), 0);
    }
    {
        // Just above the bound the inverse is formed.
        double a[4] = {1, 0, 0, 2e-6};
        EXPECT_NEAR(matinv(*s, 2, a, 2), 2e-6, 1e-20);
        EXPECT_NEAR(a[3], 5e5, 1e-6);
    }
}

TEST(Matinv, OrderOutsideStorageTouchesNothing) {
    auto s = makeScene();
    double a[36];
    for (double& v : a) v = 1.0;
    EXPECT_EQ(matinv(*s, 6, a, 6), 0.0);
    EXPECT_EQ(matinv(*s, 0, a, 6), 0.0);
    EXPECT_EQ(matinv(*s, 3, a, 2), 0.0);
    for (double v : a) EXPECT_EQ(v, 1.0);
}
