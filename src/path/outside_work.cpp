// Motion of the work beyond the wall: the arm joints move from qs1 to the target pose while the
// work turns up (+z) along a turn that keeps it off the wall and the floor.
#include "path/outside_work.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "collide/avoid_turn.h"
#include "model/joints.h"
#include "model/kinematics.h"
#include "model/vecops.h"
#include "path/link_direction.h"
#include "path/outside_step.h"
#include "path/path_append.h"

namespace {

constexpr double kWorkStep = 0.05;

const Vec3 kUp = {{0, 0, 1}};

// The turn of the work direction: the direction at angle th is CC + RR (cos th d1 + sin th d2),
// for th from 0 to alpha.
struct WorkTurn {
    Vec3 CC = {{0, 0, 0}}, d1 = {{0, 0, 0}}, d2 = {{0, 0, 0}};
    double RR = 1, alpha = 0;
};

// The turn from a (the work direction of qs1, J[N] at JN) to +z: the turn of calTurnAvoidWF while
// a joint lies beyond the wall (Mw < Nw), else the great circle. False when the work already
// points up (no turn).
bool workTurn(Scene& s, int Mw, const Vec3& a, const Vec3& JN, WorkTurn& w) {
    w.d1 = a;
    if (Mw < s.Nw) {
        calTurnAvoidWF(s, 'O', s.Nw, JN, a, kUp, w.CC, w.d1, w.d2, w.RR, w.alpha);
        return true;
    }
    Vec3 axis;
    crossVec3(a, kUp, axis);
    if (normVec3(axis) < 1e-6) return false;
    unitVec3(axis, axis);
    crossVec3(axis, a, w.d2);
    w.alpha = std::acos(std::fmax(-1.0, std::fmin(1.0, dotVec3(a, kUp))));
    return true;
}

void printTurn(const Scene& s, int nW, int nW0, double dth, const double* ddq, const WorkTurn& w) {
    tracef(s, "\n▽W9:qs1[]→qP[]間の分割数nW=%d(nW0=%d) 増分ddq[] dth=%6.4f/α=%6.4f", nW, nW0, dth, w.alpha);
    Vec3 d3;
    crossVec3(w.d1, w.d2, d3);
    traceVec(s, 1, s.N, ddq, "\n  ddq[]=");
    traceVec(s, 0, 2, w.d1.data(), "\n  d1[]=");
    traceVec(s, 0, 2, w.d2.data(), " d2[]=");
    traceVec(s, 0, 2, d3.data(), "\n  d3[]=");
    traceVec(s, 0, 2, w.CC.data(), "\n  CC[]=");
    tracef(s, " RR=%6.3f α=%6.3f", w.RR, w.alpha);
}

// The nW steps from qs1: the arm joints advance by ddq and the work turns by dth a step; each step
// is checked and appended. Returns 0, or the code of the step that could not be cleared (it is
// not taken) with its joint in MColl.
int turnSteps(Scene& s, const double* qs1, const double* ddq, int nW, double dth, const WorkTurn& w, int& MColl) {
    const int N = s.N;
    double qk[JV], qa[JV];
    copyJointVector(JV - 1, qs1, qk);
    for (int k = 1; k <= nW; ++k) {
        if (pathStopped(s)) break;
        for (int i = 1; i <= N; ++i) qk[i] = qs1[i] + k * ddq[i];
        traceVec(s, 1, N, qk, "\n  qk1[]=");
        const double th = k * dth;
        Vec3 d;
        for (int i = 0; i < 3; ++i) d[i] = w.CC[i] + w.RR * (std::cos(th) * w.d1[i] + std::sin(th) * w.d2[i]);
        unitVec3(d, d);
        calJntMDir(s, qk, s.Nw, d, qk);
        double qc = 0;
        const int sgnL = clampJoint(s, N - 1, qk[N - 1], &qc);
        qk[N - 1] = qc;
        traceVec(s, 1, N, qk, "\n  qk2[]=");
        tracef(s, "\ngetch()");
        waitKey(s);
        if (sgnL) tracef(s, "\n▽W14:k=%d/%d q[%d]限界に達した sgnL=%d", k, nW, N - 1, sgnL);
        int Mbad = 0, collType = 0;
        const int r = checkFarStep(s, s.Nw, qk, qa, Mbad, collType);
        if (r == kStepRepaired) tracef(s, "\n▽W14:k=%d/%d 干渉あり回避した CollType=%d", k, nW, collType);
        if (r < 0) {
            MColl = Mbad;
            return r;
        }
        appendFarStep(s, qa);
        copyJointVector(JV - 1, s.qr, qk);
        traceVec(s, 1, N, s.qr, "\n▽W15:ワーク kW=%d/%d 番目の運動の解 sgnCollAvoid=%d NPATH=%2d", k, nW, r, s.NPATH);
    }
    return 0;
}

// The final pose: the target with the work up (qs2 itself would turn the work back), checked and
// appended. Returns 0, or the code that stops it with its joint in MColl.
int finalWorkStep(Scene& s, const double* qP, int& MColl) {
    double qa[JV];
    int Mbad = 0, collType = 0;
    const int r = checkFarStep(s, s.Nw, qP, qa, Mbad, collType);
    int failed = 0;
    if (r < 0) {
        failed = r;
        MColl = Mbad;
    } else {
        appendFarStep(s, qa);
    }
    tracef(s, "\n▽W16:ワーク干渉回避後最終値qs2[]で干渉回避して終了 sgnCollAvoid=%d NPATH=%2d", r, s.NPATH);
    return failed;
}

}  // namespace

