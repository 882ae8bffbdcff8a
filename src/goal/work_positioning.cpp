// Key 'a': positions the work at the goal while the arm keeps its passage through the slit.
#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "goal/goal.h"
#include "goal/goal_common.h"
#include "model/kinematics.h"
#include "model/angles.h"
#include "model/vecops.h"
#include "solve/solve.h"

int AaWS(Scene& s, int Lh, int Mh, const double* qs1in, const Vec3& rwp, double* qP) {
    (void)rwp;  // the wrist goal wristp follows rwp
    const int N = s.N;
    double qs1[JV], qPl[JV], bestPose[JV];
    copyQ(qs1in, qs1);
    tracef(s, "\n◆=====AaWS:Mh以外のq[I,J,K]でワークの位置決め始め (Lh,Mh)=(%d %d)=====◆", Lh, Mh);
    int nsol = 0, solPP = 0, solPL = 0;
    copyQ(qs1, qPl);
    copyQ(qs1, bestPose);
    double best = 100.0;
    int bestI = s.Iinv, bestJ = s.Jinv, bestK = s.Kinv;
    constexpr int LISTMAX = 16;
    double list[LISTMAX][JV];

    for (int I = 1; I <= N - 5 && solPP == 0; ++I) {
        for (int J = I + 1; J <= N - 4 && solPP == 0; ++J) {
            for (int K = J + 1; K <= N - 3 && solPP == 0; ++K) {
                tracef(s, "\n [I,J,K]=[%d %d %d]", I, J, K);
                double* p = list[nsol < LISTMAX ? nsol : LISTMAX - 1];
                const int sol = IJKinvNearest(s, "WRIST", qs1, I, J, K, s.Lvec[N - 2], s.wristp, p);
                tracef(s, "\n◆AaW2:リスト位置決めの解[Lh,Mh]=[%d %d] [I,J,K]=[%d %d %d] sol=%d solP=%d", Lh, Mh, I, J, K,
                       sol, solPP);
                if (sol == 0) {
                    tracef(s, "→解なし．次の{I,J,K]へ");
                    continue;
                }
                // Wrist flip into the half-turn of joint N-2 that faces forward.
                if (std::fabs(p[N - 2]) > PI_C / 2) {
                    if (p[N - 2] >= PI_C / 2)
                        p[N - 2] -= PI_C;
                    else if (p[N - 2] < -PI_C / 2)
                        p[N - 2] += PI_C;
                    p[N - 1] = -p[N - 1];
                    if (p[N] >= PI_C)
                        p[N] -= PI_C;
                    else if (p[N] < -PI_C)
                        p[N] += PI_C;
                }
                forwardKinematics(s, p);
                s.errP = sumAbsDiff(s.wristp, s.J[N - 2]);
                if (s.errP > tolExact) continue;
                double d = 0;
                for (int i = 1; i <= K; ++i) d = std::fmax(d, std::fabs(angleDiffNearest(p[i], qs1[i])));
                const bool usesLM = (I == Lh || J == Lh || K == Lh || I == Mh || J == Mh || K == Mh);
                if (usesLM) {
                    if (d < best) {
                        copyQ(p, bestPose);
                        bestI = I, bestJ = J, bestK = K;
                        best = d;
                        solPL = 1;
                    }
                } else {
                    copyQ(p, qPl);
                    solPP = 1;
                    s.Iinv = I, s.Jinv = J, s.Kinv = K;
                }
                tracef(s, "\n◆AW5:位置決め [Lh,Mh]=%d%d [I,J,K]=%d%d%dの解 solPP=%d solPL=%d", Lh, Mh, I, J, K, solPP,
                       solPL);
                tracef(s, "%s", (solPP > 0 || solPL > 0) ? "あり" : "なし");
                printQ(s, "\n  qs1[]=", qs1);
                printQ(s, "\n  q[]  =", p);
                if (solPP > 0) tracef(s, "\n  solPP=%d→位置決め計算終了[I,J,K]=%d%d%dが解", solPP, I, J, K);
                nsol += sol;
            }
        }
    }

    double qrNew[JV];
    copyQ(s.qr, qrNew);
    if (qP == s.qr) copyQ(qs1, qrNew);  // qP starts as qs1; here it is qr itself
    if (solPP > 0) {
        if (qP == s.qr) copyQ(qPl, qrNew);
        wristOrientNearest(s, qPl, s.EwH, s.EwG, qrNew);
    } else if (solPL >= 1) {
        s.Iinv = bestI, s.Jinv = bestJ, s.Kinv = bestK;
        wristOrientNearest(s, bestPose, s.EwH, s.EwG, qrNew);
    } else {
        copyQ(qs1, qPl);
        copyQ(qs1, qrNew);
    }
    copyQ(qrNew, s.qr);

    tracef(s, "\n◆AaWE:===== ワーク位置決めの解solPP=%d solPL=%d [I,J,K]=[%d %d %d]====", solPP, solPL, s.Iinv,
           s.Jinv, s.Kinv);
    if (nsol == 0) tracef(s, "→解なし．Newton法による漸近計算へ");
    printQ(s, "\n  qs1[]=", qs1);
    printQ(s, "\n  qP[] =", qPl);
    if (nsol > 0) {
        printQ(s, "\n  qr[] =", s.qr);
        forwardKinematics(s, s.qr);
        printV(s, "\n  rw[] =", s.rw);
        printV(s, "\n  rwp[]=", s.rwp);
    }
    copyQ(s.qr, qP);
    return solPP;
}

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

}  // namespace

