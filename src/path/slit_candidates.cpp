// Candidate generation of the slit pass-out: a small trial turn of one arm joint, a second joint
// that brings the lead joint back onto the alpha-plane, and the threading of the rest of the arm
// through the slit along the plane.
#include "path/slit_candidates.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "collide/interference.h"
#include "model/joints.h"
#include "model/kinematics.h"
#include "model/angles.h"
#include "model/vecops.h"
#include "path/link_direction.h"
#include "path/path_clearance.h"
#include "path/wall_sides.h"
#include "solve/tri.h"

namespace {

constexpr double kPlaneTol = 1e-5;   // a joint on the alpha-plane
constexpr double kSamePose = 1e-5;   // two candidates are the same pose
constexpr double kHalfPi = 1.5707963278;

double planeOff(const Scene& s, const Vec3& p) { return dotVec3(s.nAlpha, p) - s.rhx; }

// Floor clearance of joint i (the work point keeps MarginW).
bool belowFloor(const Scene& s, int i) {
    return s.J[i][2] - (i >= s.Nw ? MarginW : Margin) < -tolFine;
}

// Turns of joint j (in (-pi, pi]) that put J[t] on the plane; kinematics of the pose must have
// run. Returns 0, 1 (double root) or 2.
int planeTurns(const Scene& s, int j, int t, double th[2]) {
    const Vec3 k = colMat3(s.EA[j], 2);
    Vec3 r, u, v;
    subVec3(s.J[t], s.J[j], r);
    const double rk = dotVec3(r, k);
    for (int i = 0; i < 3; ++i) u[i] = r[i] - rk * k[i];
    const double rho = normVec3(u);
    if (rho < 1e-9) return 0;  // J[t] on the axis: the turn does not move it
    for (int i = 0; i < 3; ++i) u[i] /= rho;
    crossVec3(k, u, v);
    const double a = rho * dotVec3(u, s.nAlpha), b = rho * dotVec3(v, s.nAlpha);
    const double c = dotVec3(s.J[j], s.nAlpha) + rk * dotVec3(k, s.nAlpha) - s.rhx;
    if (std::fabs(a) + std::fabs(b) < 1e-9) return 0;  // axis along the plane normal
    if (TRI1(a, b, c, th) == 0) return 0;
    if (!std::isfinite(th[0]) || !std::isfinite(th[1])) return 0;
    return std::fabs(th[0] - th[1]) < 1e-12 ? 1 : 2;
}

// Next joint placed after c: c+1, one more when that one turns about its link; the wrist joint
// N-2 and the last joint N give way to the joint after them.
int nextPlaced(const Scene& s, int c) {
    int n = c + 1;
    if (n < s.Nw && s.JRTYPE[n] == 'R') ++n;
    if (n == s.N - 2 || n == s.N) ++n;
    return n > s.Nw ? s.Nw : n;
}

// Direction in the plane with the elevation of m raised by 0.02 rad (at most straight up), on
// the side of m along the wall normal.
Vec3 raisedInPlane(const Vec3& m) {
    const double h = std::fabs(m[1]);
    double el = (h + std::fabs(m[2]) < 1e-9) ? kHalfPi : std::atan2(m[2], h);
    el = std::fmin(el + 0.02, kHalfPi);
    const double sy = (m[1] < 0) ? -1.0 : 1.0;
    return Vec3{{0.0, sy * std::cos(el), std::sin(el)}};
}

void copyQv(const double* a, double* b) {
    for (int i = 0; i < JV; ++i) b[i] = a[i];
}

// Every joint of q inside the wall lies on the plane.
bool wallJointsOnPlane(Scene& s, const double* q) {
    int Mp = 0, Mw = 0, inWall[JV] = {};
    const int n = classifyJointsByWall(s, q, &Mp, inWall, &Mw);
    for (int i = 0; i < n && i <= s.N; ++i)
        if (std::fabs(planeOff(s, s.J[inWall[i]])) > kPlaneTol) return false;
    return true;
}

}  // namespace

