#include "solve/ijkinv.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "model/angles.h"
#include "model/vecops.h"
#include "solve/joint_dist.h"
#include "solve/tri.h"

int pinv2d(const Scene& s, double L1, double L2, double X, double Y, double qq[2][2]) {
    qq[0][0] = qq[0][1] = qq[1][0] = qq[1][1] = 0.0;
    // Zero link lengths leave the planar inverse undefined (division below).
    if (L1 == 0.0 || L2 == 0.0) return 0;
    const double C = -(L1 * L1 + Y * Y + X * X - L2 * L2) / (2 * L1);
    double q1[2];
    const int sol = TRI1(X, Y, C, q1);
    if (sol == 0) return 0;
    tracef(s, "\npinv2d() sol=%d", sol);
    for (int k = 0; k < sol; ++k) {
        tracef(s, "\n  q1[%d]=%6.3f\n  X*cq+Y*sq+C=%11.3e", k, q1[k], X * std::cos(q1[k]) + Y * std::sin(q1[k]) + C);
    }
    for (int k = 0; k < sol; ++k) {
        const double cq = (X - L1 * std::cos(q1[k])) / L2;
        const double sq = (Y - L1 * std::sin(q1[k])) / L2;
        const double at = std::atan2(sq, cq);
        qq[k][0] = q1[k];
        qq[k][1] = at - q1[k];
        tracef(s, "\n  q1[%d]=%6.3f cq=%6.3f sq=%6.3f atan2(sq,cq)=%6.3f q2=%6.3f", k, q1[k], cq, sq, at, qq[k][1]);
    }
    tracef(s, "\npinv2d() 検算 sol=%d", sol);
    for (int k = 0; k < sol; ++k) {
        const double a = qq[k][0], b = qq[k][0] + qq[k][1];
        tracef(s,
               "\n  qq[%d][0,1]=[%6.3f %6.3f]"
               "\n  L1*cq1+L2*c(q1+q2)-X=%11.3e"
               "\n  L1*sq1+L2*s(q1+q2)-Y=%11.3e",
               k, qq[k][0], qq[k][1], L1 * std::cos(a) + L2 * std::cos(b) - X, L1 * std::sin(a) + L2 * std::sin(b) - Y);
    }
    return sol;
}

namespace {

constexpr double kTiny = 1e-8;

bool zero1(double a) { return std::fabs(a) < kTiny; }
bool zero2(double a, double b) { return std::fabs(a) + std::fabs(b) < kTiny; }

// A point that depends linearly on (cos t, sin t): a cos t + b sin t + c.
struct Trig3 {
    Vec3 a, b, c;
    Vec3 at(double t) const {
        const double ct = std::cos(t), st = std::sin(t);
        return Vec3{
            {ct * a[0] + st * b[0] + c[0], ct * a[1] + st * b[1] + c[1], ct * a[2] + st * b[2] + c[2]}};
    }
};

// Rotation about z that turns the x-y part of v onto the x-y part of w.
double alignXY(const Vec3& v, const Vec3& w) {
    return std::atan2(v[0] * w[1] - v[1] * w[0], v[0] * w[0] + v[1] * w[1]);
}

// Rotation and offset from the frame of joint i0 after its rotation to the frame of joint i1
// before its rotation (joint i1's origin), with the joints between at their angles in Eq.
void chainBetween(const Scene& s, const Mat3* Eq, int i0, int i1, Mat3& T, Vec3& p) {
    Mat3 R = identityMat3(), tmp;
    Vec3 t;
    p = Vec3{{0, 0, 0}};
    for (int i = i0 + 1; i <= i1; ++i) {
        mulMat3Vec(R, s.Lvec[i], t);
        addVec3(p, t, p);
        if (i < i1) {
            mulMat3(R, Eq[i], tmp);
            R = tmp;
        }
    }
    mulMat3(R, s.Erel[i1], T);
}

}  // namespace

