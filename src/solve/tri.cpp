#include "solve/tri.h"

#include <cmath>

#include "core/console.h"
#include "core/types.h"

namespace {

constexpr double kZero = 1e-7;       // "zero" of every test below
constexpr double kUnit = 1.0000001;  // window for a cosine or sine slightly outside [-1, 1]

double clampUnit(double v) { return v > 1.0 ? 1.0 : (v < -1.0 ? -1.0 : v); }

// Monic polynomial x^n + c[0] x^(n-1) + ... + c[n-1] by Horner.
double monicValue(int n, double x, const double* c) {
    double f = 1.0;
    for (int i = 0; i < n; ++i) f = f * x + c[i];
    return f;
}

// Deflation of the cubic x^3 + a x^2 + b x + c by its root r into the quadratic of the other
// two roots, written to x[1], x[2]. Returns the new count (3 or 1), or keeps `count` when r
// cannot be divided by.
int deflateCubic(double a, double b, double c, double r, double* x, int count) {
    if (r == 0.0) return count;
    const double u = c / r + b;
    const double den = a * r + u;
    if (den == 0.0) return count;
    const double t = r / den;
    double pq[2] = {u * t / 2, c * t};
    return quadratic(pq, x + 1) + 1;
}

// Value and derivative of A cos^2 q + B sin^2 q + 2C cos q sin q + 2D cos q + 2E sin q + F.
struct Tri2Eq {
    double A, B, C, D, E, F;
    double value(double q) const {
        const double c = std::cos(q), s = std::sin(q);
        return A * c * c + B * s * s + 2 * C * c * s + 2 * D * c + 2 * E * s + F;
    }
    double slope(double q) const {
        const double c = std::cos(q), s = std::sin(q);
        return 2 * (B - A) * c * s + 2 * C * (c * c - s * s) - 2 * D * s + 2 * E * c;
    }
    // Newton steps on the equation itself, each kept only if it lowers |value|. The branches
    // solve a nearby equation where a coefficient is below its zero threshold (A = B, C = 0,
    // D = E = 0, sine or cosine only), and roots that went through the quartic in cos q lose
    // accuracy where the quartic's roots cluster (a crossing next to a near-double root, or next
    // to C cos q + E = 0, where sin q is a quotient of small numbers). This brings every angle
    // back onto the equation given, without moving a good root. With wrap, a result that left
    // [-pi, pi] is brought back.
    double refine(double q, bool wrap) const {
        double f = value(q);
        for (int it = 0; it < 12 && f != 0.0; ++it) {
            const double df = slope(q);
            if (df == 0.0) break;
            double dq = f / df;
            if (dq > 0.1) dq = 0.1;
            if (dq < -0.1) dq = -0.1;
            const double qn = q - dq;
            const double fn = value(qn);
            if (!(std::fabs(fn) < std::fabs(f))) break;
            q = qn;
            f = fn;
        }
        if (wrap) {
            if (q > PI_C) q -= TWO_PI_C;
            if (q < -PI_C) q += TWO_PI_C;
        }
        return q;
    }
};

// Newton steps for a root y of y^3 + a y^2 + b y + c, halved until they lower the residual;
// a step that cannot lower it ends the search.
double newtonCubic(double a, double b, double c, double y) {
    auto value = [&](double v) { return ((v + a) * v + b) * v + c; };
    double f = value(y);
    for (int it = 0; it < 30 && f != 0.0; ++it) {
        const double df = (3 * y + 2 * a) * y + b;
        if (df == 0.0) break;
        double step = f / df;
        bool moved = false;
        for (int h = 0; h < 40; ++h, step *= 0.5) {
            const double yn = y - step;
            const double fn = value(yn);
            if (std::fabs(fn) < std::fabs(f)) {
                y = yn;
                f = fn;
                moved = true;
                break;
            }
        }
        if (!moved) break;
    }
    return y;
}

// The three real roots of the reduced cubic z^3 + 3p z + 2q = 0 when g = p^3 / q^2 + 1 <= 0,
// by the trigonometric form (1.732051 stands for sqrt 3).
void reducedThreeRoots(double p, double q, double g, double z[3]) {
    const double th = std::atan(std::sqrt(-g)) / 3;
    double r = std::sqrt(-p);
    if (q >= 0) r = -r;
    const double u = r * std::cos(th);
    const double v = r * std::sin(th) * 1.732051;
    z[0] = 2 * u;
    z[1] = -u - v;
    z[2] = -u + v;
}

// The real root of the reduced cubic z^3 + 3p z + 2q = 0 when g = p^3 / q^2 + 1 > 0 (Cardano's
// form, rearranged for p >= 0 to avoid cancellation). *wt is w + t, which gives the imaginary
// part of the complex pair as |w + t| sqrt(3) / 2.
double reducedRealRoot(double p, double q, double g, double* wt) {
    const double t = cuberoot((std::sqrt(g) + 1) * q);
    const double w = p / t;
    const double t2 = t * t;
    *wt = w + t;
    return (p >= 0) ? -2 * q * t2 / ((t2 + p) * t2 + p * p) : w - t;
}

}  // namespace

