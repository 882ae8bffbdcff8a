#include "goal/special_cases.h"

#include <cmath>
#include <initializer_list>

#include "collide/interference.h"
#include "core/console.h"
#include "core/scene.h"
#include "goal/pose_errors.h"
#include "model/joints.h"
#include "model/kinematics.h"
#include "model/vecops.h"
#include "solve/ijkinv.h"
#include "solve/posorient.h"
#include "solve/wrist_orient.h"

namespace {

constexpr double HALF_PI = PI_C / 2;

bool typesAre(const Scene& s, const char* t) {
    for (int i = 0; t[i]; ++i)
        if (s.JRTYPE[1 + i] != t[i]) return false;
    return true;
}

double axisAlongAlpha(const Scene& s, int i) { return dotVec3(colMat3(s.EA[i], 2), s.nAlpha); }

// Angle between two unit directions (0 when the cosine is not inside (-1, 1)); negative when
// the first one points lower.
double restAngle(const Vec3& u, const Vec3& v) {
    double c = dotVec3(u, v);
    if (!(std::fabs(c) < 1)) return 0;
    double a = std::acos(c);
    return (u[2] < v[2]) ? -a : a;
}

// Classification for the special cases: an 'R' joint does not count as a wall joint, its
// neighbour does.
void classifySpecial(Scene& s, const double* q, int* Mp, int* Mw) {
    int inWall[JV] = {};
    classifyJointsByWall(s, q, Mp, inWall, Mw);
    if (*Mp >= 1 && *Mp <= s.N && s.JRTYPE[*Mp] == 'R') *Mp -= 1;
    if (*Mw >= 1 && *Mw <= s.N && s.JRTYPE[*Mw] == 'R') *Mw += 1;
}

// Dwr and Dth of q, also kept as errP and errT (the kinematics of s are left at q).
void specErrors(Scene& s, const double* q, int* Mp, int* Mw, double* Dwr, double* Dth) {
    classifySpecial(s, q, Mp, Mw);
    *Dwr = wristError(s);
    *Dth = slitError(s, *Mp, *Mw);
    s.errP = *Dwr;
    s.errT = *Dth;
}

// Common start of the two special cases: qin and qout take q, Mp0, Mw0 and the errors of q.
// False, with the trace line, when joint 1 does not lie on the alpha-plane.
bool startSpecCase(Scene& s, const double* q, double* qin, double* qout, int* Mp0, int* Mw0, double* Dwr,
                   double* Dth) {
    copyQ(q, qin);
    copyQ(qin, qout);
    specErrors(s, qin, Mp0, Mw0, Dwr, Dth);
    if (onAlpha(s, baseJ1(s))) return true;
    tracef(s, "\ncalSpecCase1() J[1]はα面内にない→終了");
    return false;
}

// Joint distance of wristp from J[anchor] against the summed lengths of links k0..N-2.
bool wristReachable(Scene& s, const double* qb, int anchor, int k0) {
    forwardKinematics(s, qb);
    double reach = 0;
    for (int k = k0; k <= s.N - 2; ++k) reach += s.L[k];
    return distVec3(s.J[anchor], s.wristp) <= reach;
}

// The positioning triples of a joint list of 3, 4 or 5 joints, in their fixed order.
int formTriples(const int* list, int n, int triples[10][3]) {
    static const int k3[1][3] = {{0, 1, 2}};
    static const int k4[4][3] = {{0, 1, 2}, {0, 1, 3}, {0, 2, 3}, {1, 2, 3}};
    static const int k5[10][3] = {{0, 1, 2}, {0, 1, 3}, {0, 1, 4}, {0, 2, 3}, {0, 2, 4},
                                  {0, 3, 4}, {1, 2, 3}, {1, 2, 4}, {1, 3, 4}, {2, 3, 4}};
    const int(*idx)[3] = (n == 3) ? k3 : (n == 4) ? k4 : k5;
    int count = (n == 3) ? 1 : (n == 4) ? 4 : (n == 5) ? 10 : 0;
    for (int t = 0; t < count; ++t)
        for (int k = 0; k < 3; ++k) triples[t][k] = list[idx[t][k]];
    return count;
}

// Kept wrist solutions of case 1 (at most 10 triples of up to 4 solutions each).
constexpr int KMAX = 40;

// Case 1 by the types of joints 1..3: the base angles (qb, from the input pose qin), the anchor
// joint and first link of the reach test, and the joints from which the positioning triples are
// formed.
struct Case1Plan {
    int anchor = 2, k0 = 3;
    int list[5] = {2, 3, 4, 5, 0}, nlist = 4;
};

// False for the types Q Q Q, which have no solution.
bool case1Plan(Scene& s, const double* qin, double* qb, Case1Plan& p) {
    const double depth = s.rhy2 - baseJ1(s)[1];
    const double* L = s.L;
    int &anchor = p.anchor, &k0 = p.k0;
    auto setList = [&](std::initializer_list<int> l) {
        p.nlist = 0;
        for (int j : l) p.list[p.nlist++] = j;
    };
    if (typesAre(s, "QQQ")) {
        return false;
    } else if (typesAre(s, "RPQ")) {
        anchor = 2, k0 = 3, qb[1] = qb[3] = 0;
        if (depth < L[3]) setList({2, 3, 4, 5}); else setList({2, 4, 5});
    } else if (typesAre(s, "RQP")) {
        anchor = 2, k0 = 2, qb[1] = HALF_PI, qb[3] = 0;
        if (depth < L[3]) setList({2, 3, 4, 5}); else setList({2, 4, 5});
    } else if (typesAre(s, "RQQ")) {
        anchor = 2, k0 = 3, qb[1] = (qin[1] < 0) ? -HALF_PI : HALF_PI;
        setList({2, 3, 4, 5});
    } else if (typesAre(s, "PPP")) {
        anchor = 1, k0 = 2;
        setList({1, 2, 3, 4, 5});
    } else if (typesAre(s, "PPQ")) {
        anchor = 1, k0 = 2, qb[3] = 0;
        if (depth < L[2] + L[3]) setList({1, 2, 3, 4, 5}); else setList({1, 2, 4, 5});
    } else if (typesAre(s, "PQP")) {
        anchor = 1, k0 = 2, qb[2] = 0;
        if (depth < L[2]) setList({1, 2, 3, 4, 5}); else setList({1, 3, 4, 5});
    } else if (typesAre(s, "PQQ")) {
        anchor = 1, k0 = 2, qb[3] = 0, qb[2] = 0, qb[1] = -HALF_PI;
        if (depth < L[2] + L[3]) setList({1, 3, 4, 5}); else setList({1, 4, 5});
    } else if (typesAre(s, "PRP")) {
        anchor = 1, k0 = 2;
        qb[2] = (qin[2] > HALF_PI) ? PI_C : (qin[2] < -HALF_PI) ? -HALF_PI : 0;
        setList({1, 3, 4, 5});
    } else if (typesAre(s, "PRQ")) {
        anchor = 1, k0 = 2, qb[2] = HALF_PI;
        setList({1, 3, 4, 5});
    } else if (typesAre(s, "QQP")) {
        anchor = 3, k0 = 4, qb[1] = qb[2] = 0;
        setList({3, 4, 5});
    } else if (typesAre(s, "QPQ")) {
        anchor = 2, k0 = 3, qb[1] = qb[3] = 0;
        setList({2, 4, 5});
    } else if (typesAre(s, "QPP")) {
        anchor = 2, k0 = 3, qb[1] = 0;
        setList({2, 3, 4, 5});
    } else if (typesAre(s, "QRQ")) {
        anchor = 3, k0 = 4, qb[1] = 0, qb[2] = (qin[2] < 0) ? -HALF_PI : HALF_PI;
        setList({3, 4, 5});
    } else if (typesAre(s, "QRP")) {
        anchor = 3, k0 = 4, qb[1] = qb[2] = 0;
        if (qin[2] > HALF_PI) qb[2] = PI_C;
        if (qin[2] < -HALF_PI) qb[2] = -PI_C;
        setList({3, 4, 5});
    } else {
        anchor = 2, k0 = 3;
        qb[1] = (qin[1] > HALF_PI) ? PI_C : (qin[1] < -HALF_PI) ? -PI_C : 0;
        forwardKinematics(s, qb);
        if (s.J[4][1] < s.rhy2) qb[2] = (axisAlongAlpha(s, 2) > 0) ? -HALF_PI : HALF_PI;
        setList({2, 3, 4, 5});
    }
    return true;
}

// Every triple of the plan places the wrist point at wristp from qb; the solutions that keep
// J[Mp0] and J[Mw0] on the alpha-plane go to kept. Returns their number.
int wristSolutionsOnPlane(Scene& s, const double* qb, const Case1Plan& p, int Mp0, int Mw0, double kept[KMAX][JV]) {
    int triples[10][3];
    const int ntri = formTriples(p.list, p.nlist, triples);
    int nkept = 0;
    for (int t = 0; t < ntri; ++t) {
        double sols[4][JV];
        const int n = IJKinv(s, "WRIST", qb, triples[t][0], triples[t][1], triples[t][2], s.Lvec[s.N - 2], s.wristp,
                             sols);
        for (int k = 0; k < n && nkept < KMAX; ++k) {
            forwardKinematics(s, sols[k]);
            if (slitError(s, Mp0, Mw0) < tolExact) copyQ(sols[k], kept[nkept++]);
        }
    }
    return nkept;
}

// Interference of a kept solution: joints inside the wall (between Mp0 and Mw0) must stay
// Margin above the floor (-2), the others are checked on their side of the wall. The first
// negative code, or 0.
int specInterference(Scene& s, const double* q, int Mp0, int Mw0) {
    int code = 0;
    for (int j = 2; j <= s.N - 2 && code == 0; ++j) {
        forwardKinematics(s, q);
        if (j > Mp0 && j < Mw0) {
            if (s.J[j][2] < Margin) code = -2;
        } else {
            double bw, bf, bs;
            int K, t1, t2;
            Vec3 P1, P2;
            const WorkFloor wf = s.workFloorJudged ? WorkFloor::Judged : WorkFloor::Exempt;
            code = JntMCollCheck(s, (j <= Mp0) ? 'I' : 'O', j, q, wf, bw, bf, bs, K, P1, P2, t1, t2);
        }
    }
    return code;
}

// The kept solution case 1 takes: of the clean ones (no interference) the one whose largest
// |q[k]| over joints 1..N-3 is smallest; without a clean one the same among those that do not
// touch the wall, else the first.
int chooseSpecSolution(Scene& s, double kept[KMAX][JV], int nkept, int Mp0, int Mw0) {
    const int N = s.N;
    int clean[KMAX], nclean = 0;
    bool excluded[KMAX] = {};
    for (int k = 0; k < nkept; ++k) {
        const int code = specInterference(s, kept[k], Mp0, Mw0);
        if (code == 0) clean[nclean++] = k;
        if (code == -1 || code == -4 || code == -5 || code == -7) excluded[k] = true;
    }
    int choice = -1;
    double best = 100.0, mx = 0;
    if (nclean > 0) {
        tracef(s, "\n★3干渉ない解から最適解を選択");
        for (int c = 0; c < nclean; ++c) {
            argMaxAbsJoint(s, N - 3, kept[clean[c]], &mx);
            if (mx < best) best = mx, choice = clean[c];
        }
    } else {
        for (int k = 0; k < nkept; ++k) {
            if (excluded[k]) continue;
            argMaxAbsJoint(s, N - 3, kept[k], &mx);
            if (mx < best) best = mx, choice = k;
        }
        if (choice < 0) choice = 0;
    }
    return choice;
}

// Case 2 by the types of joints 1..5: the anchor joint and first link of the reach test, the
// pair (a, b) of the planar wrist placement (a = 0: none) and whether P Q Q tries triples.
struct Case2Plan {
    int anchor = 2, k0 = 3, a = 0, b = 0;
    bool triplesPQQ = false;
};

// Sets the base angles the plan names in qb (the other arm joints are 0).
void case2Plan(const Scene& s, double* qb, Case2Plan& p) {
    const char t4 = s.JRTYPE[4], t5 = s.JRTYPE[5];
    int &anchor = p.anchor, &k0 = p.k0, &a = p.a, &b = p.b;
    bool& triplesPQQ = p.triplesPQQ;
    if (typesAre(s, "RPP") || typesAre(s, "RQQ")) {
        anchor = 2, k0 = 3, a = 2, b = 3;
    } else if (typesAre(s, "RPQ")) {
        anchor = 2, k0 = 3;
        if (t4 == 'P') a = 2, b = 4;
        else if ((t4 == 'R' || t4 == 'Q') && t5 == 'P') a = 2, b = 5;
        else if (t4 == 'R' && t5 == 'Q') a = 2, b = 5, qb[4] = HALF_PI;
    } else if (typesAre(s, "RQP")) {
        anchor = 2, k0 = 2, qb[1] = HALF_PI;
        if (t4 == 'Q') a = 2, b = 4;
        else if (t4 == 'R' && (t5 == 'P' || t5 == 'Q')) a = 2, b = 5, qb[4] = (t5 == 'P') ? HALF_PI : 0;
        else if (t4 == 'P' && t5 == 'Q') a = 2, b = 5;
    } else if (typesAre(s, "PPP") || typesAre(s, "PPQ")) {
        anchor = 1, k0 = 2, a = 1, b = 2;
    } else if (typesAre(s, "PQP") || typesAre(s, "PRP")) {
        anchor = 1, k0 = 2, a = 1, b = 3;
    } else if (typesAre(s, "PQQ")) {
        anchor = 1, k0 = 2;
        if (t4 == 'P') a = 1, b = 4;
        else if (t4 == 'R') a = 1, b = 5, qb[4] = (t5 == 'Q') ? HALF_PI : 0;
        else if (t4 == 'Q' && t5 == 'P') a = 1, b = 5;
        else if (t4 == 'Q') triplesPQQ = true;
    } else if (typesAre(s, "QQQ")) {
        anchor = 4, k0 = 5;
        if (t4 == 'P' && t5 == 'P') a = 4, b = 5;
    } else if (typesAre(s, "QQP")) {
        anchor = 3, k0 = 4;
        if (t4 == 'P' || (t4 == 'Q' && t5 == 'P')) a = 3, b = 4;
        else if (t4 == 'R') a = 3, b = 5, qb[4] = (t5 == 'Q') ? HALF_PI : 0;
    } else if (typesAre(s, "QPP")) {
        anchor = 2, k0 = 3, a = 2, b = 3;
    } else if (typesAre(s, "QRQ")) {
        anchor = 3, k0 = 4, qb[2] = HALF_PI;
        if (t4 == 'Q') a = 3, b = 4;
        else if (t4 == 'R') a = 3, b = 5, qb[4] = (t5 == 'P') ? HALF_PI : 0;
        else if (t4 == 'P' && t5 == 'Q') a = 3, b = 5;
    } else if (typesAre(s, "QRP")) {
        anchor = 3, k0 = 4;
        if (t4 == 'P') a = 3, b = 4;
        else if (t4 == 'R') a = 3, b = 5, qb[4] = (t5 == 'Q') ? HALF_PI : 0;
        else if (t4 == 'Q' && t5 == 'P') a = 3, b = 5;
    } else if (typesAre(s, "QPQ")) {
        anchor = 2, k0 = 3;
        if (t4 == 'P') a = 2, b = 4;
        else if (t4 == 'R') a = 2, b = 5, qb[4] = (t5 == 'Q') ? HALF_PI : 0;
        else if (t4 == 'Q' && t5 == 'P') a = 2, b = 5;
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
char putWristPlanar(Scene& s, int a, int b, const double* q, const Vec3& target, double* qout) {
    const int N = s.N;
    double qo[JV], qc[JV];
    copyQ(q, qo);
    copyQ(q, qc);
    qc[a] = qc[b] = 0;
    forwardKinematics(s, qc);
    const double l1 = distVec3(s.J[b], s.J[a]);
    Vec3 d2, u2;
    subVec3(s.J[N - 2], s.J[b], d2);
    const double l2 = normVec3(d2);
    unitVec3(d2, u2);
    const double r1 = restAngle(s.mm[a], s.mm[b]);
    const double r2 = restAngle(s.mm[b], u2);
    const double axisA = axisAlongAlpha(s, a), axisB = axisAlongAlpha(s, b);
    const double dy = target[1] - s.J[a][1], dz = target[2] - s.J[a][2];

    double qq[2][2] = {};
    const int n = pinv2d(s, l1, l2, dz, dy, qq);
    char result;
    if (n == 0) {
        result = 'N';
        s.sgnP = 0;
        s.sgnT = 2;
    } else {
        result = 'Y';
        s.sgnT = s.sgnP = 2;
        const int k = (qq[0][0] >= 0 && !(std::fabs(qq[1][0]) < std::fabs(qq[0][0]))) ? 0 : 1;
        double qa = qq[k][0], qb = qq[k][1] - r1 - r2;
        if (axisA > 0) qa = -qa;
        if (axisB > 0) qb = -qb;
        qo[a] = qa;
        qo[b] = qb;
    }
    copyQ(qo, qout);
    return result;
}

// ---------------------------------------------------------------------------------------------
char calSpecCase1(Scene& s, const double* q, double* qout, double* Dwr, double* Dth) {
    double qin[JV];
    int Mp0 = 0, Mw0 = 0;
    if (!startSpecCase(s, q, qin, qout, &Mp0, &Mw0, Dwr, Dth)) return 'M';
    tracef(s, "\n★calSpecCase1()始め---JRTYPE[]=%c%c%c Mp=%d Mw=%d Dwr=%6.3f Dth=%6.3f------★", s.JRTYPE[1],
           s.JRTYPE[2], s.JRTYPE[3], Mp0, Mw0, *Dwr, *Dth);

    // Base pose, reach test and the joints that form the positioning triples.
    double qb[JV];
    copyQ(qin, qb);
    Case1Plan plan;
    if (!case1Plan(s, qin, qb, plan)) return 'N';
    if (!wristReachable(s, qb, plan.anchor, plan.k0)) return 'N';

    // Every triple places the wrist point; keep the solutions whose wall joints stay on the plane.
    double kept[KMAX][JV];
    const int nkept = wristSolutionsOnPlane(s, qb, plan, Mp0, Mw0, kept);
    if (nkept == 0) {
        s.sgnP = 0;
        double qw[JV];
        copyQ(qin, qw);
        wristOrientNearest(s, qin, s.EwH, s.EwG, qw);
        copyQ(qw, qout);
        copyQ(qin, s.qr);
        int Mp = 0, Mw = 0;
        specErrors(s, qout, &Mp, &Mw, Dwr, Dth);
        return 'N';
    }

    const int choice = chooseSpecSolution(s, kept, nkept, Mp0, Mw0);
    double qw[JV];
    copyQ(qout, qw);
    wristOrientNearest(s, kept[choice], s.EwH, s.EwG, qw);
    copyQ(qw, qout);
    copyQ(qw, s.qr);
    int Mp = 0, Mw = 0;
    specErrors(s, qout, &Mp, &Mw, Dwr, Dth);
    // A class follows its error; an error of tolAllow or more is large (class 1).
    s.sgnP = errorClass(s.errP);
    s.sgnT = errorClass(s.errT);
    const char result = (s.sgnP < 2 || s.sgnT < 2) ? 'M' : 'Y';
    tracef(s, "\n★calSpecCase1()解あり Mo0=%d Mw0=%d→Mo=%d Mw=%d sgnLS=%c sgnP=%d sgnT=%d", Mp0, Mw0, Mp, Mw,
           result, s.sgnP, s.sgnT);
    return result;
}

// ---------------------------------------------------------------------------------------------
char calSpecCase2(Scene& s, const double* q, double* qout, double* Dwr, double* Dth) {
    const int N = s.N;
    double qin[JV];
    int Mp0 = 0, Mw0 = 0;
    if (!startSpecCase(s, q, qin, qout, &Mp0, &Mw0, Dwr, Dth)) return 'M';
    const double Dwr0 = *Dwr, Dth0 = *Dth;
    tracef(s, "\n■SpecCase2() J[1],rwp[]がα面内にあるときのA計算 ROBOT=%c%c%c------■", s.JRTYPE[1], s.JRTYPE[2],
           s.JRTYPE[3]);

    // Base pose in the alpha-plane: every arm joint other than the stated ones at 0.
    double qb[JV];
    copyQ(qin, qb);
    for (int j = 1; j <= N - 3; ++j) qb[j] = 0;
    Case2Plan plan;
    case2Plan(s, qb, plan);
    if (!wristReachable(s, qb, plan.anchor, plan.k0)) return 'N';

    char result = 'M';
    double placed[JV];
    copyQ(qin, placed);
    if (plan.a > 0) {
        result = putWristPlanar(s, plan.a, plan.b, qb, s.wristp, placed);
    } else if (plan.triplesPQQ) {
        static const int kTri[4][3] = {{1, 3, 4}, {1, 3, 5}, {1, 4, 5}, {3, 4, 5}};
        result = 'N';
        for (const auto& t : kTri) {
            if (solvePosOrient(s, qb, t[0], t[1], t[2], s.rwp, s.EwG, placed) > 0) {
                result = 'Y';
                break;
            }
        }
    }

    // A placement that found nothing leaves the arm where it was (not at the base angles).
    if (result == 'N') copyQ(qin, placed);
    double qw[JV];
    copyQ(qout, qw);
    wristOrientNearest(s, placed, s.EwH, s.EwG, qw);
    copyQ(qw, qout);
    int Mp = 0, Mw = 0;
    specErrors(s, qout, &Mp, &Mw, Dwr, Dth);
    tracef(s,
           "\n★calSpecCase2()の解 JRTYPE[%c%c%c] sgnLS=%c sgnT=%d sgnP=%d Mp=%d Mw=%d"
           "\n  Dwr0=%11.3e Dth0=%11.3e\n→Dwr2=%11.3e Dth2=%11.3e"
           "\n------------ AabNewton()end ------------------------------------",
           s.JRTYPE[1], s.JRTYPE[2], s.JRTYPE[3], result, s.sgnT, s.sgnP, Mp, Mw, Dwr0, Dth0, *Dwr, *Dth);
    copyQ(qout, s.qr);
    return result;
}
