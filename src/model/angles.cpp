#include "model/angles.h"

void wrapJointVector(int n, const double* src, double* dst) {
    for (int i = 0; i <= n; ++i) {
        dst[i] = wrapOnceHalfOpen(src[i]);
    }
}

double angleDiffNearest(double a, double b) {
    double d = a - b;
    const double cand[5] = {d, d + TWO_PI_C, d + 2 * TWO_PI_C, d - TWO_PI_C, d - 2 * TWO_PI_C};
    double best = cand[0];
    for (int k = 1; k < 5; ++k)
        if (std::fabs(cand[k]) < std::fabs(best)) best = cand[k];
    return best;
}