int TRI1(double a, double b, double c, double* q) {
    q[0] = q[1] = 0.0;
    const double r = std::sqrt(a * a + b * b);
    if (r < kZero) {
        if (std::fabs(c) < kZero) {
            q[1] = PI_C;
            return 2;
        }
        return 0;
    }
    if (std::fabs(c) > r) return 0;
    const double phi = std::atan2(b, a);
    // |c| <= r keeps the quotient inside [-1, 1] after rounding.
    const double d = std::acos(-c / r);
    q[0] = phi + d;
    q[1] = phi - d;
    for (int k = 0; k < 2; ++k) {
        if (q[k] > PI_C) q[k] -= TWO_PI_C;
        if (q[k] < -PI_C) q[k] += TWO_PI_C;
    }
    return 2;
}

int quadratic(const double* pq, double* x) {
    const double p = pq[0], q = pq[1];
    if (std::fabs(q) <= kZero) {
        x[0] = -2 * p;
        x[1] = 0.0;
        return 2;
    }
    const double disc = p * p - q;
    if (disc < 0) {
        x[0] = -p;
        x[1] = std::sqrt(-disc);
        return 0;
    }
    x[0] = (p > 0) ? -p - std::sqrt(disc) : -p + std::sqrt(disc);
    x[1] = q / x[0];
    return 2;
}

double cuberoot(double x) {
    if (x == 0.0) return 0.0;
    const double ax = std::fabs(x);
    double y = std::pow(ax, 1.0 / 3.0);
    y = (y + 3 * ax / (ax / y + 2 * y * y)) / 2;
    return x < 0 ? -y : y;
}

