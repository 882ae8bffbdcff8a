#include "collide/interference.h"

#include <cmath>
#include <cstdlib>

#include "collide/vec3_inline.h"
#include "core/scene.h"
#include "model/joints.h"
#include "model/kinematics.h"

using namespace collide;

namespace {

const Vec3 kOrigin = {{0, 0, 0}};

bool finiteJoints(const Scene& s, const double* q) {
    for (int i = 1; i <= s.N; ++i)
        if (!std::isfinite(q[i])) return false;
    return true;
}

// Required clearance of two links by the part codes of their closest points (link 1 has the
// lower index): the end point of a link near the wrist and anything of the work link take more.
double requiredClearance(const Scene& s, int k1, int k2, int c1, int c2) {
    if (k1 == s.Nw || k2 == s.Nw) return 0.31;
    if ((c1 == 2 && k1 >= s.N - 2) || (c2 == 2 && k2 >= s.N - 2)) return 0.31;
    return 0.21;
}

// Foot parameter of point p on the line a0 + t u; false when the foot is off the segment [0, len].
bool footOnSegment(const Vec3& p, const Vec3& a0, const Vec3& u, double len, double& t) {
    double uu = dot(u, u);
    if (!(uu > 0)) return false;
    t = dot(sub(p, a0), u) / uu;
    return t >= 0 && t <= len;
}

// Link M of the current pose (J, mm) against links K0 .. M-2; forwardKinematics already done.
int selfCollCore(Scene& s, int K0, int M, double& d, double& bs, int& K, Vec3& P1, Vec3& P2, int& t1, int& t2) {
    const int N = s.N;
    int Ms = M;
    // Zero-length links carry no segment: judge the last link with a length (never below link 1).
    for (int k = 0; k < 2 && Ms > 1 && s.L[Ms] < 0.001; ++k) --Ms;
    const int Mq = Ms - 1;
    if (s.JRTYPE[1] == 'R') {
        // A robot turning about its first link: the bend between consecutive links is limited.
        double a = acosClamped(dot(s.mm[Mq], s.mm[Ms]));
        if ((Mq <= N - 3 && a > s.qLimit) || (Mq >= N - 2 && a > s.qLimitWrist)) {
            d = bs = 0;
            K = K0;
            t1 = 1;
            t2 = 2;
            P1 = P2 = s.J[M];
            return kCollSelf;
        }
        if (M == 2) {
            d = bs = 9.0;
            K = 1;
            t1 = 1;
            t2 = 2;
            P1 = P2 = s.J[2];
            return acosClamped(dot(s.mm[2], s.mm[3])) > s.qLimit ? kCollSelf : kCollNone;
        }
    }
    if (Ms - 2 < K0) {
        d = bs = 8.0;
        K = K0;
        t1 = 1;
        t2 = 2;
        P1 = P2 = s.J[Ms];
        return 0;
    }
    const int k0 = K0 < 1 ? 1 : K0;
    double best = 9.0;
    d = 9.0;
    K = k0;
    P1 = P2 = s.J[Ms];
    t1 = t2 = 0;
    // The links nearest link Ms come first, so that the far ones can be passed over: each link
    // lies in the ball of half its length about its middle, every candidate distance is at least
    // the distance of the segments, and no required clearance exceeds 0.31, so a link whose ball
    // is further off than that cannot give a clearance as small as the best. Of equal clearances
    // the lowest link wins, as in a scan upwards from k0.
    for (int k = Ms - 2; k >= k0; --k) {
        const Vec3 gap = sub(mid(s.J[Ms - 1], s.J[Ms]), mid(s.J[k - 1], s.J[k]));
        if (norm(gap) - 0.5 * (s.L[Ms] + s.L[k]) - 0.31 - 1e-9 > best) continue;
        double dk, ck;
        Vec3 p1, p2;
        int c1, c2;
        SegSegDist(s, Ms, s.J[Ms - 1], s.mm[Ms], k, s.J[k - 1], s.mm[k], dk, ck, p1, p2, c1, c2);
        if (ck < best || (ck == best && ck < 9.0)) {
            best = ck;
            d = dk;
            K = k;
            P1 = p1;
            P2 = p2;
            t1 = c1;
            t2 = c2;
        }
    }
    bs = best;
    return best < -0.001 ? kCollSelf : kCollNone;
}

// y and z of joint M at q (index 0), q[I] + 0.05 (1) and q[I] - 0.05 (2); the pose of q is left
// in the Scene.
void probeJoint(Scene& s, int I, int M, const double* q, double y[3], double z[3]) {
    double qp[JV];
    for (int i = 0; i < JV; ++i) qp[i] = q[i];
    for (int k = 1; k <= 2; ++k) {
        qp[I] = q[I] + (k == 1 ? 0.05 : -0.05);
        forwardKinematics(s, qp);
        y[k] = s.J[M][1];
        z[k] = s.J[M][2];
    }
    forwardKinematics(s, q);
    y[0] = s.J[M][1];
    z[0] = s.J[M][2];
}

// Wall verdict of joint M (at JM) inside the wall band of its side: -1 when it interferes, +1
// when it passes on the slit plane or the arm continues along the slit.
int wallSignInBand(const Scene& s, bool far, int M, const Vec3& JM, int Mp, int Mw, const int* inWall, int nIn) {
    int w = 1;
    const bool offSlit = std::fabs(JM[0] - s.rhx) > 0.01;
    bool inList = false;
    for (int k = 0; k < nIn && k <= s.N; ++k)
        if (inWall[k] == M) inList = true;
    if (!far && M == Mp && offSlit) w = -1;
    if (far && M == Mw && offSlit) w = -1;
    if (inList && offSlit) w = -1;
    if (far) {
        int M1 = M + 1;
        if (s.JRTYPE[M + 1] == 'R') M1 = M + 2;
        if (M1 > s.Nw) M1 = s.Nw;
        const double oy = JM[1] - s.rhy;
        const bool nextOnSlit = std::fabs(s.J[M1][0] - s.rhx) < 0.0001;
        if (oy >= 0 && nextOnSlit) w = 1;
        if (oy < 0 && nextOnSlit) w = (oy < s.rhy1 && s.J[M1][1] - s.rhy < 0) ? 1 : -1;
    }
    return w;
}

bool probeArgsOk(const Scene& s, int I, int M) { return I >= 1 && I <= s.N && M >= 0 && M <= s.Nw; }

}  // namespace

