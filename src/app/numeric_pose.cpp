#include "app/numeric_pose.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "model/kinematics.h"
#include "model/vecops.h"
#include "path/row_gate.h"
#include "solve/pose_adjust.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kIterations = 100;

// Joints in the wall or within Margin of its faces, of the pose of the last forward kinematics.
int nearWallJoints(const Scene& s, int* list) {
    int n = 0;
    for (int i = 1; i <= s.N; ++i) {
        const double y = s.J[i][1];
        if (y > s.rhy1 - Margin && y < s.rhy2 + Margin) list[n++] = i;
    }
    return n;
}

double slitOffsetOf(Scene& s, const double* q) {
    forwardKinematics(s, q);
    int list[JV];
    const int n = nearWallJoints(s, list);
    double off = 0;
    for (int k = 0; k < n; ++k) off = std::max(off, std::fabs(s.J[list[k]][0] - s.rhx));
    return off;
}

// Errors of q against the goal: work position (sum of |d|) and frame (largest column error).
void goalErrors(Scene& s, const double* q, double& errP, double& errFrame) {
    forwardKinematics(s, q);
    errP = 0;
    for (int k = 0; k < 3; ++k) errP += std::fabs(s.rw[k] - s.rwp[k]);
    errFrame = 0;
    for (int k = 0; k < 9; ++k) errFrame = std::max(errFrame, std::fabs(s.Ew.m[k] - s.EwG.m[k]));
}

// Deterministic starts: a linear congruential generator over the joint ranges.
struct Lcg {
    unsigned long long x = 0x2545F4914F6CDD1DULL;
    double uniform(double lo, double hi) {
        x = x * 6364136223846793005ULL + 1442695040888963407ULL;
        return lo + (hi - lo) * static_cast<double>(x >> 11) / 9007199254740992.0;
    }
};

}  // namespace

NumericPose numericFinalPose(Scene& s, const double (*starts)[JV], int n, double budgetMs) {
    NumericPose best;
    best.slitOffset = INFINITY;
    const auto t0 = Clock::now();
    PoseTarget goal;
    goal.rw = s.rwp;
    goal.Ew = s.EwG;
    Lcg rng;
    const int total = n + s.nqss0 + kNumericRandomStarts;
    for (int k = 0; k < total; ++k) {
        if (std::chrono::duration<double, std::milli>(Clock::now() - t0).count() > budgetMs) break;
        double q0[JV] = {};
        if (k < n) {
            copyJointVector(JV - 1, starts[k], q0);
        } else if (k < n + s.nqss0) {
            copyJointVector(JV - 1, s.qss0[k - n], q0);
        } else {
            for (int i = 1; i <= s.N; ++i) {
                const double lim = (i == s.N - 1) ? s.qLimitWrist : (s.JRTYPE[i] != 'R' ? s.qLimit : PI_C);
                q0[i] = rng.uniform(-lim, lim);
            }
        }
        ++best.starts;
        // First the goal alone, then the joints in or near the wall drawn towards the slit
        // plane, then the goal alone again from there (the plane is a preference, the goal is not).
        double q1[JV], q2[JV], q3[JV];
        adjustPose(s, q0, goal, nullptr, kIterations, q1);
        PoseTarget planar = goal;
        forwardKinematics(s, q1);
        planar.planeCount = nearWallJoints(s, planar.planeJoints);
        planar.planeWeight = 0.3;
        adjustPose(s, q1, planar, nullptr, kIterations, q2);
        adjustPose(s, q2, goal, nullptr, kIterations, q3);
        for (const double* q : {q3, q1}) {
            double w[JV] = {};
            copyJointVector(JV - 1, q, w);
            w[0] = 0;
            wrapJointVector(s.N, w, w);
            double errP = 0, errFrame = 0;
            goalErrors(s, w, errP, errFrame);
            if (!(errP <= kNumericPoseTol && errFrame <= kNumericPoseTol)) continue;
            if (gatePose(s, w).status != GateStatus::Accepted) continue;
            ++best.accepted;
            const double off = slitOffsetOf(s, w);
            if (off < best.slitOffset) {
                best.found = 1;
                copyJointVector(JV - 1, w, best.q);
                best.errP = errP;
                best.errFrame = errFrame;
                best.slitOffset = off;
            }
        }
        if (best.found && best.slitOffset < tolAllow) break;
    }
    best.millis = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    if (!best.found) best.slitOffset = 0;
    tracef(s, "\n〓数値解の最終ポーズ: 初期値%d個 ゲート通過%d個 %s errP=%.2e 隙間平面からのずれ=%.4f %.1fms",
           best.starts, best.accepted, best.found ? "解あり" : "解なし", best.errP, best.slitOffset, best.millis);
    return best;
}
