// Phase 2 of the B-calculation: one slit pass-out cycle pulls the arm a small step back
// through the slit, keeping the joints in the slit on the alpha-plane.
#pragma once
#include "core/types.h"
struct Scene;

// One cycle from q0. Status 1: qr = qOut = the new pose, appended to the path. 0: no pass-out
// possible; -1/-2/-3: wall/floor/self interference blocks it. bw, bf, bs (JV entries) are the
// clearances of the pose returned, JColl its blocking joint.
int SlitPassWOutMotion(Scene& s, const double* q0, double* qOut, double* bw, double* bf, double* bs, int& JColl);