int calJntOnAlpha(Scene& s, int k, int L, const double* q, double out[2][JV]) {
    if (k < 1 || k >= L || L > s.Nw) return 0;
    // J[L] already on the plane and still in front of the wall: the pose itself. Past the near
    // face the turn is solved as usual (one root then keeps the pose, the other may move it).
    int Mp = 0, Mw = 0;
    classifyWallSides(s, q, Mp, Mw);
    if (std::fabs(planeOff(s, s.J[L])) < kPlaneTol && Mp >= L) {
        copyQv(q, out[0]);
        return 1;
    }
    if (k == L - 1 && s.JRTYPE[k] == 'R') return 0;
    double th[2] = {0, 0};
    const int nr = planeTurns(s, k, L, th);
    int count = 0;
    for (int r = 0; r < nr; ++r) {
        if (!(std::fabs(th[r]) < 1.0)) continue;
        double* p = out[count];
        copyQv(q, p);
        p[k] += th[r];
        forwardKinematics(s, p);
        bool low = false;
        for (int i = 2; i <= L; ++i) low = low || belowFloor(s, i);
        if (!low) ++count;
    }
    return count;
}

int calWorkOnAlpha(Scene& s, double* q) {
    forwardKinematics(s, q);
    const Vec3 e = raisedInPlane(s.mm[s.Nw]);
    if (calJntMDir(s, q, s.Nw, e, q) < 1) return 0;
    forwardKinematics(s, q);
    if (std::fabs(planeOff(s, s.J[s.Nw])) > kPlaneTol || belowFloor(s, s.Nw)) return 0;
    return 1;
}

int calNextJntOnAlpha(Scene& s, int L, int M2, double* q) {
    int c = L, n = M2;
    for (int guard = 0; guard <= s.Nw; ++guard) {
        int Mp = 0, Mw = 0;
        classifyWallSides(s, q, Mp, Mw);
        // J[MW] is placed too: the link that crosses the far face then stays in the slit.
        if (c >= Mw || c >= s.Nw) return 1;
        if (c >= s.N - 2) return calWorkOnAlpha(s, q);
        if (guard > 0) n = nextPlaced(s, c);
        if (n <= c || n > s.Nw) return 0;
        if (std::fabs(planeOff(s, s.J[c])) > kPlaneTol) return 0;
        const bool rollBefore = c >= 2 && s.JRTYPE[c - 1] == 'R';
        if (!rollBefore) {
            if (std::fabs(planeOff(s, s.J[n])) >= kPlaneTol) {
                double th[2] = {0, 0};
                const int nr = planeTurns(s, c, n, th);
                int best = -1;
                for (int r = 0; r < nr; ++r) {
                    double t[JV];
                    copyQv(q, t);
                    t[c] += th[r];
                    forwardKinematics(s, t);
                    if (belowFloor(s, n)) continue;
                    if (best < 0 || std::fabs(th[r]) < std::fabs(th[best])) best = r;
                }
                if (best < 0) return 0;
                q[c] += th[best];
            }
        } else {
            // The roll joint before c and joint c turn the link ending at n into the plane.
            int link = n;
            while (link > c + 1 && s.L[link] < tolFine) --link;
            const Vec3 e = raisedInPlane(s.mm[link]);
            if (calJntMDir(s, q, link, e, q) < 1) return 0;
            forwardKinematics(s, q);
            if (belowFloor(s, n) || std::fabs(planeOff(s, s.J[n])) > kPlaneTol) return 0;
        }
        forwardKinematics(s, q);
        c = n;
    }
    return 0;
}

int calSlitPassCand(Scene& s, int k, int L, int M2, const double* q, double out[2][JV]) {
    if (L < 1 || L >= s.Nw) return 0;  // no lead joint to place: no pose
    if ((L == 1 && s.JRTYPE[1] != 'R') || (L == 2 && s.JRTYPE[1] == 'R')) {
        forwardKinematics(s, q);
        if (std::fabs(planeOff(s, s.J[L])) >= kPlaneTol) return 0;
        copyQv(q, out[0]);
        return 1;
    }
    double lead[2][JV];
    const int nl = calJntOnAlpha(s, k, L, q, lead);
    int count = 0;
    for (int r = 0; r < nl; ++r) {
        if (calNextJntOnAlpha(s, L, M2, lead[r]) < 1) continue;
        lead[r][0] = 0;
        wrapJointVector(s.N, lead[r], lead[r]);
        if (!wallJointsOnPlane(s, lead[r])) continue;
        copyQv(lead[r], out[count++]);
    }
    return count;
}

