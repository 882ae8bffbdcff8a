// Motions of the part of the arm beyond the wall: the work lift of phase 1, the dispatcher of
// every slit pass-out cycle and the motions of the far joints (RP and PP pairs).
#include "path/outside_wall.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "collide/interference.h"
#include "collide/physical_model.h"
#include "model/joints.h"
#include "model/kinematics.h"
#include "model/vecops.h"
#include "path/link_direction.h"
#include "path/outside_step.h"
#include "path/outside_targets.h"
#include "path/outside_work.h"
#include "path/path_append.h"
#include "path/path_clearance.h"
#include "path/row_gate.h"
#include "path/wall_sides.h"
#include "solve/pose_adjust.h"

namespace {

constexpr double kRPStep = 0.02;
constexpr double kPPStep = 0.04;
// MW raised by one past an 'R' joint.
int raisedMw(const Scene& s, int Mw) { return (Mw <= s.N && s.JRTYPE[Mw] == 'R') ? Mw + 1 : Mw; }

bool changed(const Scene& s, const double* a, const double* b) { return jointDistance(1, s.N, a, b) >= 0.0001; }

// Unit direction at angle th on the great circle from a towards b (a when they agree).
void turnToward(const Vec3& a, const Vec3& b, double th, Vec3& out) {
    Vec3 ax, c;
    crossVec3(a, b, ax);
    if (normVec3(ax) < 1e-9) {
        out = a;
        return;
    }
    unitVec3(ax, ax);
    crossVec3(ax, a, c);
    for (int k = 0; k < 3; ++k) out[k] = std::cos(th) * a[k] + std::sin(th) * c[k];
}

}  // namespace


// ---- work lift ------------------------------------------------------------------------------

namespace {

// Step k of the turn of the work from the pose qb (direction v to w about J[N]): the work link
// turned to cos v + sin w by the wrist, joint N unwound; returns the clamp flag of joint N-1.
int workTurnStep(Scene& s, const double* qb, const Vec3& v, const Vec3& w, int k, int nStep, double* q) {
    const int N = s.N, Nw = s.Nw;
    const double th = k * PI_C / nStep;
    Vec3 d;
    for (int i = 0; i < 3; ++i) d[i] = std::cos(th) * v[i] + std::sin(th) * w[i];
    calJntMDir(s, q, Nw, d, q);
    q[N] = qb[N] - k * qb[N] / nStep;
    double qc = 0;
    const int sgnL = clampJoint(s, N - 1, q[N - 1], &qc);
    q[N - 1] = qc;
    return sgnL;
}

// The turn of the work from qb, step by step: the least box clearance above the floor over the
// whole turn, and the steps before the box or the arm first meets the wall, the arm or itself
// (nStep when none does).
struct TurnScan {
    double floor = 9;
    int clearSteps = 0;
};
TurnScan scanTurn(Scene& s, const double* qb, const Vec3& v, const Vec3& w, int nStep) {
    TurnScan r;
    r.clearSteps = nStep;
    double q[JV];
    copyJointVector(JV - 1, qb, q);
    for (int k = 1; k <= nStep; ++k) {
        const int sgnL = workTurnStep(s, qb, v, w, k, nStep, q);
        ShapeClearance c;
        physicalClearance(s, q, c);
        r.floor = std::fmin(r.floor, c.workFloor);
        if (r.clearSteps == nStep && std::fmin(c.wall, std::fmin(c.work, c.self)) < 0) r.clearSteps = k - 1;
        if (sgnL) break;
    }
    return r;
}

// The pose target of a straight lift from qs: the work's frame kept, joints in or near the wall
// held on the slit plane; the height is set by the caller.
PoseTarget liftTarget(Scene& s, const double* qs) {
    forwardKinematics(s, qs);
    PoseTarget t;
    t.rw = s.rw;
    t.Ew = s.Ew;
    for (int j = 1; j <= s.N; ++j)
        if (s.J[j][1] > s.rhy1 - Margin && s.J[j][1] < s.rhy2 + Margin) t.planeJoints[t.planeCount++] = j;
    return t;
}

// The box rests on the floor at the goal, and the turn about the hand would sink its lower edge
// into it: the work first rises straight up (same frame, joints in or near the wall held on the
// slit plane) by the least height, in steps of 0.01, at which the whole turn keeps the box above
// the floor. Returns that height in hundredths, 0 when the turn is clear as it is or when no
// height up to 0.1 helps.
int liftHeight(Scene& s, const double* qs, const Vec3& v, const Vec3& w, int nStep) {
    if (scanTurn(s, qs, v, w, nStep).floor >= 0) return 0;
    // Between two steps of the turn the rows are joint-space straight, not the arc: a 9 degree
    // step about a point 0.5 above the box edge sags by about 0.002.
    const double spare = 0.005;
    PoseTarget t = liftTarget(s, qs);
    const double z0 = t.rw[2];
    for (int h = 1; h <= 10; ++h) {
        t.rw[2] = z0 + 0.01 * h;
        double q[JV];
        if (adjustPose(s, qs, t, nullptr, 30, q) > 1e-9) continue;
        if (scanTurn(s, q, v, w, nStep).floor >= spare) {
            tracef(s, "\n▼0:ワークを真上に%4.2f持ち上げてから回す(床との干渉を避ける)", 0.01 * h);
            return h;
        }
    }
    return 0;
}

// The rise itself, in steps of 0.01 (each solved for the straight line, so that the joint-space
// rows between them do not tilt the box into the floor). Returns false when the record stopped.
bool appendStraightLift(Scene& s, const double* qs, int h, double* q) {
    PoseTarget t = liftTarget(s, qs);
    const double z0 = t.rw[2];
    copyJointVector(JV - 1, qs, q);
    for (int k = 1; k <= h && !pathStopped(s); ++k) {
        t.rw[2] = z0 + 0.01 * k;
        double qk[JV];
        adjustPose(s, q, t, nullptr, 30, qk);
        if (gateRow(s, s.qIPATH[s.NPATH], qk) < 0) break;  // the turn starts from here
        appendFarStep(s, qk);
        copyJointVector(JV - 1, qk, q);
    }
    return !pathStopped(s);
}

}  // namespace

