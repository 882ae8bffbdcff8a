// Phase 2 of the B-calculation, one slit pass-out cycle per step: the step control over the
// candidate generation, the move of the joints beyond the wall, the record of the cycle, and the
// end of the phase once the arm is in front of the wall.
#include "path/slit_pass_out.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "model/joints.h"
#include "model/kinematics.h"
#include "model/angles.h"
#include "model/vecops.h"
#include "path/free_space.h"
#include "path/outside_wall.h"
#include "path/path_append.h"
#include "path/path_clearance.h"
#include "path/row_gate.h"
#include "path/slit_candidates.h"
#include "path/slit_select.h"
#include "path/wall_sides.h"

namespace {

constexpr double kStep0 = 0.02;     // initial step of the trial turns
constexpr double kArmMove = 0.2;    // largest accepted arm joint change per cycle
constexpr int kMaxReductions = 3;

void copyQv(const double* a, double* b) {
    for (int i = 0; i < JV; ++i) b[i] = a[i];
}

// Adds the pose qr as the next cycle: its row, its envelope and its change.
void recordCycle(Scene& s) {
    s.NPATHth += 1;
    const int n = s.NPATHth;
    copyQv(s.qr, s.qIPATHth[n]);
    recordPassEnvelope(s);
    s.dqIPATHth[n][0] = 0;
    for (int i = 1; i <= s.N; ++i) s.dqIPATHth[n][i] = jointDiff(s, i, s.qIPATHth[n][i], s.qIPATHth[n - 1][i]);
}

void printClearances(const Scene& s, const double* bw, const double* bf, const double* bs) {
    traceVec(s, 2, s.Nw, bw, "\n  bw[2-Nw]=");
    traceVec(s, 2, s.Nw, bf, "\n  bf[2-Nw]=");
    traceVec(s, 2, s.Nw, bs, "\n  bs[2-Nw]=");
}

// Clearance of the wrist in front of the wall.
double wristClearance(Scene& s) { return (s.rhy1 - MarginWrist) - s.J[s.N][1]; }

// End of the slit pass-out for the pose of the last kinematics: the arm and the work in front of
// the wall, the wrist clear by 0.3, and every joint in front of its margin plane (free space
// judges a joint left in the margin band at the slit as touching the wall).
bool outOfSlit(Scene& s, int Mp) {
    if (!(Mp >= s.Nw && wristClearance(s) > 0)) return false;
    for (int j = 2; j <= s.Nw; ++j)
        if (!(s.J[j][1] <= (j == s.Nw ? s.rhy1W : s.rhy1M))) return false;
    return true;
}

}  // namespace

bool slitStepAccept(double dmax, int& cntOpt, double& step) {
    if (!(dmax > kArmMove) || cntOpt >= kMaxReductions) return true;
    step = step * kArmMove / dmax;
    cntOpt += 1;
    return false;
}

int SlitPassBOpt(Scene& s, const double* q0in, double step, double* q2, int& JColl) {
    const int N = s.N;
    double q0[JV], pick[JV], sel[JV];
    copyQv(q0in, q0);
    copyQv(q0, q2);
    copyQv(q0, pick);
    bool havePick = false;
    int Mp = 0, Mw = 0;
    classifyWallSides(s, q0, Mp, Mw);
    s.cntOpt = 0;
    step = kStep0;
    for (int round = 0; round <= kMaxReductions; ++round) {
        const int n = SlitPassB5(s, s.sgnArmDir, q0, step, s.qCand);
        tracef(s, "\n▼O2:Mp=%d SlitPassB5()後 解の数cntP=%d", Mp, n);
        tracef(s, n > 0 ? " → 複数解から最適解選択へ\n" : " → 解なし，壁隙間通り抜け不能");
        if (n == 0) {
            JColl = 0;
            return 0;
        }
        copyQv(q0, sel);
        const int r = SelectSlitPassSolT(s, q0, n, s.qCand, sel, JColl);
        traceVec(s, 1, N, s.qs, "\n▼Opt()O4:最適解選択後 sgnSOL=%d JColl=%d", r, JColl);
        printVec(s, 1, N, sel);
        forwardKinematics(s, q0);
        traceVec(s, 0, 2, s.J[5].data(), "\n  旧J[5]=");
        traceVec(s, 0, 2, s.J[6].data(), " J[6]=");
        forwardKinematics(s, sel);
        traceVec(s, 0, 2, s.J[5].data(), "\n  新J[5]=");
        traceVec(s, 0, 2, s.J[6].data(), " J[6]=");
        if (r < 1) {
            tracef(s, "→解なし 干渉関節 JColl=%d", JColl);
            return r;
        }
        copyQv(sel, pick);
        havePick = true;
        int Mp2 = 0, Mw2 = 0;
        classifyWallSides(s, sel, Mp2, Mw2);
        int m = Mp2 - 1;
        if (m > N - 3) m = N - 3;
        double dmax = 0;
        for (int i = 1; i <= m; ++i) dmax = std::fmax(dmax, std::fabs(jointDiff(s, i, sel[i], q0[i])));
        if (slitStepAccept(dmax, s.cntOpt, step)) break;
    }
    if (!havePick) return 0;
    copyQv(pick, q2);
    JColl = 0;
    return 1;
}

