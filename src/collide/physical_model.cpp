#include "collide/physical_model.h"

#include <algorithm>
#include <cmath>

#include "collide/vec3_inline.h"
#include "core/scene.h"
#include "model/kinematics.h"

using collide::dot;
using collide::sub;

namespace {

// Squared distance of a along the segment a + t d (t in [t0, t1]) from the box: on an interval
// where no coordinate crosses a face, a sum of squares of linear terms, so a quadratic.
double boxDistanceSquaredOn(const Vec3& a, const Vec3& d, const Vec3& lo, const Vec3& hi, double t0, double t1) {
    const double tm = 0.5 * (t0 + t1);
    double A = 0, B = 0, C = 0;
    for (int k = 0; k < 3; ++k) {
        const double p = a[k] + tm * d[k];
        double e;
        if (p < lo[k]) e = lo[k] - a[k];
        else if (p > hi[k]) e = hi[k] - a[k];
        else continue;
        // (a + t d - face)^2 = d^2 t^2 - 2 e d t + e^2 with e = face - a.
        A += d[k] * d[k];
        B -= 2 * e * d[k];
        C += e * e;
    }
    auto f = [&](double t) { return (A * t + B) * t + C; };
    if (A > 0) return f(std::clamp(-B / (2 * A), t0, t1));
    return std::min(f(t0), f(t1));
}

// The work box frame: centre rw, axes the columns of Ew.
Vec3 toBox(const Scene& s, const Vec3& p) {
    const Vec3 r = sub(p, s.rw);
    return Vec3{{s.Ew(0, 0) * r[0] + s.Ew(1, 0) * r[1] + s.Ew(2, 0) * r[2],
                 s.Ew(0, 1) * r[0] + s.Ew(1, 1) * r[1] + s.Ew(2, 1) * r[2],
                 s.Ew(0, 2) * r[0] + s.Ew(1, 2) * r[1] + s.Ew(2, 2) * r[2]}};
}

// Lower bound of the distance from segment a-b to the box lo..hi: the distance between the
// segment's bounding box and the box. Cheap, and exact enough to skip the exact distance where
// it cannot be the least one.
double boxGap(const Vec3& a, const Vec3& b, const Vec3& lo, const Vec3& hi) {
    double d = 0;
    for (int k = 0; k < 3; ++k) {
        const double sLo = std::min(a[k], b[k]), sHi = std::max(a[k], b[k]);
        const double e = std::max({lo[k] - sHi, sLo - hi[k], 0.0});
        d += e * e;
    }
    return std::sqrt(d);
}

void wallBlocks(const Scene& s, Vec3 lo[2], Vec3 hi[2]) {
    const double h = s.Wslit / 2;
    lo[0] = Vec3{{s.rhx + h, s.rhy1, s.rh[2]}};
    hi[0] = Vec3{{s.rhx + h + kWallBlockLength, s.rhy2, s.rh[2] + kWallBlockHeight}};
    lo[1] = Vec3{{s.rhx - h - kWallBlockLength, s.rhy1, s.rh[2]}};
    hi[1] = Vec3{{s.rhx - h, s.rhy2, s.rh[2] + kWallBlockHeight}};
}

}  // namespace

double segmentBoxDistance(const Vec3& a, const Vec3& b, const Vec3& lo, const Vec3& hi) {
    const Vec3 d = sub(b, a);
    double ts[8];
    int n = 0;
    ts[n++] = 0;
    for (int k = 0; k < 3; ++k) {
        if (d[k] == 0) continue;
        for (double face : {lo[k], hi[k]}) {
            const double t = (face - a[k]) / d[k];
            if (t > 0 && t < 1) ts[n++] = t;
        }
    }
    ts[n++] = 1;
    for (int i = 1; i < n; ++i)  // at most eight values: insertion sort
        for (int j = i; j > 0 && ts[j] < ts[j - 1]; --j) std::swap(ts[j], ts[j - 1]);
    double best = boxDistanceSquaredOn(a, d, lo, hi, 0, 0);
    for (int i = 0; i + 1 < n; ++i) best = std::min(best, boxDistanceSquaredOn(a, d, lo, hi, ts[i], ts[i + 1]));
    return std::sqrt(std::max(best, 0.0));
}

