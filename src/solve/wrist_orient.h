// The wrist orientation solver: the three wrist joints that give the hand a goal frame, the
// arm joints held.
#pragma once
#include "core/types.h"
struct Scene;

// The wrist joints N-2, N-1, N (R, P, R, coincident) that make the hand frame (frame of joint N
// times EwH) equal to EwG, joints 1..N-3 as in q. Writes full joint vectors into sols (room for
// 2) with the wrist angles in [-pi, pi); returns 2 (regular), 1 (joint N-2's axis along the goal
// axis of joint N, squared sine below 1e-7) or 0 (no turn of joint N-2 keeps the wrist's axis
// angles). Every solution gives the goal hand frame (checked before it is returned). Does not
// change the kinematics held in s.
int wristOrientSolve(const Scene& s, const double* q, const Mat3& EwH, const Mat3& EwG, double sols[2][JV]);

// wristOrientSolve and the solution nearest to q over joints N-2, N-1, N. Returns 1 with qout
// that solution, or 0 leaving qout unchanged. qout may be q itself.
int wristOrientNearest(const Scene& s, const double* q, const Mat3& EwH, const Mat3& EwG, double* qout);
