// Phases 3 and 5 of the B-calculation: the arm, in front of the wall, first takes its elbow and
// wrist away from the wall, then returns towards the initial pose by interference-avoiding
// corrections or straight steps of the wrist.
#include "path/free_space.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "model/joints.h"
#include "model/kinematics.h"
#include "model/angles.h"
#include "model/vecops.h"
#include "path/free_motions.h"
#include "path/path_append.h"
#include "path/path_clearance.h"

namespace {

constexpr int kReturnStall = 200;  // joint-space return steps without a new least distance

constexpr int kPhase3Steps = 60;  // 3.0 of travel of J[W] in -y: more than any arm needs
constexpr double kRelax = 0.05;   // joint relaxation per straight step

const Vec3 kUp = {{0, 0, 1}};

double jointChange(const Scene& s, const double* a, const double* b) { return jointDiffNorm(s, 1, s.N, a, b); }

// y below which a joint counts as clear of the wall: the wrist clearance and a joint margin in
// front of the near face.
void setClearFS(Scene& s) { s.yClearFS = s.rhy1 - MarginWrist - Margin; }

double relaxed(double q, double band) {
    if (std::fabs(q) < band) return 0.0;
    return q - kRelax * (q < 0 ? -1.0 : 1.0);
}

// Phase 5 step 3: one interference-avoiding correction from q0.
void avoidStep(Scene& s, const double* q0) {
    s.sgnCollAvoidMotion = 1;
    s.sgnLinearMotion = 0;
    double qS[JV] = {};
    int J = 0;
    s.sgnFS = WInApart7(s, q0, qS, J);
    qS[0] = 0;
    wrapJointVector(s.N, qS, s.qr);
    s.sgnWInAllJntOrderZ = jointHeightOrder(s, s.qr);
    s.JColl = s.sgnFS < 0 ? J : 0;
    tracef(s, "\n★5:WInApart7()後 sgnPATH=%d sgnFS=%d JColl=%d", s.sgnPATH, s.sgnFS, s.JColl);
    traceVec(s, 1, s.N, q0, "\n  qs0[]=");
    traceVec(s, 1, s.N, s.qr, "\n  qS[] =");
    if (s.sgnFS == kFSNoCorrection) tracef(s, "\n  修正なしで壁床干渉なし");
    if (s.sgnFS == kFSCorrected) tracef(s, "\n  壁床干渉回避方向へ修正した");
    if (s.sgnFS == kMCollWall) tracef(s, "\n  壁と干渉．修正不能 JColl=%d", s.JColl);
    if (s.sgnFS == kMCollFloor) tracef(s, "\n  床と干渉．修正不能 JColl=%d", s.JColl);
    forwardKinematics(s, s.qr);
    tracef(s, "\n  干渉回避運動後 sgnCollAvoidMotion=%d sgnLinearMotion=%d", s.sgnCollAvoidMotion, s.sgnLinearMotion);
    tracef(s, "\n  関節並びの順逆 sgnWInAllJntOrderZ=%d リストJ[MR]y=%6.3f", s.sgnWInAllJntOrderZ, s.J[s.N - 1][1]);
    tracef(s, "\n★★E=========calBFREESPACE2() (Ⅰ)干渉回避運動終了===============★★\n");
    tracef(s, "\n  sgnCAL=%c", s.sgnCAL);
    if (pathStopped(s)) return;  // the append stopped the calculation
    if (jointChange(s, s.qr, q0) < 1e-5) {
        // No progress: a step that changes nothing would be repeated for ever.
        s.JColl = J;
        s.sgnMColl = s.sgnFS < 0 ? s.sgnFS : kMCollNoMotion;
    } else {
        s.JColl = 0;
        s.sgnMColl = kMCollRunning;
    }
}

// Phase 5 step 4: one straight step of the wrist towards its initial position. False when no
// clear step exists (the caller corrects instead).
bool straightStep(Scene& s, const double* q0) {
    const int N = s.N;
    forwardKinematics(s, q0);
    const Vec3 P = s.J[N - 1], T = s.Jstraight[N - 1];
    Vec3 d;
    subVec3(T, P, d);
    const int n = static_cast<int>(normVec3(d) / 0.1);
    if (n < 1) {
        s.rwStep = T;
    } else {
        for (int k = 0; k < 3; ++k) s.rwStep[k] = P[k] + d[k] / n;
    }
    // The arm joints relax in q2; the wrist joints N-2..N relax once, from q0, after the placement
    // (a second relaxation of the same step would move them 0.1).
    double q2[JV] = {}, q3[JV] = {};
    for (int i = 1; i <= N; ++i) q2[i] = i <= N - 3 ? relaxed(q0[i], 1.2 * kRelax) : q0[i];
    Vec3 e;
    subVec3(s.rwStep, T, e);
    if (normVec3(e) >= 1e-6) {
        if (calJntPosSolve(s, q2, N - 2, s.rwStep, q3) == 0) return false;
        for (int i = 1; i <= N - 3; ++i) clampJoint(s, i, q3[i], &q3[i]);
        for (int i = N - 2; i <= N; ++i) q3[i] = relaxed(q0[i], 1.1 * kRelax);
    }
    int Jb = 0;
    if (appendFreeStep(s, q0, q3, Jb) <= 0) return pathStopped(s);
    // A record filled during the append ends at its last row.
    copyJointVector(JV - 1, pathStopped(s) ? s.qIPATH[s.NPATH] : q3, s.qr);
    if (pathStopped(s)) return true;
    s.sgnMColl = kMCollRunning;
    s.sgnFS = kFSCorrected;
    // Height order, and no joint lower above the floor margin than the one before it.
    s.sgnWInAllJntOrderZ = jointHeightOrder(s, s.qr);
    for (int i = 2; i <= N - 2; ++i)
        if ((s.J[i][2] - Margin) < (s.J[i - 1][2] - Margin) - tolFine) s.sgnWInAllJntOrderZ = 0;
    return true;
}

// The wrist point of q within a third of the work's length of its initial position.
bool wristNear(Scene& s, const double* q) {
    forwardKinematics(s, q);
    Vec3 d;
    subVec3(s.J[s.N - 1], s.Jstraight[s.N - 1], d);
    return normVec3(d) < s.L[s.Nw] / 3;
}

// One step of the joint-space return; the last motion follows once the wrist is near its initial
// position and the straight joint motion to the initial pose is clear.
void returnStep(Scene& s, const double* q0) {
    s.sgnCollAvoidMotion = 0;
    s.sgnLinearMotion = 0;
    if (!(wristNear(s, q0) && freeReturnClear(s, q0))) {
        double q1[JV];
        int J = 0;
        const int st = freeReturnStep(s, q0, q1, J);
        if (pathStopped(s)) return;
        if (st < 0) {
            s.JColl = J;
            s.sgnMColl = st;
            s.sgnFS = st;
            return;
        }
        copyJointVector(JV - 1, q1, s.qr);
        s.sgnMColl = kMCollRunning;
        s.sgnFS = kFSCorrected;
        // Progress: the distance to the initial pose must fall to a new least value within
        // kReturnStall steps, else two moves could undo each other until the record is full.
        const double d = jointDistance(1, s.N, s.qr, s.qInit);
        if (d < s.returnBest - tolFine) {
            s.returnBest = d;
            s.returnStall = 0;
        } else if (++s.returnStall > kReturnStall) {
            tracef(s, "\n関節空間での復帰運動が%d回進まない→停止", kReturnStall);
            s.sgnMColl = kMCollNoMotion;
            s.sgnFS = 0;
            return;
        }
        if (!(wristNear(s, s.qr) && freeReturnClear(s, s.qr))) return;
    }
    s.sgnPATH = PhaseLastMotion;
    s.sgnPATHEnd = 0;
    s.sgnMColl = kMCollRunning;
    s.sgnFS = kFSNoCorrection;
}

}  // namespace

