#include "path_check.h"

#include <fcl/fcl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

struct R3 {
    double a[3][3];
};

R3 mul(const R3& A, const R3& B) {
    R3 C{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k) C.a[r][c] += A.a[r][k] * B.a[k][c];
    return C;
}

// Rotation about the unit axis u by angle q (Rodrigues).
R3 rot(const double u[3], double q) {
    const double c = std::cos(q), sn = std::sin(q), v = 1 - c;
    const double x = u[0], y = u[1], z = u[2];
    return R3{{{c + x * x * v, x * y * v - z * sn, x * z * v + y * sn},
               {y * x * v + z * sn, c + y * y * v, y * z * v - x * sn},
               {z * x * v - y * sn, z * y * v + x * sn, c + z * z * v}}};
}

double wrapPi(double a) {
    while (a > M_PI) a -= 2 * M_PI;
    while (a < -M_PI) a += 2 * M_PI;
    return a;
}

double diffOf(const Scene& s, int i, double a, double b) { return s.JRTYPE[i] == 'R' ? wrapPi(a - b) : a - b; }

// Distance of a point (x, y) to the wall blocks: the band rhy1 <= y <= rhy2 outside the slit
// |x - rhx| < Wslit / 2. The blocks are taken as unbounded in x and z.
double pointWallDist(const Scene& s, double x, double y) {
    const double h = s.Wslit / 2;
    const double dx = std::max(0.0, h - std::fabs(x - s.rhx));
    double dy = 0;
    if (y < s.rhy1) dy = s.rhy1 - y;
    if (y > s.rhy2) dy = y - s.rhy2;
    if (dy == 0) return dx == 0 ? -1.0 : dx;  // inside the band: distance to the slit sides
    return dx == 0 ? dy : std::hypot(dx, dy);
}

// Least distance of segment A-B to the wall blocks (negative: the segment enters a block),
// by sampling and the band crossings.
double segWallDist(const Scene& s, const Vec3& A, const Vec3& B, double& crossOff) {
    double best = 1e9;
    const int n = 24;
    for (int k = 0; k <= n; ++k) {
        const double t = double(k) / n;
        best = std::min(best, pointWallDist(s, A[0] + t * (B[0] - A[0]), A[1] + t * (B[1] - A[1])));
    }
    const double dy = B[1] - A[1];
    if (std::fabs(dy) > 1e-12) {
        for (double yf : {s.rhy1, s.rhy2}) {
            const double t = (yf - A[1]) / dy;
            if (t < 0 || t > 1) continue;
            const double x = A[0] + t * (B[0] - A[0]);
            crossOff = std::max(crossOff, std::fabs(x - s.rhx));
            if (std::fabs(x - s.rhx) >= s.Wslit / 2) return -1.0;
            best = std::min(best, s.Wslit / 2 - std::fabs(x - s.rhx));
        }
    }
    return best;
}

