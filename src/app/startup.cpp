#include "app/startup.h"

#include "app/goal_entry.h"
#include "app/help_text.h"
#include "core/scene.h"
#include "model/catalogue.h"
#include "model/vecops.h"
#include "model/wall_goal.h"

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
    s.JColl = 0;
    s.rwG = Vec3{{2.35, 3.6, s.Hwork / 2}};
    s.rh = Vec3{{1.6, 2.3, 0.0}};
    s.rwp = s.rwG;
    s.sgnOBSTACLE = 1;
    s.sgnArmDir = 'L';
    s.ROBOTNUM[0] = digitChar(s.sgnROBOT[0]);
    s.ROBOTNUM[1] = digitChar(s.sgnROBOT[1]);
    setWristGoal(s);
    checkObstacleReach(s);
    s.sgnDrawAStart = s.sgnDrawInitial = 1;
    s.JColl = 0;
    s.sgnPATHEnd = 0;
    s.sgnSOLAEnd = 0;
    s.sgnT = s.sgnP = 1;
    s.sgnDrawAStart = s.sgnDrawInitial = 1;
    s.sgnARepeat = 0;
    s.cntqs0 = 0;
    s.sgnCAL = 'A';
    enterSetcalA(s);
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
