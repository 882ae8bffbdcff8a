// The B-calculation driver: the checks of the final pose and the reset of the record (key 'B'),
// phase 1 (work lift and the joints beyond the wall), phase 2 (one slit pass-out per step), the
// entry into free space, and the dispatch of 's' to the current phase.
#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "collide/interference.h"
#include "model/joints.h"
#include "model/kinematics.h"
#include "model/angles.h"
#include "model/vecops.h"
#include "path/free_space.h"
#include "path/outside_wall.h"
#include "path/path_driver.h"
#include "path/path_record.h"
#include "path/shorten.h"
#include "path/slit_pass.h"

namespace {

// Error class of the final pose: 2 exact, 4 allowable, 1 large.
int prepClass(double e) { return e <= tolExact ? 2 : (e <= tolAllow ? 4 : 1); }

// Interference code of one joint with the combined codes folded: wall wins over floor and self,
// floor over self.
int mappedCode(int code) {
    if (code == -4 || code == -5 || code == -7) return -1;
    if (code == -6) return -2;
    return code;
}

void classify(Scene& s, const double* q) {
    int inWall[JV];
    classifyJointsByWall(s, q, &s.Mpass, inWall, &s.MW);
}

// Joint whose position is drawn as the trail: Mpass, one lower when Mpass is a roll joint.
void setTrack(Scene& s, const double* q) {
    classify(s, q);
    int M = s.Mpass > s.Nw ? s.Nw : s.Mpass;
    if (M >= 1 && s.JRTYPE[M] == 'R') M -= 1;
    s.MpTrack = M < 0 ? 0 : M;
    forwardKinematics(s, q);
}

bool failPrep(Scene& s, int code, int joint) {
    s.sgnMColl = code;
    s.JColl = joint;
    s.sgnSOLAEnd = 0;
    redraw(s);
    return false;
}

// Steps 7 to 9: robot-side joints, joints in the wall, far-side joints. False on the first
// interference (the state is set and the scene redrawn).
bool checkInterference(Scene& s) {
    const int N = s.N, Mp = s.Mpass > s.Nw ? s.Nw : s.Mpass, Mw = s.MW;
    double bw, bf, bs;
    int K, t1, t2;
    Vec3 P1, P2;
    for (int i = 2; i <= Mp; ++i) {
        const int c = mappedCode(JntMCollCheck(s, 'I', i, s.qr, s.sgnPATH >= 2 ? WorkFloor::Judged : WorkFloor::Exempt,
                                               bw, bf, bs, K, P1, P2, t1, t2));
        if (c == -1) tracef(s, "\n〓壁内で関節J[%d]が壁干渉した→A計算へ〓", i);
        if (c == -2) tracef(s, "\n〓壁内で関節J[%d]が床干渉した→A計算へ〓", i);
        if (c == -3) tracef(s, "\n〓壁内でアームL[%d]がアームL[%d]と干渉した→A計算へ〓", i, K);
        if (c < 0) return failPrep(s, c, i);
    }
    forwardKinematics(s, s.qr);
    for (int i = Mp + 1; i <= Mw - 1 && i <= s.Nw; ++i) {
        if (s.J[i][2] - Margin < 0) {
            tracef(s, "\n〓厚壁内の関節J[%d]が床干渉した→A計算へ〓", i);
            return failPrep(s, -2, i);
        }
    }
    if (Mw <= s.Nw && s.J[Mw][2] - Margin < 0) return failPrep(s, -2, Mw);
    for (int i = Mw + 1; i <= N - 2; ++i) {
        const int c = mappedCode(JntMCollCheck(s, 'O', i, s.qr, s.sgnPATH >= 2 ? WorkFloor::Judged : WorkFloor::Exempt,
                                               bw, bf, bs, K, P1, P2, t1, t2));
        if (c == -1) tracef(s, "\n〓壁外で関節J[%d]が壁干渉した→A計算へ〓", i);
        if (c == -2) tracef(s, "\n〓壁外で関節J[%d]が床干渉した→A計算へ〓", i);
        if (c == -3) tracef(s, "\n〓壁外でアームL[%d]がアームL[%d]と干渉した→A計算へ〓", i, K);
        if (c < 0) return failPrep(s, c, i);
    }
    return true;
}

void printClearances(Scene& s, const double* q) {
    double bw[JV] = {}, bf[JV] = {}, bs[JV] = {};
    int Jbad = 0;
    calArmClearance(s, 2, s.Nw, q, bw, bf, bs, Jbad);
    tracef(s, "\n  bw[2-%d]=(", s.Nw);
    printVec(s, 2, s.Nw, bw);
    tracef(s, "\n  bf[2-%d]=(", s.Nw);
    printVec(s, 2, s.Nw, bf);
    tracef(s, "\n  bs[2-%d]=(", s.Nw);
    printVec(s, 2, s.Nw, bs);
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

void setPathTrack(Scene& s, const double* q) { setTrack(s, q); }

void calBPREP(Scene& s) {
    const int N = s.N;
    s.sgnCAL = 'B';
    // A third 'B' after one goal calculation leaves the state as it is.
    if (s.cntBTrial >= 2) {
        s.cntBTrial = 3;
        redraw(s);
        return;
    }
    s.cntBTrial += 1;
    s.sgnPATH = 0;
    s.sgnPATHEnd = 0;
    s.sgnMColl = 1;
    s.qAfinal[0] = 0;
    wrapJointVector(N, s.qAfinal, s.qr);
    copyJointVector(JV - 1, s.qr, s.qAfinal);
    classify(s, s.qr);
    forwardKinematics(s, s.qr);

    // Errors of the final pose. J[MW] exists only when a joint lies beyond the wall.
    s.errP = std::fabs(s.rw[0] - s.rwp[0]) + std::fabs(s.rw[1] - s.rwp[1]) + std::fabs(s.rw[2] - s.rwp[2]);
    const int Mp = s.Mpass > s.Nw ? s.Nw : s.Mpass;
    s.errT = std::fabs(dotVec3(s.nAlpha, s.J[Mp]) - s.rhx);
    if (s.MW <= s.Nw) s.errT += std::fabs(dotVec3(s.nAlpha, s.J[s.MW]) - s.rhx);
    s.sgnP = prepClass(s.errP);
    s.sgnT = prepClass(s.errT);
    tracef(s, "\n〓errP=%11.3e errT=%11.3e", s.errP, s.errT);
    if (s.sgnP <= 1) tracef(s, " ワーク位置決め誤差大→A計算へ〓");
    if (s.sgnT <= 1) tracef(s, " 隙間通り抜け誤差大→A計算へ〓");
    if (s.sgnP == 1 || s.sgnT == 1) {
        s.sgnMColl = 0;
        s.sgnSOLAEnd = 0;
        redraw(s);
        return;
    }
    s.sgnSOLAEnd = 1;

    // Joint limits: non-roll joints 165 degrees, joint N-1 135 degrees, joint N none.
    for (int i = 1; i <= N - 1; ++i) {
        const bool over = (s.JRTYPE[i] != 'R' && std::fabs(s.qr[i]) > s.qLimit) ||
                          (i == N - 1 && std::fabs(s.qr[i]) > s.qLimitWrist);
        if (!over) continue;
        s.JColl = i;
        tracef(s, "\n〓関節J[%d]の関節角が限界を超えた→A計算へ", i);
        s.sgnSOLAEnd = s.sgnMColl = -3;
        redraw(s);
        return;
    }
    if (!checkInterference(s)) return;

    s.sgnSOLAEnd = 1;
    if (s.sgnBResume == 1) {
        // Resume of the phase left with 'O'; a complete path stays complete.
        s.sgnPATH = s.sgnPATHSave;
        s.sgnPATHEnd = (s.sgnPATH == 7) ? 1 : 0;
        s.sgnBResume = 0;
        redraw(s);
        return;
    }
    s.sgnArmDir = (s.cntBTrial == 1) ? 'L' : 'U';

    s.sgnPATH = s.sgnPATHSave = 1;
    s.JColl = 0;
    s.sgnPATHEnd = 0;
    s.sgnMColl = 1;
    s.sgnBResume = 0;
    copyJointVector(JV - 1, s.qr, s.qAfinal);
    copyJointVector(JV - 1, s.qr, s.qs);
    s.NPATH = s.NPATHth = 0;
    clearShortMotion(s);
    s.NPATHmax = 0;
    s.sgnNMAX = 'U';
    s.sgnGateStop = 0;
    s.gateRefusals = 0;
    s.nBACK = 0;
    s.nMOVE = 0;  // the playback index stays inside the new record
    wrapJointVector(N, s.qr, s.qr);
    copyJointVector(JV - 1, s.qr, s.qIPATH[0]);
    copyJointVector(JV - 1, s.qr, s.qIPATHth[0]);
    forwardKinematics(s, s.qr);
    s.rwIPATH[0] = s.rw;
    setTrack(s, s.qr);
    s.JpIPATH[0] = s.J[s.MpTrack];
    for (int k = 1; k < NMAX; ++k) s.rwIPATH[k] = Vec3{{0, 0, 0}};
    tracef(s, "\n〓================== B 経路逆生成計算の前準備終わり =====================〓\n");
    redraw(s);
}

void calWRIST3(Scene& s) {
    const int N = s.N;
    s.sgnPATH = 1;
    s.sgnMColl = 1;
    copyJointVector(JV - 1, s.qs, s.qr);
    classify(s, s.qr);
    tracef(s, "\n\n◆◆==========calWRIST3()始め sgnPATH=%d NPATH=%d MW=%d==============◆◆", s.sgnPATH, s.NPATH,
           s.MW);
    printVec(s, 1, N, s.qs);
    double q1[JV] = {};
    if (s.NPATH == 0) {
        WOutWorkLift(s, s.qs, q1);
        copyJointVector(JV - 1, q1, s.qr);
        if (pathStopped(s)) return;
        classify(s, s.qr);
        tracef(s, "\n◆1:壁外でワークの持ち上げ運動終了 NPATH=%d Mpass=%d MW=%d", s.NPATH, s.Mpass, s.MW);
        tracef(s, "\n チェック前sgnSOLAEnd=%d", s.sgnSOLAEnd);
        printVec(s, 1, N, s.qs);
        printVec(s, 1, N, s.qr);
        if (jointDiffSum(s, N - 2, N, s.qr, s.qs) > tolFine)
            tracef(s, "\n  ワーク持ち上げ運動でq[]変わった→calBTHROUGH()へ");
        printClearances(s, s.qr);
        tracef(s, "\n◆sgnPATH=%d", s.sgnPATH);
        tracef(s, "\n  次は壁外の関節運動 WOutApart7()\n");
    }
    // The joints beyond the wall move away from it.
    double q0[JV], heights[JV] = {};
    copyJointVector(JV - 1, s.qr, q0);
    classify(s, s.qr);
    const int Mp0 = s.Mpass, Mw0 = s.MW;
    forwardKinematics(s, s.qr);
    for (int i = 1; i <= s.Nw; ++i) heights[i] = s.J[i][2];
    int MColl = 0;
    const int sgnJU = WOutApart7(s, Mw0, s.qr, s.qr, heights, q1, MColl);
    copyJointVector(JV - 1, q1, s.qr);
    tracef(s, "\n◆WOutApart7()後 sgnJU=%d MColl=%d", sgnJU, MColl);
    if (pathStopped(s)) return;
    double change = 0;
    for (int i = Mw0; i <= N - 3; ++i) change += std::fabs(jointDiff(s, i, s.qr[i], q0[i]));
    if (Mp0 >= 1 && Mp0 <= N && s.JRTYPE[Mp0] == 'R') change += std::fabs(jointDiff(s, Mp0, s.qr[Mp0], q0[Mp0]));
    if (sgnJU < 0 && change < tolFine) s.JColl = MColl;

    s.sgnPATH = 2;
    s.sgnMColl = 1;
    s.NPATHth = 0;
    copyJointVector(JV - 1, s.qr, s.qIPATHth[0]);
    setTrack(s, s.qr);
    s.JpIPATH[0] = s.J[s.MpTrack];
    tracef(s, "\n◆========初期壁外運動calWRIST3()終了 NPATH=%d ===================◆", s.NPATH);
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
        tracef(s, "\n  qIPATHth[%3d]=", s.NPATHth - 1);
        printVec(s, 1, N, s.qIPATHth[s.NPATHth - 1]);
    }
    tracef(s, "\n  qIPATHth[%3d]=", s.NPATHth);
    printVec(s, 1, N, s.qIPATHth[s.NPATHth]);
    tracef(s, "\n  qr[]         =");
    printVec(s, 1, N, s.qr);
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
        classify(s, s.qr);
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
        s.sgnMColl = 1;
        s.sgnPATH = 2;
        s.qr[0] = 0;
        wrapJointVector(N, s.qr, s.qr);
        classify(s, s.qr);
        if (s.Mpass > s.Nw) s.Mpass = s.Nw;
        forwardKinematics(s, s.qr);
        out = outOfSlit(s, s.Mpass);
        if (!out) return;
    }
    s.sgnPATH = 3;
    s.sgnMColl = 1;
    s.sgnPATHEnd = 0;
    classify(s, s.qr);
    calBFREESTART(s);
}

