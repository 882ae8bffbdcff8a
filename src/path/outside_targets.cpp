// Targets of the far joints: where the link of joint M should point (RP pair: up; PP pair: the
// turn of the joint before it), and the correction of a target that hits the floor or saturates.
#include "path/outside_targets.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "collide/interference.h"
#include "collide/joint_circle.h"
#include "model/angles.h"
#include "model/joints.h"
#include "model/kinematics.h"
#include "model/vecops.h"
#include "path/link_direction.h"
#include "path/outside_step.h"
#include "path/path_clearance.h"
#include "path/wall_sides.h"

namespace {

constexpr double kDeg = 57.2957795;

// Height of J[M] of q with q[MF] = qMF.
double heightAt(Scene& s, const double* q, int MF, double qMF, int M) {
    double t[JV];
    copyJointVector(JV - 1, q, t);
    t[MF] = qMF;
    forwardKinematics(s, t);
    return s.J[M][2];
}

// The floor lift of direction eG: height component c (the link end just above the floor margin),
// the horizontal part scaled to keep a unit vector; into e and eOut. With c > 1 no direction
// reaches above the margin: e = +z serves the angle test and eOut stays as it is.
void liftedDirection(const Vec3& eG, double c, Vec3& e, Vec3& eOut) {
    if (c > 1) {
        e = Vec3{{0, 0, 1}};
        return;
    }
    const double cc = c < -1 ? -1 : c;
    double hx = eG[0], hy = eG[1];
    double hn = std::sqrt(hx * hx + hy * hy);
    if (hn < 1e-9) {  // straight down: lift towards the far side, away from the wall
        hx = 0;
        hy = 1;
        hn = 1;
    }
    const double sc = std::sqrt(std::fmax(0.0, 1 - cc * cc)) / hn;
    e = Vec3{{hx * sc, hy * sc, cc}};
    eOut = e;
}

// Of the two directions on the cone of half-angle limit about mf (the link of joint MF), in the
// plane that joint MF turns in (normal: its axis ax), the one nearer eNow in |projection|, or,
// when both are as near within tolFine, the one nearer eG.
Vec3 limitDirection(const Vec3& ax, const Vec3& mf, double limit, const Vec3& eNow, const Vec3& eG) {
    Vec3 side;
    crossVec3(ax, mf, side);
    if (normVec3(side) < 1e-9) {  // axis along the link: any normal of the link serves
        Vec3 t = std::fabs(mf[0]) < 0.9 ? Vec3{{1, 0, 0}} : Vec3{{0, 1, 0}};
        crossVec3(mf, t, side);
    }
    unitVec3(side, side);
    Vec3 d[2];
    for (int k = 0; k < 3; ++k) {
        d[0][k] = std::cos(limit) * mf[k] + std::sin(limit) * side[k];
        d[1][k] = std::cos(limit) * mf[k] - std::sin(limit) * side[k];
    }
    const double p0 = std::fabs(dotVec3(d[0], eNow)), p1 = std::fabs(dotVec3(d[1], eNow));
    int pick = p0 >= p1 ? 0 : 1;
    if (std::fabs(p0 - p1) < tolFine) pick = std::fabs(dotVec3(d[0], eG)) >= std::fabs(dotVec3(d[1], eG)) ? 0 : 1;
    return d[pick];
}

}  // namespace