int cubic(const double* abc, double* x) {
    const double a = abc[0], b = abc[1], c = abc[2];
    if (std::fabs(c) <= kZero) {
        x[0] = 0.0;
        double pq[2] = {a / 2, b};
        return quadratic(pq, x + 1) + 1;
    }
    const double h = a / 3, s = h * h, m = std::fabs(h);
    double p = b / 3 - s;
    const double q = ((2 * s - b) * h + c) / 2;
    if (std::fabs(p) * 710000 < s) p = 0.0;
    int count;
    if (s * m > std::fabs(q) * 710000 || q == 0.0) {
        // The constant of the reduced cubic is negligible: z (z^2 + 3p) = 0.
        x[0] = -h;
        const double t = 3 * p;
        if (t > 0) {
            x[1] = -h;
            x[2] = std::sqrt(t);
            count = 1;
        } else {
            x[1] = -std::sqrt(-t) - h;
            x[2] = std::sqrt(-t) - h;
            count = 3;
        }
    } else {
        const double g = p * p * p / (q * q) + 1;
        if (std::fabs(g) < 1.4e-5) {
            const double r = cuberoot(q);
            x[0] = x[1] = r - h;
            x[2] = -2 * r - h;
            count = 3;
        } else if (g <= 0) {
            double z[3];
            reducedThreeRoots(p, q, g, z);
            for (int i = 0; i < 3; ++i) x[i] = z[i] - h;
            count = 3;
        } else {
            double wt;
            const double z = reducedRealRoot(p, q, g, &wt);
            x[0] = z - h;
            x[1] = -z / 2 - h;
            x[2] = std::fabs(wt) * 0.8660254;
            count = 1;
        }
    }

    // Accuracy repair from the product of the roots, which equals -c.
    if (count == 1) {
        const double mod = x[1] * x[1] + x[2] * x[2];
        const double r2 = x[0] * x[0];
        if (r2 * 0.01 < mod) {
            if (r2 < mod) x[0] = -c / mod;
        } else {
            count = deflateCubic(a, b, c, x[0], x, count);
        }
    } else {
        const double e = 0.05 * m;
        const bool l0 = !(std::fabs(x[0]) < e), l1 = !(std::fabs(x[1]) < e), l2 = !(std::fabs(x[2]) < e);
        if (l0 && l1 && !l2) {
            x[2] = -c / (x[0] * x[1]);
        } else if (l0 && !l1 && l2) {
            x[1] = -c / (x[0] * x[2]);
        } else if (l0 && !l1 && !l2) {
            count = deflateCubic(a, b, c, x[0], x, count);
        } else if (!l0 && l1 && l2) {
            x[0] = -c / (x[1] * x[2]);
        } else if (!l0 && l1 && !l2) {
            x[0] = x[1];
            count = deflateCubic(a, b, c, x[0], x, count);
        } else if (!l0 && !l1) {
            x[0] = x[2];
            count = deflateCubic(a, b, c, x[0], x, count);
        }
    }
    return count;
}

