#include "goal/goal_common.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "goal/goal.h"
#include "model/angles.h"
#include "model/kinematics.h"
#include "model/vecops.h"
#include "solve/solve.h"

double alphaDist(const Scene& s, const Vec3& p) { return dotVec3(s.nAlpha, p) - s.rhx; }

bool onAlpha(const Scene& s, const Vec3& p) { return std::fabs(alphaDist(s, p)) < tolExact; }

int errorClass(double e) {
    int c = (e < tolExact) ? 2 : 1;
    if (e >= tolExact && e < tolAllow) c = 4;
    return c;
}

Vec3 baseJ1(const Scene& s) {
    Vec3 t, j1;
    Mat3 E0 = identityMat3();
    mulMat3Vec(E0, s.Lvec[1], t);
    addVec3(s.J[0], t, j1);
    return j1;
}

void setAlphaFlags(Scene& s) {
    s.sgnJ1Alpha = onAlpha(s, baseJ1(s)) ? 'I' : 'O';
    s.sgnWrkAlpha = onAlpha(s, s.rwp) ? 'I' : 'O';
}

const Vec3& jointAt(const Scene& s, int i) {
    if (i < 0) i = 0;
    if (i > JV - 1) i = JV - 1;
    return s.J[i];
}

double slitError(const Scene& s, int Mp, int Mw) {
    return std::fabs(alphaDist(s, jointAt(s, Mp))) + std::fabs(alphaDist(s, jointAt(s, Mw)));
}

double distVec3(const Vec3& a, const Vec3& b) {
    Vec3 d;
    subVec3(a, b, d);
    return normVec3(d);
}

double sumAbsDiff(const Vec3& a, const Vec3& b) {
    return std::fabs(a[0] - b[0]) + std::fabs(a[1] - b[1]) + std::fabs(a[2] - b[2]);
}

double wristError(const Scene& s) { return distVec3(s.J[s.N - 2], s.wristp); }

void copyQ(const double* src, double* dst) {
    for (int i = 0; i < JV; ++i) dst[i] = src[i];
}

void printQ(const Scene& s, const char* label, const double* q) {
    tracef(s, "%s", label);
    printVec(s, 1, s.N, q);
}

void printV(const Scene& s, const char* label, const Vec3& v) {
    tracef(s, "%s", label);
    printVec(s, 0, 2, v.data());
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

void resetPathForNewPose(Scene& s) {
    s.sgnPATH = 0;
    s.NPATH = 0;
    s.NPATHth = 0;
    s.NPATHmax = 0;
    s.sgnPATHEnd = 0;
    s.sgnNMAX = 'U';
    s.nBACK = 0;
    s.nMOVE = 0;
    s.cntBTrial = 0;
    s.sgnBResume = 0;
    s.sgnPATHSave = 0;
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

bool passFeasible(Scene& s) {
    s.sgnPS = SP1(s);
    const bool bothOff = s.sgnJ1Alpha == 'O' && s.sgnWrkAlpha == 'O';
    if (bothOff && s.sgnPS < 0) return false;
    s.sgnPS = SP2(s);
    if (bothOff && s.sgnPS < 0) return false;
    if (!bothOff && s.sgnPS < 0) s.sgnPS = 0;
    return true;
}

bool startGoalStep(Scene& s, char step) {
    if (!passFeasible(s)) return false;
    if (step == 'a')
        s.sgnAbStep = 0;
    else
        s.sgnAaStep = 0;
    s.sgnAab = step;
    s.sgnDrawInitial = 0;
    s.cntBTrial = 0;
    s.sgnArmDir = 'L';
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