int WOutWorkLift(Scene& s, const double* qs, double* q1) {
    const int N = s.N, Nw = s.Nw;
    double q[JV];
    copyJointVector(JV - 1, qs, s.qr);
    forwardKinematics(s, qs);
    Vec3 u = {{0, s.J[N - 2][0] < s.J[N - 3][0] ? 1.0 : -1.0, 0}};
    const Vec3 v = s.mm[Nw];
    Vec3 w;
    crossVec3(u, v, w);
    // w must be a unit vector orthogonal to v for cos v + sin w to stay a unit direction; the
    // work along the rotation axis has no lift plane.
    if (normVec3(w) < 1e-6) {
        copyJointVector(JV - 1, s.qr, q1);
        return kLiftDone;
    }
    unitVec3(w, w);
    const int nStep = 20;  // integer part of pi / 0.08 + 1, at most 20
    // The box swings through a half circle beside the arm. Where it would strike the arm or the
    // wall on its way, the second trial turns it the other way round (the first keeps the turn
    // as it is), so that the two trials leave the box on different sides of the arm.
    const int clear = s.sgnArmDir == 'U' ? scanTurn(s, qs, v, w, nStep).clearSteps : nStep;
    if (clear < nStep) {
        const Vec3 w2 = {{-w[0], -w[1], -w[2]}};
        const int clear2 = scanTurn(s, qs, v, w2, nStep).clearSteps;
        if (clear2 > 0) {
            w = w2;
            tracef(s, "\n▼0:ワークを逆向きに回す(干渉なしの回転 %d→%dステップ)", clear, clear2);
        }
    }
    double qb[JV];
    if (!appendStraightLift(s, qs, liftHeight(s, qs, v, w, nStep), qb)) {
        copyJointVector(JV - 1, s.qIPATH[s.NPATH], s.qr);
        copyJointVector(JV - 1, s.qr, q1);
        return kLiftStopped;
    }
    copyJointVector(JV - 1, qb, q);
    for (int k = 1; k <= nStep; ++k) {
        if (pathStopped(s)) break;
        const int sgnL = workTurnStep(s, qb, v, w, k, nStep, q);
        int Mbad = 0, collType = 0;
        double qa[JV];
        // The work alone decides whether the step is taken (no repair), then the far joints.
        double bw = 0, bf = 0, bs = 0;
        int K = 0, t1 = 0, t2 = 0;
        Vec3 P1, P2;
        if (phaseCollCheck(s, 'O', Nw, q, bw, bf, bs, K, P1, P2, t1, t2) < 0 ||
            checkFarStep(s, Nw, q, qa, Mbad, collType) < 0 || gateRow(s, s.qIPATH[s.NPATH], q) < 0) {
            copyJointVector(JV - 1, s.qr, q1);
            return kLiftStopped;
        }
        const int prev = s.NPATH;
        copyJointVector(JV - 1, s.qIPATH[prev], qa);
        appendFarStep(s, q);
        traceVec(s, 1, N, qa, "\n▼8:k=%2d/%d NPATH=%d sgnL=%d" "\n  前qIPATH[%d]=", k, nStep, s.NPATH, sgnL, prev);
        traceVec(s, 1, N, s.qr, "\n  新qIPATH[%d]=", s.NPATH);
        forwardKinematics(s, s.qr);
        traceVec(s, 0, 2, s.mm[Nw].data(), "\n  結果方向mm[Nw]=");
        traceVec(s, 0, 2, s.J[Nw].data(), " J[Nw]=");
        tracef(s, "\n  rhy2=%6.3f" " ワークの壁床余裕 bw==%6.3f bf=%6.3f", s.rhy2, s.J[Nw][1] - s.rhy2 - MarginW,
               s.J[Nw][2] - MarginW);
        if (sgnL) break;
    }
    copyJointVector(JV - 1, s.qr, q1);
    return kLiftDone;
}

