// Phase 1 of the B-calculation: the work lifted and turned up beyond the wall, then the joints
// beyond the wall moved away from it.
#include "path/wrist_motion.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "model/joints.h"
#include "model/kinematics.h"
#include "model/vecops.h"
#include "path/outside_wall.h"
#include "path/path_append.h"
#include "path/path_clearance.h"
#include "path/path_record.h"
#include "path/wall_sides.h"

namespace {

void printClearances(Scene& s, const double* q) {
    double bw[JV] = {}, bf[JV] = {}, bs[JV] = {};
    int Jbad = 0;
    calArmClearance(s, 2, s.Nw, q, bw, bf, bs, Jbad);
    traceVec(s, 2, s.Nw, bw, "\n  bw[2-%d]=(", s.Nw);
    traceVec(s, 2, s.Nw, bf, "\n  bf[2-%d]=(", s.Nw);
    traceVec(s, 2, s.Nw, bs, "\n  bs[2-%d]=(", s.Nw);
}

}  // namespace

void calWRIST3(Scene& s) {
    const int N = s.N;
    s.sgnPATH = PhaseWristMotion;
    s.sgnMColl = kMCollRunning;
    copyJointVector(JV - 1, s.qs, s.qr);
    classifyWallSides(s, s.qr, s.Mpass, s.MW);
    tracef(s, "\n\n◆◆==========calWRIST3()始め sgnPATH=%d NPATH=%d MW=%d==============◆◆", s.sgnPATH, s.NPATH,
           s.MW);
    printVec(s, 1, N, s.qs);
    double q1[JV] = {};
    if (s.NPATH == 0) {
        WOutWorkLift(s, s.qs, q1);
        copyJointVector(JV - 1, q1, s.qr);
        if (pathStopped(s)) return;
        classifyWallSides(s, s.qr, s.Mpass, s.MW);
        tracef(s, "\n◆1:壁外でワークの持ち上げ運動終了 NPATH=%d Mpass=%d MW=%d" "\n チェック前sgnSOLAEnd=%d", s.NPATH,
               s.Mpass, s.MW, s.sgnSOLAEnd);
        printVec(s, 1, N, s.qs);
        printVec(s, 1, N, s.qr);
        if (jointDiffSum(s, N - 2, N, s.qr, s.qs) > tolFine)
            tracef(s, "\n  ワーク持ち上げ運動でq[]変わった→calBTHROUGH()へ");
        printClearances(s, s.qr);
        tracef(s, "\n◆sgnPATH=%d" "\n  次は壁外の関節運動 WOutApart7()\n", s.sgnPATH);
    }
    // The joints beyond the wall move away from it.
    double q0[JV], heights[JV] = {};
    copyJointVector(JV - 1, s.qr, q0);
    classifyWallSides(s, s.qr, s.Mpass, s.MW);
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

    s.sgnPATH = PhaseSlitPassOut;
    s.sgnMColl = kMCollRunning;
    s.NPATHth = 0;
    copyJointVector(JV - 1, s.qr, s.qIPATHth[0]);
    setPathTrack(s, s.qr);
    s.JpIPATH[0] = s.J[s.MpTrack];
    tracef(s, "\n◆========初期壁外運動calWRIST3()終了 NPATH=%d ===================◆", s.NPATH);
}
