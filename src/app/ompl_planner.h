// A sampling planner on the row gate: OMPL behind a small adapter. The state space holds joints
// 1..N; 'R' joints wrap (they move the short way, as the gate and the path record take them),
// the others keep their limits. A state is valid when gatePose accepts it and a motion when
// gateMotion does, so that a planned path passes the same gate as every row of the record.
// OMPL allocates while it plans; this runs only on request, never inside the key calculations.
// Defines planJointPath and plannerAvailable of app/planner.h.
#pragma once
#include "app/planner.h"
struct Scene;

// The adapter's joint space, exposed for the tests: distance and interpolation of two joint
// vectors as the planner sees them, and whether a vector lies inside the space's bounds.
double plannerDistance(Scene& s, const double* a, const double* b);
void plannerInterpolate(Scene& s, const double* a, const double* b, double t, double* out);
bool plannerInBounds(Scene& s, const double* q);
