// Distances between joint angles that count a full turn as no change.
#pragma once

// Sum over the joints a, b, c of the shortest angular difference of x and y (one 2 pi shift).
double jointDist3(int a, int b, int c, const double* x, const double* y);

// a - b, or a - b +- 2 pi, whichever has the smallest magnitude (a - b on a tie).
double wrapDiff(double a, double b);
