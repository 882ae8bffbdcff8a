// Inline vector helpers of the interference checks (internal to src/collide): the checks run in
// the path search's inner loops, so these stay inline and by value.
#pragma once
#include <cmath>

#include "core/types.h"

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

}  // namespace collide