void calBFREESTART(Scene& s) {
    s.sgnPATH = 3;
    s.sgnLinearMotion = s.sgnCollAvoidMotion = 0;
    s.sgnJointReturn = 0;
    s.returnBest = 1e300;
    s.returnStall = 0;
    s.sgnMColl = 1;
    s.sgnWInAllJntOrderZ = jointHeightOrder(s, s.qr);
    if (s.sgnWInAllJntOrderZ > 0) s.sgnPATH = 5;
    int M = 1;
    double y = 0;
    calJntNearWall(s, s.qr, M, y);
    s.MNearWall = M;
}

void runBPhase(Scene& s) {
    if (pathStopped(s)) {  // a full record ends the calculation
        s.sgnMColl = 0;
        return;
    }
    // A phase continues from the last row of the record (the review and the resume move qr).
    const double* last = s.qIPATH[s.NPATH];
    for (int i = 1; i <= s.N; ++i)
        if (s.qr[i] != last[i]) {
            copyJointVector(JV - 1, last, s.qr);
            break;
        }
    // Phase 3 compares the pose with the row before it; with no such row the elbow has not
    // moved and the free-space phase starts at the avoiding step.
    if (s.sgnPATH == 3 && s.NPATH < 1) s.sgnPATH = 5;
    switch (s.sgnPATH) {
        case 1:
            calWRIST3(s);
            break;
        case 2:
            calBTHROUGH(s);
            break;
        case 3:
            calBFREESPACE1(s);
            break;
        case 5:
            calBFREESPACE2(s);
            break;
        case 6:
            calBLASTMOTION(s);
            break;
        default:
            break;
    }
}