namespace {

// The pass-out pose q2 was found: the joints beyond the wall move from q0 through q2 (appended by
// WOutApart7), and a move is recorded as the next cycle. Returns sgnMotion with the blocking
// joint in JColl; qOut and qr the pose reached; bw, bf, bs its clearances.
int passOutMove(Scene& s, const double* q0, const double* q2, const double* heights, double* qOut, double* bw,
                double* bf, double* bs, int& JColl) {
    const int N = s.N;
    int Mp2 = 0, Mw2 = 0;
    classifyWallSides(s, q2, Mp2, Mw2);
    double qRes[JV];
    copyQv(q2, qRes);
    int MColl = 0;
    int sgnMotion = WOutApart7(s, Mw2, q0, q2, heights, qRes, MColl);
    if (pathStopped(s)) {
        // The record filled up during the move: the pose is the last row written.
        copyQv(s.qIPATH[s.NPATH], qRes);
        sgnMotion = kMotionNone;
    }
    copyQv(qRes, s.qr);
    copyQv(qRes, qOut);
    if (sgnMotion > 0) {
        recordCycle(s);
        MColl = 0;
        s.sgnMColl = kMCollRunning;
    }
    JColl = MColl;
    tracef(s, "\n▼E;======通り抜けと壁外運動後 Mp2=%d Mw2=%d sgnMotion=%d MColl=%d=======▼", Mp2, Mw2, sgnMotion,
           MColl);
    traceVec(s, 1, N, s.qs, "\n  qs[]=");
    traceVec(s, 1, N, s.qr, "\n  qr[]=");
    if (sgnMotion == kMotionMoved) tracef(s, "\n  q[]変化した→運動続行");
    if (sgnMotion == kMotionNone) tracef(s, "\n  q[]の変化なし,3干渉なし");
    if (sgnMotion == kMCollWall) tracef(s, "\n  MColl=%d 壁干渉回避不能", MColl);
    if (sgnMotion == kMCollFloor) tracef(s, "\n  MColl=%d 床干渉回避不能", MColl);
    if (sgnMotion == kMCollSelf) tracef(s, "\n  MColl=%d 自己干渉回避不能", MColl);
    tracef(s, "\n▼▼E:=====SlitPassWOutMotion() Mp2=%d Mw2=%d sgnMotion=%d end===========▼▼", Mp2, Mw2, sgnMotion);
    int Jb = 0;
    calArmClearance(s, 2, s.Nw, s.qr, bw, bf, bs, Jb);
    return sgnMotion;
}

// The previous cycle's motion continued once more from the newest cycle pose, into qx (q0 itself
// when fewer than two cycles are recorded). True when it is continued.
bool continuedPose(Scene& s, const double* q0, double* qx) {
    copyQv(q0, qx);
    if (s.NPATHth < 2) return false;
    const double* a = s.qIPATHth[s.NPATHth];
    const double* b = s.qIPATHth[s.NPATHth - 1];
    for (int i = 1; i <= s.N; ++i) qx[i] = a[i] + jointDiff(s, i, a[i], b[i]);
    qx[0] = 0;
    wrapJointVector(s.N, qx, qx);
    return true;
}

// Interference code of the continued pose qx (its clearances into bw, bf, bs): the joints, and
// for a continued move the links across the wall faces and the row gate. Jx the joint met.
int continuedCode(Scene& s, const double* qx, bool extrapolate, double* bw, double* bf, double* bs, int& Jx) {
    int code = calArmClearance(s, 2, s.Nw, qx, bw, bf, bs, Jx);
    if (code == 0 && extrapolate) {
        const int link = slitLinkCheck(s, qx);
        if (link > 0) Jx = link;
        // The gate judges the continued move as drawn; a refusal is the wall, floor or self
        // interference of the shape it names.
        const int g = Jx == 0 ? gateRow(s, s.qIPATH[s.NPATH], qx) : 0;
        if (g < 0) {
            code = g;
            Jx = s.gateShape <= s.N ? s.gateShape : s.N;
        }
    }
    return code;
}

// No pass-out found: the previous cycle's motion continued once more, accepted only when the
// pose is clear (joints, and links across the wall faces); it is then appended and recorded as a
// cycle. Otherwise the pose stays q0 and the code stops the calculation. Results as
// SlitPassWOutMotion.
int continuePrevious(Scene& s, const double* q0, double* qOut, double* bw, double* bf, double* bs, int& JColl) {
    double qx[JV];
    const bool extrapolate = continuedPose(s, q0, qx);
    int Jx = 0;
    const int code = continuedCode(s, qx, extrapolate, bw, bf, bs, Jx);
    JColl = Jx;
    tracef(s, "\n▼4:sgnColl=%d", code);
    if (code < 0) tracef(s, " J[M=%d]が干渉", Jx);
    printClearances(s, bw, bf, bs);
    if (code == 0 && extrapolate && Jx == 0) {
        double qa[JV];
        copyQv(qx, qa);
        double from[JV];
        copyQv(s.qIPATH[s.NPATH], from);
        appendPathSegment(s, from, qa);
        if (!pathStopped(s)) {
            copyQv(qa, s.qr);
            copyQv(qa, qOut);
            recordCycle(s);
            s.sgnMColl = kMCollRunning;
            tracef(s, "\n  q[]変化した→運動続行");
            return kMotionMoved;
        }
        copyQv(s.qIPATH[s.NPATH], s.qr);
        copyQv(s.qr, qOut);
        return kMotionNone;
    }
    if (foldCollCode(code) == kMCollWall) tracef(s, "\n→壁干渉あり．運動停止");
    if (foldCollCode(code) == kMCollFloor) tracef(s, "\n→床干渉あり．運動停止");
    if (foldCollCode(code) == kMCollSelf) tracef(s, "\n→自己干渉あり．運動停止");
    if (code >= 0) tracef(s, "\n→隙間通り抜け不能．.運動停止");
    copyQv(q0, s.qr);
    copyQv(q0, qOut);
    if (extrapolate) {
        int Jb = 0;
        calArmClearance(s, 2, s.Nw, q0, bw, bf, bs, Jb);
    }
    // Combined codes are reported by their first kind, as the B-calculation status knows them.
    return code < 0 ? foldCollCode(code) : kMCollNoMotion;
}

}  // namespace

