// Clearance summary of a pose and the height order of its joints, read by every phase.
#pragma once
struct Scene;

// Clearances of joints j1..j2 (j2 clamped to Nw) of q, judged on the side each joint is on
// ('I' up to the first joint beyond the wall, 'O' after it). bw, bf, bs have JV entries.
// Returns the first negative interference code met (0 when none) and its joint in Jbad.
int calArmClearance(Scene& s, int j1, int j2, const double* q, double* bw, double* bf, double* bs, int& Jbad);
// Height order of the joints of q on the robot side: 1 when ordered, -1 otherwise.
int jointHeightOrder(Scene& s, const double* q);
