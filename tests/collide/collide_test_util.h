// Helpers of the interference tests: small vector arithmetic, an independent segment distance,
// random poses, the position of a joint while one joint turns, and wall placement.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "core/scene.h"
#include "model/kinematics.h"
#include "model/wall_goal.h"
#include "support/test_scene.h"

namespace ct {

inline Vec3 V(double x, double y, double z) { return Vec3{{x, y, z}}; }
inline Vec3 add(const Vec3& a, const Vec3& b) { return V(a[0] + b[0], a[1] + b[1], a[2] + b[2]); }
inline Vec3 sub(const Vec3& a, const Vec3& b) { return V(a[0] - b[0], a[1] - b[1], a[2] - b[2]); }
inline Vec3 mul(double k, const Vec3& a) { return V(k * a[0], k * a[1], k * a[2]); }
inline double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
inline double norm(const Vec3& a) { return std::sqrt(dot(a, a)); }
inline double dist(const Vec3& a, const Vec3& b) { return norm(sub(a, b)); }
inline Vec3 unit(const Vec3& a) { return mul(1.0 / norm(a), a); }

inline double uniform(std::mt19937& rng, double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); }
inline Vec3 randomUnit(std::mt19937& rng) {
    std::normal_distribution<double> g(0, 1);
    for (;;) {
        const Vec3 v = V(g(rng), g(rng), g(rng));
        if (norm(v) > 1e-3) return unit(v);
    }
}

// Minimum of a convex function on [lo, hi] by ternary search.
template <class F>
double convexMin(F f, double lo, double hi) {
    for (int i = 0; i < 90 && hi - lo > 0; ++i) {
        const double m1 = lo + (hi - lo) / 3, m2 = hi - (hi - lo) / 3;
        if (f(m1) <= f(m2)) hi = m2; else lo = m1;
    }
    return f((lo + hi) / 2);
}

// Distance of point p from the segment a0 + s u (0 <= s <= L).
inline double pointSegDist(const Vec3& p, const Vec3& a0, const Vec3& u, double L) {
    return convexMin([&](double s) { return dist(p, add(a0, mul(s, u))); }, 0.0, L);
}
// Distance of the segments a0 + s u1 (0 <= s <= L1) and b0 + t u2 (0 <= t <= L2): the distance of
// points on them is jointly convex in (s, t), so nested ternary searches find it without any
// closed-form candidates.
inline double segDistRef(const Vec3& a0, const Vec3& u1, double L1, const Vec3& b0, const Vec3& u2, double L2) {
    return convexMin([&](double s) { return pointSegDist(add(a0, mul(s, u1)), b0, u2, L2); }, 0.0, L1);
}
// Smallest distance over an (n+1) x (n+1) grid of points on both segments.
inline double segDistGrid(const Vec3& a0, const Vec3& u1, double L1, const Vec3& b0, const Vec3& u2, double L2, int n) {
    double best = 1e300;
    for (int i = 0; i <= n; ++i)
        for (int j = 0; j <= n; ++j) best = std::fmin(best, dist(add(a0, mul(L1 * i / n, u1)), add(b0, mul(L2 * j / n, u2))));
    return best;
}
// Distance of links M and K of the current pose.
inline double linkDist(const Scene& s, int M, int K) {
    return segDistRef(s.J[M - 1], s.mm[M], s.L[M], s.J[K - 1], s.mm[K], s.L[K]);
}

// Joint values inside the limits: 'P'/'Q' joints within qLimit (joint N-1 within qLimitWrist).
inline void randomPose(std::mt19937& rng, const Scene& s, double* q, double span = 1.0) {
    for (int i = 0; i < JV; ++i) {
        const double lim = (i == s.N - 1) ? s.qLimitWrist : (s.JRTYPE[i] == 'R' ? PI_C : s.qLimit);
        q[i] = (i >= 1 && i <= s.N) ? uniform(rng, -lim * span, lim * span) : 0.0;
    }
}

// Joint M of q with q[I] = value (the kinematics of that pose stay in the Scene).
inline Vec3 jointAt(Scene& s, const double* q, int I, double value, int M) {
    double qq[JV];
    std::memcpy(qq, q, sizeof qq);
    qq[I] = value;
    forwardKinematics(s, qq);
    return s.J[M];
}

// Moves the slit base point and derives the wall planes.
inline void placeWall(Scene& s, double x, double y) {
    s.rh = V(x, y, 0);
    setWallGeometry(s);
}

}  // namespace ct
