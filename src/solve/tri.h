// Closed-form solvers: the trigonometric equations in one joint angle and the monic polynomials
// of degree 2 to 4 they reduce to. Angles are radians; nothing here touches the robot.
#pragma once
struct Scene;

// a cos q + b sin q + c = 0. Returns 0 (no solution) or 2 with q[0] = phi + acos(-c/r),
// q[1] = phi - acos(-c/r), each in (-pi, pi] (a double root gives two equal angles). When a and
// b vanish: 2 with q = {0, pi} if c vanishes as well, else 0.
int TRI1(double a, double b, double c, double* q);

// A cos^2 q + B sin^2 q + 2C cos q sin q + 2D cos q + 2E sin q + F = 0. Writes the angles found
// from q[0] (room for 4 needed) and returns their count, 0..4; each angle is polished onto the
// equation by Newton steps. Prints the "no solution" lines of the axis-aligned case and the
// sine-only line on the trace of s.
int TRI2(const Scene& s, double A, double B, double C, double D, double E, double F, double* q);

// x^2 + 2p x + q = 0 with pq = {p, q}. Returns 2 (real roots x[0], x[1]) or 0 (complex pair:
// x[0] real part, x[1] imaginary part).
int quadratic(const double* pq, double* x);

// x^3 + a x^2 + b x + c = 0 with abc = {a, b, c}. Returns 3 (three real roots) or 1 (x[0] real,
// x[1] and x[2] real and imaginary part of the complex pair).
int cubic(const double* abc, double* x);

// x^4 + a x^3 + b x^2 + c x + d = 0 with abcd = {a, b, c, d}. Returns the number of real roots
// (0, 2 or 4); real roots first, then (real part, imaginary part) pairs. Ferrari's split through
// the resolvent cubic, whose root is polished by Newton steps before the split.
int quartic(const double* abcd, double* x);

// Real cube root with the sign of x.
double cuberoot(double x);

// Improves the root x of the monic polynomial x^n + c[0] x^(n-1) + ... + c[n-1] by at most ten
// secant steps (step 1e-4, each move limited to 0.01).
double polishRoot(int n, double x, const double* c);
