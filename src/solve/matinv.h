// Inverse of a small dense matrix (order at most 5) by LU decomposition with partial pivoting.
#pragma once
struct Scene;

// Largest order the inverse handles; its working storage is fixed at this size.
constexpr int MATINV_NMAX = 5;

// Inverts the leading n x n block of a in place and returns the determinant of the input.
// Element (i, j) is a[ncol * i + j]; ncol >= n is the caller's row stride; nothing outside the
// leading block is read or written. The inverse is formed only when |det| > 1e-6; otherwise a is
// left as it was. A pivot below 1e-8 prints "\n%d row = %11.3e, no inverse" on the trace of s and
// returns 0.0. n outside 1..MATINV_NMAX (or ncol < n) returns 0.0 and touches nothing.
double matinv(const Scene& s, int n, double* a, int ncol);
