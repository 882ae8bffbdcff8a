// Measures of a pose in the goal calculation: distances from the alpha-plane (the mid plane of
// the slit), the slit and wrist errors, their classes, and the alpha flags of joint 1 and the
// goal. The lowest layer of goal/: it calls nothing else in the folder.
#pragma once
#include "core/types.h"

struct Scene;

// Signed distance of p from the alpha-plane: nAlpha . p - rhx.
double alphaDist(const Scene& s, const Vec3& p);
// |nAlpha . p - rhx| < tolExact.
bool onAlpha(const Scene& s, const Vec3& p);
// Error class: 2 below tolExact, 4 below tolAllow, else 1.
int errorClass(double e);
// Position of joint 1: it stands on the base and no joint angle moves it.
Vec3 baseJ1(const Scene& s);
// sgnJ1Alpha and sgnWrkAlpha from joint 1 and the goal rwp.
void setAlphaFlags(Scene& s);
// J[i] held to the table (the classification may name Nw+1 or Nw+2, which are never written).
const Vec3& jointAt(const Scene& s, int i);
// |nAlpha . J[Mp] - rhx| + |nAlpha . J[Mw] - rhx| of the kinematics in s.
double slitError(const Scene& s, int Mp, int Mw);
// Euclidean |a - b| and the sum of the absolute coordinate differences.
double distVec3(const Vec3& a, const Vec3& b);
double sumAbsDiff(const Vec3& a, const Vec3& b);
// |J[N-2] - wristp| of the kinematics in s.
double wristError(const Scene& s);
// Copies joints 0..JV-1.
void copyQ(const double* src, double* dst);