namespace {

// Retains cand unless it equals q0 or a retained candidate or a robot-side joint interferes.
bool retain(Scene& s, const double* q0, const double* cand, const double (*sols)[JV], int count) {
    if (jointDistance(1, s.N, cand, q0) < kSamePose) return false;
    for (int i = 0; i < count; ++i)
        if (jointDistance(1, s.N, cand, sols[i]) < kSamePose) return false;
    int Mp = 0, Mw = 0;
    classifyWallSides(s, cand, Mp, Mw);
    const int j2 = Mw > s.Nw ? s.Nw : Mw;
    for (int j = (s.JRTYPE[1] == 'R') ? 3 : 2; j <= j2; ++j) {
        double bw = 0, bf = 0, bs = 0;
        int K = 0, t1 = 0, t2 = 0;
        Vec3 P1, P2;
        if (phaseCollCheck(s, 'I', j, cand, bw, bf, bs, K, P1,
                          P2, t1, t2) < 0)
            return false;
    }
    return true;
}

void storeCand(Scene& s, int idx, const double* q, int k, int L, int M) {
    copyQv(q, s.qCand[idx]);
    int Mp = 0, Mw = 0;
    classifyWallSides(s, q, Mp, Mw);
    s.kLM[idx][0] = k;
    s.kLM[idx][1] = L;
    s.kLM[idx][2] = M;
    s.candMp[idx] = Mp;
    s.candMw[idx] = Mw;
}

// Rolling candidate: J[Mp] on the plane and its axis along the plane normal (kinematics of q0 in
// the Scene), so a turn of joint Mp keeps every later joint at its distance from the plane; of
// the two turns the one that lifts J[Mp+1] higher becomes candidate 0. Returns the count (0, 1).
int rollingCandidate(Scene& s, const double* q0, int Mp, double step, double (*sols)[JV]) {
    const int N = s.N;
    const Vec3 axis = colMat3(s.EA[Mp], 2);
    if (!(Mp < N - 2 && std::fabs(planeOff(s, s.J[Mp])) < 1e-6 && std::fabs(dotVec3(axis, s.nAlpha)) > 1 - 1e-6))
        return 0;
    double t[2][JV];
    double z[2];
    for (int r = 0; r < 2; ++r) {
        copyQv(q0, t[r]);
        t[r][Mp] += (r == 0 ? 1.01 : -1.01) * step;
        forwardKinematics(s, t[r]);
        z[r] = s.J[Mp + 1][2];
    }
    const int pick = (z[1] > z[0]) ? 1 : 0;
    t[pick][0] = 0;
    wrapJointVector(N, t[pick], t[pick]);
    copyQv(t[pick], sols[0]);
    storeCand(s, 0, sols[0], Mp, Mp, Mp);
    return 1;
}

// The closing block of a generation: every candidate with its classification, its [k, L, M], its
// change from q0 and the positions of J[Mp] and J[Mw].
void printCandidates(Scene& s, const double* q0, int count, const double (*sols)[JV]) {
    const int N = s.N;
    tracef(s, "\n※E:〓〓〓〓〓〓[k,L,M]全てを変えて通り抜け全M計算end solz=%d 〓〓〓〓〓〓〓※", count);
    for (int i = 0; i < count; ++i) {
        double dq[JV] = {};
        for (int j = 1; j <= N; ++j) dq[j] = sols[i][j] - q0[j];
        double mx = 0;
        const int Mx = argMaxAbsJoint(s, N, dq, &mx);
        const int mp = s.candMp[i], mw = s.candMw[i] > s.Nw ? s.Nw : s.candMw[i];
        traceVec(s, 1, N, sols[i],
                 "\n  k=%d/%d Mp=%d Mw=%d Mx=%d [k,L,M]=[%d %d %d] |qq[]-qs[]|=dqm=%11.3e" "\n  qq[] =", i, count, mp,
                 s.candMw[i], Mx, s.kLM[i][0], s.kLM[i][1], s.kLM[i][2], jointDistance(1, N, sols[i], q0));
        forwardKinematics(s, sols[i]);
        traceVec(s, 0, 2, s.J[mp].data(), "\n  J[Mp=%d]=", mp);
        traceVec(s, 0, 2, s.J[mw].data(), " J[Mw=%d]=", mw);
        tracef(s, " rhx=%6.3f", s.rhx);
    }
    tracef(s, "\n※※========= SlitPassB5() end solz=%d===================================※※", count);
}

}  // namespace

