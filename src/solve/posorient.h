// Position and orientation of the work: the solver that alternates the three positioning joints
// and the wrist, with the error measures it uses.
#pragma once
#include "core/types.h"
struct Scene;

// forwardKinematics(q); the sum of |rw - rwT| over x, y, z.
double posError(Scene& s, const double* q, const Vec3& rwT);

// forwardKinematics(q); the sum of the absolute differences of the nine elements of Ew and EwT.
double orientError(Scene& s, const double* q, const Mat3& EwT);

// Places the work at rwT with orientation EwT from q0 by alternating IJKinvNearest on joints
// I, J, K (the wrist point, back from rwT along the z axis of EwT, for the 'R' wrist; the work
// point otherwise) and wristOrientNearest on the wrist, until the orientation or the position
// error is at most 1e-8 (at most 201 rounds). Returns 1 with qout the solution, or 0 with
// qout = q0: silently when a step finds nothing, with the trace line after 201 rounds. Sets
// s.cntPosOrient to the number of rounds used. rwT and EwT may be fields of s. Leaves the
// kinematics of s at the last pose tried.
int solvePosOrient(Scene& s, const double* q0, int I, int J, int K, const Vec3& rwT, const Mat3& EwT,
                   double* qout);
