#include "app/path_keys.h"

#include "app/goal_entry.h"
#include "core/console.h"
#include "core/scene.h"
#include "model/vecops.h"
#include "path/path_driver.h"
#include "path/path_record.h"
#include "path/shorten.h"

namespace {

// Back to the goal calculation from the final pose (it is not usable for a path).
void backToGoal(Scene& s) {
    s.sgnCAL = 'A';
    copyJointVector(JV - 1, s.qAfinal, s.qr);
    enterCalAa(s);
    redraw(s);
}

// 's' of the B-calculation (B mode, and C mode while the path is not complete): back to the
// goal calculation when the final pose is not usable, nothing while the calculation is
// stopped, else the next step of the current phase.
void continueB(Scene& s) {
    s.nBACK = 0;
    if (s.sgnSOLAEnd < 1) {
        backToGoal(s);
        return;
    }
    if (s.sgnMColl <= 0) {
        redraw(s);
        return;
    }
    runBPhase(s);
    redraw(s);
}

// On a complete path, one step of the motion in the direction dirMOVE.
void playStep(Scene& s, int dir) {
    s.dirMOVE = dir;
    if (s.sgnPlayShort) stepShortMotion(s);
    else stepMotion(s);
    redraw(s);
}

}  // namespace

void pathGenerationKey(Scene& s, unsigned char) {
    s.sgnCAL = 'B';
    calBPREP(s);
    redraw(s);
}

void pathMotionKey(Scene& s, unsigned char) {
    s.sgnCAL = 'C';
    s.sgnPlayShort = 0;
    calCMOTION(s);
    redraw(s);
}

void shortMotionKey(Scene& s, unsigned char) {
    if (!startShortMotion(s)) tracef(s, "\n短縮運動:経路が完成していない→'B','s'で経路を完成させる");
    redraw(s);
}

void pathStepKey(Scene& s, unsigned char) {
    if (s.nBACK <= 1) {
        continueB(s);
        return;
    }
    s.nBACK -= 1;
    if (s.nBACK > s.NPATH) s.nBACK = s.NPATH;
    copyJointVector(JV - 1, s.qIPATH[s.NPATH - s.nBACK], s.qr);
    redraw(s);
}

void reviewBackKey(Scene& s, unsigned char) {
    if (s.nBACK < s.NPATH) s.nBACK += 1;
    if (s.nBACK > s.NPATH) s.nBACK = s.NPATH;
    copyJointVector(JV - 1, s.qIPATH[s.NPATH - s.nBACK], s.qr);
    redraw(s);
}

void pathOtherKey(Scene& s, unsigned char) {
    if (s.sgnSOLAEnd < 1) backToGoal(s);
}

// The forward path is converted again once the generation completes.
void playForwardKey(Scene& s, unsigned char) {
    if (s.sgnPATHEnd != 0) {
        playStep(s, 1);
        return;
    }
    continueB(s);
    if (s.sgnPATHEnd == 1) {
        calCMOTION(s);
        redraw(s);
    }
}

void playBackKey(Scene& s, unsigned char) {
    if (s.sgnPATHEnd != 0) playStep(s, -1);
}
