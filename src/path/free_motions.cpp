// Robot-side motions of the free-space phases and the checks that keep every appended row clear.
#include "path/free_motions.h"

#include <algorithm>
#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "collide/avoid_turn.h"
#include "collide/interference.h"
#include "collide/joint_circle.h"
#include "model/joints.h"
#include "model/kinematics.h"
#include "model/angles.h"
#include "model/vecops.h"
#include "path/link_direction.h"
#include "path/path_append.h"
#include "path/path_clearance.h"
#include "path/row_gate.h"
#include "solve/ijkinv.h"

namespace {

constexpr double kStep = 0.025;   // joint step of the motions of one joint
constexpr double kWorkStep = 0.05;  // joint and turn step of the work motion
constexpr int kMaxSteps = 400;      // more than any change of a joint within its limits needs

const Vec3 kUp = {{0, 0, 1}};

void copyQ(const double* a, double* b) {
    for (int i = 0; i < JV; ++i) b[i] = a[i];
}

// Norm of the joint differences a - b over joints 1..N (turning joints by their wrapped difference).
double moved(const Scene& s, const double* a, const double* b) { return jointDiffNorm(s, 1, s.N, a, b); }

// Holds every joint of q within its limit; true when one was outside.
bool clampArm(const Scene& s, double* q) {
    bool hit = false;
    for (int i = 1; i <= s.N; ++i)
        if (clampJoint(s, i, q[i], &q[i]) != 0) hit = true;
    return hit;
}

int stepCount(double change) {
    if (!std::isfinite(change)) return 1;
    return std::clamp(static_cast<int>(change), 1, kMaxSteps);
}

double sign(double x) { return x < 0 ? -1.0 : 1.0; }

int avoid(Scene& s, int M, const double* q, double* qOut) {
    double bw, bf, bs;
    return phaseCollAvoid(s, 'I', M, q, bw, bf, bs, qOut);
}

}  // namespace

int freePoseCheck(Scene& s, const double* q, int& Jbad) {
    Jbad = 0;
    for (int j = 2; j <= s.Nw; ++j) {
        double bw, bf, bs;
        int K, t1, t2;
        Vec3 P1, P2;
        int code = phaseCollCheck(s, 'I', j, q, bw, bf, bs, K, P1, P2, t1, t2);
        // The check passes a joint short of the near face that is not the last on the robot side;
        // in free space every joint keeps the margin plane.
        if (code == 0 && !(s.J[j][1] <= (j == s.Nw ? s.rhy1W : s.rhy1M))) code = kMCollWall;
        if (code < 0) {
            Jbad = j;
            return foldCollCode(code);
        }
    }
    return 0;
}

int freeMoveCheck(Scene& s, const double* qFrom, const double* qTo, int& Jbad) {
    Jbad = 0;
    // The subdivision of appendPathSegment: rows at most 0.025 apart in an arm joint and 0.125 in
    // a wrist joint.
    double to[JV], dq[JV] = {}, w[JV] = {};
    copyQ(qTo, to);
    to[0] = 0;
    wrapJointVector(s.N, to, to);
    for (int i = 1; i <= s.N; ++i) w[i] = dq[i] = jointDiff(s, i, to[i], qFrom[i]);
    for (int i = s.N - 2; i <= s.N; ++i) w[i] = std::fabs(w[i]) / 5.0;
    const double d = maxAbsJoint(s, s.N, w);
    if (!(d >= tolFine)) return 0;  // nothing is written
    const int n = d < 0.025 ? 1 : std::max(1, static_cast<int>(std::ceil(d / 0.025 - 1e-9)));
    for (int k = 1; k <= n; ++k) {
        double row[JV] = {};
        for (int i = 1; i <= s.N; ++i) row[i] = qFrom[i] + dq[i] * k / n;
        const int code = freePoseCheck(s, row, Jbad);
        if (code < 0) return code;
    }
    const int code = gateRow(s, qFrom, to);
    if (code < 0) Jbad = s.gateShape <= s.N ? s.gateShape : s.N;
    return code;
}

