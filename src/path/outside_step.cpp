// The steps of the motions beyond the wall: the check of one step pose (the repair of the joint
// that moves, then every joint, link and row between it and the last path row), its append, and
// the joints that turn a link.
#include "path/outside_step.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "collide/interference.h"
#include "model/joints.h"
#include "model/kinematics.h"
#include "model/vecops.h"
#include "path/path_append.h"
#include "path/path_clearance.h"
#include "path/row_gate.h"
#include "path/slit_select.h"
#include "path/wall_sides.h"

int motionCode(int code) {
    if (code >= 0) return 0;
    const int kind = foldCollCode(code);
    return (kind == kMCollWall || kind == kMCollFloor) ? kind : kMCollSelf;
}

namespace {

// Largest distance from the slit plane of a joint in or near the wall on a row between two step
// poses: inside the slit (half width 0.15) with 0.05 to spare, as the pass-out link test.
constexpr double kSlitSag = 0.10;
// Clearance a folded-back far joint keeps from the far margin band at a step pose.
constexpr double kBandSpare = 0.001;

// The joint and link checks of a far-side pose (no repair): 0 when clear, else the code with
// the joint in Mbad.
int farPoseCheck(Scene& s, const double* q, int& Mbad) {
    double bw = 0, bf = 0, bs = 0;
    int K = 0, t1 = 0, t2 = 0;
    Vec3 P1, P2;
    Mbad = 0;
    int Mp = 0, Mw = 0;
    classifyWallSides(s, q, Mp, Mw);
    // Every joint beyond the wall: a far joint folded back into the wall is caught here.
    for (int j = Mw; j <= s.Nw; ++j) {
        const int c = phaseCollCheck(s, 'O', j, q, bw, bf, bs, K, P1, P2, t1, t2);
        if (c < 0) {
            Mbad = j;
            return motionCode(c);
        }
    }
    // The self check of a far joint on the far side looks only at links beyond the wall; the work
    // folded back can come near the links before it: every far joint against every earlier link.
    for (int j = Mw; j <= s.Nw; ++j) {
        double d = 0;
        if (SelfCollCheck(s, 1, j, q, d, bs, K, P1, P2, t1, t2) < 0) {
            Mbad = j;
            return kMCollSelf;
        }
    }
    // The wall check of a joint reports the margin band only for the first joint beyond the wall
    // and the joints in it: a later joint folded back into the band (or into the wall) passes
    // there. Off the slit plane it is a wall interference.
    forwardKinematics(s, q);
    for (int j = Mw + 1; j <= s.Nw; ++j) {
        // 1 mm to spare: the moves between steps skim the face of the band without dipping in.
        const double face = (j == s.Nw ? s.rhy2W : s.rhy2M) + kBandSpare;
        if (s.J[j][1] < face && std::fabs(s.J[j][0] - s.rhx) > 0.01) {
            Mbad = j;
            return kMCollWall;
        }
    }
    // Likewise a joint after the leading robot-side run (past the wall) folded back to the
    // robot's side into the near face's margin band.
    for (int j = Mp + 1; j < Mw && j <= s.Nw; ++j) {
        const double face = j == s.Nw ? s.rhy1W : s.rhy1M;
        if (s.J[j][1] <= s.rhy1 && s.J[j][1] > face && std::fabs(s.J[j][0] - s.rhx) > 0.01) {
            Mbad = j;
            return kMCollWall;
        }
    }
    for (int j = 2; j <= Mp && j <= s.Nw; ++j) {
        const int c = phaseCollCheck(s, 'I', j, q, bw, bf, bs, K, P1, P2, t1, t2);
        // The joint check asks a robot-side joint in the near margin band to lie on the slit
        // plane, as the pass-out poses keep it; a step between two of them may sag off the plane
        // inside the slit, as the rows between steps may.
        if (c == kMCollWall && s.J[j][1] <= s.rhy1 && std::fabs(s.J[j][0] - s.rhx) <= kSlitSag) continue;
        if (c < 0) {
            Mbad = j;
            return motionCode(c);
        }
    }
    // The joint checks judge points: a link that crosses a wall face off the slit (a far joint
    // off the plane while the joint before it comes back into the wall) is a wall interference.
    const int link = slitLinkCheck(s, q);
    if (link > 0) {
        Mbad = link;
        return kMCollWall;
    }
    return 0;
}

// A row the append writes between two checked step poses: clear of the floor and of the arm
// itself, and inside the slit where it is in or near the wall. The step poses keep the joints in
// the wall on the slit plane; the rows between may sag a little off it, never out of the slit.
int farRowCheck(Scene& s, const double* q, int& Mbad) {
    double d = 0, bs = 0;
    int K = 0, t1 = 0, t2 = 0;
    Vec3 P1, P2;
    for (int j = 2; j <= s.Nw; ++j) {
        // Between two repaired steps that both sit at the edge of the allowed shortfall (0.001),
        // the clearance can dip past it between the sampled poses: 2e-5 to spare.
        if (SelfCollCheck(s, 1, j, q, d, bs, K, P1, P2, t1, t2) < 0 || bs < -0.001 + 2e-5) {
            Mbad = j;
            return kMCollSelf;
        }
    }
    forwardKinematics(s, q);
    for (int j = 2; j <= s.Nw; ++j) {
        const double m = j == s.Nw ? MarginW : Margin;
        const double y = s.J[j][1];
        if ((j < s.Nw || s.sgnPATH >= PhaseSlitPassOut) && s.J[j][2] - m <= 0) {
            Mbad = j;
            return kMCollFloor;
        }
        if (y > s.rhy1 - m && y < s.rhy2 + m && std::fabs(s.J[j][0] - s.rhx) > kSlitSag) {
            Mbad = j;
            return kMCollWall;
        }
    }
    const int link = slitLinkCheck(s, q);
    if (link > 0) {
        Mbad = link;
        return kMCollWall;
    }
    return 0;
}

// The rows the append writes between the last row of the path and q (the subdivision of
// appendPathSegment): a repair may put the pose far from the previous one, and the straight move
// between them must be clear too.
int farMoveCheck(Scene& s, const double* q, int& Mbad) {
    const double* from = s.qIPATH[s.NPATH];
    double dq[JV] = {}, w[JV] = {};
    for (int i = 1; i <= s.N; ++i) w[i] = dq[i] = jointDiff(s, i, q[i], from[i]);
    for (int i = s.N - 2; i <= s.N; ++i) w[i] = std::fabs(w[i]) / 5.0;
    const double d = maxAbsJoint(s, s.N, w);
    if (!(d > 1e-9)) return 0;
    int n = static_cast<int>(std::ceil(d / 0.025 - 1e-9));
    if (n < 1) n = 1;
    // The rows written and poses between them at most 0.01 rad apart in every joint (the wrist
    // joints move five times the row bound): a move along the edge of a margin band, or of the
    // self clearance, can dip into it between two rows that are both clear.
    const double dFull = maxAbsJoint(s, s.N, dq);
    int m = static_cast<int>(std::ceil(dFull / n / 0.01));
    if (m < 2) m = 2;
    if (m > 16) m = 16;
    for (int k = 1; k < n * m; ++k) {
        double row[JV] = {};
        for (int i = 1; i <= s.N; ++i) row[i] = from[i] + dq[i] * k / (n * m);
        const int code = farRowCheck(s, row, Mbad);
        if (code < 0) return code;
    }
    return 0;
}

}  // namespace

