#include "model/joint_table.h"

#include "core/console.h"
#include "core/scene.h"
#include "model/kinematics.h"

void printJointTable(Scene& s, const double* q) {
    int Mp = 0, Mw = 0, inWall[JV] = {};
    int count = classifyJointsByWall(s, q, &Mp, inWall, &Mw);
    for (int i = 2; i <= s.Nw; ++i) {
        if (s.L[i] < 0.0001) continue;
        if (count > 0 && i == Mw) tracef(s, "\n  ------------------------------ rhy2=%5.2f", s.rhy2);
        tracef(s, "\n  J[%d]= ", i);
        printVec(s, 0, 2, s.J[i].data());
        if (i == Mp) tracef(s, "\n  ------------------------------ rhy1=%5.2f rhy2=%5.2f", s.rhy1, s.rhy2);
    }
    tracef(s, "\n  ===========================================");
    for (int i = 2; i <= s.Nw; ++i) {
        if (s.L[i] < 0.0001) continue;
        tracef(s, "\n  mm[%d]=", i);
        printVec(s, 0, 2, s.mm[i].data());
    }
}

void printJointTable2(Scene& s, const double* qa, const double* qb) {
    int Mp = 0, Mw = 0, inWall[JV] = {};
    int count = classifyJointsByWall(s, qb, &Mp, inWall, &Mw);
    for (int i = 2; i <= s.Nw; ++i) {
        if (count > 0 && i == Mw)
            tracef(s, "\n  ------------------------------------------------------ rhy2=%5.2f", s.rhy2);
        if (s.L[i] < 0.0001) continue;
        forwardKinematics(s, qa);
        tracef(s, "\n  J[%d] =", i);
        printVec(s, 0, 2, s.J[i].data());
        forwardKinematics(s, qb);
        tracef(s, " → J[%d] =", i);
        printVec(s, 0, 2, s.J[i].data());
        if (i == Mp)
            tracef(s, "\n  ------------------------------------------------------ rhy1=%5.2f rhy2=%5.2f", s.rhy1,
                   s.rhy2);
    }
    tracef(s, "\n  ==================================================================");
    for (int i = 2; i <= s.Nw; ++i) {
        if (s.L[i] < 0.0001) continue;
        forwardKinematics(s, qa);
        tracef(s, "\n  mm[%d]=", i);
        printVec(s, 0, 2, s.mm[i].data());
        forwardKinematics(s, qb);
        tracef(s, " → mm[%d]=", i);
        printVec(s, 0, 2, s.mm[i].data());
    }
}