int WOutChangeArmDir(Scene& s, int Mw, int M, const double* q, const Vec3& eNow, const Vec3& eG, Vec3& eOut) {
    (void)Mw;
    eOut = eG;
    if (M < 2 || M > s.Nw) return 0;
    int result = 0;
    forwardKinematics(s, q);
    int MF = M - 1;
    double LMF = s.L[M];
    if (s.JRTYPE[M - 1] == 'R') {
        MF = M - 2;
        LMF += s.L[M - 1];
    }
    if (MF < 1) return 0;
    traceVec(s, 1, s.N, q, "\n＃＃========WOutChangeArmDir()始め M=%d MF=%d LMF=%6.3f==========＃＃", M, MF, LMF);
    tracef(s, "\n＃目標方向eG[]=(%6.3f %6.3f %6.3f) mm[MF]=(%6.3f %6.3f %6.3f)", eG[0], eG[1], eG[2], s.mm[MF][0],
           s.mm[MF][1], s.mm[MF][2]);
    const double m = M == s.Nw ? MarginW : Margin;
    const double limit = M >= s.Nw ? s.qLimitWrist : s.qLimit;
    const Vec3 JMF = s.J[MF];
    Vec3 P;
    for (int k = 0; k < 3; ++k) P[k] = JMF[k] + LMF * eG[k];
    const double bf = JntFloorDist(s, M, P);
    // A full fold-back (product -1 or below) is pi, not 0.
    const double phi = std::acos(clampUnit(dotVec3(s.mm[MF], eG)));
    tracef(s, "\n＃変更前の目標方向の床余裕bf=%6.3f アーム間角φM=q[MF]=(%6.1f/%6.1f)°", bf, phi * kDeg, limit * kDeg);
    if (bf <= -tolFine || std::fabs(phi) > limit) {
        if (bf <= -tolFine) tracef(s, "\n  床干渉→目標方向変更する");
        if (std::fabs(phi) > limit) tracef(s, "\n  ｑ[MF]飽和→目標方向変更する");
    } else {
        tracef(s, "\n  床自己干渉なし→干渉によるq[]の変化なし");
    }
    if (bf >= 0 && std::fabs(phi) < limit) return 0;

    Vec3 e = eG;
    if (bf < 0 && LMF > 1e-9) liftedDirection(eG, (m + tolFine - JMF[2]) / LMF, e, eOut);
    double qt[JV], qc[JV];
    calJntMDir(s, q, M, eOut, qt);
    double bw = 0, bf2 = 0, bs = 0;
    const int r = phaseCollAvoid(s, 'O', M, qt, bw, bf2, bs, qc);
    if (r < 0) {
        eOut = eG;
        return r;
    }
    forwardKinematics(s, qc);
    const Vec3 mf = s.mm[MF];
    if (std::acos(clampUnit(dotVec3(mf, e))) >= limit) {
        eOut = limitDirection(colMat3(s.EA[MF], 2), mf, limit, eNow, eG);
        return 1;
    }
    eOut = e;
    Vec3 de;
    subVec3(eOut, eG, de);
    result = (normVec3(de) > 1e-9 || jointDistance(1, s.N, qc, q) > 1e-9) ? 1 : 0;
    return result;
}

