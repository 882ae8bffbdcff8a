// Small helpers shared by the files of the goal pose calculation.
#pragma once
#include "core/types.h"

struct Scene;

// |nAlpha . p - rhx| < tolExact.
bool onAlpha(const Scene& s, const Vec3& p);
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
// Prints "label" followed by joints 1..N of q.
void printQ(const Scene& s, const char* label, const double* q);
// Prints "label" followed by a Vec3.
void printV(const Scene& s, const char* label, const Vec3& v);
// The 8 decision lines of a step: the last row's text is given by the caller ('◆' or '●').
void printDecision(const Scene& s, const char* exactLine);
// The Newton correction and the special cases as the keys 'a' (forA) and 'b' run them:
// result letter, reclassification, acceptance of a usable pose and the trace.
void runNewtonStep(Scene& s, bool forA);
void runSpecialCase(Scene& s, bool forA, int which);
// Pass feasibility of the robot before a calculation: SP1, then SP2, into sgnPS. With joint 1
// and the goal both off the alpha-plane a negative answer ends the calculation (false, sgnPS
// keeps it); otherwise a negative answer counts as 0.
bool passFeasible(Scene& s);
// Start of an 'a' (step = 'a') or 'b' step: passFeasible (false ends the step), the other
// step's stage back to 0, sgnAab = step, the drawing, trial and arm direction flags reset, and
// errP, errT of the current pose qr.
bool startGoalStep(Scene& s, char step);
// Small move of q2 from qs against the gradient direction dq over the joints LMIJK (the largest
// component moves by at most 0.01 rad). Returns dqmax, the largest |dq| over joints 1..N-3.
double nudgeAgainstGradient(const Scene& s, const double* qs, const int LMIJK[5], const double* dq, double* q2);
// One step of qr from qs toward qT: stepTowardPose into q2, then qr is q2 with the wrist turned
// to the goal frame (qr stays qT when no wrist turn reaches it). Returns ndq.
int stepQrToward(Scene& s, const double* qs, const double* qT, double* dqk, double* dqH, double* q2);
// Evaluation of the pose qr after a step: qAfinal = qr, Mpass and MW, errP, errT (the slit error
// of J[Mpass], and of J[MW] when it is a joint of the arm), their classes and sgnSOLAEnd.
void evaluateStepPose(Scene& s);
// One step of the move from qs toward qT over joints 1..N-3: dqk the differences (less 2 pi
// above pi, plus 2 pi below -pi), dqH their largest magnitude, ndq = floor(dqH / 0.1). q2 is qT
// when ndq = 0, otherwise qs moved by dqk / ndq (joints N-2..N as in qs). Returns ndq.
int stepTowardPose(const Scene& s, const double* qs, const double* qT, double* dqk, double* dqH, double* q2);
