// The trail joint of the record, the smoothing of the reverse path, its reversal into the forward
// path, and the playback along it.
#include "path/path_record.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "model/joints.h"
#include "model/kinematics.h"
#include "model/angles.h"
#include "model/vecops.h"
#include "path/path_clearance.h"
#include "path/row_gate.h"
#include "path/wall_sides.h"

void smoothWindow(const Scene& s, int m, int j0, const double (*W)[JV], double* out) {
    if (m <= 0) return;  // no row to read: out is left as it is
    const double* centre = W[m / 2];
    for (int i = 0; i < JV; ++i) out[i] = centre[i];
    if (j0 < 1) j0 = 1;
    for (int i = j0; i <= s.N; ++i) {
        double sum = 0;
        if (s.JRTYPE[i] == 'R') {
            for (int r = 0; r < m; ++r) sum += jointDiff(s, i, W[r][i], centre[i]);
            out[i] = centre[i] + sum / m;
        } else {
            for (int r = 0; r < m; ++r) sum += W[r][i];
            out[i] = sum / m;
        }
    }
}

void setPathTrack(Scene& s, const double* q) {
    classifyWallSides(s, q, s.Mpass, s.MW);
    int M = s.Mpass > s.Nw ? s.Nw : s.Mpass;
    if (M >= 1 && s.JRTYPE[M] == 'R') M -= 1;
    s.MpTrack = M < 0 ? 0 : M;
    forwardKinematics(s, q);
}

double weightedStep(const Scene& s, const double* a, const double* b) {
    double d = 0;
    for (int i = 1; i <= s.N; ++i) {
        const double w = std::fabs(jointDiff(s, i, b[i], a[i])) / (i >= s.N - 2 ? 5.0 : 1.0);
        if (w > d) d = w;
    }
    return d;
}

namespace {

// Window of 2h+1 rows of qIPATH centred on row k (h <= 5), smoothed from joint j0 into qSIPATH[k].
void smoothRow(Scene& s, int k, int h, int j0) {
    double W[11][JV];
    const int m = 2 * h + 1;
    for (int r = 0; r < m; ++r) copyJointVector(JV - 1, s.qIPATH[k - h + r], W[r]);
    smoothWindow(s, m, j0, W, s.qSIPATH[k]);
}

// A smoothed row must be as sound as the rows it was averaged from: every joint clear by the
// interference check, and every joint between the wall faces on the slit plane (averaging
// across a change of the far side can pull a joint in the wall off the plane).
bool smoothedRowSound(Scene& s, const double* q) {
    double bw[JV], bf[JV], bs[JV];
    int J = 0;
    if (calArmClearance(s, 2, s.Nw, q, bw, bf, bs, J) < 0) return false;
    forwardKinematics(s, q);
    for (int j = 1; j <= s.Nw; ++j) {
        const double m = j == s.Nw ? MarginW : Margin;
        const double y = s.J[j][1];
        if (y > s.rhy1 - m && y < s.rhy2 + m && std::fabs(s.J[j][0] - s.rhx) > tolAllow) return false;
    }
    return true;
}

}  // namespace

void keepSmoothingSound(Scene& s) {
    const int n = s.NPATH, N = s.N;
    auto smoothed = [&](int k) { return jointDistance(1, N, s.qSIPATH[k], s.qIPATH[k]) > 0; };
    auto takeBack = [&](int k) { copyJointVector(JV - 1, s.qIPATH[k], s.qSIPATH[k]); };
    for (int k = 1; k < n; ++k)
        if (smoothed(k) && !smoothedRowSound(s, s.qSIPATH[k])) takeBack(k);
    for (int k = 1; k <= n; ++k) {
        // Each smoothed row and the motion to it pass the row gate, as every generated row did.
        const bool sound = weightedStep(s, s.qSIPATH[k - 1], s.qSIPATH[k]) <= 0.025 + 1e-9 &&
                           (!(smoothed(k) || smoothed(k - 1)) ||
                            gateMotion(s, s.qSIPATH[k - 1], s.qSIPATH[k]).status == GateStatus::Accepted);
        if (sound) continue;
        const bool here = smoothed(k), before = smoothed(k - 1);
        if (here) takeBack(k);
        if (before) takeBack(k - 1);
        if (here || before) k = k >= 3 ? k - 3 : 0;  // look again from the row before
    }
}

