// Analytic positioning: the planar two-link inverse and the three-joint inverse that brings a
// chosen point of the arm to a target, all other joints held.
#pragma once
#include "core/types.h"
struct Scene;

// L1 cos q1 + L2 cos(q1 + q2) = X, L1 sin q1 + L2 sin(q1 + q2) = Y. Returns 0 or 2 with
// qq[k][0] = q1, qq[k][1] = q2 (q2 not wrapped). Traces the solutions and their check.
int pinv2d(const Scene& s, double L1, double L2, double X, double Y, double qq[2][2]);

// Every set of angles of the revolute joints I < J < K of q that brings a point of the arm to
// target (world), the other joints held. mode: "WORK" (the work point), "WRIST" (the wrist
// point, joint N-1), "LINK" (point P given in the frame of joint K after its rotation).
// sols: 4 joint vectors (JV entries each), each a copy of q with joints I, J, K replaced.
// Returns the number of distinct solutions, 0..4, packed at the front. Prints nothing itself.
int IJKinv(const Scene& s, const char* mode, const double* q, int I, int J, int K, const Vec3& P,
           const Vec3& target, double sols[4][JV]);

// IJKinv and the solution nearest to q by jointDist3 over I, J, K (the first of equal ones).
// Returns 1 with qout that solution, or 0 with qout = q. qout may be q itself.
int IJKinvNearest(const Scene& s, const char* mode, const double* q, int I, int J, int K, const Vec3& P,
                  const Vec3& target, double* qout);
