// Helpers of the interference tests: small vector arithmetic, an independent segment distance,
// random poses and wall placement.
#pragma once
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "app/scene.h"
#include "app/startup.h"
#include "model/kinematics.h"
#include "support/test_scene.h"

namespace ct {

inline Vec3 V(double x, double y, double z) { return Vec3{{x, y, z}}; }
inline Vec3 add(const Vec3& a, const Vec3& b) { return V(a[0] + b[0], a[1] + b[1], a[2] + b[2]); }
inline Vec3 sub(const Vec3& a, const Vec3& b) { return V(a[0] - b[0], a[1] - b[1], a[2] - b[2]); }
inline Vec3 mul(double k, const Vec3& a) { return V(k * a[0], k * a[1], k * a[2]); }
inline double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
inline Vec3 cross(const Vec3& a, const Vec3& b) {
    return V(a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]);
}
inline double norm(const Vec3& a) { return std::sqrt(dot(a, a)); }
inline double dist(const Vec3& a, const Vec3& b) { return norm(sub(a, b)); }
inline Vec3 unit(const Vec3& a) { return mul(1.0 / norm(a), a); }

inline Vec3 randomUnit(std::mt19937& rng) {
    std::normal_distribution<double> g(0, 1);
    for (;;) {
        Vec3 v = V(g(rng), g(rng), g(rng));
        if (norm(v) > 1e-3) return unit(v);
    }
}
inline double uniform(std::mt19937& rng, double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(rng);
}

// Minimum of a convex function on [lo, hi] by ternary search.
template <class F>
double convexMin(F f, double lo, double hi, double* argOut = nullptr) {
    for (int i = 0; i < 90 && hi - lo > 0; ++i) {
        double m1 = lo + (hi - lo) / 3, m2 = hi - (hi - lo) / 3;
        if (f(m1) <= f(m2))
            hi = m2;
        else
            lo = m1;
    }
    double x = (lo + hi) / 2;
    if (argOut) *argOut = x;
    return f(x);
}

// Distance of the segments a0 + s u1 (0 <= s <= L1) and b0 + t u2 (0 <= t <= L2). The distance of
// points on them is jointly convex in (s, t), so the minimum over t is convex in s: nested
// ternary searches find the minimum without any closed-form candidates.
inline double segDistRef(const Vec3& a0, const Vec3& u1, double L1, const Vec3& b0, const Vec3& u2, double L2) {
    auto inner = [&](double s) {
        Vec3 p = add(a0, mul(s, u1));
        return convexMin([&](double t) { return dist(p, add(b0, mul(t, u2))); }, 0.0, L2);
    };
    return convexMin(inner, 0.0, L1);
}

// Smallest distance over an (n+1) x (n+1) grid of points on both segments.
inline double segDistGrid(const Vec3& a0, const Vec3& u1, double L1, const Vec3& b0, const Vec3& u2, double L2,
                          int n) {
    double best = 1e300;
    for (int i = 0; i <= n; ++i) {
        Vec3 p = add(a0, mul(L1 * i / n, u1));
        for (int j = 0; j <= n; ++j) best = std::fmin(best, dist(p, add(b0, mul(L2 * j / n, u2))));
    }
    return best;
}

// Distance of point p from the segment a0 + s u (0 <= s <= L).
inline double pointSegDist(const Vec3& p, const Vec3& a0, const Vec3& u, double L) {
    return convexMin([&](double s) { return dist(p, add(a0, mul(s, u))); }, 0.0, L);
}

// Joint values inside the limits: 'P'/'Q' joints within qLimit (joint N-1 within qLimitWrist).
inline void randomPose(std::mt19937& rng, const Scene& s, double* q, double span = 1.0) {
    for (int i = 0; i < JV; ++i) q[i] = 0;
    for (int i = 1; i <= s.N; ++i) {
        double lim = (i == s.N - 1) ? s.qLimitWrist : (s.JRTYPE[i] == 'R' ? PI_C : s.qLimit);
        q[i] = uniform(rng, -lim * span, lim * span);
    }
}

// Moves the slit base point and derives the wall planes.
inline void placeWall(Scene& s, double x, double y) {
    s.rh = V(x, y, 0);
    setWallGeometry(s);
}

// The trace of the Scene goes to a memory buffer while the object lives.
struct TraceCapture {
    Scene& s;
    char* buf = nullptr;
    size_t len = 0;
    FILE* f = nullptr;
    FILE* old;
    explicit TraceCapture(Scene& sc) : s(sc), old(sc.trace) {
        f = open_memstream(&buf, &len);
        s.trace = f;
    }
    std::string text() {
        std::fflush(f);
        return std::string(buf, len);
    }
    ~TraceCapture() {
        s.trace = old;
        std::fclose(f);
        std::free(buf);
    }
};

}  // namespace ct
