#include "solve/pose_adjust.h"

#include <algorithm>
#include <cmath>

#include "core/scene.h"
#include "model/kinematics.h"

namespace {

constexpr int kMaxRes = 6 + JV + 2;

// Residuals of the pose last run through forward kinematics: work point, half the sum of the
// cross products of the frame axes (a small rotation vector), plane offsets.
int residuals(const Scene& s, const PoseTarget& t, double* r) {
    int n = 0;
    for (int k = 0; k < 3; ++k) r[n++] = s.rw[k] - t.rw[k];
    double rot[3] = {0, 0, 0};
    for (int c = 0; c < 3; ++c) {
        const double a[3] = {s.Ew(0, c), s.Ew(1, c), s.Ew(2, c)};
        const double b[3] = {t.Ew(0, c), t.Ew(1, c), t.Ew(2, c)};
        rot[0] += 0.5 * (a[1] * b[2] - a[2] * b[1]);
        rot[1] += 0.5 * (a[2] * b[0] - a[0] * b[2]);
        rot[2] += 0.5 * (a[0] * b[1] - a[1] * b[0]);
    }
    for (int k = 0; k < 3; ++k) r[n++] = rot[k];
    auto offset = [&](double d) {
        const double a = std::fabs(d) - t.planeBand;
        return a > 0 ? t.planeWeight * std::copysign(a, d) : 0.0;
    };
    for (int p = 0; p < t.planeCount; ++p) r[n++] = offset(s.J[t.planeJoints[p]][0] - s.rhx);
    for (int f = 0; f < t.faceCount; ++f) {
        const Vec3& a = s.J[t.faceLink[f] - 1];
        const Vec3& b = s.J[t.faceLink[f]];
        const double dy = b[1] - a[1];
        const double x = std::fabs(dy) > 1e-9 ? a[0] + (b[0] - a[0]) * (t.faceY[f] - a[1]) / dy : b[0];
        r[n++] = offset(x - s.rhx);
    }
    return n;
}

double norm(const double* r, int n) {
    double sum = 0;
    for (int i = 0; i < n; ++i) sum += r[i] * r[i];
    return std::sqrt(sum);
}

// Solves the n x n system A x = b in place by elimination with partial pivoting; false when
// singular.
bool solveSmall(int n, double (*A)[JV], double* b) {
    for (int c = 0; c < n; ++c) {
        int p = c;
        for (int r = c + 1; r < n; ++r)
            if (std::fabs(A[r][c]) > std::fabs(A[p][c])) p = r;
        if (!(std::fabs(A[p][c]) > 1e-14)) return false;
        if (p != c) {
            for (int k = 0; k < n; ++k) std::swap(A[p][k], A[c][k]);
            std::swap(b[p], b[c]);
        }
        for (int r = c + 1; r < n; ++r) {
            const double f = A[r][c] / A[c][c];
            for (int k = c; k < n; ++k) A[r][k] -= f * A[c][k];
            b[r] -= f * b[c];
        }
    }
    for (int c = n - 1; c >= 0; --c) {
        double v = b[c];
        for (int k = c + 1; k < n; ++k) v -= A[c][k] * b[k];
        b[c] = v / A[c][c];
    }
    return true;
}

}  // namespace

double adjustPose(Scene& s, const double* q0, const PoseTarget& t, const int* fixedMask, int maxIter, double* q) {
    const int N = s.N;
    for (int i = 0; i < JV; ++i) q[i] = q0[i];
    int free[JV], nf = 0;
    for (int i = 1; i <= N; ++i)
        if (!fixedMask || !fixedMask[i]) free[nf++] = i;
    double r[kMaxRes], rp[kMaxRes], Jac[kMaxRes][JV];
    forwardKinematics(s, q);
    int m = residuals(s, t, r);
    double err = norm(r, m);
    double lambda = 1e-4;
    for (int it = 0; it < maxIter && err > 1e-12; ++it) {
        const double h = 1e-7;
        for (int c = 0; c < nf; ++c) {
            const int i = free[c];
            const double keep = q[i];
            q[i] = keep + h;
            forwardKinematics(s, q);
            residuals(s, t, rp);
            q[i] = keep;
            for (int k = 0; k < m; ++k) Jac[k][c] = (rp[k] - r[k]) / h;
        }
        // (J^T J + lambda I) dq = -J^T r, tried with growing damping until the error falls.
        bool improved = false;
        for (int tries = 0; tries < 8 && !improved; ++tries) {
            double A[JV][JV], b[JV];
            for (int a = 0; a < nf; ++a) {
                for (int c = 0; c < nf; ++c) {
                    double v = 0;
                    for (int k = 0; k < m; ++k) v += Jac[k][a] * Jac[k][c];
                    A[a][c] = v + (a == c ? lambda : 0);
                }
                double v = 0;
                for (int k = 0; k < m; ++k) v -= Jac[k][a] * r[k];
                b[a] = v;
            }
            if (!solveSmall(nf, A, b)) {
                lambda *= 10;
                continue;
            }
            // No joint moves more than 0.2 rad in one step.
            double big = 0;
            for (int c = 0; c < nf; ++c) big = std::max(big, std::fabs(b[c]));
            const double scale = big > 0.2 ? 0.2 / big : 1.0;
            double qt[JV];
            for (int i = 0; i < JV; ++i) qt[i] = q[i];
            for (int c = 0; c < nf; ++c) qt[free[c]] += scale * b[c];
            forwardKinematics(s, qt);
            residuals(s, t, rp);
            const double e2 = norm(rp, m);
            if (e2 < err) {
                for (int i = 0; i < JV; ++i) q[i] = qt[i];
                for (int k = 0; k < m; ++k) r[k] = rp[k];
                err = e2;
                lambda = std::max(lambda * 0.3, 1e-9);
                improved = true;
            } else {
                lambda *= 10;
            }
        }
        if (!improved) break;
    }
    forwardKinematics(s, q);
    return err;
}
