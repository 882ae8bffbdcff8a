// Joint-aware angle differences and the joint limit clamp (they depend on the joint letters).
#pragma once
struct Scene;

double jointDiff(const Scene& s, int i, double a, double b);
void jointDiffVector(const Scene& s, int i0, int i1, const double* a, const double* b, double* out);
double jointDiffSum(const Scene& s, int i0, int i1, const double* a, const double* b);
// Euclidean norm of the joint differences a - b over joints i0..i1 ('R' joints wrapped).
double jointDiffNorm(const Scene& s, int i0, int i1, const double* a, const double* b);
double maxAbsJoint(const Scene& s, int n, const double* v);
int argMaxAbsJoint(const Scene& s, int n, const double* v, double* maxOut);
// The limit of joint i: qLimit for a 'P' or 'Q' joint below N-1, qLimitWrist for joint N-1;
// 0 for a joint without a limit.
double jointLimit(const Scene& s, int i);
// Holds q inside the limit of joint i (out); 1 when q was outside it.
int clampJoint(const Scene& s, int i, double q, double* out);