int checkFarStep(Scene& s, int Mmove, const double* q, double* qOut, int& Mbad, int& collType) {
    double bw = 0, bf = 0, bs = 0;
    int K = 0, t1 = 0, t2 = 0;
    Vec3 P1, P2;
    double qa[JV];
    copyJointVector(JV - 1, q, qa);
    Mbad = 0;
    collType = phaseCollCheck(s, 'O', Mmove, qa, bw, bf, bs, K, P1, P2, t1, t2);
    const int r = phaseCollAvoid(s, 'O', Mmove, qa, bw, bf, bs, qOut);
    if (r < 0) {
        Mbad = Mmove;
        return motionCode(r);
    }
    int code = farPoseCheck(s, qOut, Mbad);
    if (code == 0) code = farMoveCheck(s, qOut, Mbad);
    if (code == 0 && (code = gateRow(s, s.qIPATH[s.NPATH], qOut)) < 0) Mbad = Mmove;
    if (code < 0) return code;
    return collType < 0 ? kStepRepaired : kStepClear;
}

void appendFarStep(Scene& s, const double* qTo) {
    if (qTo != s.qr) copyJointVector(JV - 1, qTo, s.qr);
    s.sgnMColl = kMCollRunning;
    appendPathSegment(s, s.qIPATH[s.NPATH], s.qr);
}

void linkDrivers(const Scene& s, int M, int& ME, int& MF) {
    ME = M - 1;
    if (ME >= 1 && s.JRTYPE[ME] == 'R') ME -= 1;
    MF = ME - 1;
}

int nextFarJoint(const Scene& s, int M) {
    int MM = M + 1;
    while (MM < s.Nw && s.L[MM] < tolFine) ++MM;
    return MM > s.Nw ? s.Nw : MM;
}

int stepCountOf(double x) {
    if (!std::isfinite(x) || x < 0) return 0;
    if (x > 1e6) return 1000000;
    return static_cast<int>(x + 1e-9);
}

double clampUnit(double x) { return x > 1 ? 1 : (x < -1 ? -1 : x); }

char jointTypeOf(const Scene& s, int i) { return (i >= 0 && i <= JV) ? s.JRTYPE[i] : ' '; }
