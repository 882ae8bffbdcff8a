// Helpers of the solver tests: random poses and rotations, angle distances, a loop over the
// robots of the catalogue and the scan of an equation in one angle for missed sign changes.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "core/scene.h"
#include "model/kinematics.h"
#include "model/vecops.h"
#include "support/capture.h"
#include "support/test_scene.h"

namespace st {

// d brought into [-pi, pi] by whole turns.
inline double wrapped(double d) { return std::remainder(d, 2 * M_PI); }

// Joints 1..N uniform in [-lim, lim], the rest zero.
inline void randomPose(std::mt19937& rng, const Scene& s, double* q, double lim = 2.6) {
    std::uniform_real_distribution<double> u(-lim, lim);
    for (int i = 0; i < JV; ++i) q[i] = (i >= 1 && i <= s.N) ? u(rng) : 0.0;
}

// A uniformly random rotation, from a unit quaternion.
inline Mat3 randomRotation(std::mt19937& rng) {
    std::normal_distribution<double> g;
    double w = g(rng), x = g(rng), y = g(rng), z = g(rng);
    const double n = std::sqrt(w * w + x * x + y * y + z * z);
    w /= n, x /= n, y /= n, z /= n;
    return Mat3{{1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y),  //
                 2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x),  //
                 2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)}};
}

// f(scene, "F<lower><upper>") for each of the eight robots of the catalogue.
template <class F>
void forEachRobot(F f) {
    for (int lower = 1; lower <= 4; ++lower)
        for (int upper = 1; upper <= 2; ++upper) {
            auto s = makeSceneWithRobot(lower, upper);
            f(*s, "F" + std::to_string(10 * lower + upper));
        }
}

// Leans the last wrist axis by tilt out of the plane perpendicular to joint N-1's axis: joint N's
// axis then keeps pi/2 - tilt to joint N-1's axis and so stays at least tilt off joint N-2's.
inline void tiltLastWristAxis(Scene& s, double tilt) {
    const Mat3 Rx{{1, 0, 0, 0, std::cos(tilt), -std::sin(tilt), 0, std::sin(tilt), std::cos(tilt)}};
    Mat3 E;
    mulMat3(Rx, s.Erel[s.N], E);
    s.Erel[s.N] = E;
}

// Sign changes of f on a grid over [-pi, pi] that no angle of q[0..n) lies next to.
template <class Fn>
int missedCrossings(Fn f, const double* q, int n, int steps = 4096) {
    int missed = 0;
    const double h = 2 * M_PI / steps;
    double x0 = -M_PI, v0 = f(x0);
    for (int i = 1; i <= steps; ++i) {
        const double x1 = -M_PI + i * h, v1 = f(x1);
        if ((v0 < 0) != (v1 < 0)) {
            bool hit = false;
            for (int k = 0; k < n; ++k) hit = hit || std::fabs(wrapped(q[k] - 0.5 * (x0 + x1))) <= h;
            missed += !hit;
        }
        x0 = x1;
        v0 = v1;
    }
    return missed;
}

}  // namespace st