// Ferrari's method in five stages: (1) d = 0: the zero root and the cubic; (2) the resolvent
// cubic's roots (Q = 0 through a quadratic; else the reduced cubic: q negligible, three real
// roots, or one real root with its small-root repair), each polished on the resolvent; (3) the
// choice of the resolvent root y; (4) the split into x^2 + g1 x + h1 and x^2 + g2 x + h2: y = 0,
// h1 and h2 well apart, or nearly equal (g1, g2 first); (5) the roots of the two quadratics.
int quartic(const double* abcd, double* x) {
    const double a = abcd[0], b = abcd[1], c = abcd[2], d = abcd[3];
    if (std::fabs(d) <= kZero) {
        x[0] = 0.0;
        double abc[3] = {a, b, c};
        return cubic(abc, x + 1) + 1;
    }

    // Resolvent cubic y^3 - b y^2 + P y + Q = 0 in y = h1 + h2 of the factorisation
    // (x^2 + g1 x + h1)(x^2 + g2 x + h2).
    const double P = a * c - 4 * d;
    const double Q = 4 * b * d - c * c - a * a * d;
    const double hq = b - a * a / 4;  // every usable y is at least this
    const double b3 = b / 3;
    double yr[3];
    int ny;
    if (std::fabs(Q) <= kZero) {
        yr[0] = 0.0;
        double pq[2] = {-b / 2, P};
        double r[2];
        if (quadratic(pq, r) == 2) {
            yr[1] = r[0];
            yr[2] = r[1];
            ny = 3;
        } else {
            ny = 1;
        }
    } else {
        const double h = -b3, s = h * h, m = std::fabs(h);
        double p = P / 3 - s;
        const double q = ((2 * s - P) * h + Q) / 2;
        if (std::fabs(p) * 710000 < s) p = 0.0;
        if (s * m > std::fabs(q) * 710000 || q == 0.0) {
            if (p < 0) {
                const double r = std::sqrt(-3 * p);
                yr[0] = b3;
                yr[1] = b3 - r;
                yr[2] = b3 + r;
                ny = 3;
            } else {
                yr[0] = b3;
                ny = 1;
            }
        } else {
            double g = p * p * p / (q * q) + 1;
            if (std::fabs(g) < 1.4e-6) g = 0.0;
            if (g <= 0) {
                double z[3];
                reducedThreeRoots(p, q, g, z);
                for (int i = 0; i < 3; ++i) yr[i] = z[i] + b3;
                ny = 3;
            } else {
                double wt;
                const double z = reducedRealRoot(p, q, g, &wt);
                double y = z + b3;
                if (10 * std::fabs(y) < std::fabs(b3)) {
                    // The real root is small against the pair: take it from the product of
                    // the roots, -Q, over the squared modulus of the pair.
                    const double yc = -z / 2 + b3;
                    const double den = 0.75 * wt * wt + yc * yc;
                    if (den != 0.0) y = -Q / den;
                    if (y < hq && g < 2.24e-5) y = yc;
                }
                yr[0] = y;
                ny = 1;
            }
        }
        // The guards above take clustered resolvent roots as coincident (a constant below
        // |h|^3 / 710000 counts as zero) and use 1.732051 for sqrt(3); the factorisation below
        // needs the root to full accuracy, so each is brought onto the resolvent before the
        // choice.
        for (int i = 0; i < ny; ++i) yr[i] = newtonCubic(-b, P, Q, yr[i]);
    }

    double y = yr[0];
    if (ny == 3) {
        double lo = yr[0], hi = yr[0];
        for (int i = 1; i < 3; ++i) {
            if (yr[i] > hi) hi = yr[i];
            if (yr[i] < lo) lo = yr[i];
        }
        y = hi;
        if (lo >= hq && std::fabs(lo) > std::fabs(hi)) y = lo;
    }

    double g1, g2, h1, h2;
    if (y == 0.0) {
        if (d < 0) {
            h1 = std::sqrt(-d);
            h2 = -h1;
        } else {
            h1 = h2 = 0.0;
        }
        if (b == 0.0) {
            if (a * c >= 0) {
                g1 = 0.0;
                g2 = a;
            } else {
                g1 = a;
                g2 = 0.0;
            }
        } else {
            const double k = a / 2, D = k * k - b;
            if (D < 0) {
                g1 = g2 = k;
            } else {
                // t is the root of x^2 - a x + b of larger magnitude (no cancellation); it goes
                // to g1 when its sign differs from that of c.
                const bool up = k >= 0;
                const double t = up ? k + std::sqrt(D) : k - std::sqrt(D);
                if (up ? c < 0 : c >= 0) {
                    g1 = t;
                    g2 = b / t;
                } else {
                    g1 = b / t;
                    g2 = t;
                }
            }
        }
    } else {
        const double y2 = y / 2;
        const double E = y2 * y2 - d;
        auto splitH = [&](double Ev) {
            const double rt = std::sqrt(Ev > 0 ? Ev : 0.0);
            h1 = (y < 0) ? y2 - rt : y2 + rt;
            h2 = (h1 != 0.0) ? d / h1 : y;
        };
        if (E * 10000 >= y2 * y2) {
            splitH(E);
            g2 = (c - a * h2) / (h1 - h2);
            g1 = (a * h1 - c) / (h1 - h2);
        } else {
            // h1 and h2 nearly equal: take g1, g2 from g1 + g2 = a, g1 g2 = b - y instead.
            const double c0 = b - y, k = a / 2;
            double F = k * k - c0;
            if (F < 0) F = 0.0;
            g1 = (k < 0) ? k - std::sqrt(F) : k + std::sqrt(F);
            g2 = (g1 != 0.0) ? c0 / g1 : a;
            if (F * 10000 < std::fabs(b) + std::fabs(y) + k * k || g1 == g2) {
                splitH(E);
                if (std::fabs(h1 * g1 + g2 * h2 - c) <= std::fabs(h1 * g2 + g1 * h2 - c)) {
                    const double t = g1;
                    g1 = g2;
                    g2 = t;
                }
            } else {
                h1 = (g1 * y - c) / (g1 - g2);
                h2 = (c - g2 * y) / (g1 - g2);
            }
        }
    }

    double pq[2] = {g1 / 2, h1};
    const int k1 = quadratic(pq, x);
    if (k1 == 0) {
        x[2] = x[0];
        x[3] = x[1];
    }
    pq[0] = g2 / 2;
    pq[1] = h2;
    const int k2 = quadratic(pq, x + k1);
    return k1 + k2;
}

