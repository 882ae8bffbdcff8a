#include "goal/newton_steps.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "goal/pose_errors.h"
#include "goal/special_cases.h"
#include "model/kinematics.h"
#include "model/vecops.h"
#include "solve/matinv.h"
#include "solve/wrist_orient.h"

namespace {

constexpr double FD_H = 1e-5;
// The line search stops after this many steps of at most 1e-4 rad (10 rad, more than a full
// turn of the leading joint), far beyond any search that still lowers the error.
constexpr int LINE_SEARCH_MAX = 100000;

// Residuals of the system sgnSP at q: [plane of MpG, plane of MwG, wrist x, y, z] for cases 1
// and 2; [y of MpG - rhy1, plane of MpG, wrist x, y, z] for case 3; [plane of MpG, wrist x, y,
// z] for case 4. Returns the number of equations.
int residuals(Scene& s, int sgnSP, int MpG, int MwG, const double* q, double* e) {
    forwardKinematics(s, q);
    const Vec3& Jp = jointAt(s, MpG);
    const Vec3& Jw = s.J[s.N - 2];
    int n = 0;
    if (sgnSP == 1 || sgnSP == 2) {
        e[n++] = alphaDist(s, Jp);
        e[n++] = alphaDist(s, jointAt(s, MwG));
    } else if (sgnSP == 3) {
        e[n++] = Jp[1] - s.rhy1;
        e[n++] = alphaDist(s, Jp);
    } else {
        e[n++] = alphaDist(s, Jp);
    }
    for (int k = 0; k < 3; ++k) e[n++] = Jw[k] - s.wristp[k];
    return n;
}

// Jacobian of the residuals over the joints in set (n equations, n joints) into the 5 x 5
// array A; unused rows and columns are those of the identity.
void jacobian(Scene& s, int sgnSP, int MpG, int MwG, const double* q, const int* set, int n, double A[5][5]) {
    double e0[5], e1[5], qh[JV];
    residuals(s, sgnSP, MpG, MwG, q, e0);
    for (int i = 0; i < 5; ++i)
        for (int k = 0; k < 5; ++k) A[i][k] = (i == k) ? 1.0 : 0.0;
    for (int k = 0; k < n; ++k) {
        copyQ(q, qh);
        qh[set[k]] += FD_H;
        residuals(s, sgnSP, MpG, MwG, qh, e1);
        for (int i = 0; i < n; ++i) A[i][k] = (e1[i] - e0[i]) / FD_H;
    }
}

// The direction dq over the joints LMIJK[0..n-1]: the inverted Jacobian A times the residuals
// at q.
void solveDirection(Scene& s, int sgnSP, int MpG, int MwG, const double* q, const double A[5][5], const int* LMIJK,
                    int n, double* dq) {
    double e[5];
    residuals(s, sgnSP, MpG, MwG, q, e);
    for (int k = 0; k < n; ++k) {
        double sum = 0;
        for (int i = 0; i < n; ++i) sum += A[k][i] * e[i];
        dq[LMIJK[k]] = sum;
    }
}

// Mp and Mw of q by the wall, and its wrist and slit errors (the kinematics of s are left at q).
void wallErrors(Scene& s, const double* q, int* Mp, int* Mw, double* Dwr, double* Dth) {
    int inWall[JV] = {};
    classifyJointsByWall(s, q, Mp, inWall, Mw);
    *Dwr = wristError(s);
    *Dth = slitError(s, *Mp, *Mw);
}

// A usable inverse: matinv forms it only when |det| > 1e-6.
bool inverted(double det) { return std::fabs(det) > 1e-6; }

// The error pair of the line search for the case sgnSP.
void searchErrors(Scene& s, int sgnSP, int MpG, int MwG, double* Dwr, double* Dth) {
    *Dwr = wristError(s);
    const Vec3& Jp = jointAt(s, MpG);
    if (sgnSP == 1 || sgnSP == 2) {
        *Dth = std::fabs(alphaDist(s, Jp)) + std::fabs(alphaDist(s, jointAt(s, MwG)));
    } else if (sgnSP == 3) {
        *Dth = std::fabs(alphaDist(s, Jp));
        if (Jp[1] >= s.rhy1) *Dth += std::fabs(Jp[1] - s.rhy1);
    } else {
        *Dth = std::fabs(alphaDist(s, Jp));
    }
}

// The linearised system for the pose whose last joint before the wall is Mp0 (goal off the
// alpha-plane: case 1; on it, by the types of joints 1..4 and by Mp0: cases 2, 3 or 4).
int systemCase(const Scene& s, int Mp0) {
    if (s.sgnWrkAlpha == 'O') return 1;
    const char* t = s.JRTYPE;
    if (t[1] == 'R' && ((t[2] == 'P' && t[3] == 'P') || (t[2] == 'Q' && t[3] == 'Q'))) {
        if (t[4] == 'R') return (Mp0 <= 4) ? 3 : 4;
        return (Mp0 <= 4) ? 2 : 4;
    }
    return (Mp0 <= 3) ? 1 : (Mp0 == 4) ? 2 : 4;
}

// The joints MpG and MwG that the system sgnSP puts on the alpha-plane.
void casePair(int sgnSP, int* MpG, int* MwG) {
    *MpG = (sgnSP == 1) ? 3 : (sgnSP == 2) ? 4 : 5;
    *MwG = *MpG + 1;
}

// The console pause of a nearly singular system (|det| below tolFine). True when it paused.
bool pauseOnSmallDet(Scene& s, double det) {
    if (!(std::fabs(det) < tolFine)) return false;
    tracef(s, "\ngetch()");
    waitKey(s);
    return true;
}

// Case 4: of the five sets of four joints the one with the largest |det| (the earlier wins a
// tie), its direction into dq over LMIJK. False when even that system is singular.
bool fourJointStep(Scene& s, int MpG, int MwG, const double* q, int LMIJK[5], double* dq, double* det) {
    constexpr int sgnSP = 4;
    static const int kSets[5][4] = {{1, 2, 3, 4}, {1, 2, 3, 5}, {1, 2, 4, 5}, {1, 3, 4, 5}, {2, 3, 4, 5}};
    double A[5][5];
    int bestSet = 0;
    double bestDet = 0;
    for (int c = 0; c < 5; ++c) {
        tracef(s, "\n〓sgnSP=%d cnt=%d/5:J[Mp=%d]をα面へ Mw=%d LMIJK[]=[%d %d %d %d] 4×4matrix", sgnSP, c + 1, MpG, MwG,
               kSets[c][0], kSets[c][1], kSets[c][2], kSets[c][3]);
        jacobian(s, sgnSP, MpG, MwG, q, kSets[c], 4, A);
        const double d = matinv(s, 5, &A[0][0], 5);
        tracef(s, "\n〓sgnSP=%d cnt=%d/5の解 Mp=%d Mw=%d 4×4matrix 〓det2=%11.3e", sgnSP, c + 1, MpG, MwG, d);
        pauseOnSmallDet(s, d);
        if (std::fabs(d) > bestDet) bestDet = std::fabs(d), bestSet = c;
    }
    for (int k = 0; k < 4; ++k) LMIJK[k] = kSets[bestSet][k];
    LMIJK[4] = 0;
    jacobian(s, sgnSP, MpG, MwG, q, kSets[bestSet], 4, A);
    *det = matinv(s, 5, &A[0][0], 5);
    tracef(s, "\n〓Case5A:最適解 [MpG,MwG]=[%d %d] 4×5matrix q[%d %d %d %d]〓det1=%11.3e", MpG, MwG, LMIJK[0], LMIJK[1],
           LMIJK[2], LMIJK[3], *det);
    pauseOnSmallDet(s, *det);
    if (!inverted(*det)) return false;
    solveDirection(s, sgnSP, MpG, MwG, q, A, LMIJK, 4, dq);
    tracef(s, "\n〓Case5A:最適解 [MpG,MwG]=[%d %d] LMIJK[]=[%d %d %d %d] 〓det=%11.3e", MpG, MwG, LMIJK[0], LMIJK[1],
           LMIJK[2], LMIJK[3], *det);
    return true;
}

// The check printed after a direction is found: a test step of FD_H along it from q, and the
// changes it makes to the plane distances of J[MpG] and J[MwG], to J[MpG].y and to the wrist
// error.
void traceCheckStep(Scene& s, int sgnSP, int MpG, int MwG, double det, const double* q, const int LMIJK[5],
                    const double* dq) {
    double dqmax = 0;
    for (int k = 0; k < 5; ++k)
        if (LMIJK[k] > 0) dqmax = std::fmax(dqmax, std::fabs(dq[LMIJK[k]]));
    double qt[JV];
    copyQ(q, qt);
    if (dqmax > 0)
        for (int k = 0; k < 5; ++k)
            if (LMIJK[k] > 0) qt[LMIJK[k]] -= FD_H * dq[LMIJK[k]] / dqmax;
    forwardKinematics(s, q);
    const double p0 = alphaDist(s, jointAt(s, MpG)), w0 = alphaDist(s, jointAt(s, MwG));
    const double y0 = jointAt(s, MpG)[1], r0 = wristError(s);
    forwardKinematics(s, qt);
    const double p1 = alphaDist(s, jointAt(s, MpG)), w1 = alphaDist(s, jointAt(s, MwG));
    const double y1 = jointAt(s, MpG)[1], r1 = wristError(s);
    tracef(s,
           "\n〓検算 sgnSP=%d det=%11.4e Mp=%d Mw=%d"
           "\n  J[Mp]x-rhx=%11.3e→%11.3e J[Mw]x-rhx=%11.3e→%11.3e"
           "\n  J[Mp]y=%11.4e→%11.4e Dwr=%11.3e→%11.3e",
           sgnSP, det, MpG, MwG, p0, p1, w0, w1, y0, y1, r0, r1);
}

// The line of AabNewton that names its case, by the alpha flags and Mp0.
void traceNewtonCase(const Scene& s, int Mp0) {
    if (s.sgnJ1Alpha == 'O') {
        if (s.sgnWrkAlpha == 'O')
            tracef(s, "\n  J[1]はα面外→通常計算へ");
        else if (Mp0 < 4)
            tracef(s, "\n  Mp0=%d→NORM3へ", Mp0);
        else if (Mp0 == 4)
            tracef(s, "\n  Mp0=%d→SpecCase3へ", Mp0);
        else
            tracef(s, "\n  Mp0=%d→SpecCase4へ", Mp0);
    } else {
        tracef(s, s.sgnWrkAlpha == 'O' ? "\n  J[1]はα面内にある→特殊ケース1へ"
                                       : "\n  J[1], ワーク目標はα面内にある→特殊ケース2へ");
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
double AabGradient2(Scene& s, const double* qin, int LMIJK[5], int* sgnSPout, int* MpGout, int* MwGout,
                    double* dq) {
    double q[JV];
    copyQ(qin, q);
    for (int i = 0; i < JV; ++i) dq[i] = 0;
    int Mp0 = 0, Mw0 = 0;
    wallErrors(s, q, &Mp0, &Mw0, &s.errP, &s.errT);
    tracef(s,
           "\n〓〓=====AabGradient2()始め ROBOT[]=%s sgnWrkAlpha=%c sgnPS=%d =====〓〓"
           "\n  Mp0=%d Mw0=%d 初期の誤差 errT=%11.3e errP=%11.3e",
           s.JRTYPE, s.sgnWrkAlpha, s.sgnPS, Mp0, Mw0, s.errT, s.errP);

    const bool goalOn = s.sgnWrkAlpha != 'O';
    int sgnSP = systemCase(s, Mp0);
    int MpG = 0, MwG = 0;
    auto setCase = [&](int sp) {
        sgnSP = sp;
        casePair(sgnSP, &MpG, &MwG);
        *sgnSPout = sgnSP;
        *MpGout = MpG;
        *MwGout = MwG;
    };
    setCase(sgnSP);

    double A[5][5];
    double det = 0;
    bool done = false;  // a direction was found
    const int all5[5] = {1, 2, 3, 4, 5};
    auto fiveJointStep = [&]() {
        for (int k = 0; k < 5; ++k) LMIJK[k] = all5[k];
        solveDirection(s, sgnSP, MpG, MwG, q, A, LMIJK, 5, dq);
        done = true;
    };

    if (sgnSP == 1 || sgnSP == 2) {
        tracef(s, "\n〓sgnSP=%d J[Mp=%d,Mw=%d]をα面に乗せる計算 (Mp0=%d Mw0=%d):5×5Matrix", sgnSP, MpG, MwG, Mp0, Mw0);
        jacobian(s, sgnSP, MpG, MwG, q, all5, 5, A);
        det = matinv(s, 5, &A[0][0], 5);
        tracef(s, "\n〓sgnSP=%d Mp=%d Mw=%d det=%11.3e :5×5matrix", sgnSP, MpG, MwG, det);
        if (std::fabs(det) < tolFine) tracef(s, "\n  det小 getch()");
        if (std::fabs(det) < tolExact && !goalOn) return det;
        if (std::fabs(det) < tolFine && goalOn && Mp0 > MpG)
            setCase(3);
        else if (!inverted(det))
            return det;
        else
            fiveJointStep();
    }
    if (!done && sgnSP == 3) {
        tracef(s, "\n〓sgnSP=%d:J[MpG=%d]を-Y,α面へ MwG=%d(Mp0=%d Mw0=%d):5×5Matrix", sgnSP, MpG, MwG, Mp0, Mw0);
        jacobian(s, sgnSP, MpG, MwG, q, all5, 5, A);
        det = matinv(s, 5, &A[0][0], 5);
        tracef(s, "\n〓Case5Y: MpG=%d MwG=%d det=%11.3e 5×5matrix", MpG, MwG, det);
        if (pauseOnSmallDet(s, det))
            setCase(4);
        else
            fiveJointStep();
    }
    if (!done && sgnSP == 4) done = fourJointStep(s, MpG, MwG, q, LMIJK, dq, &det);
    if (!done) return det;
    tracef(s,
           "\n〓AabGradient()----解 sgnWrkAlpha=%c sgnSP=%d 〓det=%11.3e-----------〓"
           "\n  LMIJK[]=[%d %d %d %d %d]",
           s.sgnWrkAlpha, sgnSP, det, LMIJK[0], LMIJK[1], LMIJK[2], LMIJK[3], LMIJK[4]);
    traceVec5(s, 1, s.N - 3, dq, "\n  dq[]=");
    traceCheckStep(s, sgnSP, MpG, MwG, det, q, LMIJK, dq);
    return det;
}

// ---------------------------------------------------------------------------------------------
char LinearSearch5(Scene& s, int sgnSP, int MpG, int MwG, const int LMIJK[5], const double* q1in, double* dq,
                   double* q, double* Dwr, double* Dth) {
    double q1[JV], q3[JV];
    copyQ(q1in, q1);
    int Mp0 = 0, Mw0 = 0, inWall[JV] = {};
    classifyJointsByWall(s, q1, &Mp0, inWall, &Mw0);
    double Dwr1 = 0, Dth1 = 0;
    searchErrors(s, sgnSP, MpG, MwG, &Dwr1, &Dth1);
    const double DwrStart = Dwr1, DthStart = Dth1;

    double dqmax = 1e-4;
    for (int k = 0; k < 5; ++k) dqmax = std::fmax(dqmax, std::fabs(dq[LMIJK[k]]));
    bool moving = false;
    for (int k = 0; k < 5; ++k) {
        if (LMIJK[k] == 0) continue;
        dq[LMIJK[k]] = 1e-4 * dq[LMIJK[k]] / dqmax;
        if (dq[LMIJK[k]] != 0) moving = true;
    }
    copyQ(q1, q3);
    copyQ(q1, q);
    int count = 0;
    char sgnLS = 'N';
    int Mp = Mp0, Mw = Mw0;
    double Dwr2 = Dwr1, Dth2 = Dth1;
    *Dwr = Dwr1;
    *Dth = Dth1;
    // A zero direction cannot lower the error: no step.
    while (moving) {
        for (int k = 0; k < 5; ++k)
            if (LMIJK[k] > 0) q[LMIJK[k]] = q3[LMIJK[k]] - dq[LMIJK[k]];
        classifyJointsByWall(s, q, &Mp, inWall, &Mw);
        searchErrors(s, sgnSP, MpG, MwG, &Dwr2, &Dth2);
        if (count > 0 && count % 100 == 0)
            tracef(s, "\n〓getch() sgnSP=%d cntLS=%d Dwr2=%10.2e Dth2=%10.2e", sgnSP, count, Dwr2, Dth2);
        if (Dwr2 < tolExact && Dth2 < tolExact) {
            *Dwr = Dwr2, *Dth = Dth2;
            sgnLS = 'Y';
            break;
        }
        if (Mp != Mp0) {
            *Dwr = Dwr2, *Dth = Dth2;
            sgnLS = 'M';
            break;
        }
        if (Dwr2 + Dth2 > Dwr1 + Dth1) {
            tracef(s, "\n  誤差増えた→終了");
            copyQ(q3, q);
            *Dwr = Dwr1, *Dth = Dth1;
            sgnLS = (count > 0) ? 'M' : 'N';
            break;
        }
        copyQ(q, q3);
        Dwr1 = Dwr2, Dth1 = Dth2;
        ++count;
        if (count >= LINE_SEARCH_MAX) {
            *Dwr = Dwr1, *Dth = Dth1;
            sgnLS = 'M';
            break;
        }
    }
    tracef(s,
           "\n〓LinearS()解 LMIJK[]=[%d %d %d %d %d] Mp0=%d Mw0=%d→cntLS=%d sgnLS=%c Mp=%d Mw=%d"
           "\n  Dwr=%11.3e→%11.3e Dth=%11.3e→%11.3e",
           LMIJK[0], LMIJK[1], LMIJK[2], LMIJK[3], LMIJK[4], Mp0, Mw0, count, sgnLS, Mp, Mw, DwrStart, *Dwr, DthStart,
           *Dth);
    return sgnLS;
}

// ---------------------------------------------------------------------------------------------
char AabNewton(Scene& s, const double* qin, double* qout, double* Dwr, double* Dth) {
    double q[JV];
    copyQ(qin, q);
    copyQ(q, qout);
    int Mp0 = 0, Mw0 = 0;
    wallErrors(s, q, &Mp0, &Mw0, Dwr, Dth);
    s.errP = *Dwr;
    s.errT = *Dth;
    setAlphaFlags(s);
    tracef(s, "\n★=====AabNewton()始めJRTYPE[]=%c%c%c Mp0=%d Mw0=%d Dwr=%6.3f Dth=%6.3f=====★", s.JRTYPE[1],
           s.JRTYPE[2], s.JRTYPE[3], Mp0, Mw0, *Dwr, *Dth);
    traceNewtonCase(s, Mp0);

    if (s.sgnJ1Alpha == 'I') {
        const char r = (s.sgnWrkAlpha == 'O') ? calSpecCase1(s, q, qout, &s.errP, &s.errT)
                                              : calSpecCase2(s, q, qout, &s.errP, &s.errT);
        copyQ(qout, s.qr);
        *Dwr = s.errP;
        *Dth = s.errT;
        return r != 0 ? 'Y' : 'N';
    }

    tracef(s, "\n★AabNewton()勾配計算始め Mp0=%d Mw0=%d", Mp0, Mw0);
    int LMIJK[5] = {0, 0, 0, 0, 0}, sgnSP = 0, MpG = 0, MwG = 0;
    double dq[JV] = {};
    const double det = AabGradient2(s, q, LMIJK, &sgnSP, &MpG, &MwG, dq);
    tracef(s, "\n★AabNewton() sgnSP=%d [MpG,MwG]=[%d %d] det=%12.3e", sgnSP, MpG, MwG, det);
    double q2[JV];
    copyQ(q, q2);
    char sgnLS = LS_NO_STEP;
    if (std::fabs(det) < tolExact) {
        tracef(s, "→解なし．漸近法やめ");
    } else {
        const double dqlim = (std::fabs(det) < tolFine) ? std::fabs(det) / 10 : 0.01;
        double dqmax = 0;
        for (int k = 0; k < 5; ++k)
            if (LMIJK[k] > 0) dqmax = std::fmax(dqmax, std::fabs(dq[LMIJK[k]]));
        if (dqmax > dqlim)
            for (int k = 0; k < 5; ++k)
                if (LMIJK[k] > 0) dq[LMIJK[k]] = dqlim * dq[LMIJK[k]] / dqmax;
        const double Dwr0 = *Dwr, Dth0 = *Dth;
        double Dwr2 = 0, Dth2 = 0;
        sgnLS = LinearSearch5(s, sgnSP, MpG, MwG, LMIJK, q, dq, q2, &Dwr2, &Dth2);
        tracef(s, "\n★LinearS()後 sgnSP=%d [MpG,MwG]=[%d %d] sgnLS=%c\n  Dwr=%11.3e→%11.3e Dth=%11.3e→%11.3e", sgnSP, MpG,
               MwG, sgnLS, Dwr0, Dwr2, Dth0, Dth2);
        if (sgnLS == 'M') {
            *Dwr = Dwr2, *Dth = Dth2;
        } else if (sgnLS == 'Y') {
            *Dwr = s.errP = Dwr2;
            *Dth = s.errT = Dth2;
            s.sgnP = s.sgnT = 2;
        } else {
            s.sgnP = 0;
            *Dwr = s.errP = Dwr2;
            *Dth = s.errT = Dth2;
            s.sgnT = errorClass(s.errT);
        }
    }

    wristOrientNearest(s, q2, s.EwH, s.EwG, qout);
    int Mp = 0, Mw = 0;
    wallErrors(s, qout, &Mp, &Mw, Dwr, Dth);
    tracef(s, "\n★Newton():姿勢決め後 sgnLS=%c sgnT=%d sgnP=%d Mp0=%d Mw0=%d→Mp=%d Mw=%d", sgnLS, s.sgnT, s.sgnP, Mp0,
           Mw0, Mp, Mw);
    traceVec(s, 1, s.N, q, "\n  q[]   =");
    traceVec(s, 1, s.N, qout, "\n  qout[]=");
    tracef(s, "\n  Dwr=%11.3e Dth=%11.3e\n------------ AabNewton()end ------------------------------------", *Dwr, *Dth);
    copyQ(qout, s.qr);
    return sgnLS;
}
