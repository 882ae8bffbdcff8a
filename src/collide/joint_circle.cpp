#include "collide/joint_circle.h"

#include <cmath>

#include "collide/vec3_inline.h"
#include "core/console.h"
#include "core/scene.h"
#include "model/angles.h"
#include "model/kinematics.h"
#include "model/vecops.h"

using namespace collide;

namespace {

// True when some value ang + 2 pi k lies strictly between from and to: a turn that passes the
// angle once more round the circle sweeps it as well. The unshifted angle is tested exactly, so a
// turn that ends on a crossing angle does not cross it.
bool sweptStrictly(double from, double to, double ang) {
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

// Strictly between a and b (either order).
bool strictlyBetween(double a, double b, double x) {
    return (a < x && x < b) || (b < x && x < a);
}

// Joint before M that turns it on a circle: past a joint that turns about its own link.
int jointBefore(const Scene& s, int M) {
    int MF = M - 1;
    if (MF >= 1 && s.JRTYPE[MF] == 'R') MF = M - 2;
    return MF < 0 ? 0 : MF;
}

// Distance from joint MF to joint M along the links: one link, or two past a joint that turns
// about its own link (the links on either side of such a joint are in line).
double radiusFrom(const Scene& s, int MF, int M) {
    double R = 0;
    for (int k = MF + 1; k <= M && k < JV; ++k) R += s.L[k];
    return R;
}

// M and MF held to the joints of the arm, 0..Nw.
void holdToArm(const Scene& s, int& M, int& MF) {
    if (MF < 0) MF = 0;
    if (MF > s.Nw) MF = s.Nw;
    if (M < 0) M = 0;
    if (M > s.Nw) M = s.Nw;
}

void setAbsent(double* rec) {
    for (int k = 0; k < CR_FLAG1; ++k) rec[k] = kRecAbsent;
    rec[CR_FLAG1] = rec[CR_FLAG2] = rec[CR_FLAG3] = 0.0;
}

// Record of joint M with q[MF] = value: the circle point, the clearances from the pose itself and
// the direction of the turn from the current q[MF].
void fillRecord(Scene& s, char side, int M, int MF, const double* q, double R, const Vec3& C, const Vec3& u,
                const Vec3& v, double value, double* rec) {
    const Vec3 p = add(C, add(scale(R * std::cos(value), u), scale(R * std::sin(value), v)));
    double qt[JV];
    for (int i = 0; i < JV; ++i) qt[i] = q[i];
    qt[MF] = value;
    forwardKinematics(s, qt);
    rec[CR_X] = p[0];
    rec[CR_Y] = p[1];
    rec[CR_Z] = p[2];
    rec[CR_Q] = value;
    rec[CR_WALL] = side == 'O' ? s.J[M][1] - (s.rhy2 + Margin) : s.J[M][1] - (s.rhy1 - Margin);
    rec[CR_FLOOR] = s.J[M][2] - Margin;
    rec[CR_DIR] = value <= q[MF] ? -1.0 : 1.0;
    rec[CR_FLAG1] = rec[CR_FLAG2] = rec[CR_FLAG3] = kFlagClear;
}

// The (one or two) values of q[MF] at which component k of joint M reaches the level h, nearer
// to the current q[MF] first. False when the circle does not reach the level.
bool levelCrossings(double h, int k, double R, const Vec3& C, const Vec3& u, const Vec3& v, bool guardRho,
                    double qNow, double& first, double& second) {
    const double rho = std::sqrt(u[k] * u[k] + v[k] * v[k]);
    if (!(R >= 0.001)) return false;
    double cosT = (guardRho && rho < 0.001) ? 100.0 : ((h - C[k]) / R) / rho;
    if (!std::isfinite(cosT)) cosT = 100.0;
    if (!(std::fabs(cosT) <= 1)) return false;
    const double e = std::atan2(v[k], u[k]);
    const double ac = acosClamped(cosT);
    const double d1 = wrapOnceClosed(e - ac), d2 = wrapOnceClosed(e + ac);
    if (std::fabs(d1 - qNow) < std::fabs(d2 - qNow)) {
        first = d1;
        second = d2;
    } else {
        first = d2;
        second = d1;
    }
    return true;
}

bool finiteCircle(const Vec3& C, const Vec3& u, const Vec3& v, double R) {
    return finite3(C) && finite3(u) && finite3(v) && std::isfinite(R);
}

bool finiteJoints(const Scene& s, const double* q) {
    for (int i = 1; i <= s.N; ++i)
        if (!std::isfinite(q[i])) return false;
    return true;
}

bool inList(const int* list, int M) {
    for (int k = 0; k < JV && list[k] != 0; ++k)
        if (list[k] == M) return true;
    return false;
}

}  // namespace

void JntMCircle(Scene& s, int M, const double* q, int& MF, Vec3& C, Vec3& u, Vec3& v, Vec3& a, double& R) {
    forwardKinematics(s, q);
    if (M < 1 || M > s.Nw) {
        MF = 0;
        C = s.J[0];
        u = v = a = Vec3{{0, 0, 0}};
        R = 0;
        return;
    }
    MF = jointBefore(s, M);
    R = radiusFrom(s, MF, M);
    u = s.mm[M];
    a = colMat3(s.EA[MF], 2);
    v = cross(a, u);
    C = s.J[MF];
}

namespace {

// One turn of MF as JntMCircleCollCheck judges it: the circle of M, the frame of MF before its
// turn, and the crossing angles found.
struct Sweep {
    char side;
    int M, MF;
    const double* qs;
    double qMF;
    Vec3 C, u, v, a;
    double R;
    Vec3 X, Y;         // x and y axes of MF's frame before its turn
    double b;          // angle of the link to M from that frame's turned x axis
    double thy1, thy2;  // wall face crossings (absolute values of q[MF])
    double thz1, thz2;  // floor margin crossings (turns from the current pose)
};

void traceSweepEnd(Scene& s, const Sweep& w, int code) {
    tracef(s,
           "\n〓JntMCircleCollCheck() sgnWIO=%c M=%d MF=%d LMF=%6.3f qMF=%6.3f sgnColl=%d〓"
           "\n  eex[]=(%6.3f %6.3f %6.3f)"
           "\n  eey[]=(%6.3f %6.3f %6.3f)"
           "\n  eez[]=(%6.3f %6.3f %6.3f)"
           "\n  qs[MF]=%6.3f→qMF=%6.3f",
           w.side, w.M, w.MF, w.R, w.qMF, code, w.u[0], w.u[1], w.u[2], w.v[0], w.v[1], w.v[2], w.a[0], w.a[1],
           w.a[2], w.qs[w.MF], w.qMF);
}

// Wall face: angles are absolute values of q[MF], measured in the frame of MF before its turn.
// The link to M makes the angle b with that frame's turned x axis (0 when it lies along it).
// Returns sgnWColl (0 or -1). Pose of qs in the Scene.
int sweepWall(Scene& s, Sweep& w) {
    const double* qs = w.qs;
    const int MF = w.MF;
    const Vec3 &C = w.C, &X = w.X, &Y = w.Y;
    w.X = colMat3(s.EA[MF], 0);
    w.Y = colMat3(s.EA[MF], 1);
    const double alpha = std::atan2(Y[1], X[1]);
    const double rho = std::sqrt(X[1] * X[1] + Y[1] * Y[1]);
    w.b = std::atan2(dot(Y, w.u), dot(X, w.u)) - qs[MF];
    const double yf = w.side == 'O' ? s.rhy2 + Margin : s.rhy1 - Margin;
    double cosT = ((yf - C[1]) / w.R) / rho;
    if (!std::isfinite(cosT)) cosT = 100.0;  // a circle that does not move in y never crosses
    tracef(s, "\n〓WCollCheck:qMF=%6.3f cos(THy)=%6.3f rhy1W=%5.2f rhy2W=%5.3f", w.qMF, cosT, s.rhy1 - Margin,
           s.rhy2 + Margin);
    w.thy1 = w.thy2 = 0;
    if (std::fabs(cosT) > 1) {
        tracef(s, "\n  FNy点:=%6.3f %6.3f→sgnWColl=0 壁干渉なし", C[1] + w.R * rho, C[1] - w.R * rho);
        return 0;
    }
    int sgnWColl = 0;
    const double ac = acosClamped(cosT);
    w.thy1 = wrapTurnsClosed(alpha + ac - w.b);
    w.thy2 = wrapTurnsClosed(alpha - ac - w.b);
    if (std::fabs(C[0] - s.rhx) < 0.000001 && std::fabs(w.a[1]) + std::fabs(w.a[2]) < 0.000001) {
        sgnWColl = 0;  // the circle lies in the slit
    } else if (sweptStrictly(qs[MF], w.qMF, w.thy1) || sweptStrictly(qs[MF], w.qMF, w.thy2)) {
        sgnWColl = -1;
    }
    tracef(s, "\n〓WColl:α=%6.3f qs[MF]=%6.3f thy1=%6.3f thy2=%6.3f qMF=%6.3f→sgnWColl=%d", alpha, qs[MF], w.thy1,
           w.thy2, w.qMF, sgnWColl);
    return sgnWColl;
}

// Floor margin: angles relative to the current pose. Returns sgnFColl (0 or -1).
int sweepFloor(Scene& s, Sweep& w) {
    const Vec3 &C = w.C, &u = w.u, &v = w.v;
    const double alphaF = std::atan2(v[2], u[2]);
    const double rhoF = std::sqrt(u[2] * u[2] + v[2] * v[2]);
    double cosF = ((Margin - C[2]) / w.R) / rhoF;
    if (!std::isfinite(cosF)) cosF = 100.0;
    tracef(s, "\n〓FCollCheck:qMF=%6.3f cos(THz)=%6.3f", w.qMF, cosF);
    w.thz1 = w.thz2 = 0;
    if (std::fabs(cosF) > 1) {
        tracef(s, "→sgnFColl=0 床干渉なし");
        return 0;
    }
    int sgnFColl = 0;
    const double ac = acosClamped(cosF);
    w.thz1 = wrapOnceClosed(alphaF + ac);
    w.thz2 = wrapOnceClosed(alphaF - ac);
    const double d = w.qMF - w.qs[w.MF];
    if (sweptStrictly(0.0, d, w.thz1) || sweptStrictly(0.0, d, w.thz2)) sgnFColl = -1;
    tracef(s, "\n〓FCollCheck:α=%6.3f qs[MF]=%6.3f thz1=%6.3f thz2=%6.3f qMF=%6.3f sgnFColl=%d", alphaF, w.qs[w.MF],
           w.thz1, w.thz2, w.qMF, sgnFColl);
    return sgnFColl;
}

// Heights of M at the crossing angles: predicted by the circle and recomputed from the pose.
// Leaves the pose of qs in the Scene.
void traceCrossingHeights(Scene& s, const Sweep& w) {
    const Vec3 &C = w.C, &u = w.u, &v = w.v, &X = w.X, &Y = w.Y;
    const double R = w.R, b = w.b;
    const double* qs = w.qs;
    auto yAt = [&](double th) { return C[1] + R * (std::cos(th + b) * X[1] + std::sin(th + b) * Y[1]); };
    auto zAt = [&](double ph) { return C[2] + R * (std::cos(ph) * u[2] + std::sin(ph) * v[2]); };
    double qt[JV];
    for (int i = 0; i < JV; ++i) qt[i] = qs[i];
    auto poseAt = [&](double value, int k) {
        qt[w.MF] = value;
        forwardKinematics(s, qt);
        return s.J[w.M][k];
    };
    tracef(s, "\n  thy1=%6.3f J[M]y=%6.3f thy2=%6.3f JMy2=%6.3f rhy1M=%5.2f rhy2M=%5.2f", w.thy1, yAt(w.thy1), w.thy2,
           yAt(w.thy2), s.rhy1M, s.rhy2M);
    const double qy1 = qs[w.MF] + w.thy1, qy2 = qs[w.MF] + w.thy2;
    const double y1 = poseAt(qy1, 1), y2 = poseAt(qy2, 1);
    tracef(s, "\n  q1[MF]=%6.3f J[M]y1=%6.3f q2[MF]=%6.3f J[M]y2=%6.3f", qy1, y1, qy2, y2);
    tracef(s, "\n  thz1=%6.3f J[M]z=%6.3f thz2=%6.3f JMz2=%6.3f Margin=%5.2f", w.thz1, zAt(w.thz1), w.thz2,
           zAt(w.thz2), Margin);
    const double qz1 = qs[w.MF] + w.thz1, qz2 = qs[w.MF] + w.thz2;
    const double z1 = poseAt(qz1, 2), z2 = poseAt(qz2, 2);
    tracef(s, "\n  q1[MF]=%6.3f J[M]z=%6.3f q2[MF]=%6.3f JMz2=%6.3f Margin=%5.2f", qz1, z1, qz2, z2, Margin);
    forwardKinematics(s, qs);
}

}  // namespace

void JntMCircleCollCheck(Scene& s, char side, int M, int MF, const double* qs, double qMF, const Vec3& C,
                         const Vec3& u, const Vec3& v, const Vec3& a, double R, int& code) {
    holdToArm(s, M, MF);
    tracef(s, "\n〓JntMCircleCollCheck()始め M=%d MF=%d qs[MF]=%6.3f qMF=%6.3f", M, MF, qs[MF], qMF);
    Sweep w{side, M, MF, qs, qMF, C, u, v, a, R, {}, {}, 0, 0, 0, 0, 0};
    if (!finiteJoints(s, qs) || !std::isfinite(qMF) || !finiteCircle(C, u, v, R) || !finite3(a)) {
        // Nothing can be told of a turn with non-finite values: it is not clear.
        code = kSweepBoth;
        tracef(s, "\n〓JntMCircleCollCheck() sgnWIO=%c M=%d MF=%d LMF=%6.3f qMF=%6.3f sgnColl=%d〓\ngetch()", side, M,
               MF, R, qMF, code);
        waitKey(s);
        return;
    }
    forwardKinematics(s, qs);
    const int sgnWColl = sweepWall(s, w);
    const int sgnFColl = sweepFloor(s, w);
    code = kSweepClear;
    if (sgnWColl < 0) code = kSweepWall;
    if (sgnFColl < 0) code = kSweepFloor;
    if (sgnWColl < 0 && sgnFColl < 0) code = kSweepBoth;
    traceSweepEnd(s, w, code);
    if (s.trace) traceCrossingHeights(s, w);
    tracef(s, "\ngetch()");
    waitKey(s);
}

int JntMCircleWallCross(Scene& s, char side, int M, int MF, const double* q, double R, const Vec3& C,
                        const Vec3& u, const Vec3& v, const Vec3& /*a*/, double W[2][NCREC], double F[2][NCREC]) {
    holdToArm(s, M, MF);
    if (!finiteJoints(s, q) || !finiteCircle(C, u, v, R)) {
        setAbsent(W[0]);
        setAbsent(W[1]);
        setAbsent(F[0]);
        setAbsent(F[1]);
        return kCrossNone;
    }
    const double qNow = q[MF];
    const double yp = side == 'O' ? s.rhy + Margin : s.rhy - Margin;
    int status;
    double w1 = kRecAbsent, w2 = kRecAbsent, f1 = kRecAbsent, f2 = kRecAbsent;
    const bool wall = levelCrossings(yp, 1, R, C, u, v, true, qNow, w1, w2);
    if (wall) {
        fillRecord(s, side, M, MF, q, R, C, u, v, w1, W[0]);
        fillRecord(s, side, M, MF, q, R, C, u, v, w2, W[1]);
        status = kCrossBoth;
    } else {
        setAbsent(W[0]);
        setAbsent(W[1]);
        status = kCrossFloorOnly;
    }
    const bool floor = levelCrossings(Margin, 2, R, C, u, v, false, qNow, f1, f2);
    if (floor) {
        fillRecord(s, side, M, MF, q, R, C, u, v, f1, F[0]);
        fillRecord(s, side, M, MF, q, R, C, u, v, f2, F[1]);
    } else {
        setAbsent(F[0]);
        setAbsent(F[1]);
        status = status == kCrossBoth ? kCrossWallOnly : kCrossNone;
    }
    // A crossing of the other kind met on the way to this one.
    for (int k = 0; k < 2; ++k) {
        if (wall && floor && (strictlyBetween(qNow, W[k][CR_Q], f1) || strictlyBetween(qNow, W[k][CR_Q], f2)))
            W[k][CR_FLAG3] = kFlagFloor;
        if (wall && floor && (strictlyBetween(qNow, F[k][CR_Q], w1) || strictlyBetween(qNow, F[k][CR_Q], w2)))
            F[k][CR_FLAG3] = kFlagWall;
    }
    forwardKinematics(s, q);
    return status;
}

void JntMCircleWallTargets(Scene& s, char side, int M, const double* q, int& MF, int& MN, double& R1, double& R2,
                           double& dW, double& dF, Vec3& C, Vec3& u, Vec3& v, Vec3& a, double& ex1, double& ex2,
                           double& w1, double& w2, double& f1, double& f2, int& sgnY) {
    if (M < 1) M = 1;
    if (M > s.Nw) M = s.Nw;
    MF = jointBefore(s, M);
    MN = M + 1;
    if (s.JRTYPE[M + 1] == 'R') MN = M + 2;
    R1 = radiusFrom(s, MF, M);
    R2 = radiusFrom(s, M, MN);
    if (!finiteJoints(s, q)) {
        // No circle of a pose with non-finite joint values: no targets, distances as interfering.
        dW = dF = -9.0;
        C = u = v = a = Vec3{{0, 0, 0}};
        ex1 = ex2 = 0;
        w1 = w2 = f1 = f2 = kRecAbsent;
        sgnY = 1;
        return;
    }

    int Mp = 0, Mw = 0, inWall[JV] = {};
    classifyJointsByWall(s, q, &Mp, inWall, &Mw);
    dW = JntWallDist(s, Mp, inWall, Mw, MF, s.J[MF]);
    dF = JntFloorDist(s, MF, s.J[MF]);
    C = s.J[MF];
    sgnY = (MF >= 1 && s.J[MF][1] < s.J[MF - 1][1]) ? -1 : 1;

    // The circle with q[MF] = 0, so that its angles are values of q[MF].
    double q0[JV];
    for (int i = 0; i < JV; ++i) q0[i] = q[i];
    q0[MF] = 0;
    forwardKinematics(s, q0);
    u = s.mm[M];
    a = colMat3(s.EA[MF], 2);
    v = cross(a, u);

    const double e = std::atan2(v[1], u[1]);
    const double e2 = e <= 0 ? e + PI_C : e - PI_C;
    if (std::fabs(e) <= std::fabs(e2)) {
        ex2 = e;
        ex1 = e2;
    } else {
        ex2 = e2;
        ex1 = e;
    }

    double W[2][NCREC], F[2][NCREC];
    JntMCircleWallCross(s, side, M, MF, q, R1, C, u, v, a, W, F);
    w1 = W[0][CR_Q];
    w2 = W[1][CR_Q];
    f1 = F[0][CR_Q];
    f2 = F[1][CR_Q];
}

void JntMCircleTop(Scene& s, char side, int M, int MF, const double* q, double R, const Vec3& C, const Vec3& u,
                   const Vec3& v, double w1, double w2, double f1, double f2, double T[2][NCREC]) {
    holdToArm(s, M, MF);
    if (!finiteJoints(s, q) || !finiteCircle(C, u, v, R)) {
        setAbsent(T[0]);
        setAbsent(T[1]);
        return;
    }
    const double qNow = q[MF];
    double t = std::atan2(v[2], u[2]);
    if (std::fabs(t - PI_C) < 0.001) t = PI_C;
    if (std::fabs(t + PI_C) < 0.001) t = -PI_C;
    double values[2] = {t, t};
    int n = 1;
    if (std::fabs(t) > s.qLimit) {
        values[0] = qNow < 0 ? -s.qLimit : s.qLimit;
        values[1] = -values[0];
        n = 2;
    }
    for (int k = 0; k < n; ++k) {
        double* rec = T[k];
        const double value = values[k];
        fillRecord(s, side, M, MF, q, R, C, u, v, value, rec);
        const bool floorBad = rec[CR_FLOOR] < -0.001;
        const bool wallBad = side == 'O' ? rec[CR_WALL] < -0.001 : rec[CR_WALL] > 0.001;
        double f = kFlagClear;
        if (floorBad) f = kFlagFloor;
        if (wallBad) f = kFlagWall;
        if (floorBad && wallBad) f = kFlagBoth;
        rec[CR_FLAG1] = f;
        rec[CR_FLAG2] = kFlagClear;
        double last = 0;
        if (strictlyBetween(qNow, value, w1) || strictlyBetween(qNow, value, w2)) last = kFlagWall;
        if (strictlyBetween(qNow, value, f1)) last -= 2;
        if (strictlyBetween(qNow, value, f2)) last -= 2;
        rec[CR_FLAG3] = last == 0 ? kFlagClear : last;
    }
    if (n == 1)
        for (int k = 0; k < NCREC; ++k) T[1][k] = T[0][k];
    forwardKinematics(s, q);
}

double JntWallDist(const Scene& s, int Mp, const int* inWall, int Mw, int M, const Vec3& P) {
    const double m = M == s.Nw ? MarginW : Margin;
    const double y = dot(P, s.nWall);
    if (M < Mp) return (y - s.rhy1) + m;
    if (M == Mp || inList(inWall, M) || M == Mw) return y - s.rhy;
    if (M > Mw) return (y - s.rhy2) - m;
    // A joint past Mp that has come back before the near face.
    return (y - s.rhy1) + m;
}

double JntFloorDist(const Scene& s, int M, const Vec3& P) { return P[2] - (M == s.Nw ? MarginW : Margin); }

void JntWallOutScan(Scene& s, int M0, const double* q, int* list, double* dy, double* cl, int& Mmin) {
    for (int k = 0; k < JV; ++k) {
        list[k] = 0;
        dy[k] = 0;
        cl[k] = 0;
    }
    Mmin = 0;
    if (M0 > s.Nw) return;
    const int start = M0 < 1 ? 1 : M0;
    Mmin = start;
    if (!finiteJoints(s, q)) {
        // A pose with non-finite joint values: every joint counts as still in the wall.
        int n = 0;
        for (int j = start; j <= s.Nw; ++j) {
            dy[j] = cl[j] = -9.0;
            if (s.L[j] >= 0.0001 && n < JV - 1) list[n++] = j;
        }
        return;
    }
    forwardKinematics(s, q);
    double dmin = 0;
    bool have = false;
    int n = 0;
    for (int j = start; j <= s.Nw; ++j) {
        if (s.L[j] < 0.0001) {
            dy[j] = dy[j - 1];
            cl[j] = cl[j - 1];
            continue;
        }
        const Vec3& P = s.J[j];
        const bool onSlit = std::fabs(P[0] - s.rhx) < 0.0001;
        dy[j] = P[1] - s.rhy2;
        double m = j >= s.Nw ? MarginW : Margin;
        if (j == M0 && onSlit) m = 0;
        cl[j] = dy[j] - m;
        if (!have || dy[j] < dmin) {
            dmin = dy[j];
            Mmin = j;
            have = true;
        }
        if (cl[j] < 0) {
            bool enters;
            if (s.ObstacleShape == 'H')
                enters = !(std::fabs(P[0] - s.rhx) <= 0.0001 && std::fabs(P[2] - s.rhz) <= 0.0001);
            else
                enters = std::fabs(P[0] - s.rhx) > 0.0001;
            if (enters && n < JV - 1) list[n++] = j;
        }
    }
}