// ---- dispatcher -----------------------------------------------------------------------------

namespace {

// The first joint to move beyond the wall, M, with the joints ME and MF that turn its link: the
// joint after the far side of qs2 (Mw1, raised past a roll joint), or Mw0 when joint Mw0-1 lies
// on the alpha-plane turning about x (kinematics of qs2 in the Scene); behind an 'R' joint N-4
// with the arm nearly through, the wrist N-2. Returns M.
int firstFarJoint(Scene& s, int Mw0, int Mp1, int Mw1, int& ME, int& MF) {
    const int N = s.N, Nw = s.Nw;
    int M = Mw1 + 1;
    if (M > Nw) M = Nw;
    if (M < Nw && s.JRTYPE[M] == 'R' && s.L[M + 1] < tolFine) M += 1;
    // Joint Mw0-1 of the pose on the alpha-plane turning about x: joint Mw0 moves first.
    const int Jc = Mw0 - 1;
    if (Jc >= 1 && Jc <= N) {
        const Vec3 ax = colMat3(s.EA[Jc], 2);
        if (std::fabs(s.J[Jc][0] - s.rhx) < 1e-6 && std::fabs(ax[1]) + std::fabs(ax[2]) < 1e-6) M = Mw0;
    }
    if (M > Nw) M = Nw;
    if (M < 1) M = 1;
    linkDrivers(s, M, ME, MF);
    if (Mp1 >= N - 3 && s.JRTYPE[N - 4] == 'R') {
        M = N - 2;
        ME = N - 3;
        MF = N - 4;
    }
    return M;
}

// Nothing is beyond the wall yet: the work is still in the slit, where the pass-out pose has put
// it. Turning it up there would swing it off the slit plane into the wall, so the step goes
// straight to the pass-out pose qs2. Returns sgnMotion; qOut and qr the pose reached.
int stepInSlit(Scene& s, const double* qs1, const double* qs2, double* qOut, int& MColl) {
    double qa[JV];
    int collType = 0;
    int sgnMotion = checkFarStep(s, s.Nw, qs2, qa, MColl, collType);
    if (sgnMotion > 0 && !pathStopped(s)) {
        appendFarStep(s, qa);
        sgnMotion = changed(s, s.qr, qs1) ? kMotionMoved : kMotionNone;
    } else {
        copyJointVector(JV - 1, qs1, s.qr);
        if (sgnMotion > 0) sgnMotion = kMotionNone;
    }
    copyJointVector(JV - 1, s.qr, qOut);
    return sgnMotion;
}

// Only the work is beyond the wall: the work motion alone. Returns sgnMotion; qOut and qr the
// pose reached.
int workOnly(Scene& s, int Mw1, const double* qs1, const double* qs2, double* qOut, int& MColl) {
    const int N = s.N;
    const int sgnMotion = WOutWorkLargeMotion7(s, Mw1, qs1, qs2, s.JMZ0[s.Nw], qOut, MColl);
    copyJointVector(JV - 1, qOut, s.qr);
    int Mp = 0, Mwn = 0;
    classifyWallSides(s, s.qr, Mp, Mwn);
    traceVec(s, 1, N, qs1, "\n◆E:ワークの一気運動後 Mp=%d Mw=%d sgnWMotion=%d", Mp, Mwn, sgnMotion);
    printVec(s, 1, N, qs2);
    traceVec(s, 1, N, s.qr, "\n→qr[] =");
    tracef(s, "\n◆getch()2");
    waitKey(s);
    return sgnMotion;
}

// Target of the first joint M: its direction eG and pose qP in the Scene, the kind of motion
// returned ('L' or 'S' for a PP pair, 'L' for an RP pair, where the link stands up).
char firstTarget(Scene& s, int Mw1, int M, bool rp, const double* qs1, const double* qs2) {
    if (rp) {
        s.eG = Vec3{{0, 0, 1}};
        calJntMDir(s, qs2, s.Nw, s.eG, s.qP);
        return 'L';
    }
    forwardKinematics(s, qs1);
    for (int i = 1; i <= s.Nw; ++i) s.JMZ0[i] = s.J[i][2];
    return calWOutJntMTarget4(s, Mw1, M, qs2, s.JMZ0[M], s.eG, s.qP);
}

void printTarget(Scene& s, int M, int ME, int MF, bool rp, char sgnLS, const double* qs1) {
    forwardKinematics(s, qs1);
    traceVec(s, 0, 2, s.eG.data(), "\n◆4:J[M=%d]の目標方向eG[]=", M);
    traceVec(s, 0, 2, s.mm[M].data(), " sgnLS=%c" "\n ←現値mm[M=%d]=", sgnLS, M);
    traceVec(s, 1, s.N, s.qP, "\n  目標関節角qP[]=");
    tracef(s, "\n  JRTYPE[ME,MF]=%c%c" "%s" "\n getch()4", jointTypeOf(s, ME), jointTypeOf(s, MF),
           rp ? "→RPLargeMotion()へ" : "→PPLargeMotion()へ");
    waitKey(s);
}

void printResult(Scene& s, int sgnMotion, int MColl, const double* qs1, const double* qs2) {
    const int N = s.N;
    tracef(s, "\n◆◆E:======== WOutApart7()の解 sgnMotion=%d MColl=%d  NPATH=%d=======◆◆", sgnMotion, MColl,
           s.NPATH);
    if (sgnMotion == kMCollWall) tracef(s, "\n  壁干渉あり");
    if (sgnMotion == kMCollFloor) tracef(s, "\n  床干渉あり");
    if (sgnMotion == kMCollSelf) tracef(s, "\n  自己干渉あり");
    if (sgnMotion < 0) tracef(s, "初期から動けなかった→運動停止");
    if (sgnMotion == kMotionNone) tracef(s, "\nq[]変わらない");
    if (sgnMotion == kMotionMoved) tracef(s, "\nq[]変わった");
    printVec(s, 1, N, qs1);
    printVec(s, 1, N, qs2);
    printVec(s, 1, N, s.qr);
    forwardKinematics(s, s.qr);
    traceVec(s, 0, 2, s.mm[N - 2].data(), "\n  mm[%d]=", N - 2);
    traceVec(s, 0, 2, s.mm[s.Nw].data(), " mm[Nw]=");
    tracef(s, "\n◆◆E:========= WOutApart7() end sgnMotion=%d MColl=%d NPATH=%d=======◆◆", sgnMotion, MColl,
           s.NPATH);
}

}  // namespace

