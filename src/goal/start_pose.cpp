#include "goal/start_pose.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "goal/a_progress.h"
#include "goal/pass_feasibility.h"
#include "goal/path_ask.h"
#include "goal/pose_errors.h"
#include "model/angles.h"
#include "model/kinematics.h"
#include "model/vecops.h"
#include "solve/posorient.h"

namespace {

constexpr double HALF_PI = PI_C / 2;
// Axis letter of a joint whose axis lies along none of the world axes.
constexpr char NO_AXIS = '?';

// Direction letter of joint i's axis in the pose held in s: 'X', 'Y', 'Z' or NO_AXIS.
char axisLetter(const Scene& s, int i) {
    for (int k = 0; k < 3; ++k)
        if (std::fabs(s.EA[i](k, 2)) > 1 - tolExact) return static_cast<char>('X' + k);
    return NO_AXIS;
}

// Start of the next quadrant of an angle in [0, 2 pi): pi/2, pi, 3 pi/2, or a negative value
// when the angle already lies in the fourth quadrant (the boundaries less 0.001 rad).
double nextQuadrant(double a) {
    if (a < PI_C / 2 - 0.001) return PI_C / 2;
    if (a < PI_C - 0.001) return PI_C;
    if (a < 3 * PI_C / 2 - 0.001) return 3 * PI_C / 2;
    return -1;
}

constexpr int CAP = GoalCalcState::NQSS0;

// Grid over (q[Lh], q[Mh]) from q: at most one candidate from each pair of quadrants, appended
// to found. Returns the new count.
int gridCandidates(Scene& s, double* q, int Lh, int Mh, int Iinv, int Jinv, int Kinv, const Vec3& rwp,
                   const Mat3& EwG, double found[CAP][JV], int nfound) {
    const double step = TWO_PI_C / 24;
    const double sweepEnd = TWO_PI_C - 0.001;
    double qo[JV];
    q[Lh] = 0.001;
    for (int iL = 0; iL < 25 && q[Lh] < sweepEnd; ++iL) {
        bool success = false;
        q[Mh] = 0;
        for (int iM = 0; iM < 25 && q[Mh] < sweepEnd; ++iM) {
            if (solvePosOrient(s, q, Iinv, Jinv, Kinv, rwp, EwG, qo) > 0) {
                if (nfound < CAP) copyQ(qo, found[nfound++]);
                success = true;
                double next = nextQuadrant(q[Mh]);
                if (next < 0) break;
                q[Mh] = next;
            } else {
                q[Mh] += step;
            }
        }
        if (success) {
            double next = nextQuadrant(q[Lh]);
            if (next < 0) break;
            q[Lh] = next;
        } else {
            q[Lh] += step;
        }
    }
    return nfound;
}

// Wraps every candidate and copies into qss0, in their order, those whose joints 2..5 do not
// stand where an earlier kept one's do. Returns their number.
int keepDistinct(Scene& s, double found[CAP][JV], int nfound, double qss0[][JV]) {
    Vec3 Jc[CAP][6];
    for (int c = 0; c < nfound; ++c) {
        found[c][0] = 0;
        wrapJointVector(JV - 1, found[c], found[c]);
        forwardKinematics(s, found[c]);
        for (int k = 1; k <= 5; ++k) Jc[c][k] = s.J[k];
    }
    int keptIdx[CAP], nkept = 0;
    for (int c = 0; c < nfound; ++c) {
        bool dup = false;
        for (int k = 0; k < nkept && !dup; ++k) {
            double d = 0;
            for (int j = 2; j <= 5; ++j) d += distVec3(Jc[c][j], Jc[keptIdx[k]][j]);
            if (d < tolFine) dup = true;
        }
        if (!dup) keptIdx[nkept++] = c;
    }
    for (int k = 0; k < nkept; ++k) {
        copyQ(found[keptIdx[k]], qss0[k]);
        qss0[k][0] = 0;
        wrapJointVector(JV - 1, qss0[k], qss0[k]);
    }
    return nkept;
}

// The A flags of a fresh start (not after the B-calculation, not after an obstacle change).
void resetForFreshStart(Scene& s) {
    s.cntLM0 = 0;
    s.Lh = s.Lh0[0];
    s.Mh = s.Mh0[0];
    s.Mpass = s.Mpass0[0];
    s.Iinv = s.Iinv0[0];
    s.Jinv = s.Jinv0[0];
    s.Kinv = s.Kinv0[0];
    s.sgnAbStep = s.sgnAaStep = 0;
    s.sgnAab = 'c';
    s.sgnSOLAEnd = 0;
    s.sgnP = s.sgnT = 1;
}

// The state of the start pose after its classification.
void traceStartState(const Scene& s) {
    tracef(s, "\n■=====sgnCAL=%c 厚壁隙間通り抜け目標に位置決めする計算始め [Lh,Mh]=[%d %d] ====■", s.sgnCAL, s.Lh,
           s.Mh);
    if (s.sgnPS <= 0) {
        tracef(s, "\n 現ロボット・隙間で隙間通り抜け不可能\n  →隙間位置('O') or ロボットタイプ変更へ('F')");
        return;
    }
    tracef(s,
           "\n 現ロボット・隙間で隙間通り抜け可能"
           "\n Mpass=%d MW=%d sgnJ1Alpha=%c sgnWrkAlpha=%c sgnDrawInitial=%d sgnDrawAStart=%d",
           s.Mpass, s.MW, s.sgnJ1Alpha, s.sgnWrkAlpha, s.sgnDrawInitial, s.sgnDrawAStart);
    traceVec(s, 1, s.N, s.qr, "\n qr[]=");
    traceVec(s, 0, 2, s.rh.data(), "\n rh[]=");
    traceVec(s, 0, 2, s.rwp.data(), "\n rwp[]=");
    if (s.sgnT == 2 && s.sgnP == 4)
        tracef(s, "\n sgnT=%d sgnP=%d アーム%dは隙間通り抜け，位置決め誤差許容範囲内", s.sgnT, s.sgnP, s.Mpass);
    else if (s.sgnT == 4 && s.sgnP == 2)
        tracef(s, "\n sgnT=%d sgnP=%d アーム%dは隙間通り抜け許容範囲，位置決めされた", s.sgnT, s.sgnP, s.Mpass);
    else if (s.sgnT == 4 && s.sgnP == 4)
        tracef(s, "\n sgnT=%d sgnP=%d アーム%dは隙間通り抜け許容範囲，位置決め誤差許容範囲", s.sgnT, s.sgnP, s.Mpass);
    tracef(s,
           "\n 初期ポーズ cntqs0=%d/%d errP=%11.3e errT=%11.3e sgnSOLAEnd=%d"
           "\n A解法 隙間を通す関節番号(Lh,Mh)=(%d %d) 通るアーム番号Mpass=%d"
           "\n       位置決めする関節番号(I J K)inv=(%d %d %d)",
           s.cntqs0, s.nqss0, s.errP, s.errT, s.sgnSOLAEnd, s.Lh, s.Mh, s.Mpass, s.Iinv, s.Jinv, s.Kinv);
    traceVec(s, 1, s.N, s.qs, "\n qs[]=");
}

}  // namespace