int appendFreeStep(Scene& s, const double* qFrom, double* qTo, int& Jbad) {
    Jbad = 0;
    if (pathStopped(s)) return 0;
    const int code = freeMoveCheck(s, qFrom, qTo, Jbad);
    if (code < 0) return code;
    return appendPathSegment(s, qFrom, qTo) > 0 ? 1 : 0;
}

int calJntPosSolve(Scene& s, const double* q, int M, const Vec3& P, double* qOut) {
    copyQ(q, qOut);
    if (M < 4 || M > s.N) return 0;
    const int Kmax = M >= s.N - 2 ? s.N - 3 : M - 1;
    // Joint M in the frame of each joint K after its rotation.
    forwardKinematics(s, q);
    Vec3 PK[JV];
    for (int K = 1; K <= Kmax; ++K) {
        Vec3 d;
        subVec3(s.J[M], s.J[K], d);
        mulMat3TVec(s.EJ[K], d, PK[K]);
    }
    int count = 0;
    double best = 1e300;
    for (int K = 3; K <= Kmax; ++K)
        for (int J = 2; J < K; ++J)
            for (int I = 1; I < J; ++I) {
                double sols[4][JV];
                const int n = IJKinv(s, "LINK", q, I, J, K, PK[K], P, sols);
                for (int k = 0; k < n && k < 4; ++k) {
                    double* c = sols[k];
                    c[0] = 0;
                    wrapJointVector(s.N, c, c);
                    double held[JV];
                    copyQ(c, held);
                    bool ok = !clampArm(s, held);
                    forwardKinematics(s, c);
                    Vec3 e;
                    subVec3(s.J[M], P, e);
                    ok = ok && normVec3(e) < 1e-6;
                    for (int j = 2; ok && j < M; ++j) {
                        double bw, bf, bs;
                        int Kc, t1, t2;
                        Vec3 P1, P2;
                        if (phaseCollCheck(s, 'I', j, c, bw, bf, bs, Kc, P1, P2, t1, t2) < 0) ok = false;
                    }
                    if (!ok) continue;
                    ++count;
                    // The nearest solution: a far branch would be one large sweep of the arm.
                    double dist = 0;
                    for (int i = 1; i <= s.N; ++i) dist += std::fabs(jointDiff(s, i, c[i], q[i]));
                    if (dist < best) {
                        best = dist;
                        copyQ(c, qOut);
                    }
                }
            }
    forwardKinematics(s, qOut);
    return count;
}

int WInWorkMotion(Scene& s, const double* q0, const double* q1, const Vec3& e, int& JColl, double* qOut) {
    JColl = 0;
    double cur[JV], qa[JV];
    copyQ(q0, cur);
    copyQ(q0, qOut);
    int r = avoid(s, s.Nw, q0, qa);
    if (r < 0) {
        JColl = s.Nw;
        return foldCollCode(r);
    }
    int Jb = 0;
    if (moved(s, qa, q0) > 1e-9) {
        const int a = appendFreeStep(s, cur, qa, Jb);
        if (a < 0) {
            JColl = Jb;
            return a;
        }
        if (a > 0) copyQ(qa, cur);
    }
    double start[JV], dq[JV] = {};
    copyQ(cur, start);
    for (int i = 1; i <= s.N; ++i) dq[i] = jointDiff(s, i, q1[i], start[i]);
    forwardKinematics(s, start);
    const Vec3 a0 = s.mm[s.Nw], P = s.J[s.N];
    Vec3 c, e1, e2;
    double rr = 0, alpha = 0;
    calTurnAvoidWF(s, 'I', s.Nw, P, a0, e, c, e1, e2, rr, alpha);
    if (!std::isfinite(alpha) || !std::isfinite(rr) || rr < 1e-9) alpha = 0;
    double big = 0;
    for (int i = 1; i <= s.N - 3; ++i) big = std::max(big, std::fabs(dq[i]));
    const int n = stepCount(std::max(big, alpha) / kWorkStep);
    int result = kMotionMoved;
    for (int k = 1; k <= n && !pathStopped(s); ++k) {
        double qk[JV] = {};
        for (int i = 1; i <= s.N; ++i) qk[i] = start[i] + dq[i] * k / n;
        if (alpha > 0) {
            const double th = alpha * k / n;
            Vec3 ek;
            for (int m = 0; m < 3; ++m) ek[m] = c[m] + rr * (std::cos(th) * e1[m] + std::sin(th) * e2[m]);
            if (normVec3(ek) > 1e-9) {
                unitVec3(ek, ek);
                calJntMDir(s, qk, s.Nw, ek, qk);
            }
        }
        clampArm(s, qk);
        r = avoid(s, s.Nw, qk, qk);
        if (r < 0) {
            JColl = s.Nw;
            result = foldCollCode(r);
            break;
        }
        const int a = appendFreeStep(s, cur, qk, Jb);
        if (a < 0) {
            JColl = Jb;
            result = a;
            break;
        }
        if (a > 0) copyQ(qk, cur);
    }
    copyQ(cur, qOut);
    copyQ(cur, s.qr);
    return result;
}