double segSegDistance(const Vec3& p1, const Vec3& q1, const Vec3& p2, const Vec3& q2) {
    // Closest points of two segments (clamped parameters).
    double d1[3], d2[3], r[3];
    for (int k = 0; k < 3; ++k) d1[k] = q1[k] - p1[k], d2[k] = q2[k] - p2[k], r[k] = p1[k] - p2[k];
    auto dot = [](const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
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


// The limit of |q[i]| (1e9: none).
double jointLimit(const Scene& s, int i) {
    return i == s.N - 1 ? s.qLimitWrist : (s.JRTYPE[i] != 'R' && i < s.N) ? s.qLimit : 1e9;
}

bool fail(PathCheckReport& r, int row, const char* what, double value) {
    if (r.ok) {
        char buf[200];
        std::snprintf(buf, sizeof buf, "row %d: %s (%.6g)", row, what, value);
        r.fault = buf;
    }
    r.ok = false;
    return false;
}

// Point model: checks one pose; row is the path row it lies at or after.
void checkPointPose(const Scene& s, const double* q, int row, bool isRow, const PathCheckLimits& lim,
               PathCheckReport& r, double workFloor) {
    Vec3 P[JV];
    independentJointPoints(s, q, P);
    ++r.poses;
    const int N = s.N, Nw = s.Nw;
    for (int j = 1; j <= Nw; ++j) {
        const double m = j == Nw ? MarginW : Margin;
        const double x = P[j][0], y = P[j][1], z = P[j][2];
        if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) {
            fail(r, row, "non-finite joint point", j);
            return;
        }
        // Wall: outside the band widened by the margin, or on the slit plane.
        const double out = std::max(s.rhy1 - m - y, y - (s.rhy2 + m));
        if (out < 0) {
            const double off = std::fabs(x - s.rhx);
            r.maxSlitOffset = std::max(r.maxSlitOffset, off);
            if (isRow) r.maxRowSlitOffset = std::max(r.maxRowSlitOffset, off);
            if (off > lim.slitTol) fail(r, row, "joint in the wall band off the slit plane", j + off);
        } else {
            r.minJointWall = std::min(r.minJointWall, out);
        }
        if (j >= 2 && j <= N) {
            r.minJointFloor = std::min(r.minJointFloor, z - m);
            if (z - m <= 0) fail(r, row, "joint below the floor margin", j + z);
        }
        if (j == Nw && z < workFloor) fail(r, row, "work point below its floor clearance", z);
    }
    // Links as segments: out of the wall blocks, above the floor.
    for (int k = 1; k <= Nw; ++k) {
        if (std::hypot(P[k][0] - P[k - 1][0], std::hypot(P[k][1] - P[k - 1][1], P[k][2] - P[k - 1][2])) < 1e-9)
            continue;
        double crossOff = 0;
        const double dw = segWallDist(s, P[k - 1], P[k], crossOff);
        if (dw < r.minLinkWall) r.minLinkWall = dw, r.worstLinkWallRow = row;
        if (dw < 0) fail(r, row, "link inside a wall block", k);
        if (crossOff > lim.slitTol) fail(r, row, "link crosses a wall face off the slit plane", k + crossOff);
        if (k >= 2) {
            // A straight link is lowest at an end; joint 1 stays where the base puts it.
            const double z = k == 2 ? P[2][2] : std::min(P[k - 1][2], P[k][2]);
            if (z < r.minLinkFloor) r.minLinkFloor = z, r.worstLinkFloorRow = row;
            if (z < 0) fail(r, row, "link below the floor", k);
        }
    }
    // Self: each link against the links before it but its neighbour (zero-length links skipped).
    for (int M = 2; M <= Nw; ++M) {
        int Ms = M;
        for (int k = 0; k < 2 && Ms > 1 && s.L[Ms] < 0.001; ++k) --Ms;
        for (int K = 1; K <= Ms - 2; ++K) {
            if (s.L[K] < 0.001) continue;
            // Links that meet end to start (past zero-length links) are neighbours: no distance.
            if (std::hypot(P[K][0] - P[Ms - 1][0], std::hypot(P[K][1] - P[Ms - 1][1], P[K][2] - P[Ms - 1][2])) < 1e-5)
                continue;
            const double need = (M == Nw) ? 0.31 : 0.21;
            const double c = segSegDistance(P[Ms - 1], P[Ms], P[K - 1], P[K]) - need;
            r.minSelf = std::min(r.minSelf, c);
            if (c < -lim.selfTol) fail(r, row, "self clearance", M * 100 + K);
        }
    }
}

// ---- Physical model ----

constexpr double kRadius = 0.1;  // capsules of the links and the hand; the work's ball at the wall
constexpr double kWallLength = 4.0, kWallHeight = 7.5;  // each wall block as drawn
constexpr double kSlack = 1e-9;  // rounding allowed below a clearance of zero

struct Aabb {
    double lo[3], hi[3];
};

Aabb boxAround(const Vec3& a, const Vec3& b) {
    Aabb r;
    for (int k = 0; k < 3; ++k) r.lo[k] = std::min(a[k], b[k]), r.hi[k] = std::max(a[k], b[k]);
    return r;
}

// Distance between two axis-aligned boxes: a lower bound of the distance of what they hold.
double gap(const Aabb& a, const Aabb& b) {
    double d = 0;
    for (int k = 0; k < 3; ++k) {
        const double g = std::max({0.0, a.lo[k] - b.hi[k], b.lo[k] - a.hi[k]});
        d += g * g;
    }
    return std::sqrt(d) - 1e-12;
}

fcl::Vector3d vec(const Vec3& v) { return fcl::Vector3d(v[0], v[1], v[2]); }

// A link or the hand: its axis segment, the capsule of radius kRadius around it.
struct Segment {
    Vec3 a, b;
    int part;
    Aabb box;
};

// Distance of two FCL shapes; signed: negative is the penetration depth (EPA), else -1 when they
// touch.
double fclDistance(const fcl::CollisionGeometryd& g1, const fcl::Transform3d& t1, const fcl::CollisionGeometryd& g2,
                   const fcl::Transform3d& t2, bool signedDepth) {
    fcl::DistanceRequestd request;
    request.enable_signed_distance = signedDepth;
    // GJK stops when a step gains less than this: the default (1e-6) leaves a ball or a capsule's
    // end against a face up to 1e-4 long. EPA keeps the default: finer, it trips over its own
    // rounding (an assertion in FCL 0.7).
    if (!signedDepth) request.distance_tolerance = 1e-13;
    fcl::DistanceResultd result;
    return fcl::distance(&g1, t1, &g2, t2, request, result);
}

// Signed distance of the capsule of radius r around a-b (a ball where a = b) to the shape g at t.
double capsuleDistance(const Vec3& a, const Vec3& b, double r, const fcl::CollisionGeometryd& g,
                       const fcl::Transform3d& t, bool signedDepth) {
    const fcl::Vector3d va = vec(a), vb = vec(b);
    const double len = (vb - va).norm();
    fcl::Transform3d tc = fcl::Transform3d::Identity();
    tc.translation() = (va + vb) / 2;
    if (len < 1e-9) return fclDistance(fcl::Sphered(r), tc, g, t, signedDepth);
    // FCL's capsule lies along its own z axis, centred on its origin.
    tc.linear() = fcl::Quaterniond::FromTwoVectors(fcl::Vector3d::UnitZ(), (vb - va) / len).toRotationMatrix();
    return fclDistance(fcl::Capsuled(r, len), tc, g, t, signedDepth);
}

// Clearance of the capsule of radius kRadius around seg from the convex shape g at t: the
// distance of its axis less kRadius. Where the capsule overlaps g with its axis outside, a thin
// capsule round the same axis gives that distance by GJK; only an axis that (nearly) reaches g
// takes EPA's penetration depth.
double clearanceOf(const Segment& seg, const fcl::CollisionGeometryd& g, const fcl::Transform3d& t) {
    const double d = capsuleDistance(seg.a, seg.b, kRadius, g, t, false);
    if (d > 0) return d;
    constexpr double thin = 1e-3;
    const double dThin = capsuleDistance(seg.a, seg.b, thin, g, t, false);
    if (dThin > 0) return dThin + thin - kRadius;
    return std::min(capsuleDistance(seg.a, seg.b, kRadius, g, t, true), thin - kRadius);
}

// The wall blocks of a scene: left (towards -x) and right of the slit.
struct Wall {
    fcl::Boxd block;
    fcl::Transform3d at[2];
    Aabb box[2];
    explicit Wall(const Scene& s) : block(kWallLength, s.rhy2 - s.rhy1, kWallHeight) {
        for (int side = 0; side < 2; ++side) {
            const double x0 = side == 0 ? s.rhx - s.Wslit / 2 - kWallLength : s.rhx + s.Wslit / 2;
            box[side] = Aabb{{x0, s.rhy1, s.rh[2]}, {x0 + kWallLength, s.rhy2, s.rh[2] + kWallHeight}};
            at[side] = fcl::Transform3d::Identity();
            for (int k = 0; k < 3; ++k) at[side].translation()[k] = (box[side].lo[k] + box[side].hi[k]) / 2;
        }
    }
};

void take(Contact& c, double v, int shape, int touched) {
    if (v < c.clearance) c = Contact{v, shape, touched, -1};
}

// Judges one pose into out. A pair whose cheap lower bound is at or above skip[kind] is not
// computed exactly: it can neither be a fault nor lower a least clearance of at least that.
void judge(const Scene& s, const Wall& wall, const double* q, const double* skip, PhysicalClearance& out) {
    const int N = s.N, Nw = s.Nw;
    Vec3 P[JV];
    Mat3 F[JV];
    independentJointPoints(s, q, P, F);
    const Mat3& W = F[Nw];
    const Vec3& rw = P[Nw];
    // Links 1..N, then the hand: from the last joint to the middle of the work box's top face.
    Segment seg[JV];
    for (int k = 1; k <= N; ++k) seg[k - 1] = Segment{P[k - 1], P[k], k, {}};
    Vec3 handEnd;
    for (int k = 0; k < 3; ++k) handEnd[k] = rw[k] - W(k, 2) * s.Hwork / 2;
    seg[N] = Segment{P[N], handEnd, kPartHand, {}};
    for (int k = 0; k <= N; ++k) seg[k].box = boxAround(seg[k].a, seg[k].b);

    // Wall: every capsule, and the work as a ball, against both blocks.
    for (int k = 0; k <= N; ++k)
        for (int side = 0; side < 2; ++side)
            if (gap(seg[k].box, wall.box[side]) - kRadius < skip[kWallClear])
                take(out.kind[kWallClear], clearanceOf(seg[k], wall.block, wall.at[side]), seg[k].part,
                     kPartLeftWall + side);
    const Segment ball{rw, rw, kPartWork, boxAround(rw, rw)};
    for (int side = 0; side < 2; ++side)
        if (gap(ball.box, wall.box[side]) - kRadius < skip[kWallClear])
            take(out.kind[kWallClear], clearanceOf(ball, wall.block, wall.at[side]), kPartWork,
                 kPartLeftWall + side);

    // Floor: the lowest end of each capsule's axis. The base column stands on the floor: link 1,
    // and link 2 too where link 1 has no length (joint 1 then turns on the floor under it).
    const bool baseOnFloor = std::hypot(P[1][0], std::hypot(P[1][1], P[1][2])) < 1e-9;
    for (int k = baseOnFloor ? 2 : 1; k <= N; ++k)
        take(out.kind[kFloorClear], std::min(seg[k].a[2], seg[k].b[2]) - kRadius, seg[k].part, kPartFloor);

    // The work box: centre rw, axes the columns of W.
    const double half[3] = {0.175, 0.15, s.Hwork / 2};
    Aabb workBox;
    for (int r = 0; r < 3; ++r) {
        double e = 0;
        for (int c = 0; c < 3; ++c) e += std::fabs(W(r, c)) * half[c];
        workBox.lo[r] = rw[r] - e, workBox.hi[r] = rw[r] + e;
    }
    take(out.kind[kWorkFloorClear], workBox.lo[2] + 0.001, kPartWork, kPartFloor);
    fcl::Transform3d boxAt = fcl::Transform3d::Identity();
    for (int r = 0; r < 3; ++r) {
        boxAt.translation()[r] = rw[r];
        for (int c = 0; c < 3; ++c) boxAt.linear()(r, c) = W(r, c);
    }
    const fcl::Boxd workShape(2 * half[0], 2 * half[1], 2 * half[2]);
    for (int k = 0; k < N; ++k)
        if (gap(seg[k].box, workBox) - kRadius < skip[kWorkClear])
            take(out.kind[kWorkClear], clearanceOf(seg[k], workShape, boxAt), kPartWork, seg[k].part);

    // Self: axis segments of each link against the links before it but its neighbour.
    for (int M = 2; M <= Nw; ++M) {
        int Ms = M;
        for (int k = 0; k < 2 && Ms > 1 && s.L[Ms] < 0.001; ++k) --Ms;
        for (int K = 1; K <= Ms - 2; ++K) {
            if (s.L[K] < 0.001) continue;
            // Links that meet end to start (past zero-length links) are neighbours: no distance.
            if (std::hypot(P[K][0] - P[Ms - 1][0], std::hypot(P[K][1] - P[Ms - 1][1], P[K][2] - P[Ms - 1][2])) < 1e-5)
                continue;
            const double need = (M == Nw) ? 0.31 : 0.21;
            take(out.kind[kSelfClear], segSegDistance(P[Ms - 1], P[Ms], P[K - 1], P[K]) - (need - 0.001),
                 Ms == Nw ? kPartHand : Ms, K);
        }
    }
    for (int i = 1; i <= N; ++i) {
        const double limit = jointLimit(s, i);
        if (limit < 1e9) take(out.kind[kLimitClear], limit - std::fabs(q[i]), kPartJoint + i, 0);
    }
}

}  // namespace