namespace {

// Closest parts of two links found so far: clearance, distance, points on link 1 and link 2 and
// their part codes.
struct Closest {
    double c, d;
    Vec3 pa, pb;
    int ca, cb;
};

// Takes the candidate pa (part c1 of link k1) - pb (part c2 of link k2) when its clearance is
// strictly smaller than the best so far.
inline void consider(const Scene& s, int k1, int k2, Closest& best, const Vec3& pa, const Vec3& pb, int c1, int c2) {
    double dist = norm(sub(pa, pb));
    double clr = dist - requiredClearance(s, k1, k2, c1, c2);
    if (clr < best.c) {
        best.c = clr;
        best.d = dist;
        best.pa = pa;
        best.pb = pb;
        best.ca = c1;
        best.cb = c2;
    }
}

// Interior-to-interior candidate of link 1 (a0 + t ua, t in [0, L1], end a1) and link 2 (b0, ub,
// L2, end b1): along the common perpendicular, or where parallel links overlap.
inline void considerInteriors(const Scene& s, int k1, int k2, Closest& best, const Vec3& a0, const Vec3& ua,
                              const Vec3& a1, double L1, const Vec3& b0, const Vec3& ub, const Vec3& b1, double L2) {
    const Vec3 n = cross(ua, ub);
    const double uu = dot(ua, ua), uv = dot(ua, ub), vv = dot(ub, ub);
    const Vec3 w0 = sub(a0, b0);
    const double du = dot(ua, w0), dv = dot(ub, w0);
    const double den = uu * vv - uv * uv;
    double sa = 0, sb = 0;
    if (norm(n) >= 0.001) {
        sa = (uv * dv - vv * du) / den;
        sb = (uu * dv - uv * du) / den;
        if (sa >= 0 && sa <= L1 && sb >= 0 && sb <= L2)
            consider(s, k1, k2, best, axpy(a0, sa, ua), axpy(b0, sb, ub), 0, 0);
        return;
    }
    // Parallel links: the candidate exists when any end point projects into the other link; it is
    // taken where the links overlap (at the common perpendicular when that is still defined, else
    // the middle of the overlap).
    double t;
    double pb0 = 0, pb1 = 0;
    bool onB0 = footOnSegment(b0, a0, ua, L1, pb0);
    bool onB1 = footOnSegment(b1, a0, ua, L1, pb1);
    bool onA0 = footOnSegment(a0, b0, ub, L2, t);
    bool onA1 = footOnSegment(a1, b0, ub, L2, t);
    if (!(onB0 || onB1 || onA0 || onA1)) return;
    bool found = false;
    if (den > 0) {
        sa = (uv * dv - vv * du) / den;
        sb = (uu * dv - uv * du) / den;
        if (std::isfinite(sa) && std::isfinite(sb) && sa > 0 && sa < L1 && sb > 0 && sb < L2) found = true;
    }
    if (!found && uu > 0 && vv > 0) {
        double e0 = dot(sub(b0, a0), ua) / uu, e1 = dot(sub(b1, a0), ua) / uu;
        double lo = std::fmax(0.0, std::fmin(e0, e1)), hi = std::fmin(L1, std::fmax(e0, e1));
        if (lo <= hi) {
            sa = (lo + hi) / 2;
            sb = dot(sub(axpy(a0, sa, ua), b0), ub) / vv;
            sb = sb < 0 ? 0 : (sb > L2 ? L2 : sb);
            found = true;
        }
    }
    if (found) consider(s, k1, k2, best, axpy(a0, sa, ua), axpy(b0, sb, ub), 0, 0);
}

// The nine candidates of two links that do not touch, in their fixed order: end to end, interior
// to interior, end point to the interior of the other link.
inline Closest closestParts(const Scene& s, int k1, int k2, const Vec3& a0, const Vec3& ua, const Vec3& a1, double L1,
                            const Vec3& b0, const Vec3& ub, const Vec3& b1, double L2) {
    Closest best{1000, 0, a0, b0, 1, 1};
    consider(s, k1, k2, best, a0, b0, 1, 1);
    consider(s, k1, k2, best, a0, b1, 1, 2);
    consider(s, k1, k2, best, a1, b0, 2, 1);
    consider(s, k1, k2, best, a1, b1, 2, 2);
    considerInteriors(s, k1, k2, best, a0, ua, a1, L1, b0, ub, b1, L2);
    double t;
    if (footOnSegment(b0, a0, ua, L1, t)) consider(s, k1, k2, best, axpy(a0, t, ua), b0, 0, 1);
    if (footOnSegment(b1, a0, ua, L1, t)) consider(s, k1, k2, best, axpy(a0, t, ua), b1, 0, 2);
    if (footOnSegment(a0, b0, ub, L2, t)) consider(s, k1, k2, best, a0, axpy(b0, t, ub), 1, 0);
    if (footOnSegment(a1, b0, ub, L2, t)) consider(s, k1, k2, best, a1, axpy(b0, t, ub), 2, 0);
    return best;
}

}  // namespace

