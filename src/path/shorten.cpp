#include "path/shorten.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>

#include "core/scene.h"
#include "model/joints.h"
#include "model/kinematics.h"
#include "model/angles.h"
#include "model/vecops.h"
#include "path/path_record.h"
#include "path/row_gate.h"

namespace {

double dist(const Scene& s, const double* a, const double* b) {
    double sum = 0;
    for (int i = 1; i <= s.N; ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
    return std::sqrt(sum);
}

// A straight motion between two unwrapped vertices is the motion the gate judges only when no
// 'R' joint turns half a turn or more (the gate takes the short way round).
bool straightAccepted(Scene& s, const double* a, const double* b, int& calls) {
    for (int i = 1; i <= s.N; ++i)
        if (s.JRTYPE[i] == 'R' && std::fabs(b[i] - a[i]) >= PI_C) return false;
    ++calls;
    return gateMotion(s, a, b).status == GateStatus::Accepted;
}

void lerp(const Scene& s, const double* a, const double* b, double t, double* out) {
    out[0] = 0;
    for (int i = 1; i <= s.N; ++i) out[i] = a[i] + t * (b[i] - a[i]);
}

void copyRow(const double* a, double* b) {
    for (int i = 0; i < JV; ++i) b[i] = a[i];
}

// A small fixed-seed generator: the same path gives the same shortcuts on every run.
struct Lcg {
    std::uint64_t x = 0x2545F4914F6CDD1DULL;
    double next() {
        x = x * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(x >> 11) * (1.0 / 9007199254740992.0);
    }
};

}  // namespace

double pathLength(const Scene& s, const double (*rows)[JV], int n) {
    double len = 0;
    for (int k = 1; k < n; ++k) len += jointDiffNorm(s, 1, s.N, rows[k], rows[k - 1]);
    return len;
}

double trailLength(Scene& s, const double (*rows)[JV], int n) {
    double len = 0;
    Vec3 prev{};
    for (int k = 0; k < n; ++k) {
        forwardKinematics(s, rows[k]);
        if (k > 0) len += std::sqrt((s.rw[0] - prev[0]) * (s.rw[0] - prev[0]) + (s.rw[1] - prev[1]) * (s.rw[1] - prev[1]) +
                                    (s.rw[2] - prev[2]) * (s.rw[2] - prev[2]));
        prev = s.rw;
    }
    return len;
}

namespace {

// Vertices of the shortened path in s.qSHORTV (returns the last index), the stages up to
// `stages` applied: 1 shortcuts from each vertex, 2 random shortcuts, 3 corner cuts.
int shortVertices(Scene& s, const double (*path)[JV], int n, int stages, int& calls) {
    const int N = s.N;
    double (*V)[JV] = s.qSHORTV;
    // 1. From each vertex, the furthest row the gate reaches straight (by halving the range
    //    between the next row, always reached, and the last one). The path is unwrapped: each
    //    row continues the one before by its wrapped difference, so that a straight line
    //    between vertices is a motion without jumps.
    double cur[JV], cand[JV];
    copyRow(path[0], cur);
    int nv = 0;
    copyRow(cur, V[nv]);
    auto unwrapped = [&](int from, const double* qFrom, int to, double* out) {
        copyRow(qFrom, out);
        for (int k = from + 1; k <= to; ++k)
            for (int j = 1; j <= N; ++j) out[j] += jointDiff(s, j, path[k][j], path[k - 1][j]);
    };
    int i = 0;
    while (i < n - 1) {
        int best = i + 1;
        if (stages >= 1) {
            int lo = i + 1, hi = n - 1;
            unwrapped(i, cur, hi, cand);
            if (straightAccepted(s, cur, cand, calls)) {
                best = hi;
            } else {
                while (hi - lo > 1) {
                    const int mid = (lo + hi) / 2;
                    unwrapped(i, cur, mid, cand);
                    if (straightAccepted(s, cur, cand, calls)) lo = mid;
                    else hi = mid;
                }
                best = lo;
            }
        }
        unwrapped(i, cur, best, cand);
        copyRow(cand, cur);
        i = best;
        copyRow(cur, V[++nv]);
    }

    // 2. Random shortcuts: a point on segment a and one on a later segment b joined straight.
    Lcg rng;
    for (int t = 0; stages >= 2 && t < kShortcutTries && nv >= 2; ++t) {
        int a = static_cast<int>(rng.next() * nv), b = static_cast<int>(rng.next() * nv);
        if (a > b) std::swap(a, b);
        if (b - a < 1) continue;
        const double ta = rng.next(), tb = rng.next();
        double pa[JV], pb[JV];
        lerp(s, V[a], V[a + 1], ta, pa);
        lerp(s, V[b], V[b + 1], tb, pb);
        // Only shorter: the polyline pa .. V[a+1] .. V[b] .. pb against the straight line.
        double along = dist(s, pa, V[a + 1]) + dist(s, V[b], pb);
        for (int k = a + 1; k < b; ++k) along += dist(s, V[k], V[k + 1]);
        if (dist(s, pa, pb) >= along - 1e-9) continue;
        if (!straightAccepted(s, pa, pb, calls)) continue;
        // V[0..a], pa, pb, V[b+1..nv]: the b - a vertices between become two.
        const int tail = nv - b;
        if (a + 2 + tail >= NMAX - 1) continue;
        if (b - a >= 2) {
            for (int k = 0; k < tail; ++k) copyRow(V[b + 1 + k], V[a + 3 + k]);
        } else {
            for (int k = tail - 1; k >= 0; --k) copyRow(V[b + 1 + k], V[a + 3 + k]);
        }
        copyRow(pa, V[a + 1]);
        copyRow(pb, V[a + 2]);
        nv = a + 2 + tail;
    }

    // 3. Corner cutting.
    for (int round = 0; stages >= 3 && round < kCornerRounds; ++round) {
        for (int k = 1; k < nv && nv + 1 < NMAX - 1; ++k) {
            double p[JV], r[JV];
            lerp(s, V[k], V[k - 1], 0.25, p);
            lerp(s, V[k], V[k + 1], 0.25, r);
            if (!straightAccepted(s, p, r, calls)) continue;
            for (int m = nv; m > k; --m) copyRow(V[m], V[m + 1]);
            copyRow(p, V[k]);
            copyRow(r, V[k + 1]);
            ++nv;
            ++k;  // the next corner is the one after r
        }
    }
    return nv;
}

// Rows of the vertices at most kShortStep apart in every joint, into qSHORT (wrapped), each
// motion from one row to the next judged by the gate again: a row that falls between the poses
// the gate judged on a segment is judged itself. Returns the last row, -1 when a motion is
// refused or the table is full.
int resampleJudged(Scene& s, int nv, int& calls) {
    const int N = s.N;
    const double (*V)[JV] = s.qSHORTV;
    int rows = 0;
    copyRow(V[0], s.qSHORT[0]);
    for (int k = 0; k < nv; ++k) {
        double dmax = 0;
        for (int j = 1; j <= N; ++j) dmax = std::max(dmax, std::fabs(V[k + 1][j] - V[k][j]));
        const int m = std::max(1, static_cast<int>(std::ceil(dmax / kShortStep - 1e-9)));
        for (int t = 1; t <= m; ++t) {
            if (rows + 1 >= NMAX - 1) return -1;
            lerp(s, V[k], V[k + 1], static_cast<double>(t) / m, s.qSHORT[rows + 1]);
            ++calls;
            if (gateMotion(s, s.qSHORT[rows], s.qSHORT[rows + 1]).status != GateStatus::Accepted) return -1;
            ++rows;
        }
    }
    return rows;
}

}  // namespace

ShortenReport shortenPath(Scene& s, const double (*path)[JV], int n) {
    const auto t0 = std::chrono::steady_clock::now();
    ShortenReport rep;
    s.NSHORT = -1;
    s.NSHORTV = -1;
    if (n < 1 || n > NMAX) return rep;
    const int N = s.N;
    rep.lengthBefore = pathLength(s, path, n);
    rep.trailBefore = trailLength(s, path, n);
    // Where a row of the result is refused (a pose between the ones the gate judged on a long
    // segment), the result of the stages before is taken; with no stage, the path itself.
    int nv = 0, rows = -1;
    for (int stages = 3; stages >= 0 && rows < 0; --stages) {
        nv = shortVertices(s, path, n, stages, rep.gateCalls);
        rows = resampleJudged(s, nv, rep.gateCalls);
    }
    if (rows < 0) return rep;
    s.NSHORTV = nv;
    rep.vertices = nv + 1;
    for (int k = 0; k <= rows; ++k) {
        wrapJointVector(N, s.qSHORT[k], s.qSHORT[k]);
        forwardKinematics(s, s.qSHORT[k]);
        s.rwSHORT[k] = s.rw;
        if (k > 0)
            for (int j = 1; j <= N; ++j)
                rep.maxStep = std::max(rep.maxStep, std::fabs(jointDiff(s, j, s.qSHORT[k][j], s.qSHORT[k - 1][j])));
    }
    s.NSHORT = rows;
    rep.rows = rows + 1;
    rep.lengthAfter = pathLength(s, s.qSHORT, rows + 1);
    rep.trailAfter = trailLength(s, s.qSHORT, rows + 1);
    rep.millis = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    return rep;
}

void clearShortMotion(Scene& s) {
    s.NSHORT = -1;
    s.NSHORTV = -1;
    s.sgnPlayShort = 0;
}

bool startShortMotion(Scene& s) {
    if (s.sgnPATH != 7 || s.sgnPATHEnd != 1) return false;
    if (s.NSHORT < 0) {
        convertPath(s);
        shortenPath(s, s.qPATH, s.NPATH + 1);
        if (s.NSHORT < 0) return false;
    }
    s.sgnCAL = 'C';
    s.sgnPlayShort = 1;
    s.nMOVE = 0;
    s.sgnMOVE = 'M';
    copyRow(s.qSHORT[0], s.qr);
    return true;
}

void stepShortMotion(Scene& s) {
    s.sgnMOVE = 'M';
    if (s.dirMOVE > 0) s.nMOVE += 1;
    if (s.dirMOVE < 0 && s.nMOVE > 0) s.nMOVE -= 1;
    if (s.nMOVE >= s.NSHORT) {
        s.nMOVE = s.NSHORT;
        s.sgnMOVE = 'E';
    }
    if (s.nMOVE < 0) s.nMOVE = 0;
    copyRow(s.qSHORT[s.nMOVE], s.qr);
}