const char* clearanceKindName(int kind) {
    static const char* const names[kClearKinds] = {"wall", "floor", "workFloor", "work", "self", "limit"};
    return kind >= 0 && kind < kClearKinds ? names[kind] : "?";
}

std::string partName(int part) {
    switch (part) {
        case kPartHand: return "hand";
        case kPartWork: return "work";
        case kPartLeftWall: return "left wall block";
        case kPartRightWall: return "right wall block";
        case kPartFloor: return "floor";
        default: break;
    }
    if (part > kPartJoint) return "joint " + std::to_string(part - kPartJoint);
    return part > 0 ? "link " + std::to_string(part) : "";
}

std::string describeClearances(const PhysicalClearance& c) {
    std::string out;
    for (int k = 0; k < kClearKinds; ++k) {
        const Contact& x = c.kind[k];
        char buf[160];
        if (x.clearance >= 1e9) {
            std::snprintf(buf, sizeof buf, "%s -", clearanceKindName(k));
        } else {
            std::string where = partName(x.shape);
            if (x.touched) where += " / " + partName(x.touched);
            std::snprintf(buf, sizeof buf, "%s %.4f (row %d, %s)", clearanceKindName(k), x.clearance, x.row,
                          where.c_str());
        }
        out += (k ? ", " : "") + std::string(buf);
    }
    return out;
}