int SegSegDist(const Scene& s, int M, const Vec3& A0, const Vec3& u1, int K, const Vec3& B0, const Vec3& u2,
               double& d, double& c, Vec3& P1, Vec3& P2, int& t1, int& t2) {
    const int N = s.N, Nw = s.Nw;
    P1 = A0;
    P2 = B0;
    t1 = t2 = 0;
    if (K > Nw || M > Nw || K < 0 || M < 1 || M == K) {
        d = c = 9.0;
        return 0;
    }
    if (!finite3(A0) || !finite3(u1) || !finite3(B0) || !finite3(u2)) {
        // No distance can be judged from non-finite points: report interference.
        P1 = P2 = kOrigin;
        d = 0;
        c = -9.0;
        return kCollSelf;
    }
    if (std::abs(M - K) < 2) {
        d = c = 0;
        t1 = t2 = 1;
        double a = acosClamped(dot(u1, u2));
        if (((K <= N - 3 || M <= N - 3) && a > s.qLimit) || ((K >= N - 2 || M >= N - 2) && a > s.qLimitWrist))
            return kCollSelf;
    }
    // Link 1 is the lower index; results are handed back in the caller's order.
    const bool swapped = M > K;
    const int k1 = swapped ? K : M, k2 = swapped ? M : K;
    const Vec3& a0 = swapped ? B0 : A0;
    const Vec3& ua = swapped ? u2 : u1;
    const Vec3& b0 = swapped ? A0 : B0;
    const Vec3& ub = swapped ? u1 : u2;
    const double L1 = s.L[k1], L2 = s.L[k2];
    const Vec3 a1 = axpy(a0, L1, ua), b1 = axpy(b0, L2, ub);

    Closest best;
    int result = kCollNone;
    if (norm(sub(a1, b0)) < 1e-5) {
        // The end of the lower link is the start of the higher one: only their bend is judged.
        best = Closest{9.0, 9.0, a1, b0, 2, 1};
        double a = acosClamped(dot(ua, ub));
        if ((k2 <= N - 3 && a > s.qLimit) || (k2 >= N - 2 && a > s.qLimitWrist)) result = kCollSelf;
    } else {
        best = closestParts(s, k1, k2, a0, ua, a1, L1, b0, ub, b1, L2);
        result = best.c < -0.001 ? kCollSelf : kCollNone;
    }
    d = best.d;
    c = best.c;
    P1 = swapped ? best.pb : best.pa;
    P2 = swapped ? best.pa : best.pb;
    t1 = swapped ? best.cb : best.ca;
    t2 = swapped ? best.ca : best.cb;
    return result;
}