int SlitPassWOutMotion(Scene& s, const double* q0in, double* qOut, double* bw, double* bf, double* bs, int& JColl) {
    const int Nw = s.Nw;
    double q0[JV];
    copyQv(q0in, q0);
    JColl = 0;
    // Phase 2 starts: the history begins with row 0 and no previous change.
    if (s.NPATHth <= 0) {
        s.NPATHth = 0;
        for (int i = 0; i < JV; ++i) s.dqIPATHth[0][i] = 0;
        copyQv(s.qIPATHth[0], s.qPassHist[0]);
    }
    // No room for another cycle (or for another path row): the cycle ends without a move.
    if (pathStopped(s) || s.NPATHth >= NMAX - 2) {
        copyQv(q0, qOut);
        copyQv(q0, s.qr);
        int Jb = 0;
        calArmClearance(s, 2, Nw, q0, bw, bf, bs, Jb);
        return kMotionNone;
    }

    calArmClearance(s, 2, Nw, q0, bw, bf, bs, JColl);
    int Mp1 = 0, Mw1 = 0;
    classifyWallSides(s, q0, Mp1, Mw1);
    forwardKinematics(s, q0);
    double heights[JV] = {};
    for (int i = 1; i <= Nw; ++i) heights[i] = s.J[i][2];
    tracef(s, "\n▼▼S:======== SlitPassWOutMotion()始め Mp1=%d Mw1=%d =============▼▼", Mp1, Mw1);

    double q2[JV];
    int MMColl = 0;
    const int r = SlitPassBOpt(s, q0, kStep0, q2, MMColl);
    if (r == 0) tracef(s, "\n▼1:sgnSlitSOL=%d MMColl=%d SlitPassBOpt()通り抜け不能し→停止", r, MMColl);
    if (r < 0) tracef(s, "\n▼1:sgnSlitSOL=%d MMColl=%d SlitPassBOpt()干渉あり通り抜け不能し→停止", r, MMColl);
    if (r > 0) tracef(s, "\n▼1:sgnSlitSOL=%d SlitPassBOpt()解あり→壁外関節運動へ", r);
    if (r > 0) return passOutMove(s, q0, q2, heights, qOut, bw, bf, bs, JColl);
    return continuePrevious(s, q0, qOut, bw, bf, bs, JColl);
}