// Newton correction shared by 'a' and 'b' (mark: "◆" or "●").
void runNewtonStep(Scene& s, bool forA) {
    tracef(s, forA ? "\n◆calAa() Newton法始め Dwr0=%11.3e Dth0=%11.3e" : "\n●calAb() Newton法始め Dwr0=%11.3e Dth0=%11.3e",
           s.errP, s.errT);
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
    acceptIfUsable(s, forA ? s.qAa : s.qAb);
    if (forA)
        s.sgnAaStep = 0;
    else
        s.sgnAbStep = 0;
    tracef(s, forA ? "\n◆AabNewton()後 sgnLS=%c sgnT=%d sgnP=%d Mpass=%d MW=%d"
                   : "\n●AabNewton()後 sgnLS=%c sgnT=%d sgnP=%d Mpass=%d MW=%d",
           letter, s.sgnT, s.sgnP, s.Mpass, s.MW);
    tracef(s, "\n  Dwr0=%11.3e Dth0=%11.3e→Dwr=%11.3e Dth=%11.3e", Dwr0, Dth0, s.errP, s.errT);
    printQ(s, "\n  qs[]=", qs);
    printQ(s, "\n  qr[]=", s.qr);
    forwardKinematics(s, s.qr);
    printV(s, "\n  J[Mp]=", jointAt(s, s.Mpass));
    printV(s, "\n  J[Mw]=", jointAt(s, s.MW));
    printV(s, "\n  J[Mw-1]=", jointAt(s, s.MW - 1));
    printV(s, "\n  rh[]=", s.rh);
    printV(s, "\n  J[N-2]=", s.J[s.N - 2]);
    printV(s, "\n  wristp[]=", s.wristp);
    tracef(s, forA ? "\n◆-------------- calAa() Newton() end ----------------------------------------◆"
                   : "\n●-------------- calAb() Newton() end -------------------------------------●");
}

// Special cases shared by 'a' and 'b'.
void runSpecialCase(Scene& s, bool forA, int which) {
    double qs[JV], q[JV];
    copyQ(s.qr, qs);
    double eP = 0, eT = 0;
    const char letter = (which == 1) ? calSpecCase1(s, qs, q, &eP, &eT) : calSpecCase2(s, qs, q, &eP, &eT);
    s.sgnLS = letter;
    s.sgnT = errorClass(s.errT);
    s.sgnP = (s.errP < tolExact) ? 2 : (letter == 'N') ? 0 : 1;
    if (s.errP >= tolExact && s.errP < tolAllow) s.sgnP = 4;
    acceptIfUsable(s, forA ? s.qAa : s.qAb);
    if (forA)
        s.sgnAaStep = 0;
    else
        s.sgnAbStep = 0;
    if (which == 1)
        tracef(s, forA ? "\n◆Aa:calSpecCase1()後 sgnLS=%c sgnSOLAEnd=%d" : "\n●Ab:calSpecCase1()後 sgnLS=%c sgnSOLAEnd=%d",
               letter, s.sgnSOLAEnd);
    else
        tracef(s, forA ? "\n◆calSpecCase1()後 sgnLS=%c sgnSOLAEnd=%d" : "\n●calSpecCase2()後 sgnLS=%c sgnSOLAEnd=%d",
               letter, s.sgnSOLAEnd);
    tracef(s, "\n  errP=%11.3e errT=%11.3e sgnP=%d sgnT=%d", s.errP, s.errT, s.sgnP, s.sgnT);
    if (letter == 'N') {
        tracef(s, "\n→漸近解なし．行き詰まった");
    } else {
        printQ(s, "\n  qs[]=", qs);
        printQ(s, "\n  qr[]=", s.qr);
    }
    if (!forA && which == 1) tracef(s, "\n●-------------- calAb() Case1 end -----------------------------------------●");
    if (which == 2)
        tracef(s, forA ? "\n◆-------------- calAa() Case2 end --------------------------------------------◆"
                       : "\n●-------------- calAb() Case2 end --------------------------------------------●");
}