int SelfCollCheck(Scene& s, int K0, int M, const double* q, double& d, double& bs, int& K, Vec3& P1, Vec3& P2,
                  int& t1, int& t2) {
    if (M > s.Nw || M < 2) {
        d = bs = 0;
        K = 0;
        P1 = P2 = kOrigin;
        t1 = t2 = 0;
        return 0;
    }
    if (!finiteJoints(s, q)) {
        // A pose with non-finite joint values cannot be judged clear.
        d = 0;
        bs = -9.0;
        K = K0;
        P1 = P2 = kOrigin;
        t1 = t2 = 0;
        return kCollSelf;
    }
    forwardKinematics(s, q);
    return selfCollCore(s, K0, M, d, bs, K, P1, P2, t1, t2);
}

int JntMCollCheck(Scene& s, char side, int M, const double* q, WorkFloor wf, double& bw, double& bf, double& bs,
                  int& K, Vec3& P1, Vec3& P2, int& t1, int& t2) {
    const bool far = side == 'O';
    K = 0;
    P1 = P2 = kOrigin;
    t1 = t2 = 0;
    if (M < 0 || M > s.Nw) {
        // Not a joint of the arm: nothing to judge.
        bw = far ? 9.0 : -9.0;
        bf = bs = 9.0;
        return kCollNone;
    }
    if (!finiteJoints(s, q)) {
        // A pose with non-finite joint values cannot be judged clear.
        bw = far ? -9.0 : 9.0;
        bf = bs = -9.0;
        return kCollAll;
    }
    int Mp = 0, Mw = 0, inWall[JV];
    const int nIn = classifyJointsByWall(s, q, &Mp, inWall, &Mw);
    const bool work = M == s.Nw;
    const double m = work ? MarginW : Margin;
    const Vec3 JM = s.J[M];

    // Wall.
    double v;
    if (far) {
        v = JM[1] - (work ? s.rhy2W : s.rhy2M);
        bw = v;
    } else {
        bw = JM[1] - (work ? s.rhy1W : s.rhy1M);
        v = -bw;
    }
    const int w = v >= 0 ? 1 : wallSignInBand(s, far, M, JM, Mp, Mw, inWall, nIn);

    // Floor: the base joints never, the work point only when the caller judges it.
    bf = JM[2] - m;
    const int f = (M > 1 && (wf == WorkFloor::Judged || M < s.Nw) && bf <= 0) ? -2 : 2;

    // Self.
    bs = 9.0;
    int sv = 3;
    if (M < 1 || (M == 1 && s.JRTYPE[1] == 'R')) {
        P1 = P2 = JM;
        t1 = t2 = 0;
    } else if (s.JRTYPE[M] != 'R' && ((M <= s.N - 3 && std::fabs(q[M]) > s.qLimit) ||
                                      (M == s.N - 1 && std::fabs(q[M]) > s.qLimitWrist))) {
        sv = -3;
        P1 = P2 = JM;
        t1 = t2 = 1;
    } else {
        int Ms = M;
        for (int k = 0; k < 2 && Ms > 1 && s.L[Ms] < 0.001; ++k) --Ms;
        const int K0 = far ? Mw : 1;
        double d = 0;
        int r = 0;
        if (Ms < 2) {
            d = bs = 0;
            K = 0;
            P1 = P2 = kOrigin;
            t1 = t2 = 0;
        } else {
            r = selfCollCore(s, K0, Ms, d, bs, K, P1, P2, t1, t2);
        }
        if (r < 0) {
            sv = -3;
            if (t1 == 0 && t2 == 0) s.rColl = mid(P1, P2);
        }
    }

    static const int kCode[8] = {kCollNone, kCollWall,     kCollFloor,     kCollWallFloor,
                                 kCollSelf, kCollWallSelf, kCollFloorSelf, kCollAll};
    return kCode[(w < 0 ? 1 : 0) | (f < 0 ? 2 : 0) | (sv < 0 ? 4 : 0)];
}

