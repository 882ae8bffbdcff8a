#pragma once
// Angle wraps and differences, one of each rule. The rules differ on purpose and the results
// depend on it: how many whole turns are taken off, and which end of [-pi, pi] is kept.

#include <cmath>

#include "core/types.h"

// One shift by a whole turn towards [-pi, pi): pi itself becomes -pi.
inline double wrapOnceHalfOpen(double x) {
    if (x >= PI_C) return x - TWO_PI_C;
    if (x < -PI_C) return x + TWO_PI_C;
    return x;
}

// One shift by a whole turn towards [-pi, pi]: both ends stay.
inline double wrapOnceClosed(double x) {
    if (x > PI_C) return x - TWO_PI_C;
    if (x < -PI_C) return x + TWO_PI_C;
    return x;
}

// At most `passes` shifts towards [-pi, pi) (values a few turns away).
inline double wrapPassesHalfOpen(double x, int passes) {
    for (int k = 0; k < passes; ++k) x = wrapOnceHalfOpen(x);
    return x;
}

// At most `passes` shifts towards [-pi, pi].
inline double wrapPassesClosed(double x, int passes) {
    for (int k = 0; k < passes; ++k) x = wrapOnceClosed(x);
    return x;
}

// Into [-pi, pi] by any number of whole turns; a value that is not finite becomes 0.
inline double wrapTurnsClosed(double a) {
    if (!std::isfinite(a)) return 0.0;
    if (std::fabs(a) > 64 * TWO_PI_C) a = std::fmod(a, TWO_PI_C);
    while (a > PI_C) a -= TWO_PI_C;
    while (a < -PI_C) a += TWO_PI_C;
    return a;
}

// Into [-pi, pi) by any number of whole turns (the start of an angle interval).
inline double wrapTurnsHalfOpen(double x) {
    if (std::fabs(x) > 64 * TWO_PI_C) x = std::fmod(x, TWO_PI_C);
    while (x >= PI_C) x -= TWO_PI_C;
    while (x < -PI_C) x += TWO_PI_C;
    return x;
}

// Into (-pi, pi] by any number of whole turns (the end of an angle interval).
inline double wrapTurnsLowOpen(double x) {
    if (std::fabs(x) > 64 * TWO_PI_C) x = std::fmod(x, TWO_PI_C);
    while (x > PI_C) x -= TWO_PI_C;
    while (x <= -PI_C) x += TWO_PI_C;
    return x;
}

// Every joint value 0..n shifted once towards [-pi, pi) (src and dst may be the same array).
void wrapJointVector(int n, const double* src, double* dst);

// a - b shifted by whole turns (up to two either way) to the value nearest zero.
double angleDiffNearest(double a, double b);