int WOutApart7(Scene& s, int Mw, const double* qs1In, const double* qs2In, const double* JMZ0In, double* qOut,
               int& MColl) {
    (void)Mw;
    const int N = s.N, Nw = s.Nw;
    double qs1[JV], qs2[JV];
    copyJointVector(JV - 1, qs1In, qs1);
    copyJointVector(JV - 1, qs2In, qs2);
    if (JMZ0In != s.JMZ0) copyJointVector(JV - 1, JMZ0In, s.JMZ0);
    int Mp0 = 0, Mw0 = 0, Mp1 = 0, Mw1 = 0;
    classifyWallSides(s, qs1, Mp0, Mw0);
    Mw0 = raisedMw(s, Mw0);
    classifyWallSides(s, qs2, Mp1, Mw1);
    Mw1 = raisedMw(s, Mw1);
    MColl = 0;
    int ME = 0, MF = 0;
    const int M = firstFarJoint(s, Mw0, Mp1, Mw1, ME, MF);
    tracef(s, "\n◆◆0:============ WOutApart7()始め ============================◆◆" "\n  通り抜け前Mp0=%d Mw0=%d "
              "→通り抜け後Mp1=%d Mw1=%d JColl=%d" "\n  動かす最初の関節J[M=%d] J[ME,MF]=%c%c",
           Mp0, Mw0, Mp1, Mw1, s.JColl, M, jointTypeOf(s, ME), jointTypeOf(s, MF));
    traceVec(s, 1, N, qs1, "\n  初期値qs1[]=");
    traceVec(s, 1, N, qs2, "\n  最終値qs2[]=");
    traceVec(s, M, Nw, s.JMZ0, "\n  目標関節高さ JMZ0[%d-Nw]=", M);

    int sgnMotion = kMotionNone;
    if (M == Nw) {
        sgnMotion = Mw1 > Nw ? stepInSlit(s, qs1, qs2, qOut, MColl) : workOnly(s, Mw1, qs1, qs2, qOut, MColl);
        s.sgnMotion = sgnMotion;
        s.MColl = MColl;
        return sgnMotion;
    }
    const bool rp = MF >= 1 && s.JRTYPE[MF] == 'R';
    char sgnLS = firstTarget(s, Mw1, M, rp, qs1, qs2);
    printTarget(s, M, ME, MF, rp, sgnLS, qs1);
    if (sgnLS != 'L') sgnLS = 'S';
    s.sgnWOMotion = sgnLS;
    const Vec3 eG = s.eG;
    double qP[JV];
    copyJointVector(JV - 1, s.qP, qP);
    if (!rp)
        sgnMotion = WOutPPMotion8(s, sgnLS, Mw1, M, qs1, qs2, eG, qP, s.JMZ0, qOut, MColl);
    else
        sgnMotion = WOutRPLargeMotion7(s, sgnLS, Mw1, M, qs1, qs2, eG, qP, s.JMZ0, qOut, MColl);

    copyJointVector(JV - 1, qOut, s.qr);
    classifyWallSides(s, s.qr, s.Mpass, s.MW);
    printResult(s, sgnMotion, MColl, qs1, qs2);
    s.sgnMotion = sgnMotion;
    s.MColl = MColl;
    return sgnMotion;
}

