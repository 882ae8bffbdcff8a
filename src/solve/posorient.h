// Position and orientation of the work: the wrist orientation solver and the alternating
// position/orientation solver, with the error measures and angle distances they use.
#pragma once
#include "core/types.h"
struct Scene;

// Sum over the joints a, b, c of the shortest angular difference of x and y (one 2 pi shift).
double jointDist3(int a, int b, int c, const double* x, const double* y);

// a - b, or a - b +- 2 pi, whichever has the smallest magnitude (a - b on a tie).
double wrapDiff(double a, double b);

// forwardKinematics(q); the sum of |rw - rwT| over x, y, z.
double posError(Scene& s, const double* q, const Vec3& rwT);

// forwardKinematics(q); the sum of the absolute differences of the nine elements of Ew and EwT.
double orientError(Scene& s, const double* q, const Mat3& EwT);

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

// Places the work at rwT with orientation EwT from q0 by alternating IJKinvNearest on joints
// I, J, K (the wrist point, back from rwT along the z axis of EwT, for the 'R' wrist; the work
// point otherwise) and wristOrientNearest on the wrist, until the orientation or the position
// error is at most 1e-8 (at most 201 rounds). Returns 1 with qout the solution, or 0 with
// qout = q0: silently when a step finds nothing, with the trace line after 201 rounds. Sets
// s.cntPosOrient to the number of rounds used. rwT and EwT may be fields of s. Leaves the
// kinematics of s at the last pose tried.
int solvePosOrient(Scene& s, const double* q0, int I, int J, int K, const Vec3& rwT, const Mat3& EwT,
                   double* qout);
