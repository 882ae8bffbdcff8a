#include "app/robot_choice.h"

#include "app/goal_entry.h"
#include "core/console.h"
#include "core/scene.h"
#include "model/catalogue.h"
#include "model/vecops.h"

void RBTCHOICE1(Scene& s, char key) {
    if (s.cntRBT == 0 && !(key >= '1' && key <= '4')) return;
    if (s.cntRBT == 1 && !(key >= '1' && key <= '2')) return;
    if (s.cntRBT != 0 && s.cntRBT != 1) return;
    const int k = s.cntRBT;
    s.robotnum[5 + k] = key;
    s.ROBOTNUM[k] = key;
    s.sgnROBOT[k] = charToNum(key);
    tracef(s, "\nRBTCHOICE1() cntRBT=%d key=%c", s.cntRBT, key);
    if (k == 0) {
        s.cntRBT = 1;
    } else {
        s.sgnROBOT[2] = 0;
        tracef(s, "\nRBTCHOICE1() 選択したロボットタイプF%d%d", s.sgnROBOT[0], s.sgnROBOT[1]);
        if (s.sgnSTART == 0) {
            setRobotDefaults(s, s.sgnROBOT);
            s.JColl = 0;
            s.sgnSTART = 1;
        } else {
            setRobotType(s, s.sgnROBOT);
            s.JColl = 0;
        }
        copyJointVector(JV - 1, s.qInit, s.qr);
        tracef(s, "\n\n//--------------ロボットの変更-------------------------//");
        printRobotInfo(s);
        s.sgnCAL = 'A';
        s.sgnARepeat = 0;
        enterSetcalA(s);
        s.sgnDrawInitial = s.sgnDrawAStart = 1;
        s.sgnPATHEnd = 0;
        s.sgnSOLAEnd = 0;
        s.sgnT = s.sgnP = 1;
    }
    s.JColl = 0;
}

void startRobotChoice(Scene& s) {
    s.sgnPATHEnd = 0;
    s.sgnSOLAEnd = 0;
    s.sgnT = s.sgnP = 1;
    s.sgnDrawInitial = s.sgnDrawAStart = 0;
    s.nqss0 = 0;
    s.sgnROBOT[2] = 1;
    s.ROBOTNUM[0] = s.ROBOTNUM[1] = ' ';
    s.cntRBT = 0;
    copyJointVector(JV - 1, s.qInit, s.qr);
}
