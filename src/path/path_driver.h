// The B-calculation driver: preparation and checks of the final pose, phase 1 (work lift and
// the joints beyond the wall), phase 2 (one slit pass-out per step) and the entry into free
// space, with the clearance summary every phase uses.
#pragma once
struct Scene;

// Key 'B': checks the accepted final pose qAfinal and starts a new path (phase 1), or resumes
// the phase left with 'O'.
void calBPREP(Scene& s);
// Phase 1.
void calWRIST3(Scene& s);
// Phase 2: one slit pass-out cycle.
void calBTHROUGH(Scene& s);
// Entry into free space: phase 3, or 5 when the joints are already in height order.
void calBFREESTART(Scene& s);
// Runs the function of the current phase (1, 2, 3, 5, 6); other phases do nothing.
void runBPhase(Scene& s);
// Clearances of joints j1..j2 (j2 clamped to Nw) of q, judged on the side each joint is on
// ('I' up to the first joint beyond the wall, 'O' after it). bw, bf, bs have JV entries.
// Returns the first negative interference code met (0 when none) and its joint in Jbad.
int calArmClearance(Scene& s, int j1, int j2, const double* q, double* bw, double* bf, double* bs, int& Jbad);
// The joint whose positions the record keeps as the trail (MpTrack), from the wall
// classification of q; leaves the forward kinematics of q in the Scene.
void setPathTrack(Scene& s, const double* q);
// Height order of the joints of q on the robot side: 1 when ordered, -1 otherwise.
int jointHeightOrder(Scene& s, const double* q);
