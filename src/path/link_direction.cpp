// Turning one link to a given world direction with its two driving joints, in closed form.
#include "path/link_direction.h"

#include <cmath>

#include "core/scene.h"
#include "model/joints.h"
#include "model/kinematics.h"
#include "model/vecops.h"
#include "solve/tri.h"

namespace {

constexpr double kDirTol = 1e-5;  // a link points along e when |mm[M] - e| < kDirTol

// The two driving joints of link M: Mq1 = M' (next to the link), Mq2 = M'' (before it).
void drivingJoints(const Scene& s, int M, int& Mq1, int& Mq2) {
    if (M == s.Nw) {
        Mq1 = s.N - 1;
        Mq2 = s.N - 2;
        return;
    }
    Mq1 = M - 1;
    if (Mq1 >= 1 && s.JRTYPE[Mq1] == 'R') Mq1 -= 1;
    Mq2 = Mq1 - 1;
    if (Mq2 >= 1 && s.JRTYPE[Mq2] == s.JRTYPE[Mq1]) Mq2 -= 1;
}

double dirError(const Vec3& a, const Vec3& b) {
    Vec3 d;
    subVec3(a, b, d);
    return normVec3(d);
}

bool finiteVec(const Vec3& e) {
    return std::isfinite(e[0]) && std::isfinite(e[1]) && std::isfinite(e[2]);
}

// Turn of joint M'' that carries the horizontal part of w onto that of ep (both in the frame of
// joint M'' before its rotation).
double turnOnto(const Vec3& w, const Vec3& ep) {
    return std::atan2(w[0] * ep[1] - w[1] * ep[0], w[0] * ep[0] + w[1] * ep[1]);
}

// w = B Rz(th) v
void linkInFrame(const Mat3& B, double th, const Vec3& v, Vec3& w) {
    const double c = std::cos(th), sn = std::sin(th);
    Vec3 p = {{c * v[0] - sn * v[1], sn * v[0] + c * v[1], v[2]}};
    mulMat3Vec(B, p, w);
}

// The condition of calJntMDirSolve for link M and direction e: Rz(th'') B Rz(th') v = ep, with
// th'' the value of joint Mq2 and th' that of joint Mq1 (frames of the pose q).
struct DirProblem {
    int Mq1 = 0, Mq2 = 0;
    Mat3 B;
    Vec3 v, ep;
    bool onAxis = false;  // ep along the axis of joint Mq2
};

// Candidate pairs (th', th'') in the order found; room for every branch of dirRoots.
struct DirRoots {
    double cand[8][2];
    int n = 0;
};

// Adds the pairs of root th1 of joint Mq1.
void addRoot(const DirProblem& p, const double* q, double th1, DirRoots& r) {
    Vec3 w;
    linkInFrame(p.B, th1, p.v, w);
    if (!p.onAxis) {
        r.cand[r.n][0] = th1;
        r.cand[r.n][1] = turnOnto(w, p.ep);
        ++r.n;
        return;
    }
    // e' along the axis of joint M'': joint M'' keeps its value; when the small horizontal
    // remainder leaves the link off e, the exact turn is tried as well.
    r.cand[r.n][0] = th1;
    r.cand[r.n][1] = q[p.Mq2];
    ++r.n;
    r.cand[r.n][0] = th1;
    r.cand[r.n][1] = turnOnto(w, p.ep);
    ++r.n;
}

// The roots: th' from the height of the link (a cos th' + b sin th' + c), th'' for each.
void dirRoots(Scene& s, const DirProblem& p, const double* q, DirRoots& r) {
    const Mat3& B = p.B;
    const Vec3& v = p.v;
    const Vec3& ep = p.ep;
    // z of B Rz(th') v = a cos th' + b sin th' + c
    const double a = B(2, 0) * v[0] + B(2, 1) * v[1];
    const double b = B(2, 1) * v[0] - B(2, 0) * v[1];
    const double c = B(2, 2) * v[2];
    if (std::fabs(a) + std::fabs(b) > kDirTol) {
        double th[2];
        int n = TRI1(a, b, c - ep[2], th);
        if (n == 0) {
            // A tangent root lost to rounding (e' at the extreme reachable height).
            const double rr = std::sqrt(a * a + b * b), cc = c - ep[2];
            if (std::fabs(std::fabs(cc) - rr) < 1e-9) {
                double phi = std::atan2(b, a);
                th[0] = cc < 0 ? phi : phi + PI_C;
                if (th[0] > PI_C) th[0] -= TWO_PI_C;
                n = 1;
            }
        }
        for (int k = 0; k < n; ++k) addRoot(p, q, th[k], r);
        return;
    }
    // The height of the link does not depend on th'. Off the axis the horizontal length gives an
    // equation in cos th', sin th'; it is identically constant in exact arithmetic, so joint M'
    // keeping its value is tried as well (the nearest of all equal solutions).
    if (!p.onAxis) {
        double al[2], be[2], ga[2];
        for (int i = 0; i < 2; ++i) {
            al[i] = B(i, 0) * v[0] + B(i, 1) * v[1];
            be[i] = B(i, 1) * v[0] - B(i, 0) * v[1];
            ga[i] = B(i, 2) * v[2];
        }
        const double cA = al[0] * al[0] + al[1] * al[1], cB = be[0] * be[0] + be[1] * be[1];
        const double cC = al[0] * be[0] + al[1] * be[1], cD = al[0] * ga[0] + al[1] * ga[1];
        const double cE = be[0] * ga[0] + be[1] * ga[1];
        const double cF = ga[0] * ga[0] + ga[1] * ga[1] - ep[0] * ep[0] - ep[1] * ep[1];
        if (std::fabs(cA - cB) + std::fabs(cC) + std::fabs(cD) + std::fabs(cE) > 1e-12) {
            double th[4];
            const int n = TRI2(s, cA, cB, cC, cD, cE, cF, th);
            for (int k = 0; k < n && k < 4; ++k) addRoot(p, q, th[k], r);
        }
    }
    // On the axis of M'' (the link of M'' along e): both joints keep their values; the
    // verification decides whether that points the link along e.
    if (r.n + 2 <= 8) addRoot(p, q, q[p.Mq1], r);
}

// Verification: each pair in the order found, as a copy of q run through forward kinematics, is
// kept (in the next row of out) only when it points link M along e. Returns the count.
int keepVerified(Scene& s, const DirProblem& p, const DirRoots& r, const double* q, int M, const Vec3& e,
                 double out[4][JV]) {
    int count = 0;
    for (int k = 0; k < r.n && count < 4; ++k) {
        double* row = out[count];
        copyJointVector(JV - 1, q, row);
        row[p.Mq1] = r.cand[k][0];
        row[p.Mq2] = r.cand[k][1];
        bool dup = false;
        for (int j = 0; j < count; ++j)
            if (std::fabs(jointDiff(s, p.Mq1, out[j][p.Mq1], row[p.Mq1])) < 1e-9 &&
                std::fabs(jointDiff(s, p.Mq2, out[j][p.Mq2], row[p.Mq2])) < 1e-9)
                dup = true;
        if (dup || !std::isfinite(row[p.Mq1]) || !std::isfinite(row[p.Mq2])) continue;
        forwardKinematics(s, row);
        if (dirError(s.mm[M], e) < kDirTol) ++count;
    }
    return count;
}

}  // namespace

