// Targets of the far joints: where the link of joint M should point, and the correction of a
// target direction that hits the floor or saturates the joint before it.
#pragma once
#include "core/types.h"
struct Scene;

// Target of joint M: returns sgnLS ('L', 'S' or 'N') with the direction eG and the pose qP.
char calWOutJntMTarget4(Scene& s, int Mw, int M, const double* qs2, double zM, Vec3& eG, double* qP);
// Corrects the target direction eG of link M when it would hit the floor or saturate the joint
// before it. Returns 0 (unchanged), 1 (changed) or a negative interference code.
int WOutChangeArmDir(Scene& s, int Mw, int M, const double* q, const Vec3& eNow, const Vec3& eG, Vec3& eOut);