int WCollDirO(Scene& s, int I, int M, const double* q) {
    if (!probeArgsOk(s, I, M)) return 0;
    double y[3], z[3];
    probeJoint(s, I, M, q, y, z);
    if (y[2] < y[0] && y[0] < y[1]) return 1;
    if (y[1] < y[0] && y[0] < y[2]) return -1;
    if (y[0] < y[1] && y[0] < y[2]) return z[2] <= z[1] ? 1 : -1;
    return 0;
}

int WCollDirI(Scene& s, int I, int M, const double* q) {
    if (!probeArgsOk(s, I, M)) return 0;
    double y[3], z[3];
    probeJoint(s, I, M, q, y, z);
    if (y[1] < y[0] && y[0] < y[2]) return 1;
    if (y[2] < y[0] && y[0] < y[1]) return -1;
    if (y[0] > y[1] && y[0] > y[2]) return z[2] <= z[1] ? 1 : -1;
    return 0;
}

int FCollDir(Scene& s, int I, int M, const double* q) {
    if (!probeArgsOk(s, I, M)) return 0;
    double y[3], z[3];
    probeJoint(s, I, M, q, y, z);
    int Mp = 0, Mw = 0, inWall[JV];
    classifyJointsByWall(s, q, &Mp, inWall, &Mw);
    if (z[2] < z[0] && z[0] < z[1]) return 1;
    if (z[1] < z[0] && z[0] < z[2]) return -1;
    if (z[0] < z[1] && z[0] < z[2]) {
        if (M <= Mp) return y[1] <= y[2] ? 1 : -1;
        return y[2] <= y[1] ? 1 : -1;
    }
    return 0;
}