PhysicalClearance judgePose(const Scene& s, const double* q) {
    PhysicalClearance c;
    for (int i = 1; i <= s.N; ++i)
        if (!std::isfinite(q[i])) {
            // A pose that cannot be placed is clear of nothing.
            for (Contact& k : c.kind) k = Contact{-std::numeric_limits<double>::infinity(), kPartJoint + i, 0, -1};
            return c;
        }
    double all[kClearKinds];
    std::fill(all, all + kClearKinds, std::numeric_limits<double>::infinity());
    judge(s, Wall(s), q, all, c);
    return c;
}

void independentJointPoints(const Scene& s, const double* q, Vec3* P, Mat3* F) {
    R3 R = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    auto put = [](const R3& A, Mat3& out) {
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) out(r, c) = A.a[r][c];
    };
    P[0] = Vec3{{0, 0, 0}};
    if (F) put(R, F[0]);
    for (int i = 1; i <= s.Nw; ++i) {
        // Offset of joint i from joint i-1 in the straight pose, carried by the rotations so far.
        double d[3];
        for (int k = 0; k < 3; ++k) d[k] = s.Jstraight[i][k] - s.Jstraight[i - 1][k];
        for (int k = 0; k < 3; ++k) P[i][k] = P[i - 1][k] + R.a[k][0] * d[0] + R.a[k][1] * d[1] + R.a[k][2] * d[2];
        if (i <= s.N) {
            const char L = s.JRTYPE[i];
            const double u[3] = {L == 'P' ? 1.0 : 0.0, L == 'Q' ? 1.0 : 0.0, L == 'R' ? 1.0 : 0.0};
            R = mul(R, rot(u, q[i]));
            if (F) put(R, F[i]);
        }
    }
    if (F) {
        // The work frame: the hand frame carried by the arm's rotation.
        R3 H;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) H.a[r][c] = s.EwH(r, c);
        put(mul(R, H), F[s.Nw]);
    }
}

