// The B-calculation driver: the checks of the final pose and the reset of the record (key 'B'),
// and the dispatch of 's' to the current phase.
#include "path/path_driver.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "collide/interference.h"
#include "model/joints.h"
#include "model/kinematics.h"
#include "model/angles.h"
#include "model/vecops.h"
#include "path/free_space.h"
#include "path/last_motion.h"
#include "path/path_append.h"
#include "path/path_clearance.h"
#include "path/path_record.h"
#include "path/record_reset.h"
#include "path/slit_pass_out.h"
#include "path/wall_sides.h"
#include "path/wrist_motion.h"

namespace {

// Error class of the final pose: 2 exact, 4 allowable, 1 large.
int prepClass(double e) { return e <= tolExact ? 2 : (e <= tolAllow ? 4 : 1); }

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
        const int c = foldCollCode(phaseCollCheck(s, 'I', i, s.qr, bw, bf, bs, K, P1, P2, t1, t2));
        if (c == kMCollWall) tracef(s, "\n〓壁内で関節J[%d]が壁干渉した→A計算へ〓", i);
        if (c == kMCollFloor) tracef(s, "\n〓壁内で関節J[%d]が床干渉した→A計算へ〓", i);
        if (c == kMCollSelf) tracef(s, "\n〓壁内でアームL[%d]がアームL[%d]と干渉した→A計算へ〓", i, K);
        if (c < 0) return failPrep(s, c, i);
    }
    forwardKinematics(s, s.qr);
    for (int i = Mp + 1; i <= Mw - 1 && i <= s.Nw; ++i) {
        if (s.J[i][2] - Margin < 0) {
            tracef(s, "\n〓厚壁内の関節J[%d]が床干渉した→A計算へ〓", i);
            return failPrep(s, kMCollFloor, i);
        }
    }
    if (Mw <= s.Nw && s.J[Mw][2] - Margin < 0) return failPrep(s, kMCollFloor, Mw);
    for (int i = Mw + 1; i <= N - 2; ++i) {
        const int c = foldCollCode(phaseCollCheck(s, 'O', i, s.qr, bw, bf, bs, K, P1, P2, t1, t2));
        if (c == kMCollWall) tracef(s, "\n〓壁外で関節J[%d]が壁干渉した→A計算へ〓", i);
        if (c == kMCollFloor) tracef(s, "\n〓壁外で関節J[%d]が床干渉した→A計算へ〓", i);
        if (c == kMCollSelf) tracef(s, "\n〓壁外でアームL[%d]がアームL[%d]と干渉した→A計算へ〓", i, K);
        if (c < 0) return failPrep(s, c, i);
    }
    return true;
}

// Step 4 and 5: the errors of the final pose (kinematics of qr in the Scene) and their classes.
// False when one is large (the state is set and the scene redrawn). J[MW] exists only when a
// joint lies beyond the wall.
bool checkErrors(Scene& s) {
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
        s.sgnMColl = kMCollNoMotion;
        s.sgnSOLAEnd = 0;
        redraw(s);
        return false;
    }
    s.sgnSOLAEnd = 1;
    return true;
}

// Step 6: joint limits, non-roll joints 165 degrees, joint N-1 135 degrees, joint N none. False
// at the first joint over its limit (the state is set and the scene redrawn).
bool checkJointLimits(Scene& s) {
    const int N = s.N;
    for (int i = 1; i <= N - 1; ++i) {
        const bool over = (s.JRTYPE[i] != 'R' && std::fabs(s.qr[i]) > s.qLimit) ||
                          (i == N - 1 && std::fabs(s.qr[i]) > s.qLimitWrist);
        if (!over) continue;
        s.JColl = i;
        tracef(s, "\n〓関節J[%d]の関節角が限界を超えた→A計算へ", i);
        s.sgnSOLAEnd = s.sgnMColl = kMCollSelf;
        redraw(s);
        return false;
    }
    return true;
}

}  // namespace

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
    s.sgnPATH = PhasePreparing;
    s.sgnPATHEnd = 0;
    s.sgnMColl = kMCollRunning;
    s.qAfinal[0] = 0;
    wrapJointVector(N, s.qAfinal, s.qr);
    copyJointVector(JV - 1, s.qr, s.qAfinal);
    classifyWallSides(s, s.qr, s.Mpass, s.MW);
    forwardKinematics(s, s.qr);

    if (!checkErrors(s) || !checkJointLimits(s) || !checkInterference(s)) return;

    s.sgnSOLAEnd = 1;
    if (s.sgnBResume == 1) {
        // Resume of the phase left with 'O'; a complete path stays complete.
        s.sgnPATH = s.sgnPATHSave;
        s.sgnPATHEnd = (s.sgnPATH == PhaseComplete) ? 1 : 0;
        s.sgnBResume = 0;
        redraw(s);
        return;
    }
    s.sgnArmDir = (s.cntBTrial == 1) ? 'L' : 'U';

    s.sgnPATH = s.sgnPATHSave = PhaseWristMotion;
    s.JColl = 0;
    s.sgnMColl = kMCollRunning;
    copyJointVector(JV - 1, s.qr, s.qAfinal);
    copyJointVector(JV - 1, s.qr, s.qs);
    emptyPathRecord(s);  // the new path starts at row 0; the playback index stays inside it
    wrapJointVector(N, s.qr, s.qr);
    copyJointVector(JV - 1, s.qr, s.qIPATH[0]);
    copyJointVector(JV - 1, s.qr, s.qIPATHth[0]);
    forwardKinematics(s, s.qr);
    s.rwIPATH[0] = s.rw;
    setPathTrack(s, s.qr);
    s.JpIPATH[0] = s.J[s.MpTrack];
    for (int k = 1; k < NMAX; ++k) s.rwIPATH[k] = Vec3{{0, 0, 0}};
    tracef(s, "\n〓================== B 経路逆生成計算の前準備終わり =====================〓\n");
    redraw(s);
}

void runBPhase(Scene& s) {
    if (pathStopped(s)) {  // a full record ends the calculation
        s.sgnMColl = kMCollNoMotion;
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
    if (s.sgnPATH == PhaseFreeSpaceAway && s.NPATH < 1) s.sgnPATH = PhaseFreeSpaceReturn;
    switch (s.sgnPATH) {
        case PhaseWristMotion:
            calWRIST3(s);
            break;
        case PhaseSlitPassOut:
            calBTHROUGH(s);
            break;
        case PhaseFreeSpaceAway:
            calBFREESPACE1(s);
            break;
        case PhaseFreeSpaceReturn:
            calBFREESPACE2(s);
            break;
        case PhaseLastMotion:
            calBLASTMOTION(s);
            break;
        default:
            break;
    }
}