// ---- the chain of far joints ----------------------------------------------------------------

int continueFarMotion(Scene& s, int Mw, int M, const double* q, const double* qT, const double* JMZ0, double* qOut,
                      int& MColl) {
    const int Nw = s.Nw;
    if (M >= Nw) return WOutWorkLargeMotion7(s, Mw, q, qT, JMZ0[Nw], qOut, MColl);
    int ME = 0, MF = 0;
    linkDrivers(s, M, ME, MF);
    Vec3 eG;
    double qP[JV];
    char sgnLS;
    const bool rp = MF >= 1 && s.JRTYPE[MF] == 'R';
    if (!rp) {
        sgnLS = calWOutJntMTarget4(s, Mw, M, qT, JMZ0[M], eG, qP);
    } else {
        eG = Vec3{{0, 0, 1}};
        calJntMDir(s, qT, Nw, eG, qP);
        sgnLS = 'L';
    }
    if (sgnLS != 'L') sgnLS = 'S';
    if (rp) return WOutRPLargeMotion7(s, sgnLS, Mw, M, q, qT, eG, qP, JMZ0, qOut, MColl);
    return WOutPPMotion8(s, sgnLS, Mw, M, q, qT, eG, qP, JMZ0, qOut, MColl);
}

// Result of a joint motion followed by the motion of the joints beyond: the later motion's
// code when it failed, else 1 when the pose changed, else the first code met (or 0).
static int chainResult(const Scene& s, int next, int first, const double* qs1, const double* qOut) {
    if (next < 0) return next;
    if (changed(s, qOut, qs1)) return kMotionMoved;
    return first < 0 ? first : kMotionNone;
}

