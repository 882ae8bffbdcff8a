#include "goal/work_positioning.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "goal/newton_steps.h"
#include "goal/pose_errors.h"
#include "goal/step_frame.h"
#include "model/angles.h"
#include "model/kinematics.h"
#include "model/vecops.h"
#include "solve/ijkinv.h"
#include "solve/wrist_orient.h"

namespace {

// Wrist flip of a solution p into the half-turn of joint N-2 that faces forward.
void flipWrist(int N, double* p) {
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
}

// Before the positioning: q2 moved a little from qs against the gradient so that J[Mpass] and
// J[MW] come nearer to the alpha-plane (only while the slit error is not exact).
void nudgeTowardPlane(Scene& s, const double* qs, double* q2) {
    if (s.errT < tolExact) return;
    int LMIJK[5] = {0, 0, 0, 0, 0}, sgnSP = 0, MpG = 0, MwG = 0;
    double dq[JV] = {};
    const double det = AabGradient2(s, qs, LMIJK, &sgnSP, &MpG, &MwG, dq);
    if (std::fabs(det) < tolFine) return;
    const double dqmax = nudgeAgainstGradient(s, qs, LMIJK, dq, q2);
    forwardKinematics(s, qs);
    const double bMp = alphaDist(s, jointAt(s, s.Mpass)), bMw = alphaDist(s, jointAt(s, s.MW));
    forwardKinematics(s, q2);
    const double aMp = alphaDist(s, jointAt(s, s.Mpass)), aMw = alphaDist(s, jointAt(s, s.MW));
    tracef(s,
           "\n◆通常計算前に目標へ微小変化後 Mpass=%d MW=%d det=%11.3e dqmax=%11.3e"
           "\n  J[Mp]x-rhx=%11.3e→%11.3e J[Mw]x-rhx=%11.3e→%11.3e",
           s.Mpass, s.MW, det, dqmax, bMp, aMp, bMw, aMw);
}

}  // namespace

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
                flipWrist(N, p);
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
                tracef(s, "\n◆AW5:位置決め [Lh,Mh]=%d%d [I,J,K]=%d%d%dの解 solPP=%d solPL=%d%s", Lh, Mh, I, J, K, solPP,
                       solPL, (solPP > 0 || solPL > 0) ? "あり" : "なし");
                traceVec(s, 1, N, qs1, "\n  qs1[]=");
                traceVec(s, 1, N, p, "\n  q[]  =");
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

    tracef(s, "\n◆AaWE:===== ワーク位置決めの解solPP=%d solPL=%d [I,J,K]=[%d %d %d]====%s", solPP, solPL, s.Iinv,
           s.Jinv, s.Kinv, nsol == 0 ? "→解なし．Newton法による漸近計算へ" : "");
    traceVec(s, 1, N, qs1, "\n  qs1[]=");
    traceVec(s, 1, N, qPl, "\n  qP[] =");
    if (nsol > 0) {
        traceVec(s, 1, N, s.qr, "\n  qr[] =");
        forwardKinematics(s, s.qr);
        traceVec(s, 0, 2, s.rw.data(), "\n  rw[] =");
        traceVec(s, 0, 2, s.rwp.data(), "\n  rwp[]=");
    }
    copyQ(s.qr, qP);
    return solPP;
}

int calAa(Scene& s) {
    const int N = s.N;
    setAlphaFlags(s);
    tracef(s, "\n\n◆◆Aa========ワークをゴールへ位置決め始め sgnAab=%c sgnAaStep=%d ===◆◆", s.sgnAab, s.sgnAaStep);
    traceVec(s, 1, N, s.qr, "\n  qr[] =");
    forwardKinematics(s, s.qr);
    traceVec(s, 0, 2, s.rw.data(), "\n  rw[] =");
    traceVec(s, 0, 2, s.rwp.data(), "\n  rwp[]=");
    traceVec(s, 1, N, s.qAa, "\n  qAa[]=");

    if (!startGoalStep(s, 'a')) return s.sgnPS;
    seekNewFinalPose(s);
    double qs[JV];
    copyQ(s.qr, qs);
    if (takeSpecialOrNewton(s, AStep::Positioning)) {
        redraw(s);
        return s.sgnSOLAEnd;
    }
    tracef(s, "\n◆======== errT=%6.4f errP=%6.4f sgnAaStep=%d 位置決め計算へ =====◆", s.errT, s.errP, s.sgnAaStep);

    // Normal stepped case.
    int inWall[JV] = {};
    classifyJointsByWall(s, qs, &s.Mpass, inWall, &s.MW);
    tracef(s,
           "\n\n◆=====AaNormal:隙間を通り抜ける計算 sgnAaStep=%d=======◆\n (Lh,Mh)=(%d %d) (I,J,K)=(%d %d %d)",
           s.sgnAaStep, s.Lh, s.Mh, s.Iinv, s.Jinv, s.Kinv);
    double q2[JV];
    copyQ(qs, q2);
    tracef(s, "\n◆通常計算前にJ[Mp,Mw]をα面へ近づけるq[]を微小変化 現在Mp=%d Mw=%d→Mp=<=4へ", s.Mpass, s.MW);
    nudgeTowardPlane(s, qs, q2);

    s.solP = AaWS(s, s.Lh, s.Mh, q2, s.rwp, s.qr);
    tracef(s, "\n◆AaNormal:ワーク位置決めの解solP=%d", s.solP);
    if (s.solP == 0) {
        tracef(s, "→解なし．Newton法による漸近計算へ");
        copyQ(qs, s.qr);
        runNewtonStep(s, AStep::Positioning);
        redraw(s);
        return s.sgnSOLAEnd;
    }
    copyQ(s.qr, s.qAa);

    // One step of the move toward qAa.
    double dqk[JV] = {}, dqH = 0;
    const int ndq = stepQrToward(s, qs, s.qAa, dqk, &dqH, q2);
    tracef(s, "\n◆AaStep:qr[]微小変化後 変化最大値dqH=%6.3f 分割数ndq=%d", dqH, ndq);
    traceVec(s, 1, N, qs, "\n  qs[] =");
    traceVec(s, 1, N, s.qAa, "\n  qAa[]=");
    traceVec(s, 1, N, dqk, "\n  dqk[]=");
    traceVec(s, 1, N, q2, "\n  q2[] =");
    traceVec(s, 1, N, s.qr, "\n  qr[] =");

    // Evaluation.
    evaluateStepPose(s);
    s.Mh = s.Mpass - ((s.JRTYPE[s.Mpass] == 'R') ? 1 : 0);
    s.sgnAaStep = 0;
    tracef(s,
           "\n◆AaE:位置姿勢逆運動学計算 (Lh,Mh)=(%d %d) (I,J,K)=(%d %d %d) sol=%d"
           "\n  errP=%11.3e errT=%11.3e sgnP=%d sgnT=%d sgnSOLAEnd=%d%s\n  Mpass=%d MW=%d",
           s.Lh, s.Mh, s.Iinv, s.Jinv, s.Kinv, s.solP, s.errP, s.errT, s.sgnP, s.sgnT, s.sgnSOLAEnd,
           s.solP == 0 ? "→解なし" : "", s.Mpass, s.MW);
    printDecision(s, "\n◆=============厚壁細隙間を通り抜け位置決めされた．============◆");
    redraw(s);
    return s.solP;
}
