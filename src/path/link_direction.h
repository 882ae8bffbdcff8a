// Turning one link to a given world direction with the two joints that drive it.
#pragma once
#include "core/types.h"
struct Scene;

// Every pair of values of the two driving joints of link M (M = Nw: the work) that points the
// link along the unit vector e; each out row is a copy of q with those two joints replaced and
// verified by forward kinematics. Returns the count (0..4).
int calJntMDirSolve(Scene& s, const double* q, int M, const Vec3& e, double out[4][JV]);
// The solution of calJntMDirSolve nearest to q in qOut (qOut = q when the link already points
// along e or there is none). Returns the number of solutions. qOut may be q itself.
int calJntMDir(Scene& s, const double* q, int M, const Vec3& e, double* qOut);