double segmentSegmentDistance(const Vec3& p1, const Vec3& q1, const Vec3& p2, const Vec3& q2) {
    const Vec3 d1 = sub(q1, p1), d2 = sub(q2, p2), r = sub(p1, p2);
    const double a = dot(d1, d1), e = dot(d2, d2), f = dot(d2, r);
    double sP = 0, tP = 0;
    if (a <= 1e-15 && e <= 1e-15) {
        sP = tP = 0;
    } else if (a <= 1e-15) {
        tP = std::clamp(f / e, 0.0, 1.0);
    } else {
        const double c = dot(d1, r);
        if (e <= 1e-15) {
            sP = std::clamp(-c / a, 0.0, 1.0);
        } else {
            const double b = dot(d1, d2), den = a * e - b * b;
            sP = den > 1e-15 ? std::clamp((b * f - c * e) / den, 0.0, 1.0) : 0.0;
            tP = (b * sP + f) / e;
            if (tP < 0) tP = 0, sP = std::clamp(-c / a, 0.0, 1.0);
            else if (tP > 1) tP = 1, sP = std::clamp((b - c) / a, 0.0, 1.0);
        }
    }
    double d = 0;
    for (int k = 0; k < 3; ++k) {
        const double x = (p1[k] + sP * d1[k]) - (p2[k] + tP * d2[k]);
        d += x * x;
    }
    return std::sqrt(d);
}

double linkWallClearance(const Scene& s, int k) {
    Vec3 lo[2], hi[2];
    wallBlocks(s, lo, hi);
    return std::min(segmentBoxDistance(s.J[k - 1], s.J[k], lo[0], hi[0]),
                    segmentBoxDistance(s.J[k - 1], s.J[k], lo[1], hi[1])) -
           kCapsuleRadius;
}

namespace {

inline void fixedAt(ShapeClearance& c, int k, double v) { c.shapeFixed[k] = std::min(c.shapeFixed[k], v); }
inline void movingAt(ShapeClearance& c, int k, double v) { c.shapeMoving[k] = std::min(c.shapeMoving[k], v); }

// Segments A[k]..B[k] (k = 1..N the links, Nw the hand) against the wall blocks and the floor,
// and the work, as a ball at the work point, against the wall blocks.
void wallFloorClearance(const Scene& s, const Vec3* A, const Vec3* B, const Vec3 lo[2], const Vec3 hi[2],
                        ShapeClearance& c) {
    const int Nw = s.Nw;
    for (int k = 1; k <= Nw; ++k) {
        for (int b = 0; b < 2; ++b) {
            const double gap = boxGap(A[k], B[k], lo[b], hi[b]) - kCapsuleRadius;
            if (gap >= c.wall) {
                fixedAt(c, k, gap);
                continue;
            }
            const double d = segmentBoxDistance(A[k], B[k], lo[b], hi[b]) - kCapsuleRadius;
            fixedAt(c, k, d);
            if (d < c.wall) c.wall = d, c.wallShape = k, c.wallBlock = b;
        }
        // The base column (links that start at the base) stands on the floor.
        const Vec3& base = s.Jstraight[k - 1];
        if (k == s.Nw || base[0] != 0 || base[1] != 0 || base[2] != 0) {
            const double z = std::min(A[k][2], B[k][2]) - kCapsuleRadius;
            fixedAt(c, k, z);
            if (z < c.floor) c.floor = z, c.floorShape = k;
        }
    }
    // Against the wall the work counts as a ball of the capsule radius at the work point.
    for (int b = 0; b < 2; ++b) {
        const double d = segmentBoxDistance(s.rw, s.rw, lo[b], hi[b]) - kCapsuleRadius;
        fixedAt(c, Nw + 1, d);
        if (d < c.wall) c.wall = d, c.wallShape = Nw + 1, c.wallBlock = b;
    }
}

// The work box against the floor and against the links A[k]..B[k], k = N down to 1.
void workBoxClearance(const Scene& s, const Vec3* A, const Vec3* B, ShapeClearance& c) {
    const int N = s.N, Nw = s.Nw;
    const double half[3] = {kWorkHalf[0], kWorkHalf[1], s.Hwork / 2};
    double low = s.rw[2];
    for (int k = 0; k < 3; ++k) low -= std::fabs(s.Ew(2, k)) * half[k];
    c.workFloor = low + kWorkFloorSink;
    fixedAt(c, Nw + 1, c.workFloor);
    const Vec3 blo{{-half[0], -half[1], -half[2]}}, bhi{{half[0], half[1], half[2]}};
    const double diag = std::sqrt(half[0] * half[0] + half[1] * half[1] + half[2] * half[2]);
    // From the wrist down: the links nearest the box come first, so that the ball bound below
    // skips most of the others.
    for (int k = N; k >= 1; --k) {
        // The box lies inside the ball of its half diagonal about the work point.
        const double ball = segmentSegmentDistance(A[k], B[k], s.rw, s.rw) - diag - kCapsuleRadius;
        if (ball >= c.work) {
            movingAt(c, k, ball);
            movingAt(c, Nw + 1, ball);
            continue;
        }
        const double d = segmentBoxDistance(toBox(s, A[k]), toBox(s, B[k]), blo, bhi) - kCapsuleRadius;
        movingAt(c, k, d);
        movingAt(c, Nw + 1, d);
        if (d < c.work || (d == c.work && k < c.workLink)) c.work = d, c.workLink = k;
    }
}

// Self: link axes, link Nw ending at the work point; links that meet past zero-length links are
// neighbours.
void selfClearance(const Scene& s, ShapeClearance& c) {
    const int Nw = s.Nw;
    double half2[JV + 1];
    for (int k = 1; k <= Nw; ++k) {
        const Vec3 d = sub(s.J[k], s.J[k - 1]);
        half2[k] = 0.5 * std::sqrt(dot(d, d));
    }
    for (int M = 2; M <= Nw; ++M) {
        int Ms = M;
        for (int k = 0; k < 2 && Ms > 1 && s.L[Ms] < 0.001; ++k) --Ms;
        for (int K = 1; K <= Ms - 2; ++K) {
            if (s.L[K] < 0.001) continue;
            const Vec3 gap = sub(s.J[K], s.J[Ms - 1]);
            if (dot(gap, gap) < 1e-10) continue;
            const double need = (M == Nw ? 0.31 : 0.21) - 0.001;
            // Each segment lies in the ball of half its length about its middle.
            double gap2 = 0;
            for (int r = 0; r < 3; ++r) {
                const double e = 0.5 * (s.J[Ms - 1][r] + s.J[Ms][r] - s.J[K - 1][r] - s.J[K][r]);
                gap2 += e * e;
            }
            const double ball = std::sqrt(gap2) - half2[Ms] - half2[K] - need;
            if (ball >= c.self) {
                movingAt(c, Ms, ball);
                movingAt(c, K, ball);
                continue;
            }
            const double d = segmentSegmentDistance(s.J[Ms - 1], s.J[Ms], s.J[K - 1], s.J[K]) - need;
            movingAt(c, Ms, d);
            movingAt(c, K, d);
            if (d < c.self) c.self = d, c.selfA = M, c.selfB = K;
        }
    }
}

}  // namespace

