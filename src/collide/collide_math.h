// Small value helpers of the interference checks (internal to src/collide).
#pragma once
#include <cmath>

#include "core/types.h"
#include "model/angles.h"

namespace collide {

inline Vec3 add(const Vec3& a, const Vec3& b) { return Vec3{{a[0] + b[0], a[1] + b[1], a[2] + b[2]}}; }
inline Vec3 sub(const Vec3& a, const Vec3& b) { return Vec3{{a[0] - b[0], a[1] - b[1], a[2] - b[2]}}; }
inline Vec3 scale(double k, const Vec3& a) { return Vec3{{k * a[0], k * a[1], k * a[2]}}; }
inline Vec3 axpy(const Vec3& p, double k, const Vec3& a) {
    return Vec3{{p[0] + k * a[0], p[1] + k * a[1], p[2] + k * a[2]}};
}
inline double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
inline Vec3 cross(const Vec3& a, const Vec3& b) {
    return Vec3{{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]}};
}
inline double norm(const Vec3& a) { return std::sqrt(dot(a, a)); }
inline Vec3 mid(const Vec3& a, const Vec3& b) {
    return Vec3{{(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2}};
}
// Row r of a matrix as a vector (rows of a transposed frame are the frame's axes).
inline Vec3 row(const Mat3& A, int r) { return Vec3{{A(r, 0), A(r, 1), A(r, 2)}}; }
inline bool finite3(const Vec3& a) { return std::isfinite(a[0]) && std::isfinite(a[1]) && std::isfinite(a[2]); }

// Arc cosine of a scalar product; rounding may push the product just past +-1. A NaN argument
// (never expected from finite poses) gives 0 rather than spreading.
inline double acosClamped(double c) {
    if (c >= 1.0) return 0.0;
    if (c <= -1.0) return std::acos(-1.0);
    if (c != c) return 0.0;
    return std::acos(c);
}

// True when some value ang + 2 pi k lies strictly between from and to: a turn that passes the
// angle once more round the circle sweeps it as well. The unshifted angle is tested exactly, so a
// turn that ends on a crossing angle does not cross it.
inline bool sweptStrictly(double from, double to, double ang) {
    double lo = from < to ? from : to, hi = from < to ? to : from;
    if (!(lo < hi) || !std::isfinite(ang)) return false;
    if (lo < ang && ang < hi) return true;
    if (hi - lo >= TWO_PI_C) return true;
    double k0 = std::floor((lo - ang) / TWO_PI_C);
    for (int j = -1; j <= 2; ++j) {
        double k = k0 + j;
        if (k == 0) continue;
        double x = ang + k * TWO_PI_C;
        if (lo < x && x < hi) return true;
    }
    return false;
}

}  // namespace collide

namespace collide {

// Strictly between a and b (either order).
inline bool strictlyBetween(double a, double b, double x) {
    return (a < x && x < b) || (b < x && x < a);
}

}  // namespace collide
