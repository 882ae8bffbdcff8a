#include "collide/avoid_turn.h"

#include <cmath>

#include "collide/vec3_inline.h"
#include "core/console.h"
#include "core/scene.h"
#include "model/angles.h"

using namespace collide;

namespace {

const double kHalfPi = 1.5707963278;
const double kThreeHalfPi = 4.7123889814;
const Vec3 kOrigin = {{0, 0, 0}};

Vec3 mirrorY(const Vec3& a) { return Vec3{{a[0], -a[1], a[2]}}; }
Vec3 unit(const Vec3& a) {
    double n = norm(a);
    return n > 0 ? scale(1.0 / n, a) : a;
}


// The turn of the unit vector a about the axis k (unit) until it reaches b: circle centre
// (a . k) k, radius and angle in [0, 2 pi).
void turnAbout(const Vec3& k, const Vec3& a, const Vec3& b, Vec3& c, Vec3& e1, Vec3& e2, double& r,
               double& angle) {
    c = scale(dot(a, k), k);
    e1 = sub(a, c);
    r = norm(e1);
    e1 = scale(1.0 / r, e1);
    e2 = cross(k, e1);
    const Vec3 va = e1, vb = unit(sub(b, c));
    angle = std::atan2(dot(cross(va, vb), k), dot(va, vb));
    if (angle < 0) angle += TWO_PI_C;
}

}  // namespace

int calTurnAvoidWF(Scene& s, char side, int M, const Vec3& P, const Vec3& aa, const Vec3& bb, Vec3& c, Vec3& e1,
                   Vec3& e2, double& r, double& angle) {
    traceVec(s, 0, 2, aa.data(),
             "\n☆========= ベクトルの壁床と干渉しないaa[]→bb[]への旋回計算 =============☆"
             "\n  aa[]=");
    traceVec(s, 0, 2, bb.data(), "  bb[]=");
    const double na = norm(aa), nb = norm(bb);
    if (!(na >= 0.000001) || !(nb >= 0.000001) || !finite3(P)) {
        c = kOrigin;
        e1 = s.nAlpha;
        e2 = s.nWall;
        r = 0;
        angle = 0;
        return 1;
    }
    const Vec3 A = scale(1.0 / na, aa), B = scale(1.0 / nb, bb);
    if (std::fabs(A[0] - B[0]) + std::fabs(A[1] - B[1]) + std::fabs(A[2] - B[2]) < 0.00001) {
        c = kOrigin;
        e1 = A;
        e2 = s.ez;
        r = 0;
        angle = 0;
        return 1;
    }
    const double m = M < s.Nw ? Margin : MarginW;
    const double L = (M >= 0 && M < JV) ? s.L[M] : 0.0;
    bool plain;
    if (side == 'O')
        plain = P[1] - (s.rhy2 + m) >= L;
    else if (side == 'I')
        plain = P[1] + L <= s.rhy1 - m;
    else
        plain = true;
    const Vec3 AxB = cross(A, B);
    const double sinAB = norm(AxB);
    // Opposite directions give no plane for the shortest turn; the avoiding turn chooses one.
    if (plain && sinAB >= 0.000001) {
        const Vec3 n = scale(1.0 / sinAB, AxB);
        const Vec3 pe1 = A, pe2 = cross(n, A);
        const double pangle = std::atan2(sinAB, dot(A, B));
        const double zlow = P[2] - std::sqrt(pe1[2] * pe1[2] + pe2[2] * pe2[2]);
        const double dz = zlow - m;
        double phi = std::atan2(pe2[2], pe1[2]) + PI_C;
        if (phi > PI_C) phi -= TWO_PI_C;
        if ((pangle - phi) * phi <= 0 || dz >= 0) {
            e1 = pe1;
            e2 = pe2;
            angle = pangle;
            r = 1;
            c = kOrigin;
            return 1;
        }
    }
    s.sgnTurn = calTurnAvoidAxis(s, side, A, B, c, e1, e2, r, angle);
    return s.sgnTurn;
}

