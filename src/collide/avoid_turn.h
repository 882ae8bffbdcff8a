// Turning a direction vector from aa to bb about a joint point so that a link along it keeps
// off the wall band and the floor margin. A turn is a circle in unit-vector space: the moving
// vector is c + r (cos t e1 + sin t e2) for t from 0 to angle (e1, e2 orthonormal).
#pragma once
#include "core/types.h"

struct Scene;

// Turn of the link of joint M (its direction aa to bb) about the point P, side 'O' or 'I'.
// Returns 1 for a plain great-circle turn that cannot touch the wall band or the floor margin,
// otherwise the result of calTurnAvoidAxis (also 1; sgnTurn holds it). Degenerate inputs (a
// zero vector, aa along bb) give r = 0, angle = 0 and return 1. Prints its trace.
int calTurnAvoidWF(Scene& s, char side, int M, const Vec3& P, const Vec3& aa, const Vec3& bb, Vec3& c, Vec3& e1,
                   Vec3& e2, double& r, double& angle);

// The avoiding turn from unit a to unit b: its axis is tilted so that the vector first moves
// away from the wall (+y for 'O', -y for 'I') and upwards where possible. angle in [0, 2 pi).
// Returns 1.
int calTurnAvoidAxis(Scene& s, char side, const Vec3& a, const Vec3& b, Vec3& c, Vec3& e1, Vec3& e2, double& r,
                     double& angle);

// The angle intervals where a velocity component of phase a is non-negative ('P') or
// non-positive ('N'), met by intervalMeet; out = [lo, hi].
void halfIntervals(Scene& s, char s1, double a1, char s2, double a2, double out[2]);
// Meet of two angle intervals taken modulo 2 pi; out = [lo, hi], or [0, 0] with sgnTurn = 0
// when they do not meet (sgnTurn = 1 when they do).
void intervalMeet(Scene& s, double lo1, double hi1, double lo2, double hi2, double out[2]);
