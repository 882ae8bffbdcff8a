// Placing a joint on the alpha-plane by turning one joint of the arm: the two placements the
// slit-pass search is built from.
#pragma once

struct Scene;

// Joint after M that a placement moves: M+1, or M+2 when joint M+1 turns about its link ('R').
int nextPlacedJoint(const Scene& s, int M);
// Joint L turns so that J[M] (J[M+1] for an 'R' joint M, reported in Mplaced) reaches the
// alpha-plane: 0, 1 or 2 solutions in qout1, qout2.
int PutJMSlitPlaneA(Scene& s, int L, int M, const double* q, double* qout1, double* qout2, int* Mplaced);
// Joint M turns so that the next joint reaches the alpha-plane while J[M] stays on it: 0 or 1.
int PutJMHSlitPlaneA(Scene& s, int M, int M1, const double* q, double* qout, int* MM);
