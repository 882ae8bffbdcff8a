// Choice of one pass-out pose among the candidates of a generation: the filter stages, the
// direction sort, and the envelopes of the recorded cycles that keep the arm from going back.
#include "path/slit_select.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "collide/interference.h"
#include "collide/physical_model.h"
#include "model/joints.h"
#include "model/kinematics.h"
#include "model/angles.h"
#include "model/vecops.h"
#include "path/path_clearance.h"
#include "path/wall_sides.h"

namespace {

constexpr double kMoved = 0.0001;  // a candidate has moved
constexpr double kDqMax = 0.3;     // largest arm joint change of a candidate
constexpr double kEnvelope = 0.3;  // envelope width
// A link may cross a wall face at most this far from the slit plane (half width 0.15 less 0.05).
constexpr double kFaceCross = 0.15 - 0.05;

// Joints 1..m compared for a candidate: up to the joint before MW, at most N-3.
int armRangeMw(const Scene& s, int Mw) { return (Mw >= s.Nw || Mw - 1 > s.N - 3) ? s.N - 3 : Mw - 1; }
int armRangeMp(const Scene& s, int Mp) { return (Mp - 1 > s.N - 3) ? s.N - 3 : Mp - 1; }

double maxJointChange(const Scene& s, int m, const double* a, const double* b) {
    double mx = 0;
    for (int i = 1; i <= m; ++i) mx = std::fmax(mx, std::fabs(jointDiff(s, i, a[i], b[i])));
    return mx;
}

void printList(const Scene& s, const char* fmt, const int* idx, int n, const double (*sols)[JV]) {
    for (int i = 0; i < n; ++i) {
        tracef(s, fmt, idx[i]);
        printVec(s, 1, s.N, sols[idx[i]]);
    }
}

// Code of the (2C) checks of a candidate: 0 when clear; else the code with the joint that failed
// (the other link for a self interference) in Jbad.
int wallSideChecks(Scene& s, const double* q, int Mw, int& Jbad) {
    const int jEnd = Mw > s.Nw ? s.Nw : Mw;
    double bw = 0, bf = 0, bs = 0;
    int K = 0, t1 = 0, t2 = 0;
    Vec3 P1, P2;
    for (int j = 2; j <= jEnd; ++j) {
        if (s.JRTYPE[j] == 'R') continue;
        const int c = phaseCollCheck(s, 'I', j, q, bw, bf, bs, K,
                                    P1, P2, t1, t2);
        if (c < 0) {
            Jbad = (c == -3 && K > 0) ? K : j;
            return c;
        }
    }
    int jo = Mw;
    if (jo <= s.Nw && s.JRTYPE[jo] == 'R') ++jo;
    if (jo <= s.Nw) {
        const int c = phaseCollCheck(s, 'O', jo, q, bw, bf, bs,
                                    K, P1, P2, t1, t2);
        if (c < 0) {
            Jbad = (c == -3 && K > 0) ? K : jo;
            return c;
        }
    }
    const int link = slitLinkCheck(s, q);
    if (link > 0) {
        Jbad = link;
        return -1;
    }
    return 0;
}

bool insideEnvelope(const Scene& s, int r, int m, const double* q) {
    for (int i = 1; i <= m; ++i) {
        double lo = jointDiff(s, i, q[i], s.qPassMin[r][i]);
        double hi = jointDiff(s, i, s.qPassMax[r][i], q[i]);
        if (std::fabs(lo) < 1e-6) lo = 0;
        if (std::fabs(hi) < 1e-6) hi = 0;
        if (lo < 0 || hi < 0) return false;
    }
    return true;
}

}  // namespace

int slitLinkCheck(Scene& s, const double* q) {
    int Mp = 0, Mw = 0;
    classifyWallSides(s, q, Mp, Mw);
    const double faces[2] = {s.rhy1, s.rhy2};
    for (int i = 1; i <= s.Nw; ++i) {
        const Vec3& A = s.J[i - 1];
        const Vec3& B = s.J[i];
        const double dy = B[1] - A[1];
        for (double y0 : faces) {
            if ((A[1] < y0) == (B[1] < y0) || std::fabs(dy) < 1e-12) continue;
            const double t = (y0 - A[1]) / dy;
            const double x = A[0] + t * (B[0] - A[0]);
            if (std::fabs(x - s.rhx) > kFaceCross) return i;
        }
        // The links up to the first joint beyond the wall pass through the slit as drawn.
        if (i <= s.N && i <= Mw && linkWallClearance(s, i) < 0) return i;
        // A straight link is lowest at an end: the joints up to MW keep the floor clearance.
        if (i >= 2 && i <= Mw && s.J[i][2] - (i >= s.Nw ? MarginW : Margin) < -tolFine) return i;
    }
    return 0;
}

