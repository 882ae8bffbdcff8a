// Phase 6 of the B-calculation: twenty equal steps from the pose reached to the initial pose.
#include "path/last_motion.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "model/angles.h"
#include "path/path_append.h"
#include "path/row_gate.h"

void calBLASTMOTION(Scene& s) {
    const int N = s.N;
    s.sgnPATH = PhaseLastMotion;
    s.sgnPATHEnd = 0;
    s.qr[0] = 0;
    wrapJointVector(N, s.qr, s.qr);
    // The twenty steps lie on the straight joint motion to the initial pose: where the gate
    // refuses it, the joint-space return of phase 5 carries on instead.
    if (gateRow(s, s.qIPATH[s.NPATH], s.qInit) < 0) {
        tracef(s, "\n最後の直線運動は干渉する→関節空間での復帰運動を続ける");
        s.sgnPATH = PhaseFreeSpaceReturn;
        s.sgnJointReturn = 1;
        s.sgnMColl = kMCollRunning;
        return;
    }
    double step[JV] = {};
    for (int i = 1; i <= N; ++i) step[i] = (s.qr[i] - s.qInit[i]) / 20.0;
    for (int k = 0; k < 20; ++k) {
        for (int i = 1; i <= N; ++i) {
            s.qr[i] -= step[i];
            // The last step lands exactly on the initial value.
            if (0.5 * std::fabs(step[i]) > std::fabs(s.qr[i] - s.qInit[i])) s.qr[i] = s.qInit[i];
        }
        s.sgnMColl = kMCollRunning;
        appendPathSegment(s, s.qIPATH[s.NPATH], s.qr);
        if (s.NPATHmax < s.NPATH) s.NPATHmax = s.NPATH;
        // A full record ends the calculation as a failure: the path does not reach the initial
        // pose, so it is not reported complete.
        if (pathStopped(s)) {
            s.sgnMColl = kMCollNoMotion;
            return;
        }
    }
    s.sgnPATH = PhaseComplete;
    s.sgnPATHEnd = 1;
    s.NPATHmax = s.NPATH;
    tracef(s, "\n経路生成終了 NPATH=%d", s.NPATH);
}
