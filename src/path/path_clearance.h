// Clearance summary of a pose and the height order of its joints, read by every phase.
#pragma once
#include "collide/interference.h"
#include "core/types.h"

struct Scene;

// JntMCollCheck of joint M under the floor rule of the phase under way: the work point is judged
// against the floor margin once the path generation is past its first phase (it has left the goal).
int phaseCollCheck(Scene& s, char side, int M, const double* q, double& bw, double& bf, double& bs, int& K, Vec3& P1,
                   Vec3& P2, int& t1, int& t2);
// JntMCollAvoid under the floor rule of the phase under way, its status written to the driver:
// JColl cleared when its repair ran, sgnMColl set to a negative code.
int phaseCollAvoid(Scene& s, char side, int M, const double* q, double& bw, double& bf, double& bs, double* qout);

// Clearances of joints j1..j2 (j2 clamped to Nw) of q, judged on the side each joint is on
// ('I' up to the first joint beyond the wall, 'O' after it). bw, bf, bs have JV entries.
// Returns the first negative interference code met (0 when none) and its joint in Jbad.
int calArmClearance(Scene& s, int j1, int j2, const double* q, double* bw, double* bf, double* bs, int& Jbad);
// Interference code of a check (0, -1 .. -7) folded to one kind: a combined code counts as its
// first kind, wall before floor before self (-4, -5, -7 wall; -6 floor); others unchanged.
int foldCollCode(int code);
// Height order of the joints of q on the robot side: 1 when ordered, -1 otherwise.
int jointHeightOrder(Scene& s, const double* q);
