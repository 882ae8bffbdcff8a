// A numeric final pose under the physical model, for scenes where the A keys give none that
// the path can start from: the work at the goal rwp in the goal frame EwG, every shape clear by
// the row gate, the joint limits kept, and the joints in or near the wall as close to the slit
// plane as the search gets them. Damped least squares (solve/pose_adjust.h) from several
// deterministic starts; allocates nothing.
#pragma once
#include "core/types.h"
struct Scene;

constexpr double kNumericPoseTol = 1e-6;    // largest work position error (sum of |dx|) and frame error
constexpr int kNumericRandomStarts = 2000;   // seeded starts after the given ones and the candidates

struct NumericPose {
    int found = 0;
    double q[JV] = {};
    double errP = 0;        // sum of the absolute coordinate errors of the work point
    double errFrame = 0;    // largest column error of the work frame
    double slitOffset = 0;  // largest distance of a joint in or near the wall from the slit plane
    int starts = 0;         // starts tried
    int accepted = 0;       // poses at the goal that the gate accepts
    int missed = 0;         // poses that did not reach the goal within the tolerance
    int refused[7] = {};    // poses at the goal that the gate refused, by GateStatus
    double millis = 0;
};

// Searches from the starts given (n rows, may be 0), the start pose candidates qss0 and
// kNumericRandomStarts seeded starts, within budgetMs; stops early at a pose whose joints in or
// near the wall all lie within tolAllow of the slit plane.
NumericPose numericFinalPose(Scene& s, const double (*starts)[JV], int n, double budgetMs);
