#include "solve/wrist_orient.h"

#include <cmath>

#include "core/scene.h"
#include "model/vecops.h"
#include "solve/joint_dist.h"

namespace {

double wrapWrist(double x) {
    if (x < -PI_C) x += TWO_PI_C;
    if (x >= PI_C) x -= TWO_PI_C;
    return x;
}

// World frame of joint N-2 (W1) before its rotation, from the arm joints of q.
Mat3 frameBeforeWrist(const Scene& s, const double* q, int W1) {
    Mat3 F0 = identityMat3(), Eq, tmp;
    for (int i = 1; i <= W1 - 1; ++i) {
        rotZMat3(s.Erel[i], q[i], Eq);
        mulMat3(F0, Eq, tmp);
        F0 = tmp;
    }
    mulMat3(F0, s.Erel[W1], tmp);
    return tmp;
}

// What the wrist must reach, seen from the frame F0 of joint N-2: Mt the frame joint N must take
// so that the hand frame is EwG, zN its z axis (the axis of joint N) in the world.
struct WristGoal {
    Mat3 F0, Mt;
    Vec3 zN, v8;  // v8: joint N's axis in the frame of joint N-1
};

// Completes joint N-2's angle a with joints N-1 and N (w = the three angles); true when the hand
// frame they give is the goal frame.
bool completeWrist(const Scene& s, const WristGoal& g, int W2, int W3, const Mat3& EwH, const Mat3& EwG, double a,
                   double* w) {
    Mat3 G7, G8, Rm, t7;
    // Joint N-1 turns joint N's axis onto the goal axis.
    rotZMat3(g.F0, a, t7);
    mulMat3(t7, s.Erel[W2], G7);
    Vec3 t;
    mulMat3TVec(G7, g.zN, t);
    const double b = std::atan2(g.v8[0] * t[1] - g.v8[1] * t[0], g.v8[0] * t[0] + g.v8[1] * t[1]);
    // Joint N turns the rest.
    rotZMat3(G7, b, t7);
    mulMat3(t7, s.Erel[W3], G8);
    mulMat3TN(G8, g.Mt, Rm);
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
}

// The two turns of joint N-2 that keep the angle k2 of joint N-1's axis u to z (the goal axis of
// joint N in F0): al cos q + be sin q = k2 - uz zz = R cos(q - phi). False when there is none.
bool keepAngleTurns(const Vec3& u, const Vec3& z, double k2, double cand[2]) {
    const double al = u[0] * z[0] + u[1] * z[1];
    const double be = u[0] * z[1] - u[1] * z[0];
    const double R = std::sqrt(al * al + be * be);
    if (!(R > 0.0)) return false;
    const double c = (k2 - u[2] * z[2]) / R;
    if (!(std::fabs(c) <= 1)) return false;
    const double sn = std::sqrt(1 - c * c);
    const double phi = std::atan2(be, al);
    cand[0] = phi + std::atan2(sn, c);
    cand[1] = phi + std::atan2(-sn, c);
    return true;
}

}  // namespace

int wristOrientSolve(const Scene& s, const double* q, const Mat3& EwH, const Mat3& EwG, double sols[2][JV]) {
    const int N = s.N;
    if (N < 4 || N >= JV) return 0;
    const int W1 = N - 2, W2 = N - 1, W3 = N;

    WristGoal g;
    g.F0 = frameBeforeWrist(s, q, W1);
    {
        Mat3 EwHT;
        transposeMat3(EwH, EwHT);
        mulMat3(EwG, EwHT, g.Mt);
    }
    g.zN = colMat3(g.Mt, 2);
    g.v8 = colMat3(s.Erel[W3], 2);
    Vec3 z;
    mulMat3TVec(g.F0, g.zN, z);

    // Joint N-1's axis u (in the frame of joint N-2) is carried round joint N-2's axis; it must
    // keep its fixed angle to joint N's axis: (Rz(q) u) . z = cos(angle) = k2.
    const Vec3 u = colMat3(s.Erel[W2], 2);
    double cand[2];
    const bool haveCand = keepAngleTurns(u, z, s.Erel[W3](2, 2), cand);
    const Vec3 ez{{0, 0, 1}};
    Vec3 cr;
    crossVec3(ez, z, cr);

    double w[2][3];
    int n = 0;
    if (dotVec3(cr, cr) < 1e-7) {
        // Joint N-2's axis lies along joint N's goal axis: only the sum of the turns of joints
        // N-2 and N matters, and one solution is given. Joint N-2 keeps its angle when that
        // reaches the goal exactly; when the axes are only nearly aligned, the turn of joint N-2
        // nearest to its angle that keeps the axis angle is taken instead.
        if (completeWrist(s, g, W2, W3, EwH, EwG, q[W1], w[0])) {
            n = 1;
        } else if (haveCand) {
            const int k = std::fabs(wrapDiff(cand[1], q[W1])) < std::fabs(wrapDiff(cand[0], q[W1])) ? 1 : 0;
            if (completeWrist(s, g, W2, W3, EwH, EwG, cand[k], w[0])) n = 1;
        }
    } else {
        if (!haveCand) return 0;
        for (int k = 0; k < 2; ++k)
            if (completeWrist(s, g, W2, W3, EwH, EwG, cand[k], w[n])) ++n;
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
