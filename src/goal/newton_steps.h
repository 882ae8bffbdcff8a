// Newton correction of the slit and wrist errors: the linearised system by finite differences,
// the line search along its direction, and the correction of one 'a'/'b' press.
#pragma once

struct Scene;

// Letter of AabNewton when the system was singular and no step was made (not one of the
// result letters 'Y', 'M', 'N' of the line search).
constexpr char LS_NO_STEP = '-';

// Linearised system of the slit and wrist errors at q; the direction dq (new pose q - dq) over
// the joints LMIJK. Returns the determinant (no step when it is too small). Recomputes errP
// (as the wrist error) and errT for q.
double AabGradient2(Scene& s, const double* q, int LMIJK[5], int* sgnSP, int* MpG, int* MwG, double* dq);
// Walks from q1 along -dq in steps of at most 1e-4 rad while the summed error falls.
char LinearSearch5(Scene& s, int sgnSP, int MpG, int MwG, const int LMIJK[5], const double* q1, double* dq,
                   double* q, double* Dwr, double* Dth);
// One correction from q into qout (also qr), with the wrist error Dwr and the slit error Dth of
// qout; an arm with joint 1 on the alpha-plane takes its special case instead.
char AabNewton(Scene& s, const double* q, double* qout, double* Dwr, double* Dth);
