#include "app/setting_keys.h"

#include "app/robot_choice.h"
#include "app/startup.h"
#include "core/console.h"
#include "core/scene.h"
#include "model/vecops.h"
#include "model/wall_goal.h"
#include "path/record_reset.h"

namespace {

// Every key of O mode first prints the slit as it is.
void traceSlit(Scene& s) {
    tracef(s, "\n隙間変更 sgnCAL=%c sgnAab=%c", s.sgnCAL, s.sgnAab);
    tracef(s, "\n変更前 rh[]=(%6.3f %6.3f %6.3f)", s.rh[0], s.rh[1], s.rh[2]);
}

// And last derives the wall's reach and the alpha sides again for the current pose.
void rederiveWall(Scene& s) {
    copyJointVector(JV - 1, s.qr, s.qs);
    checkObstacleReach(s);
    // The wall moved: both start poses are drawn again and no joint is marked as colliding.
    s.sgnDrawAStart = s.sgnDrawInitial = 1;
    s.JColl = 0;
    s.sgnWrkAlpha = alphaSide(s, s.rwp.data());
    s.sgnJ1Alpha = alphaSide(s, s.J[1].data());
    redraw(s);
}

}  // namespace

void resetKey(Scene& s, unsigned char) {
    resetAll(s);
    redraw(s);
}

void robotChoiceKey(Scene& s, unsigned char) {
    s.sgnCAL = 'F';
    startRobotChoice(s);
    redraw(s);
}

void robotDigitKey(Scene& s, unsigned char key) {
    RBTCHOICE1(s, static_cast<char>(key));
    redraw(s);
}

void goalSettingKey(Scene& s, unsigned char) {
    s.sgnCAL = 'G';
    s.sgnDrawInitial = 1;
    redraw(s);
}

void slitSettingKey(Scene& s, unsigned char) {
    if (s.sgnCAL == 'A') {
        s.sgnAtoO = 1;
        s.sgnAabSave = s.sgnAab;
        s.sgnAbStep = 0;
        s.sgnAaStep = 0;
    }
    if (s.sgnCAL == 'B') {
        s.sgnBResume = 1;
        s.sgnPATHSave = s.sgnPATH;
        if (s.sgnMColl > 1) s.sgnMColl -= 1;
    }
    s.sgnCAL = 'O';
    s.sgnDrawInitial = 1;
    redraw(s);
}

void slitMoveKey(Scene& s, unsigned char key) {
    traceSlit(s);
    int axis = (key - '1') % 3;
    s.rh[axis] += (key <= '3') ? 0.01 : -0.01;
    tracef(s, "\n    → rh[]=(%6.3f %6.3f %6.3f)", s.rh[0], s.rh[1], s.rh[2]);
    tracef(s, "\n目標  rwp[]=(%6.3f %6.3f %6.3f)", s.rwp[0], s.rwp[1], s.rwp[2]);
    // The path was made for the old wall: nothing is left to review, resume or play.
    emptyPathRecord(s);
    rederiveWall(s);
}

void slitOtherKey(Scene& s, unsigned char) {
    traceSlit(s);
    rederiveWall(s);
}
