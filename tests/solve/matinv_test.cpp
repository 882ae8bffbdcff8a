// The matrix inverse against independent computations: A times the returned inverse is the
// identity, the determinant agrees with a cofactor expansion, and nothing outside the leading
// block of the caller's array is touched.
#include "solve/matinv.h"

#include <algorithm>

#include "solve/solve_test_util.h"

namespace {

// Determinant by cofactor expansion along the first row (independent of any elimination).
double cofactorDet(int n, const double* m, int stride) {
    if (n == 1) return m[0];
    double sub[25], det = 0, sign = 1;
    for (int c = 0; c < n; ++c, sign = -sign) {
        int k = 0;
        for (int i = 1; i < n; ++i)
            for (int j = 0; j < n; ++j)
                if (j != c) sub[k++] = m[i * stride + j];
        det += sign * m[c] * cofactorDet(n - 1, sub, n - 1);
    }
    return det;
}

constexpr double kSentinel = -12345.678;

}  // namespace

TEST(Matinv, RandomMatricesOfEveryOrderAndStride) {
    auto s = makeScene();
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int t = 0; t < 1500; ++t) {
        const int n = 1 + t % 5, ncol = n + static_cast<int>(rng() % 5), size = n * ncol + 4;
        double a[5 * 9 + 4], orig[5 * 9 + 4];
        std::fill(a, a + size, kSentinel);
        // Diagonally dominant rows in a random row order: well conditioned, pivoting needed.
        int perm[5] = {0, 1, 2, 3, 4};
        std::shuffle(perm, perm + n, rng);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) a[ncol * i + j] = u(rng) + (j == perm[i] ? (u(rng) > 0 ? 4.0 : -4.0) : 0.0);
        std::copy(a, a + size, orig);
        const double want = cofactorDet(n, orig, ncol);
        EXPECT_NEAR(matinv(*s, n, a, ncol), want, 1e-10 * std::fabs(want));
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                double sum = 0;
                for (int k = 0; k < n; ++k) sum += orig[ncol * i + k] * a[ncol * k + j];
                EXPECT_NEAR(sum, i == j ? 1.0 : 0.0, 1e-9) << "n=" << n << " (" << i << "," << j << ")";
            }
        for (int i = 0; i < size; ++i)
            if (!(i < n * ncol && i % ncol < n)) { EXPECT_EQ(a[i], kSentinel) << "outside the block at " << i; }
    }
}

TEST(Matinv, SmallPivotAndSmallDeterminantLeaveTheMatrix) {
    auto s = makeScene();
    struct Case {
        int n;
        double a[9];
        const char* trace;  // nullptr: silent
    };
    const Case cases[] = {
        // First column all zero: row 0 fails with pivot 0 (the one representative trace line).
        {3, {0, 1, 2, 0, 3, 4, 0, 5, 7}, "\n0 row =   0.000e+00, no inverse"},
        // Second pivot below 1e-8 after the exchange (|2| > |1|): row 0 fails.
        {2, {1, 2, 2, 4 + 5e-9}, "\n0 row "},
        // Equal pivot candidates: the first in permutation order stays, so row 1 fails.
        {2, {1, 1, -1, -1}, "\n1 row "},
        // Pivots above 1e-8, determinant 5e-7 below 1e-6: returned, the matrix kept, silent.
        {2, {1, 2, 3, 6 + 5e-7}, nullptr},
    };
    for (const Case& c : cases) {
        double a[9];
        std::copy(c.a, c.a + 9, a);
        TraceCapture cap(*s);
        const double det = matinv(*s, c.n, a, c.n);
        if (c.trace) {
            EXPECT_EQ(det, 0.0);
            EXPECT_EQ(cap.text().rfind(c.trace, 0), 0u) << cap.text();
        } else {
            EXPECT_NEAR(det, cofactorDet(c.n, c.a, c.n), 1e-15);
            EXPECT_EQ(cap.text(), "");
        }
        EXPECT_TRUE(std::equal(a, a + 9, c.a)) << "the matrix is left as it was";
    }
    // Just above the determinant bound the inverse is formed.
    double a[4] = {1, 0, 0, 2e-6};
    EXPECT_NEAR(matinv(*s, 2, a, 2), 2e-6, 1e-20);
    EXPECT_NEAR(a[3], 5e5, 1e-6);
    // Orders outside 1..5, or a stride below the order, touch nothing.
    double b[36];
    std::fill(b, b + 36, 1.0);
    EXPECT_EQ(matinv(*s, 6, b, 6), 0.0);
    EXPECT_EQ(matinv(*s, 0, b, 6), 0.0);
    EXPECT_EQ(matinv(*s, 3, b, 2), 0.0);
    EXPECT_TRUE(std::all_of(b, b + 36, [](double v) { return v == 1.0; }));
}