// Steps of the RP motion of joint M from qs1 towards qP: the joint change per step in dq, the link
// of M turning from a0 (its direction in qs1) by alpha towards eG in all; the arm joints up to the
// far side of qs2 and the turn in steps of kRPStep ('S': one joint fewer, a turn of at most two
// steps). Returns the count.
static int rpSteps(Scene& s, char sgnLS, int M, const double* qs1, const double* qs2, const double* qP, const Vec3& eG,
                   double* dq, Vec3& a0, double& alpha) {
    const int N = s.N;
    jointDiffVector(s, 1, N, qP, qs1, dq);
    int Mp2 = 0, Mw2 = 0;
    classifyWallSides(s, qs2, Mp2, Mw2);
    int m = Mw2 - 1 + ((Mw2 <= N && s.JRTYPE[Mw2] == 'R') ? 1 : 0);
    if (sgnLS == 'S') m -= 1;
    if (m > N) m = N;
    double dmax = 0;
    for (int i = 1; i <= m; ++i) dmax = std::fmax(dmax, std::fabs(dq[i]));
    forwardKinematics(s, qs1);
    a0 = s.mm[M];
    alpha = std::acos(clampUnit(dotVec3(a0, eG)));
    if (sgnLS == 'S' && alpha > 2 * kRPStep) alpha = 2 * kRPStep + 1e-5;
    int nRP = stepCountOf(std::fmax(dmax, std::fabs(alpha)) / kRPStep);
    if (nRP < 1) nRP = 1;
    for (int i = 1; i <= N; ++i) dq[i] /= nRP;
    return nRP;
}