char calWInJntMTarget(Scene& s, int M, const double* q, double& qME) {
    // The joint whose circle is taken: M, or the one before it past links of no length.
    int Mc = std::clamp(M, 1, s.Nw);
    for (int k = 0; k < 2 && Mc > 2 && s.L[Mc] < tolFine; ++k) --Mc;
    int MF = 0;
    Vec3 C, u, v, a;
    double R = 0;
    JntMCircle(s, Mc, q, MF, C, u, v, a, R);
    qME = (MF >= 1 && MF <= s.N) ? q[MF] : 0.0;
    if (MF < 1 || MF > s.N || R < tolFine) return 'S';
    // The turn that lifts joint Mc highest on its circle, wrapped and held to the joint limit.
    double t = q[MF] + std::atan2(v[2], u[2]);
    t = wrapOnceClosed(t);
    clampJoint(s, MF, t, &t);
    if (!std::isfinite(t)) return 'S';
    qME = t;
    int code = 0;
    JntMCircleCollCheck(s, 'I', Mc, MF, q, t, C, u, v, a, R, code);
    return code == 0 ? 'L' : 'S';
}

char calWInJntMTarget2(Scene& s, int Mn, const double* q, double& t) { return calWInJntMTarget(s, Mn, q, t); }

namespace {

// Steps of a motion of joint M from q to qT, joint ME before it: the change per step in dq;
// 'L' the whole change, 'S' joint ME at most kStep in all. Returns the count.
int motionSteps(Scene& s, char sgnLS, int ME, const double* q, const double* qT, double* dq) {
    const int N = s.N;
    for (int i = 1; i <= N; ++i) dq[i] = jointDiff(s, i, qT[i], q[i]);
    double armMax = 0;
    for (int i = 1; i < ME; ++i) armMax = std::max(armMax, std::fabs(dq[i]));
    const int nArm = stepCount(armMax / kStep), nME = stepCount(std::fabs(dq[ME]) / kStep);
    const int n = sgnLS == 'L' ? std::max(nArm, nME) : nArm;
    for (int i = 1; i <= N; ++i) dq[i] /= n;
    if (sgnLS != 'L' && std::fabs(dq[ME]) > kStep) dq[ME] = kStep / n * sign(dq[ME]);
    return n;
}

// The work follows the step qPrev -> qNext, turned up (tilted away from the wall when it is near
// the face). Returns the code of that motion with its joint in J; qRes the pose reached (qNext
// is wrapped in place when the step is appended as it is).
int workFollows(Scene& s, const double* qPrev, double* qNext, double* qRes, int& J) {
    forwardKinematics(s, qNext);
    Vec3 e = kUp;
    const double d = s.rw[1] - s.rhy1W;
    if (d > 0 && std::fabs(s.rw[0] - s.rhx) > 0.001 && s.L[s.Nw] > 0) {
        e[1] = std::max(-1.0, -d / s.L[s.Nw]);
        e[2] = std::sqrt(std::max(0.0, 1 - e[1] * e[1]));
    }
    const double yNext = s.rw[1];
    forwardKinematics(s, qPrev);
    if (yNext <= s.rw[1] + 1e-12) return WInWorkMotion(s, qPrev, qNext, e, J, qRes);
    // Towards the wall the work is not turned; the step is still checked and appended.
    copyQ(qPrev, qRes);
    const int r = appendFreeStep(s, qPrev, qNext, J);
    if (r > 0) copyQ(qNext, qRes);
    return r;
}

// After the step of joint M1 to qNext, the motion of the next joint from qPrev (RP or PP by the
// joint before ME), or of the work past the last joint. Returns its code with its joint in J;
// qRes the pose reached.
int followingMotion(Scene& s, int M1, int ME, const double* qPrev, double* qNext, double* qRes, int& J) {
    int Mn = M1 + 1;
    if (Mn <= s.N && (s.L[Mn] < tolFine || s.JRTYPE[Mn] == 'R')) Mn = M1 + 2;
    if (Mn >= s.Nw) return workFollows(s, qPrev, qNext, qRes, J);
    forwardKinematics(s, qNext);
    double tn = 0;
    const char letter = calWInJntMTarget2(s, Mn, qNext, tn);
    if (ME - 1 >= 1 && s.JRTYPE[ME - 1] == 'R') return WInRPLargeMotion7(s, 'L', Mn, qPrev, qNext, kUp, qRes, J);
    return WInPPLargeMotion7(s, letter, Mn, qPrev, qNext, tn, qRes, J);
}

// A motion that left the arm where it was: the joints 2..Nw of qr (roll joints skipped) by their
// robot-side clearances, the last joint and kind below the tolerance winning. Returns the status
// (kMotionNone when every joint is clear) with that joint in JColl.
int stallStatus(Scene& s, int& JColl) {
    int status = kMotionNone;
    for (int j = 2; j <= s.Nw; ++j) {
        if (s.JRTYPE[j] == 'R') continue;
        double bw, bf, bs;
        int K, t1, t2;
        Vec3 P1, P2;
        phaseCollCheck(s, 'I', j, s.qr, bw, bf, bs, K, P1, P2, t1, t2);
        if (bw > tolFine) {  // robot side: positive inside the margin band
            status = kMCollWall;
            JColl = j;
        }
        if (bf < -tolFine) {
            status = kMCollFloor;
            JColl = j;
        }
        if (bs < -tolFine) {
            status = kMCollSelf;
            JColl = j;
        }
    }
    return status;
}

}  // namespace