void calBFREESTART(Scene& s) {
    s.sgnPATH = PhaseFreeSpaceAway;
    s.sgnLinearMotion = s.sgnCollAvoidMotion = 0;
    s.sgnJointReturn = 0;
    s.returnBest = 1e300;
    s.returnStall = 0;
    s.sgnMColl = kMCollRunning;
    s.sgnWInAllJntOrderZ = jointHeightOrder(s, s.qr);
    if (s.sgnWInAllJntOrderZ > 0) s.sgnPATH = PhaseFreeSpaceReturn;
    int M = 1;
    double y = 0;
    calJntNearWall(s, s.qr, M, y);
    s.MNearWall = M;
}

int calJntNearWall(Scene& s, const double* q, int& M, double& y) {
    forwardKinematics(s, q);
    M = 1;
    y = s.J[1][1];
    double ref = s.J[1][1];
    for (int j = s.JRTYPE[1] == 'R' ? 3 : 2; j <= s.N - 3; ++j) {
        if (s.J[j][1] >= ref) {
            M = j;
            y = s.J[j][1];
        }
        ref = s.J[j][1];
    }
    return M;
}

void calBFREESPACE1(Scene& s) {
    const int N = s.N, M = N - 2, W = N - 3, MF = N - 4;
    s.JColl = 0;
    s.sgnPATH = PhaseFreeSpaceAway;
    s.sgnPATHEnd = 0;
    s.sgnJointReturn = 0;
    s.returnBest = 1e300;
    s.returnStall = 0;
    setClearFS(s);
    const double D = 0.4 / 2 + s.L[s.Nw] + 0.3;
    double q[JV];
    copyJointVector(JV - 1, s.qr, q);
    // Slope of the last move of J[W], kept while it is stepped away from the wall.
    double a = 0;
    if (s.NPATH >= 1) {
        forwardKinematics(s, s.qIPATH[s.NPATH - 1]);
        const Vec3 prev = s.J[W];
        forwardKinematics(s, q);
        const double dy = s.J[W][1] - prev[1], dz = s.J[W][2] - prev[2];
        if (std::fabs(dy) > 0) a = dz * 0.05 / std::fabs(dy);
        if (std::fabs(a) > 0.1) a = 0.05 * (a < 0 ? -1.0 : 1.0);
    }
    for (int it = 0; it < kPhase3Steps && !pathStopped(s); ++it) {
        forwardKinematics(s, q);
        const Vec3 P = {{s.rh[0], s.J[W][1] - 0.05, s.J[W][2] + a}};
        double q1[JV], qOut[JV];
        if (calJntPosSolve(s, q, W, P, q1) == 0) break;
        int J = 0, st = 0;
        if (s.JRTYPE[MF] == 'R') {
            st = WInRPLargeMotion7(s, 'L', M, q, q1, kUp, qOut, J);
        } else {
            double t = 0;
            const char sgnLS = calWInJntMTarget(s, M, q1, t);
            st = WInPPLargeMotion7(s, sgnLS, M, q, q1, t, qOut, J);
        }
        copyJointVector(JV - 1, qOut, s.qr);
        forwardKinematics(s, s.qr);
        if (s.rhy1 - s.J[W][1] > D) break;
        // A blocked or empty motion would repeat the same target: phase 5 takes over.
        if (st < 0 || jointChange(s, s.qr, q) < tolFine) break;
        copyJointVector(JV - 1, s.qr, q);
    }
    tracef(s, "\n◎自由空間運動1:肘・リストを壁から遠ざける運動終了 NPATH=%d→次は干渉回避運動へ", s.NPATH);
    if (pathStopped(s)) return;
    s.sgnMColl = kMCollRunning;
    s.sgnPATH = PhaseFreeSpaceReturn;
    s.sgnPATHEnd = 0;
    double y = 0;
    calJntNearWall(s, s.qr, s.MNearWall, y);
}