namespace {

// Axis of the half turn between opposite directions: across x, perpendicular to Q in its y-z
// components, its signs chosen by the quadrant of Q.
Vec3 halfTurnAxis(const Vec3& Q) {
    if (Q[0] >= 1 - 0.000001) return Vec3{{0, -1, 0}};
    if (Q[0] <= -1 + 0.000001) return Vec3{{0, 1, 0}};
    const double n = 1.0 / std::sqrt(Q[1] * Q[1] + Q[2] * Q[2]);
    const double wy = std::fabs(Q[2]) * n, wz = std::fabs(Q[1]) * n;
    int sy, sz;
    if (Q[1] <= 0 && Q[2] <= 0) {
        sy = 1;
        sz = -1;
    } else if (Q[1] <= 0) {
        sy = 1;
        sz = 1;
    } else if (Q[2] <= 0) {
        sy = -1;
        sz = -1;
    } else {
        sy = -1;
        sz = 1;
    }
    if (Q[0] < 0) {
        sy = -sy;
        sz = -sz;
    }
    return Vec3{{0, sy * wy, sz * wz}};
}

// Tilt t of the turn axis cos t N + sin t T that carries Q into P (N the shortest turn's axis):
// the start moves away from the wall and up when Q lies below P, else away from the wall and the
// arrival comes from above.
double axisTilt(Scene& s, const Vec3& Q, const Vec3& P, const Vec3& N, const Vec3& T) {
    const Vec3 U1 = cross(N, Q), U2 = cross(T, Q);
    const Vec3 V1 = cross(scale(-1, N), P), V2 = cross(scale(-1, T), P);
    const double as = (std::fabs(U1[1]) < 0.01 && std::fabs(U2[1]) < 0.01) ? 0.0 : std::atan2(U2[1], U1[1]);
    const double az = (std::fabs(U1[2]) < 0.01 && std::fabs(U2[2]) < 0.01) ? 0.0 : std::atan2(U2[2], U1[2]);
    const double ae = std::atan2(V2[2], V1[2]);
    double iv[2];
    double t = 0;
    if (Q[2] <= P[2]) {
        halfIntervals(s, 'P', as, 'P', az, iv);
        const double lo = iv[0], hi = iv[1];
        if (lo <= 0 && 0 <= hi) t = 0;
        if (lo > 0 && hi >= 0) t = lo;
        if (lo <= 0 && hi <= 0) t = hi;
        if (lo <= TWO_PI_C && TWO_PI_C <= hi) t = TWO_PI_C;
    } else {
        halfIntervals(s, 'P', as, 'P', ae, iv);
        const double lo = iv[0], hi = iv[1];
        if (lo <= 0) {
            t = hi >= 0 ? 0 : hi;
        } else {
            t = hi <= kHalfPi ? lo : hi;
            if (lo <= TWO_PI_C && TWO_PI_C <= hi) t = TWO_PI_C;
        }
    }
    return t;
}

}  // namespace

