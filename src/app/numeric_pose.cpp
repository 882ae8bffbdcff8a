#include "app/numeric_pose.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "model/kinematics.h"
#include "model/angles.h"
#include "model/vecops.h"
#include "path/row_gate.h"
#include "solve/pose_adjust.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kIterations = 100;
// Half width of the band about the slit plane that a link may cross the wall faces in: the
// capsule (radius 0.1) leaves 0.05 of the slit's half width, less what a slant costs.
constexpr double kSlitBand = 0.03;

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

// The slit rule of the physical model as residuals: the joints in the wall on the slit plane,
// and the links that cross its faces on the plane where they cross, for the pose of q.
void slitResiduals(Scene& s, const double* q, PoseTarget& t) {
    int inWall[JV] = {}, Mp = 1, Mw = 0;
    const int n = classifyJointsByWall(s, q, &Mp, inWall, &Mw);
    t.planeCount = 0;
    for (int k = 0; k < n && k <= s.N; ++k)
        if (inWall[k] >= 2 && inWall[k] <= s.N) t.planeJoints[t.planeCount++] = inWall[k];
    t.faceCount = 0;
    if (Mp + 1 <= s.Nw) t.faceLink[t.faceCount] = Mp + 1, t.faceY[t.faceCount++] = s.rhy1;
    if (Mw <= s.Nw) t.faceLink[t.faceCount] = Mw, t.faceY[t.faceCount++] = s.rhy2;
}

// The goal alone from q; a limited joint that ends beyond its limit is held at the limit and
// the others solve again (twice at most).
void reachGoal(Scene& s, const double* q, const PoseTarget& goal, double* out) {
    adjustPose(s, q, goal, nullptr, kIterations, out);
    int fixed[JV] = {};
    for (int round = 0; round < 2; ++round) {
        bool over = false;
        double held[JV];
        copyJointVector(JV - 1, out, held);
        for (int i = 1; i <= s.N; ++i) {
            const double lim = (i == s.N - 1) ? s.qLimitWrist : (s.JRTYPE[i] != 'R' ? s.qLimit : INFINITY);
            if (std::fabs(held[i]) > lim) {
                held[i] = held[i] > 0 ? lim : -lim;
                fixed[i] = 1;
                over = true;
            }
        }
        if (!over) return;
        adjustPose(s, held, goal, fixed, kIterations, out);
    }
}

// Poses at the goal from q0: the goal alone; then with the joints in or near the wall drawn
// lightly to the slit plane; then with the slit rule held exactly, and within kSlitBand (a link
// from a joint that cannot reach the plane crosses the wall at a slant); the rule's joints and
// links taken again from each result. Each but the first is followed by the goal alone: the plane
// is a preference, the goal is not.
int posesFrom(Scene& s, const double* q0, const PoseTarget& goal, double (*out)[JV]) {
    reachGoal(s, q0, goal, out[0]);
    double q[JV];
    PoseTarget t = goal;
    forwardKinematics(s, out[0]);
    t.planeCount = nearWallJoints(s, t.planeJoints);
    t.planeWeight = 0.3;
    adjustPose(s, out[0], t, nullptr, kIterations, q);
    reachGoal(s, q, goal, out[1]);
    t.planeWeight = 1.0;
    for (int band = 0; band < 2; ++band) {
        t.planeBand = band ? kSlitBand : 0;
        copyJointVector(JV - 1, out[0], q);
        for (int round = 0; round < 3; ++round) {
            slitResiduals(s, q, t);
            double next[JV];
            adjustPose(s, q, t, nullptr, kIterations, next);
            copyJointVector(JV - 1, next, q);
        }
        reachGoal(s, q, goal, out[2 + band]);
    }
    return 4;
}

}  // namespace

NumericPose numericFinalPose(Scene& s, const double (*starts)[JV], int n, double budgetMs) {
    NumericPose best;
    best.slitOffset = INFINITY;
    const auto t0 = Clock::now();
    PoseTarget goal;
    goal.rw = s.rwp;
    goal.Ew = s.EwG;
    Lcg rng;
    const int given = n + s.nqss0;
    const int total = given + kNumericRandomStarts;
    for (int k = 0; k < total; ++k) {
        if (std::chrono::duration<double, std::milli>(Clock::now() - t0).count() > budgetMs) break;
        double q0[JV] = {};
        if (k < n) {
            copyJointVector(JV - 1, starts[k], q0);
        } else if (k < given) {
            copyJointVector(JV - 1, s.qss0[k - n], q0);
        } else if (given > 0 && k % 2 == 0) {
            // A given start turned at random: near the poses that reach the goal already.
            const int g = (k / 2) % given;
            copyJointVector(JV - 1, g < n ? starts[g] : s.qss0[g - n], q0);
            for (int i = 1; i <= s.N; ++i) q0[i] += rng.uniform(-0.6, 0.6);
        } else {
            for (int i = 1; i <= s.N; ++i) {
                const double lim = (i == s.N - 1) ? s.qLimitWrist : (s.JRTYPE[i] != 'R' ? s.qLimit : PI_C);
                q0[i] = rng.uniform(-lim, lim);
            }
        }
        ++best.starts;
        double poses[4][JV];
        const int m = posesFrom(s, q0, goal, poses);
        for (int p = 0; p < m; ++p) {
            double w[JV] = {};
            copyJointVector(JV - 1, poses[p], w);
            w[0] = 0;
            wrapJointVector(s.N, w, w);
            double errP = 0, errFrame = 0;
            goalErrors(s, w, errP, errFrame);
            if (!(errP <= kNumericPoseTol && errFrame <= kNumericPoseTol)) {
                ++best.missed;
                continue;
            }
            const GateStatus g = gatePose(s, w).status;
            if (g != GateStatus::Accepted) {
                ++best.refused[static_cast<int>(g)];
                continue;
            }
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