namespace {

// The start block: the pose of the cycle and every candidate.
void printCandidates(const Scene& s, int n, const double (*sols)[JV]) {
    tracef(s, "\n‡‡====SelectSlitPassSolT()最適解探索前 cntP0=%d================‡‡", n);
    traceVec(s, 1, s.N, s.qs, "\n  qs[]  =");
    for (int i = 0; i < n; ++i) traceVec(s, 1, s.N, sols[i], "\n  qq[%2d]=", i);
}

// (1E) the candidates that moved from q0, into out; returns their count.
int stageMoved(const Scene& s, const double* q0, int n, const double (*sols)[JV], const int* cMw, int* out) {
    int k = 0;
    for (int i = 0; i < n; ++i)
        if (jointDistance(1, armRangeMw(s, cMw[i]), sols[i], q0) > kMoved) out[k++] = i;
    tracef(s, "\n‡(1E)====q[]変化した解cntP0=%d→cntP=%d============‡", n, k);
    printList(s, "\n  qqP[%2d]=", out, k, sols);
    if (k == 0) tracef(s, "\n‡(1E)======(1)解全てがq[]変わらない→隙間通り抜け解なし======‡");
    return k;
}

// (2C) wall, floor and self checks of the joints up to the far face, and the links. Among the
// rejected candidates the one nearest the last path row names the blocking joint, bestJ.
int stageWallClear(Scene& s, const double (*sols)[JV], const int* in, int n, const int* cMw, int* out, int& bestJ) {
    const int N = s.N;
    int k = 0;
    double bestDist = 1e300;
    for (int t = 0; t < n; ++t) {
        const int i = in[t];
        int Jbad = 0;
        if (wallSideChecks(s, sols[i], cMw[i], Jbad) >= 0) {
            out[k++] = i;
            continue;
        }
        const int jr = Jbad < 1 ? 1 : (Jbad > N ? N : Jbad);
        const double d = jointDistance(1, jr, sols[i], s.qIPATH[s.NPATH]);
        if (d < bestDist) {
            bestDist = d;
            bestJ = Jbad;
        }
    }
    tracef(s, "\n‡(2C)======壁内干渉解を除いた残りの解cntP=%d→cntC=%d===============‡", n, k);
    return k;
}

// The newest recorded cycle (NPATHth, kept inside the tables).
int lastCycle(const Scene& s) { return s.NPATHth < NMAX ? s.NPATHth : NMAX - 1; }

// (3B) the candidates that do not go back inside the envelope of a recorded cycle.
int stageForward(const Scene& s, const double (*sols)[JV], const int* in, int n, const int* cMw, int* out) {
    int k = 0;
    for (int t = 0; t < n; ++t) {
        const int i = in[t];
        bool back = false;
        for (int r = lastCycle(s); r >= 1 && !back; --r) back = insideEnvelope(s, r, armRangeMw(s, cMw[i]), sols[i]);
        if (!back) out[k++] = i;
    }
    tracef(s, "\n‡(3B)=======引き返さない解cntP=%d→cntB=%d============‡", n, k);
    printList(s, "\n  qqB[%2d]=", out, k, sols);
    if (k == 0) tracef(s, "\n‡(3B)=======解全てがq[]引き返す→隙間通り抜け解なし=========‡");
    return k;
}

// (4G) the candidates whose joints stay within their limits.
int stageLimits(const Scene& s, const double (*sols)[JV], const int* in, int n, const int* cMp, int* out) {
    const int N = s.N;
    int k = 0;
    for (int t = 0; t < n; ++t) {
        const int i = in[t];
        double w[JV];
        wrapJointVector(N, sols[i], w);
        bool over = false;
        const int top4 = cMp[i] < N - 1 ? cMp[i] : N - 1;
        for (int j = 1; j <= top4; ++j) {
            if (s.JRTYPE[j] == 'R') continue;
            over = over || std::fabs(w[j]) > (j == N - 1 ? s.qLimitWrist : s.qLimit);
        }
        if (!over) out[k++] = i;
    }
    tracef(s, "\n‡(4G)======q[]限界超えない解の数cntP=%d→cntM=%d=========‡", n, k);
    printList(s, "\n  qqM[%2d]=", out, k, sols);
    if (k == 0) tracef(s, "\n‡(4G)====解全てがq[]限界超えている→隙間通り抜け解なし======‡");
    return k;
}

// (5D) the candidates whose largest joint change is at most kDqMax. The joints compared are
// 1..Mpass-1, widened to every joint before MW: a larger turn of a joint that carries a joint in
// the wall sweeps that joint off the slit between the two poses.
int stageSmallChange(const Scene& s, const double* q0, const double (*sols)[JV], const int* in, int n, const int* cMp,
                     const int* cMw, int* out) {
    int k = 0;
    for (int t = 0; t < n; ++t) {
        const int m = armRangeMp(s, cMp[in[t]]) > armRangeMw(s, cMw[in[t]]) ? armRangeMp(s, cMp[in[t]])
                                                                             : armRangeMw(s, cMw[in[t]]);
        if (maxJointChange(s, m, sols[in[t]], q0) <= kDqMax) out[k++] = in[t];
    }
    tracef(s, "\n‡(5D)======dqmax==%6.3f以上の変化を除外した残りの解 cntP=%d→cntD=%d======‡", kDqMax, n, k);
    printList(s, "\n  qqD[%2d]=", out, k, sols);
    return k;
}

// (6LU) class of candidate q: the direction of the wrist joint N-2 from wrist0 (0 LU, 1 LD, 2 RU,
// 3 RD) and the order of its change against the previous cycle's change dprev (0 same,
// 1 neutral, 2 reverse) over joints 1..Mp-1 (at least 2).
void directionClass(Scene& s, const double* q0, const double* q, int Mp, const Vec3& wrist0, const double* dprev,
                    int& dir, int& ord) {
    const int N = s.N, Ms = N - 2;
    forwardKinematics(s, q);
    const double dy = s.J[Ms][1] - wrist0[1], dz = s.J[Ms][2] - wrist0[2];
    dir = (dy <= 0) ? (dz >= 0 ? 0 : 1) : (dz >= 0 ? 2 : 3);  // LU, LD, RU, RD
    int m = Mp - 1;
    if (m < 2) m = 2;
    if (m > N) m = N;
    ord = 1;
    for (int j = 1; j <= m; ++j) {
        const double cj = jointDiff(s, j, q[j], q0[j]), dj = dprev[j];
        if (dj * cj < 0) {
            ord = 2;
            break;
        }
        if (dj * cj > 0 || (std::fabs(dj) < 1e-5 && std::fabs(cj) > 1e-5)) ord = 0;
        if (ord == 0 && std::fabs(cj) < kMoved) ord = 1;
    }
}

// (6LU) the candidates sorted by direction and order; the first bucket that is not empty (LU,
// then LD and RU in the order of the arm direction, then RD; each same, neutral, reverse) gives
// the winner: the smallest largest joint change. Returns its index in sols.
int stageDirection(Scene& s, const double* q0, const double (*sols)[JV], const int* in, int n, const int* cMp) {
    const int N = s.N, Ms = N - 2;
    const int row = lastCycle(s) < 0 ? 0 : lastCycle(s);
    forwardKinematics(s, q0);
    const Vec3 wrist0 = s.J[Ms];
    int bucket[4][3][NSOLMAX];
    int nbk[4][3] = {};
    for (int t = 0; t < n; ++t) {
        int dir = 0, ord = 0;
        directionClass(s, q0, sols[in[t]], cMp[in[t]], wrist0, s.dqIPATHth[row], dir, ord);
        bucket[dir][ord][nbk[dir][ord]++] = in[t];
    }
    const int orderL[4] = {0, 1, 2, 3}, orderU[4] = {0, 2, 1, 3};
    const int* order = (s.sgnArmDir == 'U') ? orderU : orderL;
    int dirT = -1, ordT = -1;
    for (int k = 0; k < 4 && dirT < 0; ++k)
        for (int o = 0; o < 3 && dirT < 0; ++o)
            if (nbk[order[k]][o] > 0) {
                dirT = order[k];
                ordT = o;
            }
    const int* pick = bucket[dirT][ordT];
    const int np = nbk[dirT][ordT];
    tracef(s, "\n‡(6LU)======[LU,LD,RU,RD],q[]変化順逆による仕分け後 cntP=%d→cntLU=%d====‡", n, np);
    int km = pick[0];
    double best = 1e300;
    for (int t = 0; t < np; ++t) {
        const int i = pick[t];
        const double dqm2 = maxJointChange(s, armRangeMp(s, cMp[i]), sols[i], q0);
        if (dqm2 < best) {
            best = dqm2;
            km = i;
        }
        tracef(s, "\n  k=%d/%d 最適解探索 Ms=%d dqm2=%11.2e km=%d", t, np, Ms, dqm2, km);
        traceVec(s, 1, N, q0, "\n  qs[]  =");
        traceVec(s, 1, N, sols[i], "\n  qqr[%d]=", i);
        traceVec(s, 0, 2, wrist0.data(), "\n  旧J[Ms]=");
        forwardKinematics(s, sols[i]);
        traceVec(s, 0, 2, s.J[Ms].data(), "\n  新J[Ms]=");
    }
    return km;
}

}  // namespace

