// The one operation that adds rows to the reverse path.
#include "path/path_append.h"

#include <algorithm>
#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "model/joints.h"
#include "model/kinematics.h"
#include "model/angles.h"
#include "model/vecops.h"
#include "path/row_gate.h"

namespace {

// Room for one more row: NPATH is raised only when the row can be written, so NPATH always
// names a written row. A full record stops the B-calculation (the running phase sees
// sgnNMAX = 'O' and sgnMColl = 0 and ends).
bool nextRow(Scene& s) {
    if (s.NPATH + 1 >= NMAX - 1) {
        tracef(s, "\n〓〓データ数容量を超えた NPATH=%d NMAX=%d→停止", s.NPATH + 1, NMAX);
        s.sgnNMAX = 'O';
        s.sgnMColl = kMCollNoMotion;
        return false;
    }
    s.NPATH += 1;
    return true;
}

void storeRow(Scene& s, const double* q) {
    double* row = s.qIPATH[s.NPATH];
    for (int i = 1; i <= s.N; ++i) row[i] = q[i];
    row[0] = 0;
    wrapJointVector(s.N, row, row);
    forwardKinematics(s, row);
    s.rwIPATH[s.NPATH] = s.rw;
    s.JpIPATH[s.NPATH] = s.J[s.MpTrack];
}

}  // namespace

bool pathFull(const Scene& s) { return s.sgnNMAX == 'O'; }
bool pathStopped(const Scene& s) { return s.sgnNMAX == 'O' || s.sgnGateStop != 0; }

int appendPathSegment(Scene& s, const double* qFrom, double* qTo) {
    if (pathStopped(s)) return 0;
    qTo[0] = 0;
    wrapJointVector(s.N, qTo, qTo);
    double dq[JV] = {}, w[JV] = {};
    for (int i = 1; i <= s.N; ++i) dq[i] = jointDiff(s, i, qTo[i], qFrom[i]);
    for (int i = 1; i <= s.N; ++i) w[i] = dq[i];
    for (int i = s.N - 2; i <= s.N; ++i) w[i] = std::fabs(w[i]) / 5.0;
    const double d = maxAbsJoint(s, s.N, w);
    if (!(d >= tolFine)) {  // also drops a non-finite move
        redraw(s);
        return 0;
    }
    // Nothing that the gate refuses is written: the B-calculation stops with the code of the
    // contact, as it stops on a full record.
    const int code = gateRow(s, s.qIPATH[s.NPATH], qTo);
    if (code < 0) {
        s.sgnGateStop = 1;
        s.sgnMColl = code;
        s.JColl = s.gateShape <= s.N ? s.gateShape : s.N;
        redraw(s);
        return 0;
    }
    int appended = 0;
    if (d < 0.025) {
        if (nextRow(s)) {
            storeRow(s, qTo);
            appended = 1;
        }
    } else {
        // The count is rounded up (an exact multiple stays exact within rounding), so that no
        // two consecutive rows differ by more than 0.025 in the weighted measure.
        const int n = std::max(1, static_cast<int>(std::ceil(d / 0.025 - 1e-9)));
        for (int i = 1; i <= s.N; ++i) dq[i] /= n;
        for (int k = 0; k < n; ++k) {
            if (!nextRow(s)) break;
            double q[JV] = {};
            // The last row is the target itself, so that the sum of the increments does not
            // leave a rounding residue (the closing motion ends exactly at the initial pose).
            for (int i = 1; i <= s.N; ++i) q[i] = (k == n - 1) ? qTo[i] : s.qIPATH[s.NPATH - 1][i] + dq[i];
            storeRow(s, q);
            ++appended;
        }
    }
    redraw(s);
    return appended;
}