int WOutWorkLargeMotion7(Scene& s, int Mw, const double* qs1In, const double* qs2In, double zW, double* qOut,
                         int& MColl) {
    (void)zW;
    const int N = s.N, Nw = s.Nw;
    double qs1[JV], qs2[JV], qP[JV];
    copyJointVector(JV - 1, qs1In, qs1);
    copyJointVector(JV - 1, qs2In, qs2);
    copyJointVector(JV - 1, qs2, qOut);
    MColl = 0;
    int Mp = 0, Mw2 = 0, inWall[JV];
    const int nIn = classifyJointsByWall(s, qs2, &Mp, inWall, &Mw2);
    tracef(s, "\n\n▽W=======WOutWorkLargeMotion7()始め Nw=%d Mp=%d Mm=%d Mw=%d ===============▽▽", Nw, Mp,
           nIn > 0 ? inWall[0] : 0, Mw);
    calJntMDir(s, qs2, Nw, kUp, qP);

    // The turn of the work direction from that of qs1 to +z.
    forwardKinematics(s, qs1);
    const Vec3 a = s.mm[Nw];
    const Vec3 JN = s.J[N];
    WorkTurn w;
    const bool turn = workTurn(s, Mw, a, JN, w);  // else only the final pose is left
    copyJointVector(JV - 1, qs1, s.qr);
    int failed = 0;
    if (turn) {
        double ddq[JV] = {};
        jointDiffVector(s, 1, N, qP, qs1, ddq);
        double dmax = 0;
        for (int i = 1; i <= N - 3; ++i) dmax = std::fmax(dmax, std::fabs(ddq[i]));
        const int nW0 = stepCountOf(dmax / kWorkStep);
        int nW = stepCountOf(std::fabs(w.alpha) / kWorkStep);
        if (nW0 > nW) nW = nW0;
        if (nW < 1) nW = 1;
        for (int i = 1; i <= N; ++i) ddq[i] /= nW;
        const double dth = w.alpha / nW;
        printTurn(s, nW, nW0, dth, ddq, w);
        failed = turnSteps(s, qs1, ddq, nW, dth, w, MColl);
    }
    if (failed == 0 && !pathStopped(s)) failed = finalWorkStep(s, qP, MColl);
    copyJointVector(JV - 1, s.qr, qOut);
    if (failed < 0) return failed;
    MColl = 0;
    return jointDistance(1, N, s.qr, qs1) >= 0.0001 ? kMotionMoved : kMotionNone;
}
