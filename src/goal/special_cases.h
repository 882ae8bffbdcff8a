// The goal pose calculation of an arm whose joint 1 lies on the alpha-plane: with the goal off
// the plane (case 1) or on it (case 2), and the planar wrist placement of the second. They
// replace the normal case of the 'a' and 'b' keys and of the Newton correction.
#pragma once
#include "core/types.h"

struct Scene;

// Joints a < b turn about axes normal to the alpha-plane: they place the wrist point J[N-2] at
// target from q into qout. 'Y' placed, 'N' out of reach (qout = q). Writes sgnP and sgnT.
char putWristPlanar(Scene& s, int a, int b, const double* q, const Vec3& target, double* qout);
// Case 1 (goal off the plane) and case 2 (goal on it) from q into qout, with the wrist error Dwr
// and the slit error Dth of qout (also errP, errT). 'Y' solved, 'M' moved but not within
// tolerance or joint 1 off the plane, 'N' no solution. Past the plane and reach tests both also
// write qr, and set the classes sgnP, sgnT as far as their placement decides them.
char calSpecCase1(Scene& s, const double* q, double* qout, double* Dwr, double* Dth);
char calSpecCase2(Scene& s, const double* q, double* qout, double* Dwr, double* Dth);
