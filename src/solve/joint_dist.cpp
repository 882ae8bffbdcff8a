#include "solve/joint_dist.h"

#include <cmath>

#include "core/types.h"

double jointDist3(int a, int b, int c, const double* x, const double* y) {
    const int j3[3] = {a, b, c};
    double sum = 0.0;
    for (int j : j3) {
        const double d = x[j] - y[j];
        double m = std::fabs(d);
        if (std::fabs(d + TWO_PI_C) < m) m = std::fabs(d + TWO_PI_C);
        if (std::fabs(d - TWO_PI_C) < m) m = std::fabs(d - TWO_PI_C);
        sum += m;
    }
    return sum;
}

double wrapDiff(double a, double b) {
    const double d = a - b;
    double best = d;
    if (std::fabs(d + TWO_PI_C) < std::fabs(best)) best = d + TWO_PI_C;
    if (std::fabs(d - TWO_PI_C) < std::fabs(best)) best = d - TWO_PI_C;
    return best;
}