int SelectSlitPassSolT(Scene& s, const double* q0in, int n, const double (*sols)[JV], double* qBest, int& JColl) {
    double q0[JV];
    for (int i = 0; i < JV; ++i) q0[i] = q0in[i];
    if (n > NSOLMAX) n = NSOLMAX;
    if (n < 0) n = 0;
    int cMp[NSOLMAX] = {}, cMw[NSOLMAX] = {};
    for (int i = 0; i < n; ++i) classifyWallSides(s, sols[i], cMp[i], cMw[i]);
    printCandidates(s, n, sols);

    // Each stage keeps its survivors in a list of its own; an empty list ends the choice.
    int a[NSOLMAX], b[NSOLMAX], c[NSOLMAX], d[NSOLMAX], e[NSOLMAX];
    const int na = stageMoved(s, q0, n, sols, cMw, a);
    if (na == 0) return 0;
    int bestJ = 0;
    const int nb = stageWallClear(s, sols, a, na, cMw, b, bestJ);
    if (nb == 0) {
        JColl = bestJ;
        return 0;
    }
    const int nc = stageForward(s, sols, b, nb, cMw, c);
    if (nc == 0) return 0;
    const int nd = stageLimits(s, sols, c, nc, cMp, d);
    if (nd == 0) {
        for (int i = 0; i < JV; ++i) qBest[i] = q0[i];
        return 0;
    }
    const int ne = stageSmallChange(s, q0, sols, d, nd, cMp, cMw, e);
    if (ne == 0) {
        JColl = 0;
        return 0;
    }
    const int km = ne == 1 ? e[0] : stageDirection(s, q0, sols, e, ne, cMp);
    for (int i = 0; i < JV; ++i) qBest[i] = sols[km][i];
    JColl = 0;
    return 1;
}

