// Motion of the work beyond the wall: the arm joints move from qs1 to the target pose while the
// work turns up (+z) along a turn that keeps it off the wall and the floor.
#include "path/outside_work.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "collide/avoid_turn.h"
#include "model/joints.h"
#include "model/kinematics.h"
#include "model/vecops.h"
#include "path/link_direction.h"
#include "path/outside_step.h"
#include "path/path_append.h"

namespace {

constexpr double kWorkStep = 0.05;

int intPart(double x) {
    if (!std::isfinite(x) || x < 0) return 0;
    if (x > 1e6) return 1000000;
    return static_cast<int>(x + 1e-9);  // 0.3 / 0.05 counts as 6
}

}  // namespace

int WOutWorkLargeMotion7(Scene& s, int Mw, const double* qs1In, const double* qs2In, double zW, double* qOut,
                         int& MColl) {
    (void)zW;
    const int N = s.N, Nw = s.Nw;
    double qs1[JV], qs2[JV], qP[JV];
    copyJointVector(JV - 1, qs1In, qs1);
    copyJointVector(JV - 1, qs2In, qs2);
    copyJointVector(JV - 1, qs2, qOut);
    MColl = 0;
    int Mp = 0, Mw2 = 0, inWall[JV];
    const int nIn = classifyJointsByWall(s, qs2, &Mp, inWall, &Mw2);
    tracef(s, "\n\n▽W=======WOutWorkLargeMotion7()始め Nw=%d Mp=%d Mm=%d Mw=%d ===============▽▽", Nw, Mp,
           nIn > 0 ? inWall[0] : 0, Mw);
    const Vec3 up = {{0, 0, 1}};
    calJntMDir(s, qs2, Nw, up, qP);

    // The turn of the work direction from that of qs1 to +z.
    forwardKinematics(s, qs1);
    const Vec3 a = s.mm[Nw];
    const Vec3 JN = s.J[N];
    Vec3 CC = {{0, 0, 0}}, d1 = a, d2 = {{0, 0, 0}};
    double RR = 1, alpha = 0;
    bool turn = true;
    if (Mw < Nw) {
        calTurnAvoidWF(s, 'O', Nw, JN, a, up, CC, d1, d2, RR, alpha);
    } else {
        Vec3 axis;
        crossVec3(a, up, axis);
        if (normVec3(axis) < 1e-6) {
            turn = false;  // the work already points up: only the final pose is left
        } else {
            unitVec3(axis, axis);
            crossVec3(axis, a, d2);
            alpha = std::acos(std::fmax(-1.0, std::fmin(1.0, dotVec3(a, up))));
        }
    }
    copyJointVector(JV - 1, qs1, s.qr);
    int nW = 0;
    int failed = 0;
    if (turn) {
        double ddq[JV] = {};
        jointDiffVector(s, 1, N, qP, qs1, ddq);
        double dmax = 0;
        for (int i = 1; i <= N - 3; ++i) dmax = std::fmax(dmax, std::fabs(ddq[i]));
        const int nW0 = intPart(dmax / kWorkStep);
        nW = intPart(std::fabs(alpha) / kWorkStep);
        if (nW0 > nW) nW = nW0;
        if (nW < 1) nW = 1;
        for (int i = 1; i <= N; ++i) ddq[i] /= nW;
        const double dth = alpha / nW;
        tracef(s, "\n▽W9:qs1[]→qP[]間の分割数nW=%d(nW0=%d) 増分ddq[] dth=%6.4f/α=%6.4f", nW, nW0, dth, alpha);
        Vec3 d3;
        crossVec3(d1, d2, d3);
        tracef(s, "\n  ddq[]=");
        printVec(s, 1, N, ddq);
        tracef(s, "\n  d1[]=");
        printVec(s, 0, 2, d1.data());
        tracef(s, " d2[]=");
        printVec(s, 0, 2, d2.data());
        tracef(s, "\n  d3[]=");
        printVec(s, 0, 2, d3.data());
        tracef(s, "\n  CC[]=");
        printVec(s, 0, 2, CC.data());
        tracef(s, " RR=%6.3f α=%6.3f", RR, alpha);

        double qk[JV], qa[JV];
        copyJointVector(JV - 1, qs1, qk);
        for (int k = 1; k <= nW; ++k) {
            if (pathStopped(s)) break;
            for (int i = 1; i <= N; ++i) qk[i] = qs1[i] + k * ddq[i];
            tracef(s, "\n  qk1[]=");
            printVec(s, 1, N, qk);
            const double th = k * dth;
            Vec3 d;
            for (int i = 0; i < 3; ++i) d[i] = CC[i] + RR * (std::cos(th) * d1[i] + std::sin(th) * d2[i]);
            unitVec3(d, d);
            calJntMDir(s, qk, Nw, d, qk);
            double qc = 0;
            const int sgnL = clampJoint(s, N - 1, qk[N - 1], &qc);
            qk[N - 1] = qc;
            tracef(s, "\n  qk2[]=");
            printVec(s, 1, N, qk);
            tracef(s, "\ngetch()");
            waitKey(s);
            if (sgnL) tracef(s, "\n▽W14:k=%d/%d q[%d]限界に達した sgnL=%d", k, nW, N - 1, sgnL);
            int Mbad = 0, collType = 0;
            const int r = checkFarStep(s, Nw, qk, qa, Mbad, collType);
            if (r == kStepRepaired) tracef(s, "\n▽W14:k=%d/%d 干渉あり回避した CollType=%d", k, nW, collType);
            if (r < 0) {
                // A step that cannot be cleared is not taken; the motion ends with its code.
                failed = r;
                MColl = Mbad;
                break;
            }
            appendFarStep(s, qa);
            copyJointVector(JV - 1, s.qr, qk);
            tracef(s, "\n▽W15:ワーク kW=%d/%d 番目の運動の解 sgnCollAvoid=%d NPATH=%2d", k, nW, r, s.NPATH);
            printVec(s, 1, N, s.qr);
        }
    }
    if (failed == 0 && !pathStopped(s)) {
        // The final pose is the target with the work up (qs2 itself would turn the work back).
        double qa[JV];
        int Mbad = 0, collType = 0;
        const int r = checkFarStep(s, Nw, qP, qa, Mbad, collType);
        if (r < 0) {
            failed = r;
            MColl = Mbad;
        } else {
            appendFarStep(s, qa);
        }
        tracef(s, "\n▽W16:ワーク干渉回避後最終値qs2[]で干渉回避して終了 sgnCollAvoid=%d NPATH=%2d", r, s.NPATH);
    }
    copyJointVector(JV - 1, s.qr, qOut);
    if (failed < 0) return failed;
    MColl = 0;
    return jointDistance(1, N, s.qr, qs1) >= 0.0001 ? kMotionMoved : kMotionNone;
}