void physicalClearance(Scene& s, const double* q, ShapeClearance& c) {
    c = ShapeClearance();
    for (int k = 0; k < JV + 2; ++k) c.shapeFixed[k] = c.shapeMoving[k] = 9;
    const int N = s.N, Nw = s.Nw;
    for (int i = 1; i <= N - 1 && c.limitJoint == 0; ++i) {
        const double lim = i == N - 1 ? s.qLimitWrist : s.JRTYPE[i] != 'R' ? s.qLimit : INFINITY;
        if (!(std::fabs(q[i]) <= lim)) c.limitJoint = i;
    }
    forwardKinematics(s, q);
    // Segments 1..N are the links, Nw the hand up to the top face of the box.
    Vec3 A[JV], B[JV];
    for (int k = 1; k <= N; ++k) A[k] = s.J[k - 1], B[k] = s.J[k];
    A[Nw] = s.J[N];
    for (int r = 0; r < 3; ++r) B[Nw][r] = s.rw[r] - s.Ew(r, 2) * s.Hwork / 2;

    Vec3 lo[2], hi[2];
    wallBlocks(s, lo, hi);
    wallFloorClearance(s, A, B, lo, hi, c);
    workBoxClearance(s, A, B, c);
    selfClearance(s, c);
}

ShapeContact worstContact(const ShapeClearance& c, double& depth) {
    depth = 0;
    if (c.limitJoint) return ShapeContact::Limit;
    ShapeContact kind = ShapeContact::None;
    const double v[5] = {c.wall, c.floor, c.workFloor, c.work, c.self};
    const ShapeContact k[5] = {ShapeContact::Wall, ShapeContact::Floor, ShapeContact::WorkFloor, ShapeContact::Work,
                               ShapeContact::Self};
    for (int i = 0; i < 5; ++i)
        if (!(v[i] >= -depth)) depth = -v[i], kind = k[i];
    if (kind != ShapeContact::None && !std::isfinite(depth)) depth = INFINITY;
    return kind;
}


void shapeSweepBounds(const Scene& s, const double* dq, double* out) {
    const int N = s.N, Nw = s.Nw;
    const double boxReach = s.Lw + std::sqrt(kWorkHalf[0] * kWorkHalf[0] + kWorkHalf[1] * kWorkHalf[1] +
                                             s.Hwork * s.Hwork / 4);
    out[0] = 0;
    for (int k = 1; k <= N; ++k) {
        // Joints j < k turn link k about J[j]; its points lie within the links j+1..k of it.
        double reach = 0, sum = 0;
        for (int j = k - 1; j >= 1; --j) {
            reach += s.L[j + 1];
            sum += std::fabs(dq[j]) * reach;
        }
        out[k] = sum;
    }
    // The hand, the work link and the box move with every joint.
    double reach = boxReach, sum = 0;
    for (int j = N; j >= 1; --j) {
        sum += std::fabs(dq[j]) * reach;
        reach += s.L[j];
    }
    out[Nw] = out[Nw + 1] = sum;
}