int calTurnAvoidAxis(Scene& s, char side, const Vec3& a, const Vec3& b, Vec3& c, Vec3& e1, Vec3& e2, double& r,
                     double& angle) {
    r = 0;
    angle = 0;
    e1 = s.nAlpha;
    e2 = s.nWall;
    c = s.ez;
    // Mirror the near side so that away from the wall is +y in both cases.
    const bool mir = side == 'I';
    const Vec3 Am = mir ? mirrorY(a) : a, Bm = mir ? mirrorY(b) : b;
    const bool swapped = Bm[1] < Am[1];
    Vec3 Q = swapped ? Bm : Am, P = swapped ? Am : Bm;
    const double nQ = norm(Q), nP = norm(P);
    if (!(nQ >= 0.0001) || !(nP >= 0.0001)) return 1;
    Q = scale(1.0 / nQ, Q);
    P = scale(1.0 / nP, P);
    const Vec3 D = sub(Q, P);
    const double d = norm(D);
    const Vec3 an = unit(a), bn = unit(b);

    if (d < 0.0001) {
        // Same direction: no turn to avoid anything; the short remaining turn goes straight to b.
        c = kOrigin;
        r = 1;
        e1 = an;
        const Vec3 ab = cross(an, bn);
        const double sab = norm(ab);
        if (sab > 1e-12) {
            e2 = cross(scale(1.0 / sab, ab), an);
            angle = std::atan2(sab, dot(an, bn));
        } else {
            Vec3 w = cross(an, s.ez);
            if (norm(w) < 0.0001) w = cross(an, s.nWall);
            w = unit(w);
            e2 = cross(w, e1);
            angle = 0;
        }
        return 1;
    }

    const Vec3 Sm = swapped ? P : Q;  // the mirrored start
    const Vec3 Em = swapped ? Q : P;  // the mirrored end
    Vec3 k;
    if (d > 2 - 0.000001) {
        // Opposite directions: a half turn about an axis w across x chosen by the signs of Q.
        const Vec3 w = halfTurnAxis(Q);
        // The axis is w made exactly perpendicular to Q - P, so that the turn ends on b even when
        // the two directions are only nearly opposite.
        const Vec3 Dn = scale(1.0 / d, D);
        k = unit(sub(w, scale(dot(w, Dn), Dn)));
        turnAbout(k, Sm, Em, c, e1, e2, r, angle);
    } else {
        // General case: the axes that carry Q into P are cos t N + sin t T.
        const Vec3 N = unit(cross(Q, P));
        const Vec3 T = cross(scale(1.0 / d, D), N);
        const double t = axisTilt(s, Q, P, N, T);
        k = add(scale(std::cos(t), N), scale(std::sin(t), T));
        if (swapped) k = scale(-1, k);
        turnAbout(k, Sm, Em, c, e1, e2, r, angle);
        if (swapped) {
            tracef(s, "\n  cc=(a,nn)=%6.3f\n  cc=(b,nn)=%6.3f", dot(Q, k), dot(P, k));
        }
    }
    if (mir) {
        c = mirrorY(c);
        e1 = mirrorY(e1);
        e2 = mirrorY(e2);
    }
    return 1;
}

void halfIntervals(Scene& s, char s1, double a1, char s2, double a2, double out[2]) {
    auto interval = [](char letter, double a, double& lo, double& hi) {
        if (letter == 'N') {
            lo = a + kHalfPi;
            hi = a + kThreeHalfPi;
        } else {
            lo = a - kHalfPi;
            hi = a + kHalfPi;
        }
        lo = wrapTurnsHalfOpen(lo);
        hi = wrapTurnsLowOpen(hi);
    };
    double lo1, hi1, lo2, hi2;
    interval(s1, a1, lo1, hi1);
    interval(s2, a2, lo2, hi2);
    intervalMeet(s, lo1, hi1, lo2, hi2, out);
}

void intervalMeet(Scene& s, double lo1, double hi1, double lo2, double hi2, double out[2]) {
    if (!std::isfinite(lo1) || !std::isfinite(hi1) || !std::isfinite(lo2) || !std::isfinite(hi2)) {
        out[0] = out[1] = 0;
        s.sgnTurn = 0;
        return;
    }
    auto wrapInterval = [](double& lo, double& hi) {
        lo = wrapTurnsHalfOpen(lo);
        if (PI_C - lo < 0.000001) lo = -PI_C;
        hi = wrapTurnsLowOpen(hi);
        if (hi < lo) hi += TWO_PI_C;
    };
    wrapInterval(lo1, hi1);
    double shift = 0;
    if (lo1 >= 0 && hi1 > 0) shift = -TWO_PI_C;
    if (lo1 < 0) shift = TWO_PI_C;
    const double slo = lo1 + shift, shi = hi1 + shift;
    wrapInterval(lo2, hi2);
    s.sgnTurn = 1;
    double lo = std::fmax(lo1, lo2), hi = std::fmin(hi1, hi2);
    if (lo > hi) {
        lo = std::fmax(slo, lo2);
        hi = std::fmin(shi, hi2);
        if (lo > hi) {
            lo = hi = 0;
            s.sgnTurn = 0;
        }
    }
    out[0] = lo;
    out[1] = hi;
}