double polishRoot(int n, double x, const double* c) {
    double f0 = monicValue(n, x, c);
    for (int it = 1; it <= 10; ++it) {
        const double f1 = monicValue(n, x + 1e-4, c);
        const double df = f1 - f0;
        if (df == 0.0) return x;
        double dx = (1e-4 / df) * f0;
        if (dx > 0.01) dx = 0.01;
        if (dx < -0.01) dx = -0.01;
        x -= dx;
        f0 = monicValue(n, x, c);
        if (std::fabs(f0) <= kZero) break;
    }
    return x;
}

namespace {

// The roots of a x^2 + 2b x + c = 0 (of 2b x + c = 0 when a is below zero) that lie inside
// (-kUnit, kUnit), clamped onto [-1, 1]: the values of a cosine or a sine. Returns their count.
int unitRoots(double a, double b, double c, double r[2]) {
    double roots[2];
    int nr = 0;
    if (std::fabs(a) >= kZero) {
        double disc = b * b - a * c;
        if (disc <= -kZero) return 0;
        if (disc < 0) disc = 0.0;
        roots[0] = (-b + std::sqrt(disc)) / a;
        roots[1] = (-b - std::sqrt(disc)) / a;
        nr = 2;
    } else if (std::fabs(b) > kZero) {
        roots[0] = -c / (2 * b);
        nr = 1;
    }
    int n = 0;
    for (int i = 0; i < nr; ++i)
        if (roots[i] > -kUnit && roots[i] < kUnit) r[n++] = clampUnit(roots[i]);
    return n;
}

// The branches of TRI2, tried in order: quadratic part a multiple of cos^2 + sin^2 (TRI1), no
// linear terms (principal axes), sine only, cosine only, and the general quartic in cos q (with
// the factorised case where C x + E vanishes at a root). *wrapped tells whether the angles lie in
// [-pi, pi] (all but the principal-axes case, whose angles are phi +- w and those +- pi).
int tri2Branches(const Scene& s, double A, double B, double C, double D, double E, double F, double* q,
                 bool* wrapped) {
    *wrapped = true;
    // Quadratic part a multiple of cos^2 + sin^2: the equation is linear in cos q and sin q.
    if (4 * C * C + (A - B) * (A - B) <= kZero) return TRI1(2 * D, 2 * E, F + B, q);

    // No linear terms: in the principal axes of the quadratic form the equation fixes
    // cos^2(q - phi).
    if (std::fabs(D) + std::fabs(E) < kZero) {
        const double phi = std::atan(2 * C / (A - B)) / 2;
        const double cp = std::cos(phi), sp = std::sin(phi);
        const double f = A * cp * cp + 2 * C * cp * sp + B * sp * sp;
        const double g = B * cp * cp + A * sp * sp - 2 * C * cp * sp;
        if (std::fabs(f - g) < kZero) return 0;
        double t = (-F - g) / (f - g);
        if (t <= -kZero) {
            tracef(s, "\nTRI2() BC1=BS1=0 sqrt( X=%8.5f<0 ) no solution", t);
            return 0;
        }
        if (t >= kUnit) {
            tracef(s, "\nTRI2() BC1=BS1=0 cos2()>1 no solution");
            return 0;
        }
        if (t < 0) t = 0.0;
        if (t > 1) t = 1.0;
        const double w = std::atan2(std::sqrt(1 - t), std::sqrt(t));
        *wrapped = false;
        q[0] = phi + w;
        q[1] = phi + w - PI_C;
        q[2] = phi - w;
        q[3] = phi - w + PI_C;
        return 4;
    }

    // Sine only: (B - A) s^2 + 2E s + (F + A) = 0 in s = sin q.
    if (std::fabs(D) + std::fabs(C) < kZero) {
        tracef(s, "\nfuncall() sin()だけの関数 BC1=%11.3e BCS=%11.3e", D, C);
        double r[2];
        const int nr = unitRoots(B - A, E, F + A, r);
        int n = 0;
        for (int i = 0; i < nr; ++i) {
            const double q1 = std::asin(r[i]);
            q[n++] = q1;
            q[n++] = (q1 < 0) ? -PI_C - q1 : PI_C - q1;
        }
        return n;
    }

    // Cosine only: (A - B) c^2 + 2D c + (F + B) = 0 in c = cos q.
    if (std::fabs(E) + std::fabs(C) < kZero) {
        double r[2];
        const int nr = unitRoots(A - B, D, F + B, r);
        int n = 0;
        for (int i = 0; i < nr; ++i) {
            const double q1 = std::acos(r[i]);
            q[n++] = q1;
            q[n++] = -q1;
        }
        return n;
    }

    // General case: squaring (A-B) x^2 + 2D x + (F+B) = -2 sin q (C x + E) gives a quartic in
    // x = cos q; each real root then fixes sin q.
    const double AB = A - B, FB = F + B;
    const double k = 4 * C * C + AB * AB;
    double coef[4] = {4 * (D * AB + 2 * C * E) / k, (4 * (D * D + E * E - C * C) + 2 * AB * FB) / k,
                      4 * (D * FB - 2 * C * E) / k, (FB * FB - 4 * E * E) / k};
    double x[4];
    const int nx = quartic(coef, x);
    if (nx == 0) return 0;
    for (int i = 0; i < nx; ++i)
        if (std::fabs(x[i]) <= 1 && std::fabs(monicValue(4, x[i], coef)) >= 1e-8)
            x[i] = polishRoot(4, x[i], coef);
    int n = 0;
    for (int i = 0; i < nx; ++i) {
        const double w = C * x[i] + E;
        if (std::fabs(w) > kZero) {
            const double sn = -(AB * x[i] * x[i] + 2 * D * x[i] + FB) / (2 * w);
            if (std::fabs(sn) < 1) q[n++] = std::atan2(sn, x[i]);
            continue;
        }
        // C x + E vanishes at a root: the equation factorises; solve the factors instead.
        n = 0;
        if (std::fabs(C) <= kZero) {
            double pq[2] = {D / AB, FB / AB};
            double r[2];
            if (quadratic(pq, r) == 2) {
                for (int j = 0; j < 2; ++j) {
                    if (std::fabs(r[j]) <= 1) {
                        const double sr = std::sqrt(1 - r[j] * r[j]);
                        q[n++] = std::atan2(sr, r[j]);
                        q[n++] = std::atan2(-sr, r[j]);
                    }
                }
            }
        } else {
            const double u = AB / C;
            n = TRI1(u, 2, (2 * D - E * u) / C, q);
            const double x0 = -E / C;
            if (std::fabs(x0) <= 1) {
                const double sr = std::sqrt(1 - x0 * x0);
                q[n++] = std::atan2(sr, x0);
                q[n++] = std::atan2(-sr, x0);
            }
        }
        return n;
    }
    return n;
}

}  // namespace

int TRI2(const Scene& s, double A, double B, double C, double D, double E, double F, double* q) {
    bool wrapped = true;
    const int n = tri2Branches(s, A, B, C, D, E, F, q, &wrapped);
    const Tri2Eq eq{A, B, C, D, E, F};
    for (int i = 0; i < n; ++i) q[i] = eq.refine(q[i], wrapped);
    return n;
}
