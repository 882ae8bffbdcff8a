// Phases 3 and 5 of the B-calculation: the arm, back in front of the wall, moves away from it
// and towards the initial pose.
#pragma once
#include "core/types.h"
struct Scene;

// Entry into free space: phase 3, or 5 when the joints are already in height order.
void calBFREESTART(Scene& s);
// Phase 3: elbow and wrist away from the wall.
void calBFREESPACE1(Scene& s);
// Phase 5: one interference-avoiding or straight step towards the initial pose.
void calBFREESPACE2(Scene& s);
// The joint of q nearest the wall in the sense of the free-space motion, with its y. Returns M.
int calJntNearWall(Scene& s, const double* q, int& M, double& y);
