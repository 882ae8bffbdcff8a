// The row gate: the one place that decides whether a pose, and the straight joint-space motion
// from the last row of the path to it, may enter the path record. It judges the arm and the box
// as drawn (collide/physical_model.h) and the joint limits; the calculations of the phases keep
// their own checks to choose their motions, the gate is an additional condition on what is
// written.
#pragma once
#include "core/path_state.h"
struct Scene;

// Interpolated poses of a motion lie at most this far apart in the largest joint, where the
// sweep bound cannot show the motion clear on its own.
constexpr double kGateResolution = 0.005;

struct GateVerdict {
    GateStatus status = GateStatus::Accepted;
    int shape = 0;      // shape that touched (link 1..N, Nw the hand, Nw+1 the work)
    int other = 0;      // what it touched (wall block 0 / 1, link index for self and work)
    double depth = 0;   // how far it went in
};

// Judges one pose.
GateVerdict gatePose(Scene& s, const double* q);
// Judges the straight motion q0 -> q1 ('R' joints the short way), both ends and every pose
// between them: where the least clearances of two poses exceed what any point can move between
// them the stretch is clear, otherwise it is halved, down to kGateResolution.
GateVerdict gateMotion(Scene& s, const double* q0, const double* q1);
// Judges the motion from -> to that a phase is about to append (or to check as the motion it
// chooses); a refusal is kept in the Scene (gateStatus ...) and traced in one line. Returns the
// interference code of the refusal (0 accepted, -1 wall, -2 floor, -3 self, the work or a joint
// limit). The last accepted motion is remembered, so that the append does not judge it again.
int gateRow(Scene& s, const double* from, const double* to);
// Least clearance of each kind over rows 0..n-1 of a path and the poses between consecutive
// rows at most kGateResolution apart (the report of a finished path; not used by the gate).
struct PathClearance {
    double wall = 9, floor = 9, workFloor = 9, work = 9, self = 9;
};
PathClearance pathClearance(Scene& s, const double (*rows)[JV], int n);
// The interference code of a status (0 for Accepted and RecordFull).
int gateCode(GateStatus status);
const char* gateStatusName(GateStatus status);