int WInPPLargeMotion7(Scene& s, char sgnLS, int M, const double* q, const double* q2, double t, double* qOut,
                      int& JColl) {
    const int N = s.N;
    int status = kMotionNone;
    JColl = 0;
    M = std::clamp(M, 2, N);
    const int M1 = (s.JRTYPE[M] == 'R' && M < N) ? M + 1 : M;  // M'
    int ME = M1 - 1;
    if (ME > 1 && s.JRTYPE[ME] == 'R') ME = M1 - 2;
    forwardKinematics(s, q2);
    tracef(s, "\n△△1======WInPPLargeMotion7() M=%d sgnLS=%c 一気運動始め ===============△△", M, sgnLS);

    double qT[JV], dq[JV] = {};
    int r = avoid(s, M1, q2, qT);
    if (r < 0) {
        copyQ(q, s.qr);
        copyQ(q, qOut);
        JColl = M1;
        return foldCollCode(r);
    }
    qT[ME] = t;
    const int n = motionSteps(s, sgnLS, ME, q, qT, dq);

    double qPrev[JV];
    copyQ(q, qPrev);
    int failed = 0;
    bool free = true;
    for (int k = 1; k <= n && !pathStopped(s) && failed == 0; ++k) {
        double qNext[JV];
        copyQ(qPrev, qNext);
        for (int i = 1; i <= N; ++i) {
            if (i >= ME && !free) continue;
            qNext[i] += dq[i];
            if (clampJoint(s, i, qNext[i], &qNext[i]) != 0) free = false;
        }
        double qAv[JV];
        r = avoid(s, M1, qNext, qAv);
        if (r < 0) {
            JColl = M1;
            break;
        }
        // Only a repair (the pose changed) freezes joints ME and above; a clear joint does not.
        if (moved(s, qAv, qNext) > 1e-9) free = false;
        copyQ(qAv, qNext);
        if ((qPrev[ME] - t) * (qNext[ME] - t) < 0) qNext[ME] = t;
        status = kMotionMoved;
        double qRes[JV];
        int J = 0;
        r = followingMotion(s, M1, ME, qPrev, qNext, qRes, J);
        copyQ(qRes, s.qr);
        if (r < 0) {
            failed = r;
            JColl = J;
        }
        if (!(moved(s, s.qr, qPrev) > 1e-9) && failed == 0) break;  // no step could be added
        copyQ(s.qr, qPrev);
    }
    copyQ(qPrev, s.qr);
    if (failed < 0) status = failed;
    if (moved(s, s.qr, q) < tolFine && failed == 0) status = stallStatus(s, JColl);
    copyQ(s.qr, qOut);
    return status;
}