namespace {

// Joint M cannot move while the joint MF that turns it lies before the far side (MF < Mw), unless
// joint Mw-1 lies on the alpha-plane turning about x (kinematics of the pose in the Scene).
bool blockedBeforeFarSide(Scene& s, int Mw, int MF) {
    if (MF >= Mw) return false;
    bool ok = false;
    if (Mw - 1 >= 1 && Mw - 1 <= s.N) {
        const Vec3 ax = colMat3(s.EA[Mw - 1], 2);
        ok = std::fabs(dotVec3(s.J[Mw - 1], s.nAlpha) - s.rhx) <= 1e-6 && std::fabs(ax[1]) + std::fabs(ax[2]) <= 1e-6;
    }
    if (!ok) tracef(s, "\n  MF=%d<MW=%d J[MF]はα面にない→J[M]は動けない", MF, Mw);
    return !ok;
}

// R-P pair before M: the link stands up in one go (eG = +z on entry), unless the floor or the
// joint limit forbid; WOutChangeArmDir then corrects eG. qP realises eG. Returns the letter.
char rpTarget(Scene& s, int Mw, int M, int M0, int MF, double Lsum, double m, const double* qs2, double zM, Vec3& eG,
              double* qP) {
    const int N = s.N;
    char sgnWOMotion = 'L';
    tracef(s, "\n  J[M]の前はRP関節：一気運動可能");
    Vec3 P;
    for (int k = 0; k < 3; ++k) P[k] = s.J[MF][k] + Lsum * eG[k];
    if (P[1] - s.rhy2 - m < 0 || P[2] - m > 0) {
        Vec3 eOut;
        const int r = WOutChangeArmDir(s, Mw, M, qs2, s.mm[M], eG, eOut);
        eG = eOut;
        sgnWOMotion = r < 0 ? 'S' : 'L';
    }
    calJntMDir(s, qs2, M, eG, qP);
    traceVec(s, 0, 2, eG.data(), "\n●RPE:============RP関節の目標解：M=%d M0=%d sgnWOMotion=%c===============●", M, M0,
             sgnWOMotion);
    printVec(s, 1, N, qP);
    printVec(s, 1, N, qs2);
    forwardKinematics(s, qP);
    printVec(s, 0, 2, s.mm[M].data());
    tracef(s, " J[M]z=%6.3f zM=%6.3f" "\n●●==========Target4() RP関節：M=%d end==============================●●"
              "\n●Egetch()", s.J[M][2], zM, M);
    waitKey(s);
    return sgnWOMotion;
}

// P-P pair before M: the target of the joint MF that carries J[M] on its circle (the top of the
// circle in the special case of an axis along x within the wall, else 0), kept at qs2[MF] when
// J[M] would end lower than zM; eG the link direction there, qP the pose. 'S' when the sweep
// to the target meets an interference, else 'L'.
char ppTarget(Scene& s, int M, int M0, int MF, const double* qs2, double zM, Vec3& eG, double* qP) {
    const int N = s.N;
    int MFc = 0;
    Vec3 C, u, v, a;
    double R = 0;
    JntMCircle(s, M, qs2, MFc, C, u, v, a, R);
    if (MFc >= 1 && MFc <= N) MF = MFc;
    int Mp = 0, Mw2 = 0;
    classifyWallSides(s, qs2, Mp, Mw2);
    double target;
    if (Mp <= MF && MF <= Mw2 && std::fabs(a[1]) + std::fabs(a[2]) < 1e-6) {
        tracef(s, "\n●Mp=%d MF=%d Mw=%d J[MF]軸はehx[]向き→特殊ケースへ", Mp, MF, Mw2);
        const double th = std::atan2(v[2], u[2]);
        target = wrapPassesClosed(qs2[MF] + th, 3);
        eG = Vec3{{0, 0, 1}};
        traceVec(s, 0, 2, eG.data(), "\n●PPSpecCse:qMF=%6.3f eP[]=", target);
    } else {
        target = 0;
        const double h = heightAt(s, qs2, MF, 0.0, M);
        eG = s.mm[M];
        tracef(s, "\n●PPNormal1:qMF=%6.3f JMH0=%6.3f qMF=0のJ[M]高さ=%6.3f", target, zM, h);
    }
    double tc = target;
    clampJoint(s, MF, target, &tc);
    target = tc;
    // The height test comes first so that the sweep check judges the target actually used.
    if (heightAt(s, qs2, MF, target, M) < zM) {
        tracef(s, "\n  目標の頭低い→元のqs[MF]を目標とする");
        target = qs2[MF];
        forwardKinematics(s, qs2);
        eG = s.mm[M];
    }
    qP[MF] = target;
    int sgnColl = 0;
    JntMCircleCollCheck(s, 'O', M, MF, qs2, target, C, u, v, a, R, sgnColl);
    traceVec(s, 1, N, qs2, "\n●PPCollCheck後:M=%d qMF=%6.3f sgnColl=%d", M, target, sgnColl);
    printVec(s, 1, N, qP);
    printVec(s, 0, 2, eG.data());
    if (sgnColl < 0) tracef(s, "\n →1ステップ運動．目標探索終了");
    const char sgnWOMotion = sgnColl < 0 ? 'S' : 'L';
    const double zT = heightAt(s, qs2, MF, target, M);
    tracef(s, "\n●E:============PP関節目標の解：M=%d M0=%d qMF=%6.3f sgnWOMotion=%c============●", M, M0, target,
           sgnWOMotion);
    printVec(s, 1, N, qP);
    printVec(s, 1, N, qs2);
    tracef(s, "\n  前回高さJMH0=%6.3f 目標高さJ[M]z=%6.3f" "%s"
              "\n●●==========Target4() PP関節：M=%d end=================================●●" "\n●getch()E",
           zM, zT, sgnWOMotion == 'L' ? "\n→一気運動" : "\n→1ステップ運動", M);
    waitKey(s);
    return sgnWOMotion;
}

}  // namespace

char calWOutJntMTarget4(Scene& s, int Mw, int M, const double* qs2In, double zM, Vec3& eG, double* qP) {
    const int Nw = s.Nw;
    double qs2[JV];
    copyJointVector(JV - 1, qs2In, qs2);
    eG = Vec3{{0, 0, 1}};
    copyJointVector(JV - 1, qs2, qP);
    if (M < 2 || M > Nw) return 'N';
    int M0 = M;
    for (int t = 0; t < 2 && M0 > 1 && s.L[M0] < tolFine; ++t) --M0;
    int MF = M0 - 1;
    if (MF >= 1 && s.JRTYPE[MF] == 'R') MF = M0 - 2;
    if (MF < 1) return 'N';
    const double m = M >= Nw ? MarginW : Margin;
    double Lsum = s.L[MF + 1];
    if (s.JRTYPE[MF + 1] == 'R' && MF + 2 <= Nw) Lsum += s.L[MF + 2];
    forwardKinematics(s, qs2);
    tracef(s, "\n●●=======calWOutJntMTarget4() M=%d M0=%d MF=%d J[ME,MF]=[%c %c]======●●", M, M0, MF,
           jointTypeOf(s, MF + 1), jointTypeOf(s, MF));
    if (blockedBeforeFarSide(s, Mw, MF)) {
        eG = Vec3{{0, 1, 0}};
        return 'N';
    }
    if (MF - 1 >= 1 && s.JRTYPE[MF - 1] == 'R') return rpTarget(s, Mw, M, M0, MF, Lsum, m, qs2, zM, eG, qP);
    return ppTarget(s, M, M0, MF, qs2, zM, eG, qP);
}