int StartPose(Scene& s, int Lh, int Mh, int Iinv, int Jinv, int Kinv, const Vec3& rwp, const Mat3& EwG,
              double qss0[][JV]) {
    double q[JV], qo[JV];
    copyQ(s.qInit, q);
    s.nqss0 = 0;
    s.cntqs0 = 0;
    setAlphaFlags(s);

    double found[CAP][JV];
    int nfound = gridCandidates(s, q, Lh, Mh, Iinv, Jinv, Kinv, rwp, EwG, found, 0);

    // One more candidate from the start pose of an arm whose first joint is on the plane.
    if (s.sgnJ1Alpha == 'I') {
        int L = Lh, M = Mh;
        J1AlphaStartPose(s, q, &L, &M);
        int I = 1;
        while (I == L || I == M) ++I;
        int J = I + 1;
        while (J == L || J == M) ++J;
        if (solvePosOrient(s, q, I, J, 5, rwp, EwG, qo) > 0 && nfound < CAP) copyQ(qo, found[nfound++]);
    }

    if (nfound == 0) {
        tracef(s, "\n\n関節L,Mを変えても位置決め解なし．目標'G'，または隙間位置'O'変更へ");
        return 0;
    }
    s.nqss0 = keepDistinct(s, found, nfound, qss0);

    s.sgnBtoA = 0;
    s.cntqs0 = 0;
    copyQ(qss0[0], s.qr);
    s.sgnARepeat = 0;
    tracef(s, "\nStartPose():A計算の初期ポーズ候補数 nqss0=%d", s.nqss0);
    return s.nqss0;
}