int WOutRPLargeMotion7(Scene& s, char sgnLS, int Mw, int M, const double* qs1In, const double* qs2In,
                       const Vec3& eG, const double* qPIn, const double* JMZ0, double* qOut, int& MColl) {
    const int N = s.N, Nw = s.Nw;
    double qs1[JV], qs2[JV], qP[JV];
    copyJointVector(JV - 1, qs1In, qs1);
    copyJointVector(JV - 1, qs2In, qs2);
    copyJointVector(JV - 1, qPIn, qP);
    MColl = 0;
    if (M >= Nw) {
        const int r = WOutWorkLargeMotion7(s, Mw, qs1, qs2, JMZ0[Nw], qOut, MColl);
        if (r > 0)
            tracef(s, "\n△E===== RPMotion7():M=Nw=%d ワーク運動終了 ========△", Nw);
        else
            tracef(s, "\n△E==== RPMotion7():M=Nw=%d ワークは初期値qs1[]が干渉なしで解→終了 ===△", Nw);
        return r < 0 ? r : 1;
    }
    if (M < 2) {
        copyJointVector(JV - 1, qs1, qOut);
        return 0;
    }
    double dq[JV] = {}, alpha = 0;
    Vec3 a0;
    const int nRP = rpSteps(s, sgnLS, M, qs1, qs2, qP, eG, dq, a0, alpha);
    const double dth = alpha / nRP;
    tracef(s, "\n△RP5:繰り返し始め 通り抜け前後qs1[]→qs2[]分割数nRP=%d α=%6.3f dth=%6.3f", nRP, alpha, dth);

    double qk[JV], qa[JV];
    copyJointVector(JV - 1, qs1, qk);
    copyJointVector(JV - 1, qs1, qOut);
    const int MM = nextFarJoint(s, M);
    int first = 0;
    for (int k = 1; k <= nRP; ++k) {
        if (pathStopped(s)) break;
        for (int i = 1; i <= N; ++i) qk[i] = qs1[i] + k * dq[i];
        Vec3 d;
        turnToward(a0, eG, k * dth, d);
        calJntMDir(s, qk, M, d, qk);
        // The work target (+z) may lie beyond the wrist limit: joint N-1 stops at the limit
        // instead of failing the step as a joint-limit interference.
        double qc = 0;
        clampJoint(s, N - 1, qk[N - 1], &qc);
        qk[N - 1] = qc;
        int Mbad = 0, collType = 0;
        const int sgnT = checkFarStep(s, M, qk, qa, Mbad, collType);
        tracef(s, "\n\n△RP7:J[M0=%d] 1ステップ旋回後 kRP=%d/%d th=%6.3f/α=%6.3f sgnT=%d", M, k, nRP, k * dth, alpha,
               sgnT);
        if (sgnT < 0) {
            tracef(s, ":干渉あり前回のq[]で次のJ[MM]運動へ計算継続");
            first = sgnT;
            MColl = Mbad;
            break;
        }
        appendFarStep(s, qa);
        copyJointVector(JV - 1, s.qr, qOut);
    }
    if (pathStopped(s)) return chainResult(s, 0, first, qs1, qOut);
    double qStart[JV], qT[JV];
    copyJointVector(JV - 1, qOut, qStart);
    copyJointVector(JV - 1, qOut, qT);
    // Steps cut short by an interference leave part of the pass-out undone: the joints before
    // the drivers of M keep their pass-out target, so the motions beyond still carry them.
    if (first < 0) {
        int ME = 0, MF = 0;
        linkDrivers(s, M, ME, MF);
        for (int i = 1; i < MF && i <= N; ++i) qT[i] = qs2[i];
    }
    int MCollNext = 0;
    const int next = continueFarMotion(s, Mw, MM, qStart, qT, JMZ0, qOut, MCollNext);
    tracef(s, "\n△RP11:J[M0=%d] kRP=%d/%d sgnJMotion=%d J[MM=%d]の運動へ", M, nRP, nRP, first, MM);
    if (next < 0) {
        MColl = MCollNext;
        tracef(s, "\n△RP12:J[M0=%d] kRP=%d/%d sgnMMotion=%d J[MM=%d]干渉回避不能→途中停止", M, nRP, nRP, next, MM);
    }
    return chainResult(s, next, first, qs1, qOut);
}