int SCollDir(Scene& s, int I, int M, int K, const double* q) {
    if (I < 1 || I > s.N || M < 1 || M > s.Nw || K < 1 || K > s.Nw) return 0;
    if ((M - I) * (I - K) < 0 || std::abs(M - K) == 1 || (I == M - 1 && s.JRTYPE[I] == 'R')) return 0;
    double dist[3];
    double qp[JV];
    for (int i = 0; i < JV; ++i) qp[i] = q[i];
    for (int k = 2; k >= 0; --k) {
        qp[I] = q[I] + (k == 1 ? 0.05 : (k == 2 ? -0.05 : 0.0));
        forwardKinematics(s, k == 0 ? q : qp);
        double c;
        Vec3 p1, p2;
        int c1, c2;
        SegSegDist(s, M, s.J[M - 1], s.mm[M], K, s.J[K - 1], s.mm[K], dist[k], c, p1, p2, c1, c2);
    }
    const double f = dist[1] - dist[0], b = dist[2] - dist[0];
    int r = 0;
    if (b <= 0 && f > 0) r = 1;
    if (f <= 0 && b > 0) r = -1;
    if (f > 0 && b < f) r = 1;
    if (b > 0 && f < b) r = -1;
    if (f < 0 && f < b) r = -1;
    if (b < 0 && b < f) r = 1;
    return r;
}

namespace {

constexpr double kAvoidStep = 0.02;  // turn of one repair step (rad)
constexpr int kAvoidMaxSteps = 100;

// The joint that turns to repair joint M: the nearest before M that moves it (past zero-length
// links and past a joint turning about its own link); I2 the one before when that turns about
// its link, else 0.
void avoidJoints(const Scene& s, int M, int& I, int& I2) {
    I = M - 1;
    for (int k = 0; k < 2 && I >= 1 && s.L[I + 1] < 0.0001; ++k) --I;
    if (I >= 1 && s.JRTYPE[I] == 'R') --I;
    I2 = (I - 1 >= 1 && s.JRTYPE[I - 1] == 'R') ? I - 1 : 0;
}

// Step of joint J by the kind of interference code; blocked when the kinds disagree.
double avoidStep(Scene& s, bool far, int J, int M, int K, const double* qa, int code, bool& blocked) {
    blocked = false;
    auto dW = [&] { return far ? WCollDirO(s, J, M, qa) : WCollDirI(s, J, M, qa); };
    auto dF = [&] { return FCollDir(s, J, M, qa); };
    auto dS = [&] { return SCollDir(s, J, M, K, qa); };
    int a = 0, b = 0, c = 0;
    switch (code) {
        case kCollWall: return dW() * kAvoidStep;
        case kCollFloor: return dF() * kAvoidStep;
        case kCollSelf: return dS() * kAvoidStep;
        case kCollWallFloor: a = dW(); b = dF(); break;
        case kCollWallSelf: a = dW(); b = dS(); break;
        case kCollFloorSelf: a = dF(); b = dS(); break;
        case kCollAll:
            a = dW();
            b = dF();
            c = dS();
            if (a * b < 0 || a * c < 0 || b * c < 0) {
                blocked = true;
                return 0;
            }
            return a * kAvoidStep;
        default: blocked = true; return 0;
    }
    if (a * b < 0) {
        blocked = true;
        return 0;
    }
    return a * kAvoidStep;
}

// Steps joints I (by s1) and I2 (by s2) from qa until joint M is clear, a clearance turns
// negative (the step before is taken), or no step helps; qa holds the last accepted pose, qb the
// last tried. Returns the pose chosen (qa or qb). bw0, bf0, bs0: the clearances of qa.
const double* avoidSearch(Scene& s, char side, int M, WorkFloor wf, bool near, int I, int I2, double s1, double s2,
                          double bw0, double bf0, double bs0, double* qa, double* qb) {
    const bool far = side == 'O';
    int K = 0, t1 = 0, t2 = 0;
    Vec3 P1, P2;
    double vPrev = far ? bw0 : -bw0, bfPrev = bf0, bsPrev = bs0;
    for (int cnt = 1;; ++cnt) {
        for (int i = 0; i < JV; ++i) qb[i] = qa[i];
        qb[I] += s1;
        if (I2 >= 1) qb[I2] += s2;
        const int cl = clampJoint(s, I, qb[I], &qb[I]);
        double cbw, cbf, cbs;
        const int cb = JntMCollCheck(s, side, M, qb, wf, cbw, cbf, cbs, K, P1, P2, t1, t2);
        const double vb = far ? cbw : -cbw;
        if (cb == kCollNone || (!near && vb >= 0 && cbf >= 0 && cbs >= 0) || (near && cbf >= 0 && cbs >= 0))
            return qb;
        if ((!near && vPrev > 0 && vb < 0) || (bfPrev > 0 && cbf < 0) || (bsPrev > 0 && cbs < 0)) return qa;
        if ((I2 < 1 && cl) || cnt >= kAvoidMaxSteps || (!near && vb < 0 && vb < vPrev) || (cbf < 0 && cbf < bfPrev) ||
            (cbs < 0 && cbs < bsPrev))
            return qb;
        for (int i = 0; i < JV; ++i) qa[i] = qb[i];
        vPrev = vb;
        bfPrev = cbf;
        bsPrev = cbs;
    }
}

}  // namespace