bool slitTrialValue(const Scene& s, int M, double q0M, double d, double* out) {
    *out = q0M + d;
    if (s.JRTYPE[M] == 'R') return true;
    if (d > 0 && q0M >= s.qLimit) return false;
    if (d < 0 && q0M <= -s.qLimit) return false;
    double v = q0M + d;
    if (v > s.qLimit) v = s.qLimit;
    if (v < -s.qLimit) v = -s.qLimit;
    // Snaps to 0 and +-pi/2 only when the joint still moves (by more than the 0.0001 that
    // counts as a move), so a joint at or next to a snap value is not held there for ever.
    const double step = std::fabs(d);
    const double snaps[3] = {kHalfPi, -kHalfPi, 0.0};
    for (double sv : snaps)
        if (std::fabs(v - sv) < step && std::fabs(sv - q0M) > 1e-4) {
            v = sv;
            break;
        }
    *out = v;
    return true;
}

int SlitPassB5(Scene& s, char sgnArmDir, const double* q0in, double step, double (*sols)[JV]) {
    (void)sgnArmDir;
    const int N = s.N;
    double q0[JV];
    copyQv(q0in, q0);
    int Mp = 0, MW = 0;
    classifyWallSides(s, q0, Mp, MW);
    int count = rollingCandidate(s, q0, Mp, step, sols);

    const int MpR = (Mp >= N - 2) ? N - 1 : Mp;
    int Ls = (s.JRTYPE[1] == 'R') ? 3 : 2;
    if (Mp >= N - 2 && Mp <= N) Ls = N - 3;
    if (s.JRTYPE[Ls] == 'R') --Ls;
    int Le = MpR + 1;
    if (Le > N - 3) Le = N - 3;

    for (int L = Ls; L <= Le && count < NSOLMAX; ++L) {
        if ((L <= 2 && s.JRTYPE[1] == 'R') || L >= s.Nw || L < 1 || s.JRTYPE[L] == 'R') continue;
        int M2 = L + 1;
        if (s.JRTYPE[M2] == 'R') ++M2;
        const int Lcap = L;
        for (int k = (Lcap <= 1 ? 0 : 1); k <= Lcap - 1 && count < NSOLMAX; ++k) {
            for (int M = 1; M <= Lcap - 1 && count < NSOLMAX; ++M) {
                if (M == k) continue;
                for (int sg = 0; sg < 2 && count < NSOLMAX; ++sg) {
                    const double d = sg == 0 ? step : -step;
                    double trial[JV];
                    copyQv(q0, trial);
                    if (M == Mp && s.JRTYPE[Mp] == 'R') {
                        tracef(s, "\n※5:k=%d Mp=%d JRTYPE[Mp]=%c→解から除く", k, Mp, s.JRTYPE[Mp]);
                        tracef(s, "\ngetch()");
                        waitKey(s);
                        continue;
                    }
                    if (!slitTrialValue(s, M, q0[M], d, &trial[M])) continue;
                    double got[2][JV];
                    const int ng = calSlitPassCand(s, k, L, M2, trial, got);
                    for (int r = 0; r < ng && count < NSOLMAX; ++r) {
                        if (!retain(s, q0, got[r], sols, count)) continue;
                        copyQv(got[r], sols[count]);
                        storeCand(s, count, got[r], k, L, M);
                        ++count;
                    }
                }
            }
        }
    }

    printCandidates(s, q0, count, sols);
    return count;
}