PathCheckReport checkPath(const Scene& s, const double (*path)[JV], int n, const double* qFirst,
                          const double* qLast, const PathCheckLimits& lim) {
    PathCheckReport r;
    if (n < 1) {
        fail(r, 0, "empty path", n);
        return r;
    }
    const int N = s.N;
    auto sameAs = [&](const double* a, const double* b) {
        for (int i = 1; i <= N; ++i)
            if (std::fabs(diffOf(s, i, a[i], b[i])) > 1e-6) return false;
        return true;
    };
    if (qFirst && !sameAs(path[0], qFirst)) fail(r, 0, "path does not start at the given pose", 0);
    if (qLast && !sameAs(path[n - 1], qLast)) fail(r, n - 1, "path does not end at the given pose", 0);
    // Point model: the work may rest on the floor only where the path starts or ends: below the
    // margin it must never be lower than there.
    Vec3 P0[JV], P1[JV];
    independentJointPoints(s, path[0], P0);
    independentJointPoints(s, path[n - 1], P1);
    const double workFloor = std::min({MarginW, P0[s.Nw][2], P1[s.Nw][2]}) - 1e-6;
    const Wall wall(s);
    // Physical model: judges a pose at or after row k, keeping the least clearances.
    auto judgeAt = [&](const double* q, int k, bool isRow) {
        ++r.poses;
        double skip[kClearKinds];
        for (int c = 0; c < kClearKinds; ++c) skip[c] = std::max(0.0, r.least.kind[c].clearance);
        PhysicalClearance pc;
        judge(s, wall, q, skip, pc);
        for (int c = 0; c < kClearKinds; ++c) {
            Contact& least = r.least.kind[c];
            const Contact& x = pc.kind[c];
            if (x.clearance < least.clearance) least = x, least.row = k;
            if (x.clearance < -kSlack && r.ok) {
                char buf[240];
                std::string where = partName(x.shape);
                if (x.touched) where += " / " + partName(x.touched);
                std::snprintf(buf, sizeof buf, "%s %d%s: %s clearance %.6g (%s)", isRow ? "row" : "between rows", k,
                              isRow ? "" : (" and " + std::to_string(k + 1)).c_str(), clearanceKindName(c),
                              x.clearance, where.c_str());
                r.fault = buf;
                r.ok = false;
            }
        }
    };
    for (int k = 0; k < n; ++k) {
        const double* q = path[k];
        for (int i = 1; i <= N; ++i) {
            if (!std::isfinite(q[i])) {
                fail(r, k, "non-finite joint value", i);
                return r;
            }
            if (lim.pointModel && std::fabs(q[i]) > jointLimit(s, i) + 1e-9) fail(r, k, "joint beyond its limit", i);
        }
        ++r.rows;
        if (lim.pointModel)
            checkPointPose(s, q, k, true, lim, r, workFloor);
        else
            judgeAt(q, k, true);
        if (k + 1 >= n) break;
        const double* q2 = path[k + 1];
        double dmax = 0, wmax = 0;
        double d[JV] = {};
        for (int i = 1; i <= N; ++i) {
            d[i] = diffOf(s, i, q2[i], q[i]);
            dmax = std::max(dmax, std::fabs(d[i]));
            wmax = std::max(wmax, std::fabs(d[i]) / (i >= N - 2 ? 5.0 : 1.0));
        }
        r.maxStep = std::max(r.maxStep, wmax);
        if (wmax > 0.025 + 1e-9) fail(r, k, "consecutive rows differ beyond the append bound", wmax);
        const int m = static_cast<int>(std::ceil(dmax / lim.maxInterp));
        for (int t = 1; t < m; ++t) {
            double qi[JV] = {};
            for (int i = 1; i <= N; ++i) qi[i] = q[i] + d[i] * t / m;
            if (lim.pointModel)
                checkPointPose(s, qi, k, false, lim, r, workFloor);
            else
                judgeAt(qi, k, false);
        }
    }
    return r;
}
