#include "goal/plane_placement.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "goal/pose_errors.h"
#include "model/angles.h"
#include "model/kinematics.h"
#include "model/vecops.h"
#include "solve/tri.h"

int nextPlacedJoint(const Scene& s, int M) { return (s.JRTYPE[M + 1] == 'R') ? M + 2 : M + 1; }

// ---------------------------------------------------------------------------------------------
int PutJMSlitPlaneA(Scene& s, int L, int M, const double* q, double* qout1, double* qout2, int* Mplaced) {
    double qin[JV];
    copyQ(q, qin);
    copyQ(qin, qout1);
    copyQ(qin, qout2);
    const int Mq = (s.JRTYPE[M] == 'R') ? M + 1 : M;
    *Mplaced = Mq;
    forwardKinematics(s, qin);
    if (onAlpha(s, s.J[Mq])) return 1;
    if (L >= Mq) return 0;
    if (L == Mq - 1 && s.JRTYPE[L] == 'R') return 0;

    double qc[JV];
    copyQ(qin, qc);
    qc[L] = 0;
    forwardKinematics(s, qc);
    const Vec3 e1 = colMat3(s.EA[L], 0), e2 = colMat3(s.EA[L], 1), e3 = colMat3(s.EA[L], 2);
    Vec3 r;
    subVec3(s.J[Mq], s.J[L], r);
    const double r1 = dotVec3(r, e1), r2 = dotVec3(r, e2), r3 = dotVec3(r, e3);
    const double rho = std::sqrt(r1 * r1 + r2 * r2);
    const double phi = std::atan2(r2, r1);
    const double a = rho * dotVec3(e1, s.nAlpha), b = rho * dotVec3(e2, s.nAlpha);
    double c = dotVec3(s.nAlpha, s.J[L]) + r3 * dotVec3(e3, s.nAlpha) - dotVec3(s.nAlpha, s.rh);
    if (std::fabs(a) + std::fabs(b) < tolExact) return (std::fabs(c) < tolExact) ? 1 : 0;
    const double disc = a * a + b * b - c * c;
    if (disc < 0) {
        if (disc < -tolExact * tolExact) return 0;
        c = std::copysign(std::sqrt(a * a + b * b), c);  // the tangent
    }
    double th[2] = {0, 0};
    if (TRI1(a, b, c, th) == 0) return 0;
    int n = (std::fabs(angleDiffNearest(th[0], th[1])) < tolExact) ? 1 : 2;
    qout1[L] = wrapOnceHalfOpen(th[0] - phi);
    if (n == 2) qout2[L] = wrapOnceHalfOpen(th[1] - phi);
    return n;
}

// ---------------------------------------------------------------------------------------------
int PutJMHSlitPlaneA(Scene& s, int M, int M1, const double* q, double* qout, int* MM) {
    (void)M1;
    const int N = s.N;
    double qin[JV];
    copyQ(q, qin);
    copyQ(qin, qout);
    *MM = M;
    if (!(M >= 1 && M < N - 2 && s.JRTYPE[M] != 'R')) return 0;
    const int MH = nextPlacedJoint(s, M);
    tracef(s, "\n□□==== PutJMHSlitPlaneA()始め M=%d(%c) MH=%d(%c) ME=%d(%c) =========□□", M, s.JRTYPE[M], MH,
           s.JRTYPE[MH], M - 1, s.JRTYPE[M - 1]);
    forwardKinematics(s, qin);
    if (!onAlpha(s, s.J[M])) return 0;
    const Vec3 axis0 = colMat3(s.EA[M], 2);
    if (std::sqrt(axis0[1] * axis0[1] + axis0[2] * axis0[2]) < tolExact) {
        *MM = M - 1;
        return 1;
    }
    if (onAlpha(s, s.J[MH])) return 1;

    double qw[JV];
    copyQ(qin, qw);
    if (s.JRTYPE[M - 1] == 'R' && s.J[MH][1] < s.rhy2) {
        // Turn the 'R' joint before M so that the first axis of joint M+1 rises.
        const double z0 = std::fabs(s.EJ[M + 1](2, 0));
        double qt[JV];
        copyQ(qw, qt);
        qt[M - 1] += 0.01;
        forwardKinematics(s, qt);
        const double z1 = std::fabs(s.EJ[M + 1](2, 0));
        const double turn = (z1 < z0) ? -0.01 : 0.01;
        const double before = qw[M - 1];
        qw[M - 1] += turn;
        tracef(s, "\n□RP:q[ME=%d]=Rの修正 J[M]軸上向きへ q[ME]=%6.3f→%6.3f", M - 1, before, qw[M - 1]);
        forwardKinematics(s, qw);
    }

    // J[MH] turned about the axis k of joint M through J[M]: a cos t + b sin t + c = 0.
    const Vec3 k = colMat3(s.EA[M], 2);
    Vec3 r, rperp, u, v;
    subVec3(s.J[MH], s.J[M], r);
    const double rk = dotVec3(r, k);
    for (int i = 0; i < 3; ++i) rperp[i] = r[i] - rk * k[i];
    const double rho = normVec3(rperp);
    if (rho < tolExact) return 0;
    for (int i = 0; i < 3; ++i) u[i] = rperp[i] / rho;
    crossVec3(k, u, v);
    const double a = rho * dotVec3(u, s.nAlpha), b = rho * dotVec3(v, s.nAlpha);
    const double c = dotVec3(s.nAlpha, s.J[M]) + rk * dotVec3(k, s.nAlpha) - s.rhx;
    double th[2] = {0, 0};
    if (TRI1(a, b, c, th) == 0) return 0;
    double cand[2][JV], y[2];
    for (int i = 0; i < 2; ++i) {
        copyQ(qw, cand[i]);
        cand[i][M] = wrapOnceHalfOpen(qw[M] + th[i]);
        forwardKinematics(s, cand[i]);
        y[i] = s.J[MH][1];
    }
    const int pick = (y[1] > y[0]) ? 1 : 0;
    copyQ(cand[pick], qout);
    tracef(s,
           "\n□E=======PutJMHSlitPlaneA()解 M=%d(%c) MH=%d(%c) ME=%d(%c) MM=%d solM=%d==========□"
           "\n□□=========PutJMHSlitPlaneA() MH=%d solM=%d end =====================□□",
           M, s.JRTYPE[M], MH, s.JRTYPE[MH], M - 1, s.JRTYPE[M - 1], *MM, 1, MH, 1);
    return 1;
}
