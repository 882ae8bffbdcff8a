// The goal pose calculation (A): start pose candidates, work positioning ('a'), slit pass
// ('b'), the Newton and gradient correction and the special cases of a first joint or a goal
// on the alpha-plane.
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

// --- driver and start pose ---
// Key 'A' (also start-up and a robot change): candidates, current pose, errors and classes.
int setcalA(Scene& s);
// Grid search of the joints Lh, Mh for start poses that put the work at rwp with EwG; fills
// qss0 and returns the number of candidates.
int StartPose(Scene& s, int Lh, int Mh, int Iinv, int Jinv, int Kinv, const Vec3& rwp, const Mat3& EwG,
              double qss0[][JV]);

// --- work positioning ('a') ---
int calAa(Scene& s);
int AaWS(Scene& s, int Lh, int Mh, const double* qs1, const Vec3& rwp, double* qP);

// --- slit pass ('b') ---
int calAb(Scene& s);
int SlitPassA5(Scene& s, const double* q0, SlitSolution* table);
int SlitPassAStep2(Scene& s, int kL, int kM, int kH, const double* q1, double qout[2][JV], int MM[2]);
int PutJMSlitPlaneA(Scene& s, int L, int M, const double* q, double* qout1, double* qout2, int* Mplaced);
int PutJMHSlitPlaneA(Scene& s, int M, int M1, const double* q, double* qout, int* MM);
int SlitPassASpec3(Scene& s, const double* q0, double* qout, int* Mp, int* Mm, int* Mw, int* L, int* M);

// --- Newton and gradient correction ---
// Linearised system of the slit and wrist errors at q; the direction dq (new pose q - dq) over
// the joints LMIJK. Returns the determinant (no step when it is too small).
double AabGradient2(Scene& s, const double* q, int LMIJK[5], int* sgnSP, int* MpG, int* MwG, double* dq);
// Walks from q1 along -dq in steps of at most 1e-4 rad while the summed error falls.
char LinearSearch5(Scene& s, int sgnSP, int MpG, int MwG, const int LMIJK[5], const double* q1, double* dq,
                   double* q, double* Dwr, double* Dth);
char AabNewton(Scene& s, const double* q, double* qout, double* Dwr, double* Dth);

// --- special cases and pass feasibility ---
int SP1(Scene& s);
int SP2(Scene& s);
int J1AlphaStartPose(Scene& s, double* q, int* Lh, int* Mh);
char putWristPlanar(Scene& s, int a, int b, const double* q, const Vec3& target, double* qout);
char calSpecCase1(Scene& s, const double* q, double* qout, double* Dwr, double* Dth);
char calSpecCase2(Scene& s, const double* q, double* qout, double* Dwr, double* Dth);

// --- shared small helpers of the goal calculation ---
// Signed distance of p from the alpha-plane: nAlpha . p - rhx.
double alphaDist(const Scene& s, const Vec3& p);
// Error class: 2 below tolExact, 4 below tolAllow, else 1.
int errorClass(double e);
// Empties the path state of the reverse path generation (a new final pose invalidates it).
void resetPathForNewPose(Scene& s);
