#include "app/goal_keys.h"

#include "app/goal_entry.h"
#include "core/console.h"
#include "core/scene.h"
#include "goal/a_progress.h"
#include "model/vecops.h"
#include "model/wall_goal.h"

void goalCalculationKey(Scene& s, unsigned char) {
    if (s.sgnCAL == 'F') {
        s.sgnCAL = 'A';
        s.sgnARepeat = 0;
        return;
    }
    s.sgnBtoA = 0;
    if (s.sgnCAL == 'B' || s.sgnCAL == 'C') {
        s.sgnCAL = 'A';
        s.sgnBtoA = 1;
        s.sgnARepeat = 1;
        s.cntBTrial = 0;
        copyJointVector(JV - 1, s.qAfinal, s.qr);
        resetAProgress(s, false);
        redraw(s);
        return;
    }
    s.sgnCAL = 'A';
    s.sgnARepeat = 0;
    enterSetcalA(s);
    redraw(s);
}

void goalMoveKey(Scene& s, unsigned char key) {
    tracef(s, "\n最初の目標  rwp[]=(%6.3f %6.3f %6.3f)", s.rwp[0], s.rwp[1], s.rwp[2]);
    int axis = (key - '1') % 3;
    s.rwp[axis] += (key <= '3') ? 0.01 : -0.01;
    setWristGoal(s);
    s.sgnWrkAlpha = alphaSide(s, s.rwp.data());
    s.sgnAab = 'c';
    s.sgnARepeat = 0;
    resetAProgress(s, true);
    tracef(s, "\n変更した目標rwp[]=(%6.3f %6.3f %6.3f) sgnAab=%c", s.rwp[0], s.rwp[1], s.rwp[2], s.sgnAab);
    tracef(s, "\n厚壁位置    rh[] =(%6.3f %6.3f %6.3f) sgnARepeat=%d", s.rh[0], s.rh[1], s.rh[2], s.sgnARepeat);
    redraw(s);
}

void positioningKey(Scene& s, unsigned char) {
    enterCalAa(s);
    noteAProgress(s, 'a');
    redraw(s);
}

void slitPassKey(Scene& s, unsigned char) {
    enterCalAb(s);
    noteAProgress(s, 'b');
    redraw(s);
}

void nextCandidateKey(Scene& s, unsigned char) {
    s.sgnARepeat = 1;
    s.cntqs0 += 1;
    if (s.cntqs0 >= s.nqss0) s.cntqs0 = 0;
    if (s.nqss0 > 0) copyJointVector(JV - 1, s.qss0[s.cntqs0], s.qs);
    enterSetcalA(s);
    redraw(s);
}

void goalOtherKey(Scene& s, unsigned char) { redraw(s); }
