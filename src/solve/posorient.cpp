#include "solve/posorient.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "model/kinematics.h"
#include "model/vecops.h"
#include "solve/ijkinv.h"

double jointDist3(int a, int b, int c, const double* x, const double* y) {
    const int j3[3] = {a, b, c};
    double sum = 0.0;
    for (int j : j3) {
        const double d = x[j] - y[j];
        double m = std::fabs(d);
        if (std::fabs(d + TWO_PI_C) < m) m = std::fabs(d + TWO_PI_C);
        if (std::fabs(d - TWO_PI_C) < m) m = std::fabs(d - TWO_PI_C);
        sum += m;
    }
    return sum;
}

double wrapDiff(double a, double b) {
    const double d = a - b;
    double best = d;
    if (std::fabs(d + TWO_PI_C) < std::fabs(best)) best = d + TWO_PI_C;
    if (std::fabs(d - TWO_PI_C) < std::fabs(best)) best = d - TWO_PI_C;
    return best;
}

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

namespace {

double wrapWrist(double x) {
    if (x < -PI_C) x += TWO_PI_C;
    if (x >= PI_C) x -= TWO_PI_C;
    return x;
}

}  // namespace

int wristOrientSolve(const Scene& s, const double* q, const Mat3& EwH, const Mat3& EwG, double sols[2][JV]) {
    const int N = s.N;
    if (N < 4 || N >= JV) return 0;
    const int W1 = N - 2, W2 = N - 1, W3 = N;

    // F0: world frame of joint N-2 before its rotation, from the arm joints of q.
    Mat3 F0 = identityMat3(), Eq, tmp;
    for (int i = 1; i <= N - 3; ++i) {
        rotZMat3(s.Erel[i], q[i], Eq);
        mulMat3(F0, Eq, tmp);
        F0 = tmp;
    }
    mulMat3(F0, s.Erel[W1], tmp);
    F0 = tmp;

    // The frame joint N must take so that the hand frame is EwG, and its z axis (the axis of
    // joint N) seen from F0.
    Mat3 Mt;
    {
        Mat3 EwHT;
        transposeMat3(EwH, EwHT);
        mulMat3(EwG, EwHT, Mt);
    }
    const Vec3 zN = colMat3(Mt, 2);
    Vec3 z;
    mulMat3TVec(F0, zN, z);

    // Joint N-1's axis u (in the frame of joint N-2) is carried round joint N-2's axis; it must
    // keep its fixed angle to joint N's axis: (Rz(q) u) . z = cos(angle) = k2. This is
    // al cos q + be sin q = k2 - uz zz.
    const Vec3 u = colMat3(s.Erel[W2], 2);
    const double k2 = s.Erel[W3](2, 2);
    const double al = u[0] * z[0] + u[1] * z[1];
    const double be = u[0] * z[1] - u[1] * z[0];
    const Vec3 ez{{0, 0, 1}};
    Vec3 cr;
    crossVec3(ez, z, cr);

    const Vec3 v8 = colMat3(s.Erel[W3], 2);
    // Completes joint N-2's angle a with joints N-1 and N; true when the hand frame they give is
    // the goal frame.
    auto complete = [&](double a, double* w) {
        Mat3 G7, G8, Rm, t7;
        // Joint N-1 turns joint N's axis onto the goal axis.
        rotZMat3(F0, a, t7);
        mulMat3(t7, s.Erel[W2], G7);
        Vec3 t;
        mulMat3TVec(G7, zN, t);
        const double b = std::atan2(v8[0] * t[1] - v8[1] * t[0], v8[0] * t[0] + v8[1] * t[1]);
        // Joint N turns the rest.
        rotZMat3(G7, b, t7);
        mulMat3(t7, s.Erel[W3], G8);
        mulMat3TN(G8, Mt, Rm);
        const double c = std::atan2(Rm(1, 0), Rm(0, 0));
        Mat3 hand, G8r;
        rotZMat3(G8, c, G8r);
        mulMat3(G8r, EwH, hand);
        double err = 0.0;
        for (int i = 0; i < 9; ++i) err += std::fabs(hand.m[i] - EwG.m[i]);
        w[0] = a;
        w[1] = b;
        w[2] = c;
        return err <= 1e-9;
    };

    // The two turns of joint N-2 that keep the angle: al cos q + be sin q = R cos(q - phi).
    const double R = std::sqrt(al * al + be * be);
    double cand[2];
    bool haveCand = false;
    if (R > 0.0) {
        const double c = (k2 - u[2] * z[2]) / R;
        if (std::fabs(c) <= 1) {
            const double sn = std::sqrt(1 - c * c);
            const double phi = std::atan2(be, al);
            cand[0] = phi + std::atan2(sn, c);
            cand[1] = phi + std::atan2(-sn, c);
            haveCand = true;
        }
    }

    double w[2][3];
    int n = 0;
    if (dotVec3(cr, cr) < 1e-7) {
        // Joint N-2's axis lies along joint N's goal axis: only the sum of the turns of joints
        // N-2 and N matters, and one solution is given. Joint N-2 keeps its angle when that
        // reaches the goal exactly; when the axes are only nearly aligned, the turn of joint N-2
        // nearest to its angle that keeps the axis angle is taken instead.
        if (complete(q[W1], w[0])) {
            n = 1;
        } else if (haveCand) {
            const int k = std::fabs(wrapDiff(cand[1], q[W1])) < std::fabs(wrapDiff(cand[0], q[W1])) ? 1 : 0;
            if (complete(cand[k], w[0])) n = 1;
        }
    } else {
        if (!haveCand) return 0;
        for (int k = 0; k < 2; ++k)
            if (complete(cand[k], w[n])) ++n;
    }

    for (int k = 0; k < n; ++k) {
        for (int i = 0; i < JV; ++i) sols[k][i] = q[i];
        sols[k][W1] = wrapWrist(w[k][0]);
        sols[k][W2] = wrapWrist(w[k][1]);
        sols[k][W3] = wrapWrist(w[k][2]);
    }
    return n;
}

int wristOrientNearest(const Scene& s, const double* q, const Mat3& EwH, const Mat3& EwG, double* qout) {
    double sols[2][JV];
    const int n = wristOrientSolve(s, q, EwH, EwG, sols);
    if (n == 0) return 0;
    const int N = s.N;
    int best = 0;
    double dmin = 1000.0;
    for (int k = 0; k < n; ++k) {
        const double dk = jointDist3(N - 2, N - 1, N, q, sols[k]);
        if (dk < dmin) {
            dmin = dk;
            best = k;
        }
    }
    for (int i = 0; i < JV; ++i) qout[i] = sols[best][i];
    return 1;
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