int WInRPLargeMotion7(Scene& s, char sgnLS, int M, const double* q, const double* q2, const Vec3& e, double* qOut,
                      int& JColl) {
    const int N = s.N;
    JColl = 0;
    M = std::clamp(M, 2, s.Nw);
    const int M1 = (M < N && s.JRTYPE[M] == 'R') ? M + 1 : M;
    // Target: q2 with link M turned towards e by the two joints that drive it.
    double qT[JV];
    copyQ(q2, qT);
    if (M < s.Nw && s.L[M] >= tolFine) calJntMDir(s, q2, M, e, qT);
    clampArm(s, qT);
    int r = avoid(s, M1, qT, qT);
    if (r < 0) {
        copyQ(q, qOut);
        copyQ(q, s.qr);
        JColl = M1;
        return foldCollCode(r);
    }
    double dq[JV] = {};
    for (int i = 1; i <= N; ++i) dq[i] = jointDiff(s, i, qT[i], q[i]);
    double big = 0;
    for (int i = 1; i <= N - 3; ++i) big = std::max(big, std::fabs(dq[i]));
    int n = stepCount(big / kStep);
    for (int i = 1; i <= N; ++i) dq[i] /= n;
    if (sgnLS != 'L') n = 1;  // one step of at most 0.025 in an arm joint
    double qPrev[JV];
    copyQ(q, qPrev);
    int failed = 0;
    for (int k = 1; k <= n && !pathStopped(s); ++k) {
        double qNext[JV], qRes[JV];
        copyQ(qPrev, qNext);
        for (int i = 1; i <= N; ++i) qNext[i] += dq[i];
        clampArm(s, qNext);
        r = avoid(s, M1, qNext, qNext);
        if (r < 0) {
            failed = foldCollCode(r);
            JColl = M1;
            break;
        }
        int J = 0;
        r = WInWorkMotion(s, qPrev, qNext, kUp, J, qRes);
        const bool progress = moved(s, qRes, qPrev) > 1e-9;
        copyQ(qRes, qPrev);
        if (r < 0) {
            failed = r;
            JColl = J;
            break;
        }
        if (!progress) break;
    }
    tracef(s, "\n△7:sgnLS=%c kRP=%d/%d M=%d sgnJColl=%d", sgnLS, n, n, M, failed);
    copyQ(qPrev, s.qr);
    copyQ(qPrev, qOut);
    if (failed < 0) return failed;
    return moved(s, qPrev, q) >= tolFine ? kMotionMoved : kMotionNone;
}