// Closed form in five stages: (1) the chosen point in the frame of joint K, by mode; (2) the frame
// chains between joints 0, I, J, K and the target in the frame of joint I; (3) both sides in the
// frame of joint J, giving E1 (squared norms) and E2 (z components), and a Newton polish of each
// pair (qI, qK) found; (4) the case rows, in order: qI absent from E1, qK absent from E1, qI
// absent from E2, qK absent from E2, E1 and E2 proportional in qK, proportional in qI, else the
// general elimination to one TRI2-form equation in qK (cosine only, sine only, TRI2); (5) qJ for
// each pair, and repeated solutions dropped.
int IJKinv(const Scene& s, const char* mode, const double* q, int I, int J, int K, const Vec3& P,
           const Vec3& target, double sols[4][JV]) {
    const int N = s.N;
    for (int k = 0; k < 4; ++k)
        for (int i = 0; i < JV; ++i) sols[k][i] = q[i];
    if (!(1 <= I && I < J && J < K && K <= N && N < JV)) return 0;

    Mat3 Eq[JV];
    for (int i = 1; i <= N; ++i) rotZMat3(s.Erel[i], q[i], Eq[i]);

    // The chosen point in the frame of joint K after its rotation.
    Vec3 Pk, t;
    if (!mode || !mode[0]) return 0;
    if (mode[1] == 'O') {
        Pk = s.PwOffset;
        for (int i = N; i >= K + 1; --i) {
            mulMat3Vec(Eq[i], Pk, t);
            addVec3(s.Lvec[i], t, Pk);
        }
    } else if (mode[1] == 'R') {
        if (K > N - 2) return 0;  // the wrist point is carried down from joint N-2
        Pk = s.Lvec[N - 1];
        for (int i = N - 2; i >= K + 1; --i) {
            mulMat3Vec(Eq[i], Pk, t);
            addVec3(s.Lvec[i], t, Pk);
        }
    } else if (mode[0] == 'L') {
        Pk = P;
    } else {
        return 0;  // unknown mode: no point to place
    }

    Mat3 T1, T2, T3;
    Vec3 p1, p2, p3;
    chainBetween(s, Eq, 0, I, T1, p1);
    chainBetween(s, Eq, I, J, T2, p2);
    chainBetween(s, Eq, J, K, T3, p3);
    Vec3 Qt;
    subVec3(target, p1, t);
    mulMat3TVec(T1, t, Qt);

    // Both sides in the frame of joint J before its rotation: Rz(qJ) v(qK) = w(qI).
    const double Px = Pk[0], Py = Pk[1], Pz = Pk[2];
    const Vec3 c0 = colMat3(T3, 0), c1 = colMat3(T3, 1), c2 = colMat3(T3, 2);
    Trig3 v;
    for (int r = 0; r < 3; ++r) {
        v.a[r] = Px * c0[r] + Py * c1[r];
        v.b[r] = Px * c1[r] - Py * c0[r];
        v.c[r] = Pz * c2[r] + p3[r];
    }
    const double p3c0 = dotVec3(p3, c0), p3c1 = dotVec3(p3, c1), p3c2 = dotVec3(p3, c2);
    const double A1 = 2 * (Px * p3c0 + Py * p3c1);
    const double B1 = 2 * (Px * p3c1 - Py * p3c0);
    const double C1 = dotVec3(Pk, Pk) + 2 * Pz * p3c2 + dotVec3(p3, p3);

    const double Qx = Qt[0], Qy = Qt[1], Qz = Qt[2];
    Trig3 w;
    {
        Vec3 u0{{Qx, Qy, 0}}, u1{{Qy, -Qx, 0}}, u2{{-p2[0], -p2[1], Qz - p2[2]}};
        mulMat3TVec(T2, u0, w.a);
        mulMat3TVec(T2, u1, w.b);
        mulMat3TVec(T2, u2, w.c);
    }
    const double A2 = -2 * (p2[0] * Qx + p2[1] * Qy);
    const double B2 = -2 * (p2[0] * Qy - p2[1] * Qx);
    const double C2 = dotVec3(Qt, Qt) + dotVec3(p2, p2) - 2 * p2[2] * Qz;
    const double av = v.a[2], bv = v.b[2], cv = v.c[2];
    const double aw = w.a[2], bw = w.b[2], cw = w.c[2];
    // E1: A1 cK + B1 sK + C1 = A2 cI + B2 sI + C2 (squared norms);
    // E2: av cK + bv sK + cv = aw cI + bw sI + cw (z components).

    // Residuals of E1 and E2 at (qI, qK).
    auto resid = [&](double qI, double qK, double* r) {
        const double cI = std::cos(qI), sI = std::sin(qI), cK = std::cos(qK), sK = std::sin(qK);
        r[0] = A1 * cK + B1 * sK + C1 - (A2 * cI + B2 * sI + C2);
        r[1] = av * cK + bv * sK + cv - (aw * cI + bw * sI + cw);
    };
    // Newton steps on E1, E2 together, each kept only if it lowers the residual. The closed
    // forms lose digits near the special rows (two axes nearly parallel, a coefficient pair just
    // above its zero threshold) and through the squared elimination; this puts the pair back on
    // the two equations the geometry gives, so the point lands on the target to rounding.
    auto polish = [&](double& qI, double& qK) {
        double r[2];
        resid(qI, qK, r);
        double e = std::fabs(r[0]) + std::fabs(r[1]);
        for (int it = 0; it < 6 && e > 0.0; ++it) {
            const double cI = std::cos(qI), sI = std::sin(qI), cK = std::cos(qK), sK = std::sin(qK);
            const double j11 = A2 * sI - B2 * cI, j12 = -A1 * sK + B1 * cK;  // d r0 / d(qI, qK)
            const double j21 = aw * sI - bw * cI, j22 = -av * sK + bv * cK;  // d r1 / d(qI, qK)
            const double det = j11 * j22 - j12 * j21;
            if (det == 0.0) break;
            const double dI = (r[0] * j22 - r[1] * j12) / det;
            const double dK = (j11 * r[1] - j21 * r[0]) / det;
            if (!(std::fabs(dI) + std::fabs(dK) < 0.01)) break;  // only a final correction
            double rn[2];
            resid(qI - dI, qK - dK, rn);
            const double en = std::fabs(rn[0]) + std::fabs(rn[1]);
            if (!(en < e)) break;
            qI -= dI;
            qK -= dK;
            r[0] = rn[0];
            r[1] = rn[1];
            e = en;
        }
    };

    double found[4][3];  // (qI, qJ, qK)
    int nf = 0;
    auto store = [&](double qI, double qK) {
        if (nf >= 4) return;
        polish(qI, qK);
        found[nf][0] = qI;
        found[nf][1] = alignXY(v.at(qK), w.at(qI));
        found[nf][2] = qK;
        ++nf;
    };
    auto E1w = [&](double qI) { return A2 * std::cos(qI) + B2 * std::sin(qI) + C2; };
    auto E1v = [&](double qK) { return A1 * std::cos(qK) + B1 * std::sin(qK) + C1; };
    double r1[2], r2[2];

    if (zero2(A2, B2)) {
        // qI absent from E1: qK from E1, then qI from E2.
        const int n1 = TRI1(A1, B1, C1 - C2, r1);
        for (int i = 0; i < n1; ++i) {
            const int n2 = TRI1(aw, bw, cw - v.at(r1[i])[2], r2);
            for (int j = 0; j < n2; ++j) store(r2[j], r1[i]);
        }
    } else if (zero2(A1, B1)) {
        // qK absent from E1: qI from E1, then qK from E2.
        const int n1 = TRI1(A2, B2, C2 - C1, r1);
        for (int i = 0; i < n1; ++i) {
            const int n2 = TRI1(av, bv, cv - w.at(r1[i])[2], r2);
            for (int j = 0; j < n2; ++j) store(r1[i], r2[j]);
        }
    } else if (zero2(aw, bw)) {
        // qI absent from E2: qK from E2, then qI from E1.
        const int n1 = TRI1(av, bv, cv - cw, r1);
        for (int i = 0; i < n1; ++i) {
            const int n2 = TRI1(A2, B2, C2 - E1v(r1[i]), r2);
            for (int j = 0; j < n2; ++j) store(r2[j], r1[i]);
        }
    } else if (zero2(av, bv)) {
        // qK absent from E2: qI from E2, then qK from E1.
        const int n1 = TRI1(aw, bw, cw - cv, r1);
        for (int i = 0; i < n1; ++i) {
            const int n2 = TRI1(A1, B1, C1 - E1w(r1[i]), r2);
            for (int j = 0; j < n2; ++j) store(r1[i], r2[j]);
        }
    } else if (zero1(av * B1 - bv * A1)) {
        // E1 and E2 proportional in qK: E2 - r E1 holds qI only.
        const double r = (std::fabs(A1) > std::fabs(B1)) ? av / A1 : bv / B1;
        const int n1 = TRI1(aw - r * A2, bw - r * B2, cw - r * C2 - cv + r * C1, r1);
        for (int i = 0; i < n1; ++i) {
            const int n2 = TRI1(av, bv, cv - w.at(r1[i])[2], r2);
            for (int j = 0; j < n2; ++j) store(r1[i], r2[j]);
        }
    } else if (zero1(aw * B2 - bw * A2)) {
        // E1 and E2 proportional in qI: E2 - r E1 holds qK only.
        const double r = (std::fabs(A2) > std::fabs(B2)) ? aw / A2 : bw / B2;
        const int n1 = TRI1(av - r * A1, bv - r * B1, cv - r * C1 - cw + r * C2, r1);
        for (int i = 0; i < n1; ++i) {
            const int n2 = TRI1(aw, bw, cw - v.at(r1[i])[2], r2);
            for (int j = 0; j < n2; ++j) store(r2[j], r1[i]);
        }
    } else {
        // General elimination of qI: E1 and E2 are linear in (cI, sI); cI^2 + sI^2 = 1 leaves one
        // equation in qK of the TRI2 form.
        const double d = A2 * bw - B2 * aw;
        const double S2 = A2 * A2 + B2 * B2, Sw = aw * aw + bw * bw, X = bw * B2 + aw * A2;
        const double dv = cv - cw, dC = C1 - C2;
        const double cA = (S2 * av - 2 * X * A1) * av + Sw * A1 * A1;
        const double cB = (S2 * bv - 2 * X * B1) * bv + Sw * B1 * B1;
        const double cC = S2 * av * bv + Sw * A1 * B1 - (B1 * av + A1 * bv) * X;
        const double cD = dv * S2 * av + dC * Sw * A1 - (dC * av + dv * A1) * X;
        const double cE = dv * S2 * bv + dC * Sw * B1 - (dC * bv + dv * B1) * X;
        const double cF = dv * dv * S2 + dC * dC * Sw - 2 * dv * dC * X - d * d;

        double ang[4];
        int na = 0;
        if (std::fabs(cC) + std::fabs(cE) < kTiny) {
            // cos qK only
            if (std::fabs(cA - cB) >= kTiny) {
                double pq[2] = {cD / (cA - cB), (cF + cB) / (cA - cB)}, x[2];
                if (quadratic(pq, x) == 2) {
                    for (int i = 0; i < 2; ++i) {
                        if (std::fabs(x[i]) <= 1) {
                            const double sr = std::sqrt(1 - x[i] * x[i]);
                            ang[na++] = std::atan2(sr, x[i]);
                            ang[na++] = std::atan2(-sr, x[i]);
                        }
                    }
                }
            } else if (std::fabs(cD) >= kTiny) {
                const double c = -(cF + cA) / (2 * cD);
                if (std::fabs(c) <= 1) {
                    ang[na++] = std::acos(c);
                    ang[na++] = -std::acos(c);
                }
            }
        } else if (std::fabs(cC) + std::fabs(cD) < kTiny) {
            // sin qK only
            if (std::fabs(cB - cA) >= kTiny) {
                double pq[2] = {cE / (cB - cA), (cF + cA) / (cB - cA)}, x[2];
                if (quadratic(pq, x) == 2) {
                    for (int i = 0; i < 2; ++i) {
                        if (std::fabs(x[i]) <= 1) {
                            const double cr = std::sqrt(1 - x[i] * x[i]);
                            ang[na++] = std::atan2(x[i], cr);
                            ang[na++] = std::atan2(x[i], -cr);
                        }
                    }
                }
            } else if (std::fabs(cE) >= kTiny) {
                const double sn = -(cF + cB) / (2 * cE);
                if (std::fabs(sn) <= 1) {
                    const double a0 = std::asin(sn);
                    double a1 = PI_C - a0;
                    if (a1 > PI_C) a1 -= TWO_PI_C;
                    ang[na++] = a0;
                    ang[na++] = a1;
                }
            }
        } else {
            na = TRI2(s, cA, cB, cC, cD, cE, cF, ang);
        }
        if (na == 0) return 0;

        // Drop repeated angles.
        int nu = 0;
        for (int i = 0; i < na; ++i) {
            bool repeated = false;
            for (int j = 0; j < nu; ++j)
                if (std::fabs(angleDiffNearest(ang[i], ang[j])) < 1e-6) repeated = true;
            if (!repeated) ang[nu++] = ang[i];
        }

        for (int i = 0; i < nu; ++i) {
            const double qK = ang[i];
            const double W1 = E1v(qK) - C2;
            const double W2 = v.at(qK)[2] - cw;
            double n1 = W1 * bw - W2 * B2;  // d cos qI
            double n2 = W2 * A2 - W1 * aw;  // d sin qI
            if (std::fabs(n1 * n1 + n2 * n2 - d * d) > 1e-5) continue;
            // The numerators carry the sign of d; divide it out before taking the angle.
            if (d < 0) {
                n1 = -n1;
                n2 = -n2;
            }
            store(std::atan2(n2, n1), qK);
        }
    }

    // Distinct solutions only, packed to the front in the order found.
    int n = 0;
    for (int k = 0; k < nf; ++k) {
        bool same = false;
        for (int j = 0; j < n && !same; ++j) {
            const double dd = std::fabs(found[k][0] - found[j][0]) + std::fabs(found[k][1] - found[j][1]) +
                              std::fabs(found[k][2] - found[j][2]);
            if (dd < 0.0001) same = true;
        }
        if (!same) {
            for (int m = 0; m < 3; ++m) found[n][m] = found[k][m];
            ++n;
        }
    }
    for (int k = 0; k < n; ++k) {
        sols[k][I] = found[k][0];
        sols[k][J] = found[k][1];
        sols[k][K] = found[k][2];
    }
    return n;
}

int IJKinvNearest(const Scene& s, const char* mode, const double* q, int I, int J, int K, const Vec3& P,
                  const Vec3& target, double* qout) {
    double sols[4][JV];
    const int n = IJKinv(s, mode, q, I, J, K, P, target, sols);
    if (n == 0) {
        if (qout != q)
            for (int i = 0; i < JV; ++i) qout[i] = q[i];
        return 0;
    }
    int best = 0;
    double dmin = 1000.0;
    for (int k = 0; k < n; ++k) {
        const double dk = jointDist3(I, J, K, q, sols[k]);
        if (dk < dmin) {
            dmin = dk;
            best = k;
        }
    }
    for (int i = 0; i < JV; ++i) qout[i] = sols[best][i];
    return 1;
}
