// Helpers of the goal calculation tests: the check of a final pose made without the goal
// calculation (forward kinematics of the pose and the wall faces only), the goal keys to a
// final pose, and small joint-vector comparisons.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "app/keyboard.h"
#include "core/scene.h"
#include "model/kinematics.h"
#include "support/capture.h"
#include "support/test_scene.h"

struct FinalPoseReport {
    double workErr = 0, handErr = 0;  // |rw - rwp|, |hand z axis - (0, 0, -1)|
    double planeMp = 0, planeMw = 0;  // |x of J[Mp] - rhx|, |x of J[Mw] - rhx|
    int overLimit = 0;                // first joint beyond its limit, 0 when none
    std::string why;                  // empty when the pose is a final pose
};

// Judges q as a final pose: the work at rwp within tolAllow, the hand pointing straight down
// within 0.01, the last joint before the wall (Mp) and the first at or beyond the far face (Mw)
// on the alpha-plane within tolAllow, every joint inside its limit.
inline FinalPoseReport judgeFinalPose(Scene& s, const double* q) {
    FinalPoseReport r;
    forwardKinematics(s, q);
    double d2 = 0, h2 = 0;
    for (int k = 0; k < 3; ++k) {
        d2 += (s.rw[k] - s.rwp[k]) * (s.rw[k] - s.rwp[k]);
        h2 += (s.Ew(k, 2) - (k == 2 ? -1 : 0)) * (s.Ew(k, 2) - (k == 2 ? -1 : 0));
    }
    r.workErr = std::sqrt(d2);
    r.handErr = std::sqrt(h2);
    // Wall sides by the y coordinate of each joint.
    int Mp = 1, Mw = s.Nw + 1;
    for (int i = 1; i <= s.Nw && s.J[i][1] <= s.rhy1; ++i) Mp = i;
    for (int i = s.Nw; i > Mp; --i)
        if (s.J[i][1] >= s.rhy2) Mw = i;
    r.planeMp = std::fabs(s.J[Mp][0] - s.rhx);
    r.planeMw = (Mw <= s.Nw) ? std::fabs(s.J[Mw][0] - s.rhx) : 1e9;
    // Limits apply to the angles brought into [-pi, pi) by one turn, as the path preparation
    // reads the final pose.
    for (int i = 1; i <= s.N - 1 && r.overLimit == 0; ++i) {
        const double a = q[i] >= PI_C ? q[i] - TWO_PI_C : (q[i] < -PI_C ? q[i] + TWO_PI_C : q[i]);
        if ((i == s.N - 1 || s.JRTYPE[i] != 'R') && std::fabs(a) > (i == s.N - 1 ? s.qLimitWrist : s.qLimit))
            r.overLimit = i;
    }
    if (r.workErr >= tolAllow) r.why += "work off the goal; ";
    if (r.handErr >= 0.01) r.why += "hand not down; ";
    if (r.planeMp >= tolAllow) r.why += "J[Mp] off the plane; ";
    if (r.planeMw >= tolAllow) r.why += "J[Mw] off the plane; ";
    if (r.overLimit) r.why += "joint " + std::to_string(r.overLimit) + " beyond its limit; ";
    return r;
}

inline void pressKeys(Scene& s, const char* keys, int times = 1) {
    for (int t = 0; t < times; ++t)
        for (const char* k = keys; *k; ++k) keyboard(s, static_cast<unsigned char>(*k));
}

inline bool sameQ(const double* a, const double* b) { return std::memcmp(a, b, JV * sizeof(double)) == 0; }

// The goal keys to a final pose that the path preparation takes (no joint beyond its limit),
// checked independently; the classes the calculation reports agree, the pose is the one accepted.
inline void driveToFinalPose(Scene& s) {
    ASSERT_TRUE(solveFinalPose(s, [](Scene& t) { return judgeFinalPose(t, t.qr).overLimit == 0; }));
    EXPECT_EQ(judgeFinalPose(s, s.qr).why, "");
    EXPECT_TRUE(s.sgnP == 2 || s.sgnP == 4);
    EXPECT_TRUE(s.sgnT == 2 || s.sgnT == 4);
    EXPECT_TRUE(sameQ(s.qAfinal, s.qr));
}
