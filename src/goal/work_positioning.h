// Key 'a': positions the work at the goal while the arm keeps its passage through the slit.
#pragma once
#include "core/types.h"

struct Scene;

// One press of 'a': the special case, the Newton correction or one step toward a positioning
// solution; then errP, errT, their classes and sgnSOLAEnd.
int calAa(Scene& s);
// The first triple (I, J, K) free of Lh and Mh that puts the wrist point at wristp from qs1: qP
// and qr take the pose with the wrist turned to the goal frame. Returns 1 when such a triple was
// found, 0 otherwise.
int AaWS(Scene& s, int Lh, int Mh, const double* qs1, const Vec3& rwp, double* qP);
