#include "app/plan_solve.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include "app/key_press.h"
#include "app/numeric_pose.h"
#include "core/console.h"
#include "core/scene.h"
#include "model/vecops.h"
#include "path/planned_path.h"
#include "path/row_gate.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

bool gateAccepts(Scene& s, const double* q) { return gatePose(s, q).status == GateStatus::Accepted; }

// The final pose of the fallback: the first the A keys gave that the gate accepts, else the
// numeric search's, started from where the A keys ended on each candidate.
bool fallbackFinalPose(Scene& s, SolveResult& r, const SolvePlan& p, double* q) {
    for (int k = 0; k < r.nAttempts && k < kSolveMaxAttempts; ++k) {
        const SolveAttempt& a = r.attempts[k];
        if (a.finalPose && gateAccepts(s, a.qFinal)) {
            copyJointVector(JV - 1, a.qFinal, q);
            std::snprintf(r.poseBy, sizeof r.poseBy, "A keys");
            return true;
        }
    }
    double starts[kSolveMaxAttempts][JV];
    int n = 0;
    for (int k = 0; k < r.nAttempts && k < kSolveMaxAttempts; ++k) copyJointVector(JV - 1, r.attempts[k].qFinal, starts[n++]);
    const NumericPose np = numericFinalPose(s, starts, n, p.numericMs);
    r.millisNumeric = np.millis;
    r.numericFound = np.found;
    r.numericErrP = np.errP;
    r.numericErrFrame = np.errFrame;
    r.numericSlitOffset = np.slitOffset;
    r.numericStarts = np.starts;
    if (!np.found) {
        const int* f = np.refused;
        std::snprintf(r.stop, sizeof r.stop,
                      "no final pose: none from the A keys that the gate accepts, none by the numeric search (%d starts; "
                      "poses off the goal %d, at it against the wall %d, floor %d, self %d, work %d)",
                      np.starts, np.missed, f[1], f[2], f[3], f[4]);
        return false;
    }
    copyJointVector(JV - 1, np.q, q);
    std::snprintf(r.poseBy, sizeof r.poseBy, "numeric");
    return true;
}

// Plans from q to the initial pose and writes the path into the record; 'C' on success.
bool plannedPath(Scene& s, SolveResult& r, const SolvePlan& p, const double* q) {
    const auto t0 = Clock::now();
    PlanOptions o;
    o.kind = p.planner;
    o.seconds = p.planSeconds;
    o.seed = p.seed;
    tracef(s, "\n〓経路探索 %s: 最終ポーズから初期ポーズへ 制限時間%.1fs", plannerName(p.planner), p.planSeconds);
    const PlanResult pr = planJointPath(s, q, s.qInit, o);
    std::snprintf(r.planner, sizeof r.planner, "%s", plannerName(p.planner));
    std::snprintf(r.plannerStatus, sizeof r.plannerStatus, "%s", pr.status);
    r.plannerWaypoints = static_cast<int>(pr.waypoints.size());
    r.plannerLength = pr.length;
    r.plannerPoseChecks = pr.poseChecks;
    r.plannerMotionChecks = pr.motionChecks;
    tracef(s, "\n〓経路探索: %s %.1fms 経由点%d 長さ%.3frad", pr.status, pr.millis, r.plannerWaypoints, pr.length);
    if (!pr.solved) {
        r.millisPlanner = msSince(t0);
        std::snprintf(r.stop, sizeof r.stop, "the planner %s found none from the %s final pose within %.3g s (%s)",
                      plannerName(p.planner), r.poseBy, p.planSeconds, pr.status);
        return false;
    }
    beginPlannedPath(s, q);
    int code = 1;
    size_t k = 1;
    for (; k < pr.waypoints.size() && code == 1; ++k) code = appendPlannedRow(s, pr.waypoints[k].q);
    const int done = code == 1 && finishPlannedPath(s);
    r.millisPlanner = msSince(t0);
    if (!done) {
        std::snprintf(r.stop, sizeof r.stop, "the planned path does not fit the record (%s at waypoint %zu)",
                      code == 0 ? "record full" : "refused by the gate", k - 1);
        return false;
    }
    pressKey(s, 'C');
    ++r.keys;
    r.complete = 1;
    r.rows = s.NPATH;
    r.stop[0] = 0;
    std::snprintf(r.pathBy, sizeof r.pathBy, "planner");
    return true;
}

}  // namespace

bool solveMethodByName(const char* name, SolveMethod& m) {
    if (std::strcmp(name, "native") == 0) return m = SolveMethod::Native, true;
    if (std::strcmp(name, "auto") == 0) return m = SolveMethod::Auto, true;
    if (std::strcmp(name, "ompl") == 0) return m = SolveMethod::Ompl, true;
    return false;
}

const char* solveMethodName(SolveMethod m) {
    switch (m) {
        case SolveMethod::Native: return "native";
        case SolveMethod::Auto: return "auto";
        case SolveMethod::Ompl: return "ompl";
    }
    return "?";
}

SolveResult solveScene(Scene& s, const SolvePlan& p) {
    const auto t0 = Clock::now();
    SolveResult r = p.method == SolveMethod::Ompl ? autoSolveA(s, gateAccepts) : autoSolve(s);
    r.millisKeys = r.millis;
    if (r.complete) {
        std::snprintf(r.poseBy, sizeof r.poseBy, "A keys");
        std::snprintf(r.pathBy, sizeof r.pathBy, "B");
        return r;
    }
    if (p.method == SolveMethod::Native) return r;
    double q[JV] = {};
    if (fallbackFinalPose(s, r, p, q)) plannedPath(s, r, p, q);
    r.millis = msSince(t0);
    return r;
}
