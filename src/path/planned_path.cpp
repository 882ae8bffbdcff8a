#include "path/planned_path.h"

#include "core/console.h"
#include "core/scene.h"
#include "model/joints.h"
#include "model/kinematics.h"
#include "model/angles.h"
#include "model/vecops.h"
#include "path/path_append.h"
#include "path/path_record.h"

void beginPlannedPath(Scene& s, const double* qFinal) {
    double q[JV] = {};
    for (int i = 1; i <= s.N; ++i) q[i] = qFinal[i];
    wrapJointVector(s.N, q, q);
    copyJointVector(JV - 1, q, s.qAfinal);
    copyJointVector(JV - 1, q, s.qs);
    copyJointVector(JV - 1, q, s.qr);
    s.sgnPATH = s.sgnPATHSave = PhasePreparing;
    s.sgnPATHEnd = 0;
    s.sgnMColl = kMCollRunning;
    s.sgnBResume = 0;
    s.cntBTrial = 0;
    s.JColl = 0;
    s.NPATH = s.NPATHth = s.NPATHmax = 0;
    s.sgnNMAX = 'U';
    s.sgnGateStop = 0;
    s.gateRefusals = 0;
    s.gateCached = 0;
    s.nBACK = 0;
    s.nMOVE = 0;
    copyJointVector(JV - 1, q, s.qIPATH[0]);
    setPathTrack(s, q);
    s.rwIPATH[0] = s.rw;
    s.JpIPATH[0] = s.J[s.MpTrack];
    tracef(s, "\n〓経路探索(サンプリング)の経路を経路データに書く: 最終ポーズから");
}

int appendPlannedRow(Scene& s, const double* q) {
    double to[JV] = {};
    for (int i = 1; i <= s.N; ++i) to[i] = q[i];
    // A move below the append's least step is not written: the motion to q starts from the
    // row before instead, so that the record still ends exactly at q.
    if (s.NPATH > 0 && weightedStep(s, s.qIPATH[s.NPATH], to) < tolFine) {
        s.NPATH -= 1;
        s.gateCached = 0;
    }
    appendPathSegment(s, s.qIPATH[s.NPATH], to);
    if (s.sgnGateStop) return s.sgnMColl < 0 ? s.sgnMColl : kMCollSelf;
    if (pathFull(s)) return 0;
    if (s.NPATH > s.NPATHmax) s.NPATHmax = s.NPATH;
    return 1;
}

int finishPlannedPath(Scene& s) {
    if (pathStopped(s) || jointDiffNorm(s, 1, s.N, s.qIPATH[s.NPATH], s.qInit) > 1e-9) return 0;
    s.sgnPATH = s.sgnPATHSave = PhaseComplete;
    s.sgnPATHEnd = 1;
    s.sgnMColl = kMCollRunning;
    s.sgnSOLAEnd = 1;
    s.NPATHmax = s.NPATH;
    copyJointVector(JV - 1, s.qIPATH[s.NPATH], s.qr);
    tracef(s, "\n経路生成終了(経路探索) NPATH=%d", s.NPATH);
    return 1;
}
