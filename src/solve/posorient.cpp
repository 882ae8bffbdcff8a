#include "solve/posorient.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "model/kinematics.h"
#include "solve/ijkinv.h"
#include "solve/joint_dist.h"
#include "solve/wrist_orient.h"

double posError(Scene& s, const double* q, const Vec3& rwT) {
    const Vec3 t = rwT;  // the target may be a field that the kinematics overwrite
    forwardKinematics(s, q);
    return std::fabs(s.rw[0] - t[0]) + std::fabs(s.rw[1] - t[1]) + std::fabs(s.rw[2] - t[2]);
}

double orientError(Scene& s, const double* q, const Mat3& EwT) {
    const Mat3 T = EwT;  // the target may be a field that the kinematics overwrite
    forwardKinematics(s, q);
    double e = 0.0;
    for (int i = 0; i < 9; ++i) e += std::fabs(s.Ew.m[i] - T.m[i]);
    return e;
}

int solvePosOrient(Scene& s, const double* q0, int I, int J, int K, const Vec3& rwGoal, const Mat3& EwGoal,
                   double* qout) {
    const int N = s.N;
    // Own copies of the goal: the caller may pass fields that the kinematics overwrite.
    const Vec3 rwT = rwGoal;
    const Mat3 EwT = EwGoal;
    double qin[JV], qa[JV], qb[JV], qp[JV], qo[JV];
    for (int i = 0; i < JV; ++i) qin[i] = qa[i] = qb[i] = q0[i];
    auto fail = [&]() {
        for (int i = 0; i < JV; ++i) qout[i] = qin[i];
        return 0;
    };
    auto done = [&](const double* q) {
        for (int i = 0; i < JV; ++i) qout[i] = q[i];
        return 1;
    };

    // Wrist point of the goal: back from the work point along the goal approach axis (the z
    // column of EwT, where the hand offset points).
    Vec3 pw;
    for (int r = 0; r < 3; ++r) pw[r] = rwT[r] - s.L[s.Nw] * EwT(r, 2);

    const int nMax = 201;
    for (int cnt = 1; cnt <= nMax; ++cnt) {
        s.cntPosOrient = cnt;
        int ok;
        if (s.WristType == 'R')
            ok = IJKinvNearest(s, "WRIST", qa, I, J, K, s.Lvec[N - 2], pw, qp);
        else
            ok = IJKinvNearest(s, "WORK", qa, I, J, K, s.PwOffset, rwT, qp);
        if (!ok) return fail();

        if (orientError(s, qp, EwT) <= 1e-8) return done(qp);

        for (int i = 0; i < JV; ++i) qb[i] = qp[i];
        if (s.WristType != 'R' && jointDist3(I, J, K, qa, qp) > 0.5) {
            const int ijk[3] = {I, J, K};
            for (int X : ijk) qb[X] = qa[X] + 0.2 * wrapDiff(qp[X], qa[X]);
        }

        for (int i = 0; i < JV; ++i) qo[i] = qb[i];
        if (!wristOrientNearest(s, qb, s.EwH, EwT, qo)) return fail();
        if (posError(s, qo, rwT) <= 1e-8) return done(qo);

        for (int i = 0; i < JV; ++i) qa[i] = qo[i];
        if (s.WristType != 'R' && jointDist3(N - 2, N - 1, N, qb, qo) > 0.5) {
            const int wr[3] = {N - 2, N - 1, N};
            for (int X : wr) qa[X] = qb[X] + 0.2 * wrapDiff(qo[X], qb[X]);
        }
    }
    tracef(s, "\n繰り返し回数cnt=%d>200を超えた．解なし", nMax);
    return fail();
}