int WOutPPMotion8(Scene& s, char sgnLS, int Mw, int M, const double* qs1In, const double* qs2In, const Vec3& eG,
                  const double* qPIn, const double* JMZ0, double* qOut, int& MColl) {
    (void)eG;
    (void)qs2In;
    const int N = s.N, Nw = s.Nw;
    double qs1[JV], qP[JV];
    copyJointVector(JV - 1, qs1In, qs1);
    copyJointVector(JV - 1, qPIn, qP);
    MColl = 0;
    copyJointVector(JV - 1, qs1, qOut);
    if (M >= Nw) return WOutRPLargeMotion7(s, sgnLS, Mw, M, qs1, qs1, eG, qP, JMZ0, qOut, MColl);
    // The joint that turns J[M] on its circle: M lowered past zero-length links, then the joint
    // before it (past an 'R' joint), as in the target of M.
    int M0 = M;
    for (int t = 0; t < 2 && M0 > 1 && s.L[M0] < tolFine; ++t) --M0;
    int MF = M0 - 1;
    if (MF >= 1 && s.JRTYPE[MF] == 'R') MF -= 1;
    if (MF < 1) return 0;
    double dq[JV] = {};
    jointDiffVector(s, 1, N, qP, qs1, dq);
    double dA = 0;
    for (int i = 1; i <= MF - 1; ++i) dA = std::fmax(dA, std::fabs(dq[i]));
    const int nA = stepCountOf(dA / kPPStep), nB = stepCountOf(std::fabs(dq[MF]) / kPPStep);
    int kPP = sgnLS == 'L' ? (nA > nB ? nA : nB) : nA;
    if (kPP < 1) kPP = 1;
    for (int i = 1; i <= N; ++i) dq[i] /= kPP;
    // A small motion turns joint MF by 0.04 in all.
    if (sgnLS != 'L' && std::fabs(dq[MF]) * kPP > kPPStep) dq[MF] = (dq[MF] > 0 ? kPPStep : -kPPStep) / kPP;

    double qk[JV], qa[JV];
    copyJointVector(JV - 1, qs1, qk);
    int first = 0;
    bool avoidOnly = false;
    for (int k = 1; k <= kPP; ++k) {
        if (pathStopped(s)) break;
        for (int i = 1; i <= N; ++i)
            if (!(avoidOnly && i == MF)) qk[i] += dq[i];
        int Mbad = 0, collType = 0;
        const int r = checkFarStep(s, M, qk, qa, Mbad, collType);
        tracef(s, "\n△PP3:J[M=%d] kPP=%d/%d 干渉回避後 sgnMotion=%d", M, k, kPP, r);
        if (r < 0) {
            tracef(s, "→干渉回避不能，q[]変化はある．運動一旦停止");
            MColl = Mbad;
            first = r;
            break;
        }
        if (r == kStepRepaired) {
            tracef(s, "→干渉あり回避した．以降は回避のみ");
            avoidOnly = true;
        } else {
            tracef(s, "→干渉なし");
        }
        copyJointVector(JV - 1, qa, qk);
        appendFarStep(s, qa);
        copyJointVector(JV - 1, s.qr, qOut);
    }
    // A stop of joint M is only for now: the next joint moves from the pose reached.
    if (pathStopped(s)) return chainResult(s, 0, first, qs1, qOut);
    const int MM = nextFarJoint(s, M);
    tracef(s, "\n△PP5:J[M0=%d] kPP=%d/%d sgnJMotion=%d J[MM=%d]の運動へ", M0, kPP, kPP, first, MM);
    double qStart[JV];
    copyJointVector(JV - 1, qOut, qStart);
    int MCollNext = 0, next;
    if (MM < Nw) {
        int ME2 = 0, MF2 = 0;
        linkDrivers(s, MM, ME2, MF2);
        if (MF2 >= 1 && s.JRTYPE[MF2] == 'R')
            tracef(s, "\n  次はJ[MM=%d]のRP運動", MM);
        else
            tracef(s, "\n  次はJ[MM=%d]のPP運動", MM);
    } else {
        tracef(s, "\n△PP7:ワークの運動始め J[MM=%d]", MM);
    }
    next = continueFarMotion(s, Mw, MM, qStart, qStart, JMZ0, qOut, MCollNext);
    if (next < 0) MColl = MCollNext;
    return chainResult(s, next, first, qs1, qOut);
}