void calBTHROUGH(Scene& s) {
    const int N = s.N;
    s.qr[N] = 0;
    int Mp = 0, Mw = 0, inWall[JV] = {};
    const int nIn = classifyJointsByWall(s, s.qr, &Mp, inWall, &Mw);
    s.Mpass = Mp;
    s.MW = Mw;
    double q0[JV];
    copyJointVector(JV - 1, s.qr, q0);
    forwardKinematics(s, s.qr);
    tracef(s, "\n\n◎◎=calBTHROUGH()始め sgnPATH=%d NPATH=%d NPATHth=%d Mpass=%d Mm=%d MW=%d=◎◎", s.sgnPATH, s.NPATH,
           s.NPATHth, Mp, nIn > 0 ? inWall[0] : 0, Mw);
    if (s.NPATHth > 0) {
        traceVec(s, 1, N, s.qIPATHth[s.NPATHth - 1], "\n  qIPATHth[%3d]=", s.NPATHth - 1);
    }
    traceVec(s, 1, N, s.qIPATHth[s.NPATHth], "\n  qIPATHth[%3d]=", s.NPATHth);
    traceVec(s, 1, N, s.qr, "\n  qr[]         =");
    // The arm, work included, is in front of the wall (the same test as after a pass-out).
    bool out = outOfSlit(s, Mp);
    if (out) {
        tracef(s, "\n  リスト(ワーク)壁から-Y方向へ十分遠ざかった→自由空間運動へ");
    } else {
        tracef(s, "\n  まだ壁外に関節(ワーク)がある or 壁内となってもまだ壁に近い→calBTHROUGH()継続");
        double qOut[JV] = {}, bw[JV] = {}, bf[JV] = {}, bs[JV] = {};
        int Jb = 0;
        const int st = SlitPassWOutMotion(s, q0, qOut, bw, bf, bs, Jb);
        copyJointVector(JV - 1, qOut, s.qr);
        classifyWallSides(s, s.qr, s.Mpass, s.MW);
        const double change = jointDiffSum(s, 1, N, s.qr, q0);
        tracef(s, "\n◆SlitPassWOutMotion()後:通り抜けと壁外運動 sgnMColl=%d NPATH=%d", st, s.NPATH);
        if (pathStopped(s)) return;  // stopped by the full record (sgnMColl = 0)
        if (st <= 0 && change < tolFine) {
            s.JColl = Jb;
            s.sgnMColl = st;
            s.sgnBtoA = 1;
            return;
        }
        s.JColl = 0;
        s.sgnMColl = kMCollRunning;
        s.sgnPATH = PhaseSlitPassOut;
        s.qr[0] = 0;
        wrapJointVector(N, s.qr, s.qr);
        classifyWallSides(s, s.qr, s.Mpass, s.MW);
        if (s.Mpass > s.Nw) s.Mpass = s.Nw;
        forwardKinematics(s, s.qr);
        out = outOfSlit(s, s.Mpass);
        if (!out) return;
    }
    s.sgnPATH = PhaseFreeSpaceAway;
    s.sgnMColl = kMCollRunning;
    s.sgnPATHEnd = 0;
    classifyWallSides(s, s.qr, s.Mpass, s.MW);
    calBFREESTART(s);
}