namespace {

// Step 1 of WInApart7, joint trials on qa in place: each joint 1..N-3 relaxes towards 0 by 0.05
// unless that brings the arm near the wall; a turning joint 1 turns away from the wall while the
// arm is near it.
void relaxAwayFromWall(Scene& s, double* qa) {
    const int N = s.N, W = N - 3;
    // Reference height of the wall side: J[W], or the wrist for a turn of W itself.
    auto refY = [&](const double* q, int i) {
        forwardKinematics(s, q);
        return s.J[i >= W ? N - 1 : W][1];
    };
    for (int i = 1; i <= W; ++i) {
        if (s.JRTYPE[i] == 'R' && i > 1) continue;
        const double y0 = refY(qa, i);
        if (i == 1 && s.JRTYPE[1] == 'R') {
            if (y0 <= s.yClearFS) continue;
            double qp[JV], qm[JV];
            copyQ(qa, qp);
            copyQ(qa, qm);
            qp[1] += 0.05;
            qm[1] -= 0.05;
            const double yp = refY(qp, i), ym = refY(qm, i);
            if (std::min(yp, ym) < y0) qa[1] = yp < ym ? qp[1] : qm[1];
            continue;
        }
        const double old = qa[i];
        qa[i] = std::fabs(old) < 0.05 ? 0.0 : old - 0.05 * sign(old);
        const double y1 = refY(qa, i);
        if (y1 > y0 && y1 > s.yClearFS) qa[i] = old;
    }
}

}  // namespace

int WInApart7(Scene& s, const double* qs0, double* qS, int& JColl) {
    const int N = s.N;
    JColl = 0;
    double qa[JV];
    copyQ(qs0, qa);
    relaxAwayFromWall(s, qa);  // 1. joint trials
    // 2. Clearing joint by joint.
    for (int j = 2; j <= N - 2; ++j) {
        if (s.JRTYPE[j] == 'R') continue;
        const int r = avoid(s, j, qa, qa);
        if (r < 0) {
            JColl = j;
            copyQ(qs0, qS);
            copyQ(qs0, s.qr);
            return foldCollCode(r);
        }
    }
    // 3. The arm moves there with the work turned up. Behind a P-type joint MF' the circle check of
    // the wrist decides whether the whole arm moves ('L') or only joints 1..N-4 ('S').
    const int MEp = s.JRTYPE[N - 2] == 'R' ? N - 3 : N - 2;
    const int MFp = MEp - 1;
    int J = 0, r = 0;
    double qRes[JV];
    if (s.JRTYPE[MFp] == 'R') {
        r = WInWorkMotion(s, qs0, qa, kUp, J, qRes);
    } else {
        int MF = 0;
        Vec3 C, u, v, a;
        double R = 0;
        JntMCircle(s, N - 1, qs0, MF, C, u, v, a, R);
        int code = 0;
        if (MF >= 1 && MF <= N) JntMCircleCollCheck(s, 'I', N - 1, MF, qs0, qa[MF], C, u, v, a, R, code);
        if (code == 0) {
            r = WInWorkMotion(s, qs0, qa, kUp, J, qRes);
        } else {
            double qb[JV];
            copyQ(qs0, qb);
            for (int i = 1; i <= N - 4; ++i) qb[i] = qa[i];
            r = avoid(s, N - 1, qb, qb);
            if (r < 0)
                J = N - 1;
            else
                r = WInWorkMotion(s, qs0, qb, kUp, J, qRes);
        }
        if (r < 0 && J == N - 1) copyQ(qs0, qRes);
    }
    copyQ(qRes, s.qr);
    copyQ(s.qr, qS);
    if (moved(s, qS, qs0) < 1e-5) {
        if (r < 0) {
            JColl = J;
            return foldCollCode(r);
        }
        return kMotionNone;
    }
    return kMotionMoved;
}

