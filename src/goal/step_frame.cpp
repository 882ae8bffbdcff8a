#include "goal/step_frame.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "goal/newton_steps.h"
#include "goal/pass_feasibility.h"
#include "goal/path_ask.h"
#include "goal/pose_errors.h"
#include "goal/special_cases.h"
#include "model/angles.h"
#include "model/kinematics.h"
#include "solve/wrist_orient.h"

namespace {

// Both classes and sgnSOLAEnd after a Newton correction or a special case; a usable pose is
// kept as the step's solution and as the final pose.
void acceptIfUsable(Scene& s, double* qStep) {
    if (s.sgnP < 2 || s.sgnT < 2) {
        s.sgnSOLAEnd = 0;
    } else {
        copyQ(s.qr, qStep);
        copyQ(s.qr, s.qAfinal);
        s.sgnSOLAEnd = 1;
    }
}

// The step solution the key keeps, and the key's own stage back to 0.
double* endStep(Scene& s, AStep step) {
    if (step == AStep::Positioning) {
        s.sgnAaStep = 0;
        return s.qAa;
    }
    s.sgnAbStep = 0;
    return s.qAb;
}

}  // namespace

void seekNewFinalPose(Scene& s) {
    s.sgnDrawInitial = 0;
    askPath(s, PathAsk::TrialsAnew);
    s.sgnArmDir = 'L';
}

bool startGoalStep(Scene& s, char step) {
    if (!passFeasible(s)) return false;
    if (step == 'a')
        s.sgnAbStep = 0;
    else
        s.sgnAaStep = 0;
    s.sgnAab = step;
    int Mp = 0, Mw = 0, inWall[JV] = {};
    classifyJointsByWall(s, s.qr, &Mp, inWall, &Mw);
    s.errP = distVec3(s.rw, s.rwp);
    s.errT = slitError(s, Mp, Mw);
    return true;
}

double nudgeAgainstGradient(const Scene& s, const double* qs, const int LMIJK[5], const double* dq, double* q2) {
    const int N = s.N;
    double dqmax = 0;
    for (int i = 1; i <= N - 3; ++i) dqmax = std::fmax(dqmax, std::fabs(dq[i]));
    if (dqmax > 0) {
        const double step = (dqmax < 0.01) ? dqmax : 0.01;
        for (int k = 0; k < 5; ++k) {
            const int j = LMIJK[k];
            if (j >= 1 && j <= N) q2[j] = qs[j] - step * dq[j] / dqmax;
        }
    }
    return dqmax;
}

int stepTowardPose(const Scene& s, const double* qs, const double* qT, double* dqk, double* dqH, double* q2) {
    const int N = s.N;
    *dqH = 0;
    for (int j = 1; j <= N - 3; ++j) {
        const double d = wrapOnceClosed(qT[j] - qs[j]);
        dqk[j] = d;
        *dqH = std::fmax(*dqH, std::fabs(d));
    }
    const int ndq = static_cast<int>(*dqH / 0.1);
    if (ndq == 0) {
        copyQ(qT, q2);
    } else {
        copyQ(qs, q2);
        for (int j = 1; j <= N - 3; ++j) q2[j] = qs[j] + dqk[j] / ndq;
    }
    return ndq;
}

int stepQrToward(Scene& s, const double* qs, const double* qT, double* dqk, double* dqH, double* q2) {
    copyQ(qT, s.qr);
    const int ndq = stepTowardPose(s, qs, qT, dqk, dqH, q2);
    wristOrientNearest(s, q2, s.EwH, s.EwG, s.qr);
    return ndq;
}

void evaluateStepPose(Scene& s) {
    copyQ(s.qr, s.qAfinal);
    int inWall[JV] = {};
    classifyJointsByWall(s, s.qr, &s.Mpass, inWall, &s.MW);
    s.errP = distVec3(s.rw, s.rwp);
    s.errT = std::fabs(alphaDist(s, jointAt(s, s.Mpass)));
    if (s.MW <= s.Nw) s.errT += std::fabs(alphaDist(s, jointAt(s, s.MW)));
    s.sgnP = errorClass(s.errP);
    s.sgnT = errorClass(s.errT);
    s.sgnSOLAEnd = (s.sgnP >= 2 && s.sgnT >= 2) ? 1 : 0;
}

void printDecision(const Scene& s, const char* exactLine) {
    const int T = s.sgnT, P = s.sgnP;
    if (T < 2 && P < 2)
        tracef(s, "\n→通り抜け誤差大．位置決め誤差大．計算続行");
    else if (T < 2 && P == 2)
        tracef(s, "\n→位置決めされいるが，通り抜け誤差大．計算続行");
    else if (T < 2 && P == 4)
        tracef(s, "\n→位置決め許容範囲だが，通り抜け誤差大．計算続行");
    else if (T == 2 && P < 2)
        tracef(s, "\n→通り抜けているが，位置決め誤差大．計算続行");
    else if (T == 2 && P == 4)
        tracef(s, "\n→通り抜けており，位置決め誤差許容範囲内");
    else if (T == 4 && P < 2)
        tracef(s, "\n→通り抜け誤差許容範囲だが，位置決めされていない．計算続行");
    else if (T == 4 && P == 2)
        tracef(s, "\n→位置決めされ，通り抜け誤差許容範囲．Bへ移行できる");
    else if (T == 4 && P == 4)
        tracef(s, "\n→通り抜け誤差許容範囲，位置決め誤差許容範囲．Bへ移行できる");
    else if (T == 2 && P == 2)
        tracef(s, "%s", exactLine);
}