int JntMCollAvoid(Scene& s, char side, int M, const double* q, WorkFloor wf, double& bw, double& bf, double& bs,
                  double* qout, bool& stepped) {
    stepped = false;
    double q0[JV];
    for (int i = 0; i < JV; ++i) q0[i] = q[i];  // qout may be q itself
    for (int i = 0; i < JV; ++i) qout[i] = q0[i];
    if (M < 2 || (M == 2 && s.JRTYPE[1] == 'R') || M > s.Nw) {
        bw = bf = bs = 1.0;
        return 1;
    }
    const bool far = side == 'O';
    int I = 0, I2 = 0;
    avoidJoints(s, M, I, I2);

    double qa[JV];
    for (int i = 0; i < JV; ++i) qa[i] = q0[i];
    int clamped = 0;
    if (I >= 1) clamped = clampJoint(s, I, q0[I], &qa[I]);

    int Mp = 0, Mw = 0, inWall[JV];
    classifyJointsByWall(s, qa, &Mp, inWall, &Mw);
    const bool near = far && (M == Mw || (M == Mw + 1 && s.L[Mw + 1] < 0.0001) ||
                              (M == Mw + 2 && s.L[Mw + 1] < 0.0001 && s.L[Mw + 2] < 0.0001));

    int K = 0, t1 = 0, t2 = 0;
    Vec3 P1, P2;
    const int code = JntMCollCheck(s, side, M, qa, wf, bw, bf, bs, K, P1, P2, t1, t2);
    const double bw0 = bw, bf0 = bf, bs0 = bs;
    if (code == kCollNone) {
        for (int i = 0; i < JV; ++i) qout[i] = clamped ? qa[i] : q0[i];
        return 1;
    }

    bool blocked1 = true, blocked2 = true;
    double s1 = 0, s2 = 0;
    if (I >= 1 && finiteJoints(s, q0)) s1 = avoidStep(s, far, I, M, K, qa, code, blocked1);
    if (I2 >= 1 && finiteJoints(s, q0)) s2 = avoidStep(s, far, I2, M, K, qa, code, blocked2);
    if (blocked1 && blocked2) {
        for (int i = 0; i < JV; ++i) qout[i] = q0[i];
        return code;
    }

    double qb[JV];
    const double* chosen = avoidSearch(s, side, M, wf, near, I, I2, s1, s2, bw0, bf0, bs0, qa, qb);
    double qf[JV];
    for (int i = 0; i < JV; ++i) qf[i] = chosen[i];
    double nbw, nbf, nbs;
    const int fin = JntMCollCheck(s, side, M, qf, wf, nbw, nbf, nbs, K, P1, P2, t1, t2);
    s.rColl = Vec3{{s.qZero[0], s.qZero[1], s.qZero[2]}};
    stepped = true;
    if (fin == kCollNone) {
        for (int i = 0; i < JV; ++i) qout[i] = qf[i];
        bw = nbw;
        bf = nbf;
        bs = nbs;
        return 1;
    }
    for (int i = 0; i < JV; ++i) qout[i] = q0[i];
    bw = bw0;
    bf = bf0;
    bs = bs0;
    return fin;
}