namespace {

constexpr double kReturnArm = 0.05;    // step of an arm joint in the joint-space return
constexpr double kReturnWrist = 0.15;  // step of a wrist joint (N-2..N), weighted like the rows

double returnStep(const Scene& s, int i) { return i >= s.N - 2 ? kReturnWrist : kReturnArm; }

// Distance of q from qInit: the sum of the joint differences.
double returnDistance(const Scene& s, const double* q) {
    double d = 0;
    for (int i = 1; i <= s.N; ++i) d += std::fabs(jointDiff(s, i, q[i], s.qInit[i]));
    return d;
}

// Least clearance of joints 2..Nw of q from the near margin plane (rhy1W for the work point) and
// the floor margin.
double returnClearance(Scene& s, const double* q) {
    forwardKinematics(s, q);
    double c = 1e9;
    for (int j = 2; j <= s.Nw; ++j) {
        c = std::min(c, (j == s.Nw ? s.rhy1W : s.rhy1M) - s.J[j][1]);
        c = std::min(c, s.J[j][2] - Margin);
    }
    return c;
}

// Move of joint i one step towards qInit (0 when it is there).
double relaxMove(const Scene& s, int i, const double* q) {
    const double d = jointDiff(s, i, s.qInit[i], q[i]);
    const double h = returnStep(s, i);
    return std::fabs(d) <= h ? d : h * sign(d);
}

// No move towards qInit is clear: one joint moves (either way, within its limit) so that the arm
// gains the most clearance over c0, that of q0. True when such a clear move exists (in best).
bool clearanceMove(Scene& s, const double* q0, double c0, double* best) {
    bool found = false;
    double bestC = c0 + tolFine;
    for (int i = 1; i <= s.N; ++i)
        for (int sg = -1; sg <= 1; sg += 2) {
            double q1[JV];
            copyQ(q0, q1);
            q1[i] += sg * returnStep(s, i);
            clampJoint(s, i, q1[i], &q1[i]);
            const double c1 = returnClearance(s, q1);
            int Jb = 0;
            if (!(c1 > bestC) || freeMoveCheck(s, q0, q1, Jb) < 0) continue;
            bestC = c1;
            copyQ(q1, best);
            found = true;
        }
    return found;
}

}  // namespace

bool freeReturnClear(Scene& s, const double* q) {
    int Jb = 0;
    return freeMoveCheck(s, q, s.qInit, Jb) == 0;
}

int freeReturnStep(Scene& s, const double* q0, double* qOut, int& JColl) {
    const int N = s.N;
    JColl = 0;
    copyQ(q0, qOut);
    if (pathStopped(s)) return 0;
    double r[JV] = {};
    for (int i = 1; i <= N; ++i) r[i] = relaxMove(s, i, q0);
    // The joints whose move alone keeps the clearance: they take the arm away from the wall first.
    const double c0 = returnClearance(s, q0);
    bool keeps[JV] = {};
    for (int i = 1; i <= N; ++i) {
        if (r[i] == 0) continue;
        double q1[JV];
        copyQ(q0, q1);
        q1[i] += r[i];
        keeps[i] = returnClearance(s, q1) >= std::min(c0, MarginWrist);
    }
    // Candidates: 0 all joints, 1 the pitching joints, 2 the joints that keep the clearance,
    // 3.. each joint alone. The clear one nearest qInit wins.
    const double d0 = returnDistance(s, q0);
    double best[JV];
    double bestD = d0 - tolFine;
    bool found = false;
    int code0 = 0;
    for (int c = 0; c < 3 + N; ++c) {
        double q1[JV];
        copyQ(q0, q1);
        bool any = false;
        for (int i = 1; i <= N; ++i) {
            const bool take = c == 0 || (c == 1 && s.JRTYPE[i] != 'R') || (c == 2 && keeps[i]) || c - 2 == i;
            if (take && r[i] != 0) {
                q1[i] += r[i];
                any = true;
            }
        }
        if (!any) continue;
        const double d1 = returnDistance(s, q1);
        if (!(d1 < bestD)) continue;
        int Jb = 0;
        const int code = freeMoveCheck(s, q0, q1, Jb);
        if (c == 0 && code < 0) {
            code0 = code;
            JColl = Jb;
        }
        if (code < 0) continue;
        bestD = d1;
        copyQ(q1, best);
        found = true;
    }
    if (!found) found = clearanceMove(s, q0, c0, best);
    if (!found) return code0 < 0 ? code0 : -1;
    int Jb = 0;
    const int a = appendFreeStep(s, q0, best, Jb);
    if (a < 0) {
        JColl = Jb;
        return a;
    }
    if (a == 0) return 0;
    JColl = 0;
    copyQ(best, qOut);
    copyQ(best, s.qr);
    return 1;
}
