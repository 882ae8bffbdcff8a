// Entry of the goal pose calculation (key 'A', start-up, a robot change): the start pose
// candidates, the current candidate as the pose, and its errors and classes.
#pragma once
#include "core/types.h"

struct Scene;

// Key 'A' (also start-up and a robot change): candidates, current pose, errors and classes.
// Returns sgnPS when the slit is impassable for the robot, otherwise 1.
int setcalA(Scene& s);
// Grid search of the joints Lh, Mh for start poses that put the work at rwp with EwG; fills
// qss0 and returns the number of candidates.
int StartPose(Scene& s, int Lh, int Mh, int Iinv, int Jinv, int Kinv, const Vec3& rwp, const Mat3& EwG,
              double qss0[][JV]);
// The start pose of an arm whose joint 1 lies on the alpha-plane, by the axis directions of
// joints 1..3 at the zero pose, and the pair (Lh, Mh) that the search varies. Returns 1.
int J1AlphaStartPose(Scene& s, double* q, int* Lh, int* Mh);