int setcalA(Scene& s) {
    // A new candidate search forgets which candidates gave no progress; the next candidate (SP)
    // only starts its own count.
    resetAProgress(s, s.sgnARepeat != 1);
    tracef(s,
           "\n\n■■=========setcalA() 通り抜け・ワーク位置決めの計算始め ==============■■"
           "\n sgnCAL=%c sgnAab=%c sgnARepeat=%d sgnBtoA=%d sgnAtoO=%d sgnSTART=%d\n cntqs0=%d nqss0=%d",
           s.sgnCAL, s.sgnAab, s.sgnARepeat, s.sgnBtoA, s.sgnAtoO, s.sgnSTART, s.cntqs0, s.nqss0);
    traceVec(s, 0, 2, s.rwp.data(), "\n rwp[]=");
    traceVec(s, 0, 2, s.rh.data(), "\n rh[] =");

    // The pose shown at entry: after an obstacle change the calculation continues from it.
    double qEntry[JV];
    copyQ(s.qr, qEntry);
    bool haveCandidate = true;
    if (s.sgnARepeat == 1) {
        tracef(s, "\n (Lh,Mh)=(%d %d) (I J K)inv=(%d %d %d)", s.Lh, s.Mh, s.Iinv, s.Jinv, s.Kinv);
        if (s.nqss0 <= 0) {
            // Nothing to continue with: no candidate was found (or none searched yet).
            tracef(s, "\n■■ワーク位置決め初期解なし．目標ワーク移動(1,4),(2,5),(3,6) or 隙間位置変更へ(O)");
            haveCandidate = false;
        } else {
            if (s.cntqs0 < 0 || s.cntqs0 >= s.nqss0) s.cntqs0 = 0;
            traceVec(s, 1, s.N, s.qss0[s.cntqs0], "\n qss0[cntqs0]=");
        }
    } else {
        s.Lh = s.Lh0[0];
        s.Mh = s.Mh0[0];
        s.nqss0 = StartPose(s, s.Lh, s.Mh, s.Iinv, s.Jinv, s.Kinv, s.rwp, s.EwG, s.qss0);
        if (s.nqss0 == 0) {
            tracef(s, "\n■■ワーク位置決め初期解なし．目標ワーク移動(1,4),(2,5),(3,6) or 隙間位置変更へ(O)");
            haveCandidate = false;
        } else {
            s.JColl = 0;  // new candidates: no joint of an earlier path is marked
        }
    }

    if (haveCandidate) {
        copyQ(s.qss0[s.cntqs0], s.qs);
        copyQ(s.qs, s.qr);
        copyQ(s.qs, s.qAfinal);
        forwardKinematics(s, s.qs);
        setAlphaFlags(s);

        if (!passFeasible(s)) return s.sgnPS;

        if (s.sgnBtoA > 0) {
            s.sgnBtoA = 0;
        } else if (s.sgnAtoO != 1) {
            resetForFreshStart(s);
            // Outside the A state, written by this entry: the start pose is drawn again, and the
            // path of an earlier final pose is gone.
            s.sgnDrawInitial = s.sgnDrawAStart = 1;
            askPath(s, PathAsk::NewFinalPose);
        } else {
            copyQ(qEntry, s.qs);
            copyQ(qEntry, s.qr);
            copyQ(qEntry, s.qAfinal);
            s.sgnAab = s.sgnAabSave;
            s.sgnAtoO = 0;
        }
    }

    // Errors and classes of the start pose.
    s.sgnCAL = 'A';
    int inWall[JV] = {};
    classifyJointsByWall(s, s.qs, &s.Mpass, inWall, &s.MW);
    s.errP = sumAbsDiff(s.rw, s.rwp);
    s.errT = slitError(s, s.Mpass, s.MW);
    s.sgnP = errorClass(s.errP);
    s.sgnT = errorClass(s.errT);
    if (s.sgnP <= 1 || s.sgnT <= 1) s.sgnSOLAEnd = 0;
    s.JColl = 0;
    s.sgnAtoO = 0;
    s.sgnAabSave = s.sgnAab;

    traceStartState(s);
    tracef(s, "\n■■============setcalA() end sgnBtoA=%d sgnAtoO=%d ======================■■\n", s.sgnBtoA,
           s.sgnAtoO);
    s.aBest = s.errP + s.errT;
    return 1;
}

