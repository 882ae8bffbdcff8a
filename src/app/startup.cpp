#include "app/startup.h"

#include <cmath>

#include "app/console.h"
#include "app/scene.h"
#include "goal/goal.h"
#include "model/catalogue.h"
#include "model/vecops.h"

void redraw(Scene& s) {
    if (s.redraw) s.redraw(s);
}

char alphaSide(const Scene& s, const double* p) {
    double x = s.nAlpha[0] * p[0] + s.nAlpha[1] * p[1] + s.nAlpha[2] * p[2];
    return std::fabs(x - s.rhx) < 1e-6 ? 'I' : 'O';
}

void setPlanarSlitDistance(Scene& s) {
    double dx = s.J[1][0] - s.rh[0], dy = s.J[1][1] - s.rh[1];
    s.dJ1rh = std::sqrt(dx * dx + dy * dy);
}

void setWallGeometry(Scene& s) {
    s.rhy = dotVec3(s.rh, s.nWall);
    s.rhy1 = s.rhy - s.Dwall / 2;
    s.rhy2 = s.rhy + s.Dwall / 2;
    s.rhx = dotVec3(s.rh, s.nAlpha);
    s.rhy1M = s.rhy1 - Margin;
    s.rhy1W = s.rhy1 - MarginW;
    s.rhy2M = s.rhy2 + Margin;
    s.rhy2W = s.rhy2 + MarginW;
    s.rhy1F = s.rhy1 - 2 * MarginW;
    setPlanarSlitDistance(s);
    s.sgnJ1Alpha = alphaSide(s, s.J[1].data());
}

void checkObstacleReach(Scene& s) {
    setWallGeometry(s);
    Vec3 d;
    subVec3(s.rh, s.Jstraight[1], d);
    s.dJ1rh = normVec3(d);
    s.Mpass = 10;
    double sum = 0;
    for (int i = 2; i <= s.N - 1; ++i) {
        sum += s.L[i + 1];
        if (s.dJ1rh <= sum) {
            s.Mpass = i;
            s.sgnOBSTACLE = 1;
            break;
        }
        s.sgnOBSTACLE = 0;
    }
    if (s.Mpass >= s.N - 3) s.sgnOBSTACLE = 0;
    s.sgnDrawAStart = s.sgnDrawInitial = 1;
    s.JColl = 0;
    if (s.sgnOBSTACLE == 0) tracef(s, "\nsgnOBSTACLE=%d 厚壁位置遠すぎる．設定し直し", 0);
}

void setWristGoal(Scene& s) {
    for (int k = 0; k < 3; ++k) s.wristp[k] = s.rwp[k] - s.Lw * s.EwG(k, 2);
}

void startUp(Scene& s) {
    s.qLimit = 2.8797932658;
    s.qLimitWrist = 2.3561944902;
    for (double& z : s.qZero) z = 0;
    s.N = 8;
    s.Nw = 9;
    for (int i = 0; i < JV; ++i) s.qInit[i] = 0;
    s.EwH = identityMat3();
    s.EwG = Mat3{{1, 0, 0, 0, -1, 0, 0, 0, -1}};
    s.sgnROBOT[0] = 2;
    s.sgnROBOT[1] = 1;
    s.sgnROBOT[2] = 0;
    s.robotnum[5] = '2';
    s.robotnum[6] = '1';
    setRobotType(s, s.sgnROBOT);
    s.rwG = Vec3{{2.35, 3.6, s.Hwork / 2}};
    s.rh = Vec3{{1.6, 2.3, 0.0}};
    s.rwp = s.rwG;
    s.sgnOBSTACLE = 1;
    s.sgnArmDir = 'L';
    s.ROBOTNUM[0] = digitChar(s.sgnROBOT[0]);
    s.ROBOTNUM[1] = digitChar(s.sgnROBOT[1]);
    setWristGoal(s);
    checkObstacleReach(s);
    s.sgnPATHEnd = 0;
    s.sgnSOLAEnd = 0;
    s.sgnT = s.sgnP = 1;
    s.sgnDrawAStart = s.sgnDrawInitial = 1;
    s.sgnARepeat = 0;
    s.cntqs0 = 0;
    s.sgnCAL = 'A';
    setcalA(s);
    s.sgnAab = 'a';
    s.viewRot[0] = s.viewRot[1] = s.viewRot[2] = 2.0;
    s.viewShift[0] = -1.0;
    s.viewShift[1] = -1.0;
    s.viewShift[2] = -2.0;
    printHelp(s);
    s.sgnBtoA = 0;
    s.sgnSTART = 0;
}

void resetAll(Scene& s) {
    s.sgnSTART = 0;
    s.sgnCAL = '0';
    s.sgnPATHEnd = 0;
    s.sgnSOLAEnd = 0;
    s.sgnT = s.sgnP = 1;
    s.cntRBT = 0;
    s.sgnDrawAStart = 0;
    s.nqss0 = 0;
    copyJointVector(JV - 1, s.qInit, s.qr);
    s.JColl = 0;
}

void spinStep(Scene& s) {
    if (s.sgnSpin != 1) return;
    int k = s.spinJoint;
    if (k < 1 || k > s.N) {
        s.sgnSpin = 0;
        return;
    }
    s.qr[k] += 0.031415926536;
    if (s.qr[k] > s.qSpinSave + 6.2831853072) {
        s.qr[k] = s.qSpinSave;
        s.sgnSpin = 0;
    }
}
