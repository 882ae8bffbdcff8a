#include "solve/matinv.h"

#include <cmath>

#include "core/console.h"

double matinv(const Scene& s, int n, double* a, int ncol) {
    if (n < 1 || n > MATINV_NMAX || ncol < n || !a) return 0.0;
    // Working storage for the largest order: LU factors, row permutation, its inverse and a
    // scratch copy for the parity count. Fixed size, so nothing can fail to be obtained.
    double w[MATINV_NMAX][MATINV_NMAX];
    int ip[MATINV_NMAX], inv[MATINV_NMAX], wk[MATINV_NMAX];

    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) w[i][j] = a[ncol * i + j];
    for (int k = 0; k < n; ++k) ip[k] = k;

    for (int k = 0; k < n; ++k) {
        // Partial pivoting over the rows not yet used, in permutation order; the first of equal
        // magnitudes wins.
        int best = k;
        double big = std::fabs(w[ip[k]][k]);
        for (int j = k + 1; j < n; ++j) {
            double v = std::fabs(w[ip[j]][k]);
            if (v > big) {
                big = v;
                best = j;
            }
        }
        int tmp = ip[k];
        ip[k] = ip[best];
        ip[best] = tmp;
        const int r = ip[k];
        const double u = w[r][k];
        if (std::fabs(u) < 1e-8) {
            tracef(s, "\n%d row = %11.3e, no inverse", r, u);
            return 0.0;
        }
        for (int j = k + 1; j < n; ++j) {
            const int sr = ip[j];
            const double t = w[sr][k] / u;
            w[sr][k] = t;
            for (int c = k + 1; c < n; ++c) w[sr][c] -= t * w[r][c];
        }
    }

    // Determinant: product of the pivots, signed by the parity of the row permutation. The
    // parity is counted by sending each position home along its cycle, one exchange at a time.
    double det = 1.0;
    for (int k = 0; k < n; ++k) det *= w[ip[k]][k];
    for (int k = 0; k < n; ++k) {
        wk[k] = ip[k];
        inv[ip[k]] = k;
    }
    for (int k = 0; k < n; ++k) {
        if (wk[k] != k) {
            // Position k holds wk[k]; the value k sits at inv[k]. Exchange them.
            const int j = inv[k];
            const int v = wk[k];
            wk[j] = v;
            inv[v] = j;
            wk[k] = k;
            inv[k] = k;
            det = -det;
        }
    }

    if (std::fabs(det) > 1e-6) {
        for (int c = 0; c < n; ++c) {
            for (int i = 0; i < n; ++i) {
                const int sr = ip[i];
                double t = (sr == c) ? 1.0 : 0.0;
                for (int j = 0; j < i; ++j) t -= w[sr][j] * a[ncol * j + c];
                a[ncol * i + c] = t;
            }
            for (int i = n - 1; i >= 0; --i) {
                const int sr = ip[i];
                double t = a[ncol * i + c];
                for (int j = i + 1; j < n; ++j) t -= w[sr][j] * a[ncol * j + c];
                a[ncol * i + c] = t / w[sr][i];
            }
        }
    }
    return det;
}