void calBFREESPACE2(Scene& s) {
    s.JColl = 0;
    setClearFS(s);
    double q0[JV];
    copyJointVector(JV - 1, s.qr, q0);
    if (s.sgnJointReturn == 1) {
        returnStep(s, q0);
        return;
    }
    s.sgnWInAllJntOrderZ = jointHeightOrder(s, s.qr);
    if (s.sgnLinearMotion != 1) {
        int j = 0;
        double y = 0;
        calJntNearWall(s, s.qr, j, y);
        if (j > s.MNearWall && s.MNearWall >= 1 && s.MNearWall <= s.N) {
            forwardKinematics(s, s.qr);
            y = s.J[s.MNearWall][1];
        }
        const bool avoidMode = s.sgnWInAllJntOrderZ < 0 || y > s.yClearFS;
        s.sgnCollAvoidMotion = avoidMode ? 1 : 0;
        s.sgnLinearMotion = avoidMode ? 0 : 1;
    }
    if (s.sgnCollAvoidMotion == 1 || !straightStep(s, q0)) {
        avoidStep(s, q0);
        // A correction that cannot move the arm hands phase 5 over to the joint-space return.
        if (!pathStopped(s) && !pathRunning(s)) {
            s.sgnJointReturn = 1;
            copyJointVector(JV - 1, s.qIPATH[s.NPATH], q0);
            returnStep(s, q0);
        }
        return;
    }
    if (pathStopped(s)) return;
    if (wristNear(s, s.qr)) {
        // The closing motion is a straight joint motion: it must be clear too.
        if (freeReturnClear(s, s.qr)) {
            s.sgnPATH = PhaseLastMotion;
            s.sgnPATHEnd = 0;
            s.sgnMColl = kMCollRunning;
        } else {
            s.sgnJointReturn = 1;
        }
    }
    s.sgnFS = kFSNoCorrection;
}
