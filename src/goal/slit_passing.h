// Key 'b': turns joints of the arm so that the joints at the wall entrance lie on the
// alpha-plane (the analytic search of slit-pass poses), then steps toward the chosen pose.
#pragma once
#include "core/types.h"

struct Scene;

// Capacity of the slit-pass solution table of SlitPassA5.
constexpr int SLITSOL_MAX = 64;

// One row of the slit-pass solution table: the pose, the pair (L, M) that produced it and its
// classification by the wall (Mp, first joint inside the wall Mm or 0, Mw).
struct SlitSolution {
    double q[JV];
    int Mp, Mm, Mw, L, M;
};

// One press of 'b': the special case, the Newton correction or one step toward the slit-pass
// pose qAb (searched on the first press); then errP, errT, their classes and sgnSOLAEnd.
int calAb(Scene& s);
// The poses from q0 in which two consecutive joints lie on the alpha-plane, turned by pairs of
// joints (L, M), into table (SLITSOL_MAX rows). Returns their number.
int SlitPassA5(Scene& s, const double* q0, SlitSolution* table);
// The poses from q1 in which J[kM] and the next joint not of type 'R' lie on the alpha-plane
// (joint kL turns the first, joint kM the second), with the joint MM placed. Returns their number.
int SlitPassAStep2(Scene& s, int kL, int kM, int kH, const double* q1, double qout[2][JV], int MM[2]);
// Case 3 (goal on the alpha-plane, joint 1 off it): one pose with the joint before the wall
// placed and the next joint on the plane, with its Mp, Mm, Mw, L, M. Returns 0 or 1.
int SlitPassASpec3(Scene& s, const double* q0, double* qout, int* Mp, int* Mm, int* Mw, int* L, int* M);