void recordPassEnvelope(Scene& s) {
    const int N = s.N;
    int n = s.NPATHth;
    if (n < 1 || n >= NMAX) return;
    int Mp = 0, Mw = 0;
    classifyWallSides(s, s.qIPATHth[n], Mp, Mw);
    const int m = armRangeMw(s, Mw);
    for (int i = 0; i < JV; ++i) s.qPassHist[n][i] = s.qIPATHth[n][i];
    for (int r = 0; r < n; ++r)
        for (int i = m + 1; i <= N; ++i) s.qPassHist[r][i] = s.qPassHist[n][i];
    double mx[JV], mn[JV];
    for (int i = 0; i < JV; ++i) mx[i] = mn[i] = s.qPassHist[n][i];
    for (int r = n - 1; r >= 0; --r) {
        const double* h = s.qPassHist[r];
        for (int i = 1; i <= N; ++i) {
            if (jointDiff(s, i, h[i], mx[i]) > 0) mx[i] = h[i];
            if (jointDiff(s, i, h[i], mn[i]) < 0) mn[i] = h[i];
        }
        double width = 0;
        for (int i = 1; i <= m; ++i) width = std::fmax(width, jointDiff(s, i, mx[i], mn[i]));
        if (width >= kEnvelope) break;
    }
    for (int i = 0; i < JV; ++i) {
        s.qPassMax[n][i] = mx[i];
        s.qPassMin[n][i] = mn[i];
    }
}
