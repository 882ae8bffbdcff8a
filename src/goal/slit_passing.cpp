#include "goal/slit_passing.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "goal/newton_steps.h"
#include "goal/path_ask.h"
#include "goal/plane_placement.h"
#include "goal/pose_errors.h"
#include "goal/step_frame.h"
#include "model/angles.h"
#include "model/kinematics.h"
#include "model/vecops.h"
#include "solve/ijkinv.h"

namespace {

// Classification of q: Mp, the first joint inside the wall (0 when none) and Mw.
void classify3(Scene& s, const double* q, int* Mp, int* Mm, int* Mw) {
    int inWall[JV] = {};
    int count = classifyJointsByWall(s, q, Mp, inWall, Mw);
    *Mm = (count > 0) ? inWall[0] : 0;
}

// The rows of a slit-pass table with their classification and pair.
void printTable(Scene& s, const SlitSolution* t, int n) {
    for (int k = 0; k < n; ++k)
        traceVec(s, 1, s.N, t[k].q, "\nk=%d Mp=%d Mw=%d (L,M)=(%d %d)\n  qTH[%d]=", k, t[k].Mp, t[k].Mw, t[k].L,
                 t[k].M, k);
}

// Point J[MM] expressed in the frame of joint K after its rotation, for the pose q.
Vec3 linkPointInFrame(Scene& s, const double* q, int K, int MM) {
    forwardKinematics(s, q);
    Vec3 P = s.Lvec[MM], t;
    for (int i = MM - 1; i >= K + 1; --i) {
        mulMat3Vec(turnedFrame(s, i), P, t);
        addVec3(s.Lvec[i], t, P);
    }
    return P;
}

// Target of the joint that Case 3 places just before the wall.
Vec3 case3Target(Scene& s, const double* q0, int MM) {
    forwardKinematics(s, q0);
    Vec3 t;
    t[0] = dotVec3(s.nAlpha, s.J[1]) + s.rhx;
    t[1] = s.J[MM][1];
    if (t[1] > s.rhy1) t[1] = s.rhy1 - 0.01;
    const double yMin = s.rhy2 - s.L[MM + 1] + 0.01;
    if (t[1] < yMin) t[1] = yMin;
    t[2] = s.J[MM][2];
    if (t[2] < s.wristp[2]) t[2] = s.wristp[2];
    return t;
}

// The slit-pass solutions of SlitPassA5 as the search fills them: the accepted rows (table,
// solz) and every pose the placements returned (raw, solS), which Case 3 searches again.
struct SlitSearch {
    static constexpr int RAWMAX = 32;
    SlitSolution* table;
    int solz = 0;
    SlitSolution raw[RAWMAX];
    int solS = 0;
    void add(const SlitSolution& r) {
        if (solz < SLITSOL_MAX) table[solz++] = r;
    }
};

// Joint L turns J[M] onto the alpha-plane and joint M the next joint (SlitPassAStep2 from q1);
// every pose found goes to the raw list, those whose wall joints lie on the plane to the table.
void searchPair(Scene& s, int L, int M, const double* q1, SlitSearch& z) {
    const int N = s.N;
    tracef(s, "\n※※2:======(L,M)=(%d %d) J[M]=%c SlitPassAStep2()計算始め========※※", L, M, s.JRTYPE[M]);
    if (s.JRTYPE[M] == 'R' || (M == 2 && s.JRTYPE[1] == 'R')) {
        tracef(s, "\n →次のM~%dへ", M + 1);
        return;
    }
    const int MH = nextPlacedJoint(s, M);
    double out[2][JV];
    int MMo[2];
    const int sol = SlitPassAStep2(s, L, M, M + 1, q1, out, MMo);
    if (sol > 0)
        tracef(s, "\n※3:[L,M]=[%d %d] J[M=%d] J[MH=%d]をα面に乗せた解 sol=%d", L, M, M, MH, sol);
    else
        tracef(s, "→(L,M)=(%d %d)の解なし", L, M);
    for (int i = 0; i < sol; ++i) {
        SlitSolution r;
        copyQ(out[i], r.q);
        r.L = L, r.M = M;
        classify3(s, r.q, &r.Mp, &r.Mm, &r.Mw);
        if (z.solS < SlitSearch::RAWMAX) z.raw[z.solS++] = r;
        tracef(s, "\n※4:(L,M)=(%d %d) J[M=%d],J[MH=%d]がα面内にある解 [Mp Mw]=[%d %d] Mm=%d solS=%d", L, M, M, MH,
               r.Mp, r.Mw, r.Mm, z.solS);
        bool accept = (M <= r.Mp && MH >= r.Mm && MH >= r.Mw);
        if (!accept) {
            const int second = (r.Mm == 0) ? r.Mw : r.Mm;
            accept = onAlpha(s, jointAt(s, r.Mp)) && onAlpha(s, jointAt(s, second));
        }
        if (accept) {
            z.add(r);
            tracef(s, "\n\n※5:(L,M)=(%d %d) J[Mp],J[Mw]がα面内にある解 Mp=%d Mm=%d Mw=%d solz=%d", L, M, r.Mp, r.Mm,
                   r.Mw, z.solz);
        }
    }
    if (M < N - 3)
        tracef(s, "\n※6:-------[L,M]=[%d %d/%d] J[M]=%c→次のM=%dへ--------------------", L, M, N - 3, s.JRTYPE[M],
               M + 1);
    else
        tracef(s, "\n※6:-------L=%d M=%d/%d J[M]=%c→全M終了-----------------------", L, M, N - 3, s.JRTYPE[M]);
}

// Case 3, the goal on the alpha-plane and joint 1 off it: the raw poses whose J[Mp] and J[Mw]
// lie on the plane, and the pose of SlitPassASpec3 from q0, join the table.
void addCase3(Scene& s, const double* q0, SlitSearch& z) {
    s.sgnWrkAlpha = onAlpha(s, s.rwp) ? 'I' : 'O';
    tracef(s, "\n  Case3(目標がα面内)に該当すればその場合も計算");
    const bool j1On = onAlpha(s, baseJ1(s));
    if (j1On) tracef(s, "\n→J[1]がα面にあるケースは対象としない. 解なし．終了");
    if (s.sgnWrkAlpha != 'I') tracef(s, "\n→ワーク目標がα面にないケースは対象としない. 解なし．終了");
    if (j1On || s.sgnWrkAlpha != 'I') return;
    tracef(s, "\n※80:通常のM=Mpの解の数solz=%d 通り抜けStep()の全ての解 solS=%d\n→M=Mp以外の解を抽出へ", z.solz,
           z.solS);
    for (int i = 0; i < z.solS; ++i) {
        forwardKinematics(s, z.raw[i].q);
        if (onAlpha(s, jointAt(s, z.raw[i].Mp)) && onAlpha(s, jointAt(s, z.raw[i].Mw))) z.add(z.raw[i]);
    }
    tracef(s, "\n※82:===== J[M]とM以上が壁直前である全ての解 solz=%d ==========※", z.solz);
    if (z.solz < SLITSOL_MAX) {
        SlitSolution& r = z.table[z.solz];
        if (SlitPassASpec3(s, q0, r.q, &r.Mp, &r.Mm, &r.Mw, &r.L, &r.M) == 1) ++z.solz;
    }
    tracef(s, "\n※83:========== 特殊ケースCase3を含む全ての解 solz=%d ==========※", z.solz);
}

// Before the search: q2 moved a little from qs against the gradient toward the goal (only while
// the positioning error is not exact).
void nudgeTowardGoal(Scene& s, const double* qs, double* q2) {
    if (s.errP < tolExact) return;
    int LMIJK[5] = {0, 0, 0, 0, 0}, sgnSP = 0, MpG = 0, MwG = 0;
    double dq[JV] = {};
    const double det = AabGradient2(s, qs, LMIJK, &sgnSP, &MpG, &MwG, dq);
    if (std::fabs(det) < tolFine) return;
    const double dqmax = nudgeAgainstGradient(s, qs, LMIJK, dq, q2);
    tracef(s, "\n●2:通常計算前に目標へ微小変化後 Mpass=%d MW=%d det=%11.3e dqmax=%11.3e", s.Mpass, s.MW, det, dqmax);
}

// The row the step moves toward: of the rows whose J[Mp] and J[Mw] lie on the alpha-plane the
// one nearest to qs (summed wrapped differences over joints 1..N-4; the first wins a tie), row
// 0 when none does.
int nearestPassingRow(Scene& s, const SlitSolution* table, int n, const double* qs) {
    int kbest = 0;
    double best = 100.0;
    for (int k = 0; k < n; ++k) {
        forwardKinematics(s, table[k].q);
        if (!(onAlpha(s, jointAt(s, table[k].Mp)) && onAlpha(s, jointAt(s, table[k].Mw)))) continue;
        double sum = 0;
        for (int j = 1; j <= s.N - 4; ++j) sum += std::fabs(angleDiffNearest(table[k].q[j], qs[j]));
        if (sum < best) best = sum, kbest = k;
    }
    return kbest;
}

// The search of a first 'b' press from qs: qAb, Lh and Mh from the chosen row, sgnAbStep = 1.
// Without a solution the Newton correction takes the step instead (false).
bool searchSlitPass(Scene& s, const double* qs) {
    tracef(s, "\n\n●=====AaNormal:隙間を通り抜ける通常計算 sgnAbStep=%d=============●", s.sgnAbStep);
    s.sgnAbStep = 0;
    double q2[JV];
    copyQ(qs, q2);
    tracef(s, "\n●1:通常計算前に目標へ微小変化 Mpass=%d MW=%d", s.Mpass, s.MW);
    nudgeTowardGoal(s, qs, q2);

    tracef(s, "\n●3:=====通常通り抜け計算calAb() SlitPassA5()始め Mpass=%d (Lh,Mh)=(%d %d)======●", s.Mpass, s.Lh,
           s.Mh);
    SlitSolution table[SLITSOL_MAX];
    const int SolNum = SlitPassA5(s, q2, table);
    tracef(s, "\n●4:AbNormal:SlitPassA5()後 SolNum=%d", SolNum);
    printTable(s, table, SolNum);
    if (SolNum == 0) {
        tracef(s, "\n●5:解析解なし→AabNewtonへ getch()");
        s.sgnT = 0;
        copyQ(qs, s.qr);
        runNewtonStep(s, AStep::SlitPass);
        return false;
    }
    const int kbest = nearestPassingRow(s, table, SolNum, qs);
    copyQ(table[kbest].q, s.qr);
    s.Lh = table[kbest].L;
    s.Mh = table[kbest].M;
    copyQ(s.qr, s.qAb);
    s.sgnAbStep = 1;
    return true;
}

// The positioning joints for the next 'a': the three lowest joints other than Lh and Mh.
void setPositioningJoints(Scene& s) {
    auto nextFree = [&](int c) {
        if (c == s.Lh) ++c;
        if (c == s.Lh || c == s.Mh) ++c;
        return c;
    };
    s.Iinv = nextFree(1);
    s.Jinv = nextFree(s.Iinv + 1);
    s.Kinv = nextFree(s.Jinv + 1);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
int SlitPassAStep2(Scene& s, int kL, int kM, int kH, const double* q1in, double qout[2][JV], int MM[2]) {
    const int N = s.N;
    double q1[JV];
    copyQ(q1in, q1);
    copyQ(q1, qout[0]);
    MM[0] = kM;
    if (s.sgnCAL != 'A' || kM >= N - 3 || s.JRTYPE[kM] == 'R') return 0;
    const int MH0 = nextPlacedJoint(s, kM);
    int Mp = 0, Mm = 0, Mw = 0;
    classify3(s, q1, &Mp, &Mm, &Mw);
    tracef(s,
           "\n〒〒S===SlitPassAStep2()始め (kL,kM,kH)=(%d %d %d) MH0=%d Mp=%d Mw=%d ===〒〒"
           "\n〒3:(kL,kM)=(%d %d) J[kM=%d]をα面に乗せる計算",
           kL, kM, kH, MH0, Mp, Mw, kL, kM, kM);

    double sol[2][JV];
    int Mplaced = kM;
    const int solJ = PutJMSlitPlaneA(s, kL, kM, q1, sol[0], sol[1], &Mplaced);
    tracef(s, "\n〒5:(kL,kM)=(%d %d) J[kM=%d]をα面に乗せた解 solJ=%d MP=%d ", kL, kM, kM, solJ, Mp);
    if (solJ == 0) {
        tracef(s, "\n  J[kM=%d]をα面に乗せる解なし→終了", kM);
        return 0;
    }
    for (int i = 0; i < solJ; ++i) {
        int mp = 0, mm = 0, mw = 0;
        classify3(s, sol[i], &mp, &mm, &mw);
        traceVec(s, 1, N, sol[i], "\n  sol[%d]=", i);
        tracef(s, "%s", kM < mp ? " : J[kM]はまだ壁直前でない" : kM == mp ? " : J[kM]は壁直前" : " : J[kM]は壁外");
    }
    tracef(s, "\n〒9:------(kL.kM)=(%d %d) 次はJ[MH0=%d]をα面に乗せる計算へ------", kL, kM, MH0);
    int n = 0;
    for (int i = 0; i < solJ; ++i) {
        if (kM < s.Nw) {
            int mm = kM;
            PutJMHSlitPlaneA(s, kM, kM + 1, sol[i], qout[n], &mm);
            MM[n] = mm;
        } else {
            copyQ(sol[i], qout[n]);
            MM[n] = kM;
        }
        ++n;
    }
    tracef(s, "\n〒E:=======J[kM=%d],J[MH=%d]をα面に乗せた解 solz=%d ============〒", kM, MH0, n);
    for (int i = 0; i < n; ++i) traceVec(s, 1, N, qout[i], "\n  qz[%d]=", i);
    return n;
}

// ---------------------------------------------------------------------------------------------
int SlitPassASpec3(Scene& s, const double* q0in, double* qout, int* Mp, int* Mm, int* Mw, int* L, int* M) {
    const int N = s.N;
    double q0[JV];
    copyQ(q0in, q0);
    s.sgnWrkAlpha = onAlpha(s, s.rwp) ? 'I' : 'O';
    tracef(s, "\n〒〒=====SlitPassASpec3()始め JTYPE[]=%c%c%c%c sgnWrkAlpha=%c sgnJ1Alpha=%c======〒〒", s.JRTYPE[1],
           s.JRTYPE[2], s.JRTYPE[3], s.JRTYPE[4], s.sgnWrkAlpha, s.sgnJ1Alpha);
    if (s.sgnCAL != 'A') return 0;
    if (onAlpha(s, baseJ1(s))) {
        tracef(s, "\n→J[1]がα面にあるケースは対象としない. 終了");
        return 0;
    }
    if (s.sgnWrkAlpha != 'I') {
        tracef(s, "\n→ワーク目標がα面にないケースは対象としない. 終了");
        return 0;
    }
    *L = 2;
    const char* t = s.JRTYPE;
    const bool tripleSearch = (t[1] == 'R' && t[2] == 'P' && t[3] == 'P' && t[4] == 'R') ||
                              (t[1] == 'R' && t[2] == 'Q' && t[3] == 'Q' && t[4] == 'R') ||
                              (t[1] == 'P' && t[2] == 'P' && t[3] == 'P') ||
                              (t[1] == 'P' && t[2] == 'P' && t[3] == 'R') ||
                              (t[1] == 'Q' && t[2] == 'Q' && t[3] == 'R');
    constexpr int SMAX = 16;
    double sols[SMAX][JV];
    int nsols = 0;
    int MM = (t[4] == 'R') ? 5 : 4;
    if (!tripleSearch) {
        tracef(s, "\n〒2:J[MM=%d]を壁直前に位置決め始め", MM);
        const Vec3 target = case3Target(s, q0, MM);
        const Vec3 P = linkPointInFrame(s, q0, 3, MM);
        double four[4][JV];
        const int n = IJKinv(s, "LINK", q0, 1, 2, 3, P, target, four);
        for (int i = 0; i < n && nsols < SMAX; ++i) copyQ(four[i], sols[nsols++]);
    }
    if (nsols == 0) {
        if (t[5] == 'R') {
            tracef(s, "\n〒4:J[5]=R 解なし．終了");
            return 0;
        }
        MM = 5;
        const Vec3 target = case3Target(s, q0, MM);
        static const int kTri[4][3] = {{1, 2, 3}, {1, 2, 4}, {1, 3, 4}, {2, 3, 4}};
        for (const auto& tr : kTri) {
            if (t[tr[2]] == 'R') continue;
            const Vec3 P = linkPointInFrame(s, q0, tr[2], MM);
            double four[4][JV];
            const int n = IJKinv(s, "LINK", q0, tr[0], tr[1], tr[2], P, target, four);
            for (int i = 0; i < n && nsols < SMAX; ++i) copyQ(four[i], sols[nsols++]);
        }
        tracef(s, "\n〒8:J[MM=%d]を指定点に位置決めする解の総数solJ=%d", MM, nsols);
        if (nsols == 0) {
            tracef(s, "\n〒8:J[MM]=%dを指定点に位置決めする解なし→終了", MM);
            return 0;
        }
    }

    double kept[SMAX][JV];
    int nkept = 0;
    for (int i = 0; i < nsols; ++i) {
        int mm = MM;
        if (PutJMHSlitPlaneA(s, MM, MM + 1, sols[i], kept[nkept], &mm) == 1) ++nkept;
    }
    tracef(s, "\n〒11:J[Mp],J[Mw]をα面に乗せた解の累積solz=%d", nkept);
    if (nkept == 0) return 0;

    tracef(s, "\n→複数解から最適解を抽出");
    int kmin = 0;
    double best = 1000.0;
    for (int i = 0; i < nkept; ++i) {
        double d = jointDistance(1, N - 3, q0, kept[i]);
        if (d < best) best = d, kmin = i;
    }
    copyQ(kept[kmin], qout);
    int mp = 0, mm = 0, mw = 0;
    classify3(s, qout, &mp, &mm, &mw);
    *Mp = MM;
    *Mw = MM + 1;
    *Mm = mm;
    *M = MM;
    tracef(s, "\n〒〒E:====== Case3:最適解 kmin=%d [Mpp,Mww]=[%d %d] [Mp,Mw]=[%d %d]====〒〒", kmin, mp, mw, *Mp, *Mw);
    return 1;
}

// ---------------------------------------------------------------------------------------------
int SlitPassA5(Scene& s, const double* q0in, SlitSolution* table) {
    const int N = s.N;
    double q0[JV];
    copyQ(q0in, q0);
    int Mp0 = 0, Mm0 = 0, Mw0 = 0;
    classify3(s, q0, &Mp0, &Mm0, &Mw0);
    copyQ(q0, table[0].q);
    table[0].Mp = Mp0, table[0].Mm = Mm0, table[0].Mw = Mw0, table[0].L = 0, table[0].M = 0;
    tracef(s, "\n※※S:======SlitPassA5()始め Mp0=%d============================※※", Mp0);

    SlitSearch z;
    z.table = table;
    for (int L = 1; L <= N - 5; ++L) {
        tracef(s, "\n※1Lループ始め:=====L=%d/(1～%d):q[L]でJ[M]をα面へ乗せる計算 ===========※", L, N - 5);
        double q1[JV];
        copyQ(q0, q1);
        for (int M = L + 1; M <= N - 3; ++M) searchPair(s, L, M, q1, z);
        if (z.solz >= 50) break;
    }
    tracef(s, "\n※7:===== SlitPassA5() J[M]が壁直前である全ての解 solz=%d ============※", z.solz);
    printTable(s, table, z.solz);
    addCase3(s, q0, z);

    const int solz = z.solz;
    tracef(s, "\n※E:============ SlitPassA5() α面外の解を排除 solz=%d ==================※", solz);
    if (solz > 0)
        printTable(s, table, solz);
    else
        tracef(s, "\n  通り抜けの解なし");
    tracef(s, "\n※※E========= SlitPassA5() solz=%d end ==========================※※", solz);
    return solz;
}

// ---------------------------------------------------------------------------------------------
int calAb(Scene& s) {
    setAlphaFlags(s);
    tracef(s, "\n\n●●calAb()=====隙間通り抜け始め sgnAab=%c sgnAbStep=%d sgnPS=%d==============●●", s.sgnAab,
           s.sgnAbStep, s.sgnPS);
    traceVec(s, 1, s.N, s.qr, "\n  qr[] =");
    traceVec(s, 1, s.N, s.qAb, "\n  qAb[]=");
    if (!startGoalStep(s, 'b')) return s.sgnPS;
    seekNewFinalPose(s);
    double qs[JV];
    copyQ(s.qr, qs);
    if (takeSpecialOrNewton(s, AStep::SlitPass)) return s.sgnSOLAEnd;
    tracef(s, "\n●======== errT=%6.4f errP=%6.4f sgnAbStep=%d 通り抜け計算へ =====●", s.errT, s.errP, s.sgnAbStep);
    if (s.sgnAbStep != 1 && !searchSlitPass(s, qs)) return s.sgnSOLAEnd;

    // One step of the move toward qAb.
    double dqk[JV] = {}, dqH = 0, q2[JV];
    const int ndq = stepQrToward(s, qs, s.qAb, dqk, &dqH, q2);
    tracef(s, "\n●6:AbStep:qr[]微小変化後 変化最大値dqH=%6.3f 分割数ndq=%d", dqH, ndq);
    traceVec(s, 1, s.N, qs, "\n  qs[] =");
    traceVec(s, 1, s.N, s.qAb, "\n  qAb[]=");
    traceVec(s, 1, s.N, s.qr, "\n  qr[] =");

    // Evaluation and the positioning joints for the next 'a'.
    evaluateStepPose(s);
    setPositioningJoints(s);
    askPath(s, PathAsk::NewFinalPose);
    tracef(s,
           "\n●7:AbStep:微小変化後 Mpass=%d "
           "\n●AbE:隙間通り抜け計算終了 [Lh,Mh]=[%d %d] [I,J,K]inv=[%d %d %d] Mp=%d sgnSOLAEnd=%d"
           "\n  errP=%11.3e errT=%11.3e sgnP=%d sgnT=%d",
           s.Mpass, s.Lh, s.Mh, s.Iinv, s.Jinv, s.Kinv, s.Mpass, s.sgnSOLAEnd, s.errP, s.errT, s.sgnP, s.sgnT);
    printDecision(s, "\n●=============厚壁細隙間を通り抜け位置決めされた．============●");
    tracef(s, "\n●●AbE===========calAb() end sgnAab=%c=====================================●●\n", s.sgnAab);
    return s.sgnSOLAEnd;
}