// ---------------------------------------------------------------------------------------------
int J1AlphaStartPose(Scene& s, double* q, int* Lh, int* Mh) {
    for (int i = 0; i < JV; ++i) q[i] = 0;
    forwardKinematics(s, q);
    char ax[5] = {' ', NO_AXIS, NO_AXIS, NO_AXIS, NO_AXIS};
    for (int i = 1; i <= 4; ++i) ax[i] = axisLetter(s, i);
    tracef(s, "\n〒1:JTYPE=%c%c%c (JRTYPE=%s)", ax[1], ax[2], ax[3], s.JRTYPE);

    const char a1 = ax[1], a2 = ax[2], a3 = ax[3];
    const char t4 = s.JRTYPE[4];
    double q1 = 0, q2 = -HALF_PI, q3 = 0;
    int L = 1, M = 3;
    auto is = [&](char x, char y, char z) { return a1 == x && a2 == y && a3 == z; };
    if (is('Z', 'Y', 'Y') || is('Z', 'Y', 'X')) {
        q1 = HALF_PI, q2 = HALF_PI, q3 = 0, L = 1, M = 3;
    } else if (is('Z', 'X', 'Y') || is('Z', 'X', 'X')) {
        q1 = 0, q2 = -HALF_PI, q3 = 0, L = 1, M = 3;
    } else if (is('Z', 'X', 'Z')) {
        q1 = 0, q2 = -HALF_PI, q3 = (t4 == 'Q') ? HALF_PI : 0, L = 1, M = 3;
    } else if (is('Z', 'Y', 'Z')) {
        q1 = HALF_PI, q2 = HALF_PI, q3 = (t4 == 'P') ? HALF_PI : 0, L = 1, M = 3;
    } else if (is('X', 'X', 'X') || is('X', 'X', 'Y') || is('X', 'Y', 'X') || is('X', 'Y', 'Y')) {
        q1 = -HALF_PI, q2 = 0, q3 = 0, L = 2, M = 3;
    } else if (is('X', 'X', 'Z')) {
        q1 = -HALF_PI, q2 = 0, q3 = (t4 == 'Q') ? HALF_PI : 0, L = 2, M = 3;
    } else if (is('X', 'Y', 'Z')) {
        q1 = -HALF_PI, q2 = 0, q3 = (t4 == 'P') ? HALF_PI : 0, L = 2, M = 3;
    } else if (is('X', 'Z', 'X')) {
        q1 = HALF_PI, q2 = 0, q3 = 0, L = 3, M = 4;
    } else if (is('X', 'Z', 'Y')) {
        q1 = HALF_PI, q2 = HALF_PI, q3 = 0, L = 2, M = 3;
    } else if (is('Y', 'Y', 'Y')) {
        q1 = 0, q2 = 0, q3 = 0, L = 1, M = 2;
    } else if (is('Y', 'Y', 'X') || is('Y', 'Z', 'X')) {
        q1 = 0, q2 = 0, q3 = -HALF_PI, L = 1, M = 2;
    } else if (is('Y', 'Y', 'Z')) {
        q1 = 0, q2 = 0, q3 = (t4 == 'Q') ? HALF_PI : 0, L = 1, M = 2;
    } else if (is('Y', 'Z', 'Y')) {
        q1 = 0, q2 = HALF_PI, q3 = HALF_PI, L = 1, M = 2;
    } else if (is('Y', 'X', 'Y') || is('Y', 'X', 'X')) {
        q1 = 0, q2 = -HALF_PI, q3 = 0, L = 1, M = 3;
    } else if (is('Y', 'X', 'Z')) {
        q1 = 0, q2 = -HALF_PI, q3 = (t4 == 'Q') ? HALF_PI : 0, L = 1, M = 3;
    }
    q[1] = q1;
    q[2] = q2;
    q[3] = q3;
    *Lh = L;
    *Mh = M;

    int Mp = 0, Mw = 0, inWall[JV] = {};
    classifyJointsByWall(s, q, &Mp, inWall, &Mw);
    tracef(s, "\n Mp=%d Mw=%d\n〒2:J[1]α面内のときJ[4]をα面に乗せる条件", Mp, Mw);
    traceVec(s, 1, s.N, q, "\n  q[]=");
    traceVec(s, 0, 2, s.J[4].data(), "\n  J[4]=");
    traceVec(s, 0, 2, colMat3(s.EA[4], 2).data(), " 軸=");
    return 1;
}

