#include "model/joints.h"

#include <cmath>

#include "core/scene.h"
#include "model/angles.h"

double jointDiff(const Scene& s, int i, double a, double b) {
    for (int k = 0; k < 2; ++k)
        if (b >= TWO_PI_C) b -= TWO_PI_C;
    for (int k = 0; k < 2; ++k)
        if (b < -TWO_PI_C) b += TWO_PI_C;
    for (int k = 0; k < 2; ++k)
        if (a >= TWO_PI_C) a -= TWO_PI_C;
    if (a < -TWO_PI_C) a += TWO_PI_C;
    if (a <= -TWO_PI_C) a += TWO_PI_C;
    double d = a - b;
    if (s.JRTYPE[i] != 'R') return d;
    // Both angles lie in (-2 pi, 2 pi) now, so d may be up to 4 pi away from zero: a single
    // shift would leave it outside [-pi, pi) for angles beyond +-pi; a second pass brings it in.
    return wrapPassesHalfOpen(d, 2);
}

void jointDiffVector(const Scene& s, int i0, int i1, const double* a, const double* b, double* out) {
    for (int i = i0; i <= i1; ++i) out[i] = jointDiff(s, i, a[i], b[i]);
}

double jointDiffSum(const Scene& s, int i0, int i1, const double* a, const double* b) {
    double sum = 0;
    for (int i = i0; i <= i1; ++i) sum += std::fabs(jointDiff(s, i, a[i], b[i]));
    return sum;
}

double jointDiffNorm(const Scene& s, int i0, int i1, const double* a, const double* b) {
    double sum = 0;
    for (int i = i0; i <= i1; ++i) {
        const double d = jointDiff(s, i, a[i], b[i]);
        sum += d * d;
    }
    return std::sqrt(sum);
}

double maxAbsJoint(const Scene& s, int n, const double* v) {
    double mx = 0;
    argMaxAbsJoint(s, n, v, &mx);
    return mx;
}

int argMaxAbsJoint(const Scene& s, int n, const double* v, double* maxOut) {
    double mx = 0;
    int arg = 0;
    for (int i = 1; i <= n; ++i) {
        double d = std::fabs(jointDiff(s, i, v[i], 0.0));
        if (d > mx) {  // strict: the first index wins a tie
            mx = d;
            arg = i;
        }
    }
    *maxOut = mx;
    return arg;
}

// Limits one joint: 'P'/'Q' joints below N-1 to qLimit, joint N-1 to qLimitWrist.
static int clampTo(double limit, double q, double* out) {
    int result = 0;
    if (q > limit) {
        *out = limit;
        result = 1;
    }
    if (q < -limit) {
        *out = -limit;
        result = 1;
    }
    // A value within 0.001 above the limit is not reported as outside.
    if (std::fabs(q - limit) < 0.001) result = 0;
    return result;
}

double jointLimit(const Scene& s, int i) {
    if (i < s.N - 1 && s.JRTYPE[i] != 'R') return s.qLimit;
    if (i == s.N - 1) return s.qLimitWrist;
    return 0;
}

int clampJoint(const Scene& s, int i, double q, double* out) {
    *out = q;
    const double limit = jointLimit(s, i);
    return limit > 0 ? clampTo(limit, q, out) : 0;
}
