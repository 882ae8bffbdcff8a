// Small helpers shared by the files of the goal pose calculation.
#pragma once
#include "model/types.h"

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
// One step of the move from qs toward qT over joints 1..N-3: dqk the differences (less 2 pi
// above pi, plus 2 pi below -pi), dqH their largest magnitude, ndq = floor(dqH / 0.1). q2 is qT
// when ndq = 0, otherwise qs moved by dqk / ndq (joints N-2..N as in qs). Returns ndq.
int stepTowardPose(const Scene& s, const double* qs, const double* qT, double* dqk, double* dqH, double* q2);
