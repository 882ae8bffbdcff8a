// The sampling planner as the solve sees it: a joint path between two poses, every state and
// motion on it accepted by the row gate. The OMPL adapter (app/ompl_planner.h) defines it; a
// program linked without the adapter's objects (the quick runner) gets the stand-ins of
// planner.cpp, which find nothing.
#pragma once
#include <vector>

#include "app/planner_kind.h"
#include "core/types.h"
struct Scene;

struct PlanOptions {
    // KPIECE1 grows from the final pose alone and solves every default scene; the bidirectional
    // planners' tree from the initial pose finds no way into the slit (measured: README).
    PlannerKind kind = PlannerKind::KPIECE1;
    double seconds = 10;     // time budget of the search
    unsigned seed = 1;       // seed of every random number generator the search creates
    bool reduce = true;      // drop waypoints whose neighbours see each other (cheap, on the gate)
    bool depthProjection = true;  // KPIECE's grid over the depth through the wall (else OMPL's own)
    double range = 0.5;      // longest motion of one extension, rad (0: the planner's default)
    double goalBias = -1;    // (negative: the planner's default)
};

struct JointRow {
    double q[JV];
};

struct PlanResult {
    int solved = 0;           // 1 when a path from start to goal was found within the budget
    double millis = 0;        // search time
    double millisReduce = 0;  // waypoint reduction time
    long poseChecks = 0;      // gatePose calls
    long motionChecks = 0;    // gateMotion calls
    double length = 0;        // joint-space length of the waypoints ('R' joints wrapped), rad
    char status[48] = "";     // OMPL's planner status
    std::vector<JointRow> waypoints;  // start ... goal, wrapped, element 0 zero
};

// Plans from q0 to q1 (both must pass gatePose). Deterministic for a given scene and options as
// long as the search ends before its budget.
PlanResult planJointPath(Scene& s, const double* q0, const double* q1, const PlanOptions& o);
// False in a program linked without the planner (the quick runner): planJointPath then finds
// nothing and says so in its status.
bool plannerAvailable();
