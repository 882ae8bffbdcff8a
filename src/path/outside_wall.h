// Motions of the part of the arm beyond the wall: the work lift of phase 1 and the fold of the far
// joints after each slit pass-out step, joint by joint (RP and PP pairs) out to the work.
// Results (sgnMotion): 1 pose changed, 0 no change, -1 wall, -2 floor, -3 self interference that
// cannot be avoided; MColl is the blocked joint. Every accepted step is appended to the path.
#pragma once
#include "core/types.h"
struct Scene;

// Phase 1 work lift from qs; q1 the pose reached. Returns 1 (stopped by the work) or 2.
int WOutWorkLift(Scene& s, const double* qs, double* q1);
// From qs1 (before a pass-out step) towards qs2 (after it): the far joints move away from the
// wall. qOut and qr receive the pose reached.
int WOutApart7(Scene& s, int Mw, const double* qs1, const double* qs2, const double* JMZ0, double* qOut,
               int& MColl);
int WOutRPLargeMotion7(Scene& s, char sgnLS, int Mw, int M, const double* qs1, const double* qs2, const Vec3& eG,
                       const double* qP, const double* JMZ0, double* qOut, int& MColl);
int WOutPPMotion8(Scene& s, char sgnLS, int Mw, int M, const double* qs1, const double* qs2, const Vec3& eG,
                  const double* qP, const double* JMZ0, double* qOut, int& MColl);
// Target of joint M from pose qT and the motion of that joint (RP or PP by the joint MF before
// it) from pose q, then the joints beyond it and the work; used after the motion of the joint
// before M (qT is q, or q with the pass-out joints that motion left undone at their target).
int continueFarMotion(Scene& s, int Mw, int M, const double* q, const double* qT, const double* JMZ0, double* qOut,
                      int& MColl);