int calAa(Scene& s) {
    setAlphaFlags(s);
    tracef(s, "\n\n◆◆Aa========ワークをゴールへ位置決め始め sgnAab=%c sgnAaStep=%d ===◆◆", s.sgnAab, s.sgnAaStep);
    printQ(s, "\n  qr[] =", s.qr);
    forwardKinematics(s, s.qr);
    printV(s, "\n  rw[] =", s.rw);
    printV(s, "\n  rwp[]=", s.rwp);
    printQ(s, "\n  qAa[]=", s.qAa);

    if (!startGoalStep(s, 'a')) return s.sgnPS;
    double qs[JV];
    copyQ(s.qr, qs);

    if (s.sgnJ1Alpha == 'I') {
        if (s.sgnWrkAlpha == 'O') {
            tracef(s, "\n◆J[1]はα面内にある→SpecCase1へ");
            runSpecialCase(s, true, 1);
        } else {
            tracef(s, "\n◆J[1]とワーク目標はα面内にある→SpecCase2へ");
            runSpecialCase(s, true, 2);
        }
        redraw(s);
        return s.sgnSOLAEnd;
    }
    tracef(s, "\n◆J[1]はα面内にない→NormalCaseへ");
    if (s.errT < tolNewton && s.errP < tolNewton) {
        tracef(s, "\n◆======== errT=%6.4f errP=%6.4f:Newton法へ =========◆", s.errT, s.errP);
        runNewtonStep(s, true);
        redraw(s);
        return s.sgnSOLAEnd;
    }
    tracef(s, "\n◆======== errT=%6.4f errP=%6.4f sgnAaStep=%d 位置決め計算へ =====◆", s.errT, s.errP, s.sgnAaStep);

    // Normal stepped case.
    int inWall[JV] = {};
    classifyJointsByWall(s, qs, &s.Mpass, inWall, &s.MW);
    tracef(s, "\n\n◆=====AaNormal:隙間を通り抜ける計算 sgnAaStep=%d=======◆", s.sgnAaStep);
    tracef(s, "\n (Lh,Mh)=(%d %d) (I,J,K)=(%d %d %d)", s.Lh, s.Mh, s.Iinv, s.Jinv, s.Kinv);
    double q2[JV];
    copyQ(qs, q2);
    tracef(s, "\n◆通常計算前にJ[Mp,Mw]をα面へ近づけるq[]を微小変化 現在Mp=%d Mw=%d→Mp=<=4へ", s.Mpass, s.MW);
    if (s.errT >= tolExact) {
        int LMIJK[5] = {0, 0, 0, 0, 0}, sgnSP = 0, MpG = 0, MwG = 0;
        double dq[JV] = {};
        const double det = AabGradient2(s, qs, LMIJK, &sgnSP, &MpG, &MwG, dq);
        if (std::fabs(det) >= tolFine) {
            const double dqmax = nudgeAgainstGradient(s, qs, LMIJK, dq, q2);
            forwardKinematics(s, qs);
            const double bMp = alphaDist(s, jointAt(s, s.Mpass)), bMw = alphaDist(s, jointAt(s, s.MW));
            forwardKinematics(s, q2);
            const double aMp = alphaDist(s, jointAt(s, s.Mpass)), aMw = alphaDist(s, jointAt(s, s.MW));
            tracef(s, "\n◆通常計算前に目標へ微小変化後 Mpass=%d MW=%d det=%11.3e dqmax=%11.3e", s.Mpass, s.MW, det,
                   dqmax);
            tracef(s, "\n  J[Mp]x-rhx=%11.3e→%11.3e J[Mw]x-rhx=%11.3e→%11.3e", bMp, aMp, bMw, aMw);
        }
    }

    s.solP = AaWS(s, s.Lh, s.Mh, q2, s.rwp, s.qr);
    tracef(s, "\n◆AaNormal:ワーク位置決めの解solP=%d", s.solP);
    if (s.solP == 0) {
        tracef(s, "→解なし．Newton法による漸近計算へ");
        copyQ(qs, s.qr);
        runNewtonStep(s, true);
        redraw(s);
        return s.sgnSOLAEnd;
    }
    copyQ(s.qr, s.qAa);

    // One step of the move toward qAa.
    double dqk[JV] = {}, dqH = 0;
    const int ndq = stepQrToward(s, qs, s.qAa, dqk, &dqH, q2);
    tracef(s, "\n◆AaStep:qr[]微小変化後 変化最大値dqH=%6.3f 分割数ndq=%d", dqH, ndq);
    printQ(s, "\n  qs[] =", qs);
    printQ(s, "\n  qAa[]=", s.qAa);
    printQ(s, "\n  dqk[]=", dqk);
    printQ(s, "\n  q2[] =", q2);
    printQ(s, "\n  qr[] =", s.qr);

    // Evaluation.
    evaluateStepPose(s);
    s.Mh = s.Mpass - ((s.JRTYPE[s.Mpass] == 'R') ? 1 : 0);
    s.sgnAaStep = 0;
    tracef(s, "\n◆AaE:位置姿勢逆運動学計算 (Lh,Mh)=(%d %d) (I,J,K)=(%d %d %d) sol=%d", s.Lh, s.Mh, s.Iinv, s.Jinv,
           s.Kinv, s.solP);
    tracef(s, "\n  errP=%11.3e errT=%11.3e sgnP=%d sgnT=%d sgnSOLAEnd=%d", s.errP, s.errT, s.sgnP, s.sgnT,
           s.sgnSOLAEnd);
    if (s.solP == 0) tracef(s, "→解なし");
    tracef(s, "\n  Mpass=%d MW=%d", s.Mpass, s.MW);
    printDecision(s, "\n◆=============厚壁細隙間を通り抜け位置決めされた．============◆");
    redraw(s);
    return s.solP;
}