void runNewtonStep(Scene& s, AStep step) {
    const bool forA = step == AStep::Positioning;
    const char* mark = forA ? "◆" : "●";
    tracef(s, "\n%s%s Newton法始め Dwr0=%11.3e Dth0=%11.3e", mark, forA ? "calAa()" : "calAb()", s.errP, s.errT);
    const double Dwr0 = s.errP, Dth0 = s.errT;
    double qs[JV], q[JV];
    copyQ(s.qr, qs);
    double eP = 0, eT = 0;
    const char letter = AabNewton(s, qs, q, &eP, &eT);
    s.sgnLS = letter;
    copyQ(q, s.qr);
    int inWall[JV] = {};
    classifyJointsByWall(s, s.qr, &s.Mpass, inWall, &s.MW);
    s.errP = eP;
    s.errT = eT;
    s.sgnP = errorClass(s.errP);
    s.sgnT = errorClass(s.errT);
    acceptIfUsable(s, endStep(s, step));
    tracef(s,
           "\n%sAabNewton()後 sgnLS=%c sgnT=%d sgnP=%d Mpass=%d MW=%d"
           "\n  Dwr0=%11.3e Dth0=%11.3e→Dwr=%11.3e Dth=%11.3e",
           mark, letter, s.sgnT, s.sgnP, s.Mpass, s.MW, Dwr0, Dth0, s.errP, s.errT);
    traceVec(s, 1, s.N, qs, "\n  qs[]=");
    traceVec(s, 1, s.N, s.qr, "\n  qr[]=");
    forwardKinematics(s, s.qr);
    traceVec(s, 0, 2, jointAt(s, s.Mpass).data(), "\n  J[Mp]=");
    traceVec(s, 0, 2, jointAt(s, s.MW).data(), "\n  J[Mw]=");
    traceVec(s, 0, 2, jointAt(s, s.MW - 1).data(), "\n  J[Mw-1]=");
    traceVec(s, 0, 2, s.rh.data(), "\n  rh[]=");
    traceVec(s, 0, 2, s.J[s.N - 2].data(), "\n  J[N-2]=");
    traceVec(s, 0, 2, s.wristp.data(), "\n  wristp[]=");
    tracef(s, forA ? "\n◆-------------- calAa() Newton() end ----------------------------------------◆"
                   : "\n●-------------- calAb() Newton() end -------------------------------------●");
}

void runSpecialCase(Scene& s, AStep step, SpecCase which) {
    const bool forA = step == AStep::Positioning, case1 = which == SpecCase::GoalOffPlane;
    double qs[JV], q[JV];
    copyQ(s.qr, qs);
    double eP = 0, eT = 0;
    const char letter = case1 ? calSpecCase1(s, qs, q, &eP, &eT) : calSpecCase2(s, qs, q, &eP, &eT);
    s.sgnLS = letter;
    s.sgnT = errorClass(s.errT);
    s.sgnP = (s.errP < tolExact) ? 2 : (letter == 'N') ? 0 : 1;
    if (s.errP >= tolExact && s.errP < tolAllow) s.sgnP = 4;
    acceptIfUsable(s, endStep(s, step));
    // Key 'a' names both cases "calSpecCase1()" in its trace; key 'b' names each its own.
    const char* head = forA ? (case1 ? "\n◆Aa:calSpecCase1()後" : "\n◆calSpecCase1()後")
                            : (case1 ? "\n●Ab:calSpecCase1()後" : "\n●calSpecCase2()後");
    tracef(s, "%s sgnLS=%c sgnSOLAEnd=%d\n  errP=%11.3e errT=%11.3e sgnP=%d sgnT=%d", head, letter, s.sgnSOLAEnd,
           s.errP, s.errT, s.sgnP, s.sgnT);
    if (letter == 'N') {
        tracef(s, "\n→漸近解なし．行き詰まった");
    } else {
        traceVec(s, 1, s.N, qs, "\n  qs[]=");
        traceVec(s, 1, s.N, s.qr, "\n  qr[]=");
    }
    if (!forA && case1) tracef(s, "\n●-------------- calAb() Case1 end -----------------------------------------●");
    if (!case1)
        tracef(s, forA ? "\n◆-------------- calAa() Case2 end --------------------------------------------◆"
                       : "\n●-------------- calAb() Case2 end --------------------------------------------●");
}

bool takeSpecialOrNewton(Scene& s, AStep step) {
    const char* mark = step == AStep::Positioning ? "◆" : "●";
    if (s.sgnJ1Alpha == 'I') {
        if (s.sgnWrkAlpha == 'O') {
            tracef(s, "\n%sJ[1]はα面内にある→SpecCase1へ", mark);
            runSpecialCase(s, step, SpecCase::GoalOffPlane);
        } else {
            tracef(s, "\n%sJ[1]とワーク目標はα面内にある→SpecCase2へ", mark);
            runSpecialCase(s, step, SpecCase::GoalOnPlane);
        }
        return true;
    }
    tracef(s, "\n%sJ[1]はα面内にない→NormalCaseへ", mark);
    if (s.errT < tolNewton && s.errP < tolNewton) {
        tracef(s, "\n%s======== errT=%6.4f errP=%6.4f:Newton法へ =========%s", mark, s.errT, s.errP, mark);
        runNewtonStep(s, step);
        return true;
    }
    return false;
}
