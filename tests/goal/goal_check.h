// Checks of a final pose made without the goal calculation: forward kinematics of the pose and
// the wall faces only.
#pragma once
#include <cmath>
#include <string>

#include "app/scene.h"
#include "model/kinematics.h"

struct FinalPoseReport {
    double workErr = 0;   // |rw - rwp|
    double handErr = 0;   // |hand z axis - (0, 0, -1)|
    double planeMp = 0;   // |x of J[Mp] - rhx|
    double planeMw = 0;   // |x of J[Mw] - rhx|
    int Mp = 0, Mw = 0;   // last joint before the near face, first joint at or beyond the far face
    int overLimit = 0;    // first joint beyond its limit, 0 when none
    std::string why;      // empty when the pose is a final pose
};

// Judges q as a final pose: the work at rwp within tolAllow, the hand pointing straight down
// within 0.01, the last joint before the wall and the first beyond it on the alpha-plane within
// tolAllow, every joint inside its limit.
inline FinalPoseReport judgeFinalPose(Scene& s, const double* q) {
    FinalPoseReport r;
    forwardKinematics(s, q);
    double d2 = 0, h2 = 0;
    const double down[3] = {0, 0, -1};
    for (int k = 0; k < 3; ++k) {
        d2 += (s.rw[k] - s.rwp[k]) * (s.rw[k] - s.rwp[k]);
        h2 += (s.Ew(k, 2) - down[k]) * (s.Ew(k, 2) - down[k]);
    }
    r.workErr = std::sqrt(d2);
    r.handErr = std::sqrt(h2);
    // Wall sides by the y coordinate of each joint.
    r.Mp = 1;
    for (int i = 1; i <= s.Nw && s.J[i][1] <= s.rhy1; ++i) r.Mp = i;
    r.Mw = s.Nw + 1;
    for (int i = r.Mp + 1; i <= s.Nw; ++i)
        if (s.J[i][1] >= s.rhy2) {
            r.Mw = i;
            break;
        }
    r.planeMp = std::fabs(s.J[r.Mp][0] - s.rhx);
    r.planeMw = (r.Mw <= s.Nw) ? std::fabs(s.J[r.Mw][0] - s.rhx) : 1e9;
    // Limits apply to the angles brought into [-pi, pi) by one turn, as the path preparation
    // reads the final pose.
    for (int i = 1; i <= s.N - 1 && r.overLimit == 0; ++i) {
        const double lim = (i == s.N - 1) ? s.qLimitWrist : s.qLimit;
        double a = q[i];
        if (a >= PI_C) a -= TWO_PI_C;
        if (a < -PI_C) a += TWO_PI_C;
        if ((i == s.N - 1 || s.JRTYPE[i] != 'R') && std::fabs(a) > lim) r.overLimit = i;
    }
    if (r.workErr >= tolAllow) r.why += "work off the goal; ";
    if (r.handErr >= 0.01) r.why += "hand not down; ";
    if (r.planeMp >= tolAllow) r.why += "J[Mp] off the plane; ";
    if (r.planeMw >= tolAllow) r.why += "J[Mw] off the plane; ";
    if (r.overLimit) r.why += "joint " + std::to_string(r.overLimit) + " beyond its limit; ";
    return r;
}