namespace {

int farSideStart(Scene& s, int k) {
    int Mp = 0, Mw = 0;
    classifyWallSides(s, s.qIPATH[k], Mp, Mw);
    return Mw;
}

}  // namespace

void smoothPATH(Scene& s) {
    const int N = s.N, n = s.NPATH;
    for (int k = 0; k <= n; ++k) {
        s.qIPATH[k][0] = 0;
        wrapJointVector(N, s.qIPATH[k], s.qIPATH[k]);
        copyJointVector(JV - 1, s.qIPATH[k], s.qSIPATH[k]);
    }
    // kB: the first row with the whole arm in front of the wall; kA: the last row before it (or
    // of the whole record) whose far side starts at joint N-2 or later.
    int kA = -1, kB = -1, scanned = n;
    for (int k = 0; k <= n; ++k) {
        int Mp = 0, Mw = 0;
        classifyWallSides(s, s.qIPATH[k], Mp, Mw);
        if (Mw >= N - 2) kA = k;
        if (Mp >= s.Nw) {
            kB = k;
            scanned = k;
            break;
        }
    }
    // Stage 1: through the slit, only the joints beyond the wall at the far end of the window.
    // It ends at row kEnd; the windows narrow towards it as they widen from row 0, so that the
    // smoothed rows join the unsmoothed ones without a jump.
    int kEnd = kA + 1;
    for (int k = 1; k <= kA; ++k) {
        const int h = k < 5 ? k : 5;
        if (k + h > scanned || farSideStart(s, k + h) >= N - 2) {
            kEnd = k;
            break;
        }
    }
    for (int k = 1; k < kEnd; ++k) {
        const int h0 = k < 5 ? k : 5;
        const int h = h0 < kEnd - k ? h0 : kEnd - k;
        smoothRow(s, k, h, farSideStart(s, k + h0));
    }
    // Stage 2: free space, all joints; the last five rows stay as they are.
    if (kB >= 0)
        for (int k = kB + 1; k <= n - 5; ++k) smoothRow(s, k, (k - kB) < 5 ? k - kB : 5, 1);
}

void convertPath(Scene& s) {
    smoothPATH(s);
    keepSmoothingSound(s);
    for (int k = 0; k <= s.NPATH; ++k) {
        s.rwPATH[k] = s.rwIPATH[s.NPATH - k];
        copyJointVector(JV - 1, s.qSIPATH[s.NPATH - k], s.qPATH[k]);
    }
}

void calCMOTION(Scene& s) {
    tracef(s, "\nC======逆経路データをSmoothingし，正経路データに変換して経路描画==========C");
    convertPath(s);
    if (s.sgnPATH != PhaseComplete) return;
    s.sgnCAL = 'C';
    if (pathComplete(s)) {
        s.sgnMOVE = 'M';
        copyJointVector(JV - 1, s.qZero, s.qr);
        s.nMOVE = 0;
        tracef(s, "\nC======経路上の運動終了===================================================C");
    }
}

void stepMotion(Scene& s) {
    s.sgnMOVE = 'M';
    if (s.dirMOVE > 0) {
        s.nMOVE += 1;
        if (s.NPATH > 500) s.nMOVE += 1;
        if (s.NPATH > 800) s.nMOVE += 1;
    }
    if (s.dirMOVE < 0) s.nMOVE -= 1;
    if (s.nMOVE < 0) s.nMOVE = 0;
    if (s.nMOVE > s.NPATH) {
        s.nMOVE = s.NPATH;
        s.sgnMOVE = 'E';
    }
    copyJointVector(JV - 1, s.qPATH[s.nMOVE], s.qr);
}