int calJntMDirSolve(Scene& s, const double* q, int M, const Vec3& eIn, double out[4][JV]) {
    const int N = s.N;
    for (int r = 0; r < 4; ++r) copyJointVector(JV - 1, q, out[r]);
    if (M < 2 || M > s.Nw || s.Nw >= JV || !finiteVec(eIn)) return 0;
    const double en = normVec3(eIn);
    if (en < 1e-9) return 0;
    Vec3 e = {{eIn[0] / en, eIn[1] / en, eIn[2] / en}};
    DirProblem p;
    drivingJoints(s, M, p.Mq1, p.Mq2);
    if (p.Mq2 < 1 || p.Mq1 > N) return 0;

    forwardKinematics(s, q);
    const Mat3 A = s.EA[p.Mq2];
    if (p.Mq2 == p.Mq1 - 1)
        p.B = s.Erel[p.Mq1];
    else
        mulMat3(turnedFrame(s, p.Mq2 + 1), s.Erel[p.Mq1], p.B);
    if (p.Mq1 == M - 1)
        p.v = s.mm0[M];
    else
        mulMat3Vec(turnedFrame(s, M - 1), s.mm0[M], p.v);
    mulMat3TVec(A, e, p.ep);
    p.onAxis = std::fabs(p.ep[0]) + std::fabs(p.ep[1]) <= kDirTol;

    DirRoots roots;
    dirRoots(s, p, q, roots);
    if (roots.n == 0) copyJointVector(N, q, s.qr);
    const int count = keepVerified(s, p, roots, q, M, e, out);
    for (int r = count; r < 4; ++r) copyJointVector(JV - 1, q, out[r]);
    return count;
}

int calJntMDir(Scene& s, const double* q, int M, const Vec3& e, double* qOut) {
    double qIn[JV];
    copyJointVector(JV - 1, q, qIn);
    copyJointVector(JV - 1, qIn, qOut);
    if (M < 2 || M > s.Nw || s.Nw >= JV) return 0;
    int Mq1 = 0, Mq2 = 0;
    drivingJoints(s, M, Mq1, Mq2);
    if (Mq2 < 1) return 0;
    forwardKinematics(s, qIn);
    // Already along e: the pose itself is the one solution used.
    if (finiteVec(e) && dirError(s.mm[M], e) < kDirTol) return 1;

    double sol[4][JV];
    const int n = calJntMDirSolve(s, qIn, M, e, sol);
    if (n > 0) {
        int best = 0;
        double bestD = 0;
        for (int k = 0; k < n; ++k) {
            const double d = std::fabs(jointDiff(s, Mq1, sol[k][Mq1], qIn[Mq1])) +
                             std::fabs(jointDiff(s, Mq2, sol[k][Mq2], qIn[Mq2]));
            if (k == 0 || d < bestD) {
                best = k;
                bestD = d;
            }
        }
        copyJointVector(JV - 1, sol[best], qOut);
    }
    forwardKinematics(s, qOut);
    return n;
}
