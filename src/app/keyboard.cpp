#include "app/keyboard.h"

#include "app/plan_solve.h"
#include "app/robot_choice.h"
#include "app/startup.h"
#include "core/console.h"
#include "core/scene.h"
#include "goal/a_progress.h"
#include "goal/slit_passing.h"
#include "goal/start_pose.h"
#include "goal/work_positioning.h"
#include "model/vecops.h"
#include "model/wall_goal.h"
#include "path/path_driver.h"
#include "path/path_record.h"
#include "path/shorten.h"

namespace {

// View keys: rotation by 1 degree, translation by 0.1; each stops a running spin.
bool viewKey(Scene& s, unsigned char key) {
    static const char kKeys[] = "PpQqRrXxYyZz";
    for (int k = 0; k < 12; ++k) {
        if (key != static_cast<unsigned char>(kKeys[k])) continue;
        int axis = (k / 2) % 3;
        double sign = (k % 2 == 0) ? 1.0 : -1.0;
        if (k < 6)
            s.viewRot[axis] += sign * 1.0;
        else
            s.viewShift[axis] += sign * 0.1;
        s.sgnSpin = 0;
        redraw(s);
        return true;
    }
    return false;
}

// '!' '"' '#' '$' '%' '&' spin joints 1..6 through one full turn.
bool spinKey(Scene& s, unsigned char key) {
    if (key < '!' || key > '&') return false;
    int k = key - '!' + 1;
    s.spinJoint = k;
    s.qSpinSave = s.qr[k];
    s.sgnSpin = 1;
    spinStep(s);
    s.qr[k] = s.qSpinSave;
    redraw(s);
    return true;
}

void keyO(Scene& s) {
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

void keyA(Scene& s) {
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
    setcalA(s);
    redraw(s);
}

// A mode: keys 1..6 move the goal by 0.01 (no calculation runs).
void moveGoal(Scene& s, unsigned char key) {
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

// A mode: SP takes the next start pose candidate (none to take when the search found none).
void nextCandidate(Scene& s) {
    s.sgnARepeat = 1;
    s.cntqs0 += 1;
    if (s.cntqs0 >= s.nqss0) s.cntqs0 = 0;
    if (s.nqss0 > 0) copyJointVector(JV - 1, s.qss0[s.cntqs0], s.qs);
    setcalA(s);
    redraw(s);
}

void modeA(Scene& s, unsigned char key) {
    if (key >= '1' && key <= '6') {
        moveGoal(s, key);
    } else if (key == 'a') {
        calAa(s);
        noteAProgress(s, 'a');
        redraw(s);
    } else if (key == 'b') {
        calAb(s);
        noteAProgress(s, 'b');
        redraw(s);
    } else if (key == ' ') {
        nextCandidate(s);
    } else {
        redraw(s);
    }
}

// O mode: keys 1..6 move the slit base point by 0.01; every key re-derives the wall.
void modeO(Scene& s, unsigned char key) {
    tracef(s, "\n隙間変更 sgnCAL=%c sgnAab=%c", s.sgnCAL, s.sgnAab);
    tracef(s, "\n変更前 rh[]=(%6.3f %6.3f %6.3f)", s.rh[0], s.rh[1], s.rh[2]);
    if (key >= '1' && key <= '6') {
        int axis = (key - '1') % 3;
        s.rh[axis] += (key <= '3') ? 0.01 : -0.01;
        tracef(s, "\n    → rh[]=(%6.3f %6.3f %6.3f)", s.rh[0], s.rh[1], s.rh[2]);
        tracef(s, "\n目標  rwp[]=(%6.3f %6.3f %6.3f)", s.rwp[0], s.rwp[1], s.rwp[2]);
        s.NPATHth = 0;
        s.NPATH = 0;
        clearShortMotion(s);
        s.sgnNMAX = 'U';
        s.sgnGateStop = 0;
        s.gateRefusals = 0;
        // The record is empty: indices into it restart, nothing is left to resume or to play.
        s.nBACK = 0;
        s.nMOVE = 0;
        s.sgnPATHEnd = 0;
        s.sgnBResume = 0;
    }
    copyJointVector(JV - 1, s.qr, s.qs);
    checkObstacleReach(s);
    s.sgnWrkAlpha = alphaSide(s, s.rwp.data());
    s.sgnJ1Alpha = alphaSide(s, s.J[1].data());
    redraw(s);
}

// 's' of the B-calculation (B mode, and C mode while the path is not complete): back to the
// goal calculation when the final pose is not usable, nothing while the calculation is
// stopped, else the next step of the current phase.
void continueB(Scene& s) {
    s.nBACK = 0;
    if (s.sgnSOLAEnd < 1) {
        s.sgnCAL = 'A';
        copyJointVector(JV - 1, s.qAfinal, s.qr);
        calAa(s);
        redraw(s);
        return;
    }
    if (s.sgnMColl <= 0) {
        redraw(s);
        return;
    }
    runBPhase(s);
    redraw(s);
}

// B mode: 'S' and 's' review the rows of the record; 's' at the newest row runs the next step.
void modeB(Scene& s, unsigned char key) {
    if (key == 'S') {
        if (s.nBACK < s.NPATH) s.nBACK += 1;
        if (s.nBACK > s.NPATH) s.nBACK = s.NPATH;
        copyJointVector(JV - 1, s.qIPATH[s.NPATH - s.nBACK], s.qr);
        redraw(s);
    } else if (key == 's' && s.nBACK > 1) {
        s.nBACK -= 1;
        if (s.nBACK > s.NPATH) s.nBACK = s.NPATH;
        copyJointVector(JV - 1, s.qIPATH[s.NPATH - s.nBACK], s.qr);
        redraw(s);
    } else if (key == 's') {
        continueB(s);
    } else if (s.sgnSOLAEnd < 1) {
        s.sgnCAL = 'A';
        copyJointVector(JV - 1, s.qAfinal, s.qr);
        calAa(s);
        redraw(s);
    }
}

// C mode: 's' continues the B-calculation while the path is incomplete (the forward path is
// converted again once it completes); on a complete path 's' and 'S' step along it.
void modeC(Scene& s, unsigned char key) {
    if (key != 's' && key != 'S') return;
    if (s.sgnPATHEnd == 0) {
        if (key == 's') {
            continueB(s);
            if (s.sgnPATHEnd == 1) {
                calCMOTION(s);
                redraw(s);
            }
        }
        return;
    }
    s.dirMOVE = (key == 's') ? 1 : -1;
    if (s.sgnPlayShort) stepShortMotion(s);
    else stepMotion(s);
    redraw(s);
}

// 'N': the automatic solve with its fallbacks on the current scene (the A and B keys first,
// then the numeric final pose and the planner); a complete path is left converted by 'C', ready
// to be played with 's'.
void keyN(Scene& s) {
    SolvePlan plan;
    plan.method = SolveMethod::Auto;
    plan.planSeconds = s.autoPlanSeconds;
    plan.numericMs = s.autoNumericMs;
    tracef(s, "\n〓〓自動解法('N'): A,Bのキー→数値解の最終ポーズ→経路探索〓〓");
    const SolveResult r = solveScene(s, plan);
    if (!r.complete) {
        s.sgnAutoSolve = -1;
        tracef(s, "\n〓〓自動解法('N'): 経路なし: %s (%.1fms)", r.stop, r.millis);
    } else {
        s.sgnAutoSolve = r.pathBy[0] == 'B' ? 1 : r.poseBy[0] == 'n' ? 3 : 2;
        tracef(s, "\n〓〓自動解法('N'): 最終ポーズ %s, 経路 %s, NPATH=%d (%.1fms)", r.poseBy, r.pathBy, s.NPATH, r.millis);
    }
    redraw(s);
}

}  // namespace

void keyboard(Scene& s, unsigned char key) {
    s.keyLast = static_cast<char>(key);
    if (key == 27) {
        s.quit = true;
        return;
    }
    if (viewKey(s, key) || spinKey(s, key)) return;
    // The outcome of 'N' stays on the status lines while its path is played.
    if (key != 'N' && key != 'C' && key != 's' && key != 'S') s.sgnAutoSolve = 0;
    switch (key) {
        case 'N':
            keyN(s);
            return;
        case '0':
            resetAll(s);
            redraw(s);
            return;
        case 'F':
            s.sgnCAL = 'F';
            startRobotChoice(s);
            redraw(s);
            return;
        case 'G':
            s.sgnCAL = 'G';
            s.sgnDrawInitial = 1;
            redraw(s);
            return;
        case 'O':
            keyO(s);
            return;
        case 'A':
            keyA(s);
            return;
        case 'B':
            s.sgnCAL = 'B';
            calBPREP(s);
            redraw(s);
            return;
        case 'C':
            s.sgnCAL = 'C';
            s.sgnPlayShort = 0;
            calCMOTION(s);
            redraw(s);
            return;
        case 'H':
            // The shortened motion, beside the forward path of 'C'.
            if (!startShortMotion(s)) tracef(s, "\n短縮運動:経路が完成していない→'B','s'で経路を完成させる");
            redraw(s);
            return;
        default:
            break;
    }
    switch (s.sgnCAL) {
        case 'F':
            RBTCHOICE1(s, static_cast<char>(key));
            redraw(s);
            return;
        case 'O':
            modeO(s, key);
            return;
        case 'A':
            modeA(s, key);
            return;
        case 'B':
            modeB(s, key);
            return;
        case 'C':
            modeC(s, key);
            return;
        default:
            return;  // 'G' and '0': nothing
    }
}
