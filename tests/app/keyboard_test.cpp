// Key rows of the dispatcher that need no calculation: view, spin, reset, modes, slit moves.
#include <gtest/gtest.h>

#include <string>

#include "app/keyboard.h"
#include "app/startup.h"
#include "support/test_scene.h"

namespace {
int redraws = 0;
void countRedraw(Scene&) { ++redraws; }
}  // namespace

TEST(Keyboard, ViewKeysStepAndStopTheSpin) {
    auto s = makeScene();
    s->redraw = countRedraw;
    redraws = 0;
    const char* keys = "PpQqRrXxYyZz";
    for (int k = 0; k < 12; ++k) {
        s->sgnSpin = 1;
        keyboard(*s, static_cast<unsigned char>(keys[k]));
        EXPECT_EQ(s->sgnSpin, 0);
    }
    EXPECT_EQ(redraws, 12);
    for (unsigned char k : {'P', 'P', 'q', 'Z'}) keyboard(*s, k);
    EXPECT_EQ(s->viewRot[0], 4.0);
    EXPECT_EQ(s->viewRot[1], 1.0);
    EXPECT_EQ(s->viewRot[2], 2.0);
    EXPECT_EQ(s->keyLast, 'Z');
    EXPECT_NEAR(s->viewShift[2], -1.9, 1e-12);
    EXPECT_NEAR(s->viewShift[0], -1.0, 1e-12);
}

TEST(Keyboard, SpinTurnsOnceAndEndsAtTheSavedAngle) {
    auto s = makeScene();
    s->qr[3] = 2.8;  // a 'P' joint close to its limit: the spin ignores limits
    keyboard(*s, '#');
    EXPECT_EQ(s->spinJoint, 3);
    EXPECT_EQ(s->sgnSpin, 1);
    EXPECT_EQ(s->qr[3], 2.8);  // the key puts the saved angle back
    int frames = 0;
    double highest = s->qr[3];
    while (s->sgnSpin == 1 && frames < 1000) {
        spinStep(*s);
        if (s->qr[3] > highest) highest = s->qr[3];
        ++frames;
    }
    // pi/100 per frame: one turn is 200 steps, the 200th or 201st (rounding) ends it.
    EXPECT_GE(frames, 200) << frames;
    EXPECT_LE(frames, 201) << frames;
    EXPECT_GT(highest, 2.8 + 6.2) << frames;
    EXPECT_EQ(s->qr[3], 2.8) << frames;
    // 'P' during a spin stops it where it is.
    const double q1 = s->qr[1];
    keyboard(*s, '!');
    for (int i = 0; i < 10; ++i) spinStep(*s);
    keyboard(*s, 'P');
    EXPECT_EQ(s->sgnSpin, 0);
    EXPECT_NEAR(s->qr[1], q1 + 10 * 0.031415926536, 1e-12);
}

TEST(Keyboard, ResetAndGoalModes) {
    auto s = makeScene();
    s->qr[2] = 0.5;
    s->nqss0 = 3;
    s->sgnSOLAEnd = 1;
    keyboard(*s, '0');
    EXPECT_EQ(s->sgnCAL, '0');
    EXPECT_EQ(s->qr[2], 0.0);
    EXPECT_EQ(s->nqss0, 0);
    EXPECT_EQ(s->sgnSOLAEnd, 0);
    EXPECT_EQ(s->sgnDrawAStart, 0);
    // In '0' and 'G' modes other keys do nothing.
    double rh1 = s->rh[1];
    keyboard(*s, '2');
    keyboard(*s, 'G');
    keyboard(*s, '5');
    EXPECT_EQ(s->rh[1], rh1);
    EXPECT_EQ(s->sgnCAL, 'G');
}

TEST(Keyboard, SlitMovesInOMode) {
    auto s = makeScene();
    s->sgnAab = 'b';
    keyboard(*s, 'O');
    EXPECT_EQ(s->sgnCAL, 'O');
    EXPECT_EQ(s->sgnAtoO, 1);
    EXPECT_EQ(s->sgnAabSave, 'b');
    s->NPATH = 17;
    keyboard(*s, '2');
    EXPECT_NEAR(s->rh[1], 2.31, 1e-12);
    EXPECT_NEAR(s->rhy1, 2.11, 1e-12);
    EXPECT_NEAR(s->rhy2, 2.51, 1e-12);
    EXPECT_EQ(s->NPATH, 0);
    keyboard(*s, '4');
    EXPECT_NEAR(s->rhx, 1.59, 1e-12);
    keyboard(*s, '3');
    EXPECT_NEAR(s->rh[2], 0.01, 1e-12);
    keyboard(*s, '4');
    keyboard(*s, '4');
    // Moving the slit onto x = 0 puts joint 1 on the alpha-plane.
    for (int i = 0; i < 157; ++i) keyboard(*s, '4');
    EXPECT_NEAR(s->rhx, 0.0, 1e-9);
    EXPECT_EQ(s->sgnJ1Alpha, 'I');
    // Any other key still re-derives the wall and copies qr into qs.
    s->qr[2] = 0.3;
    keyboard(*s, 'k');
    EXPECT_EQ(s->qs[2], 0.3);
}

TEST(Keyboard, OFromBKeepsThePhaseAndLowersTheStatus) {
    auto s = makeScene();
    s->sgnCAL = 'B';
    s->sgnPATH = 3;
    s->sgnMColl = 3;
    keyboard(*s, 'O');
    EXPECT_EQ(s->sgnBResume, 1);
    EXPECT_EQ(s->sgnPATHSave, 3);
    EXPECT_EQ(s->sgnMColl, 2);
    s->sgnCAL = 'B';
    s->sgnMColl = 1;
    keyboard(*s, 'O');
    EXPECT_EQ(s->sgnMColl, 1);
}

TEST(Keyboard, AFromRobotChoiceOnlySwitchesTheMode) {
    auto s = makeScene();
    s->redraw = countRedraw;
    keyboard(*s, 'F');
    redraws = 0;
    keyboard(*s, 'A');
    EXPECT_EQ(s->sgnCAL, 'A');
    EXPECT_EQ(s->sgnARepeat, 0);
    EXPECT_EQ(s->nqss0, 0);
    EXPECT_EQ(redraws, 0);
    // From B mode 'A' restores the accepted pose.
    s->sgnCAL = 'B';
    s->qAfinal[4] = 0.25;
    s->cntBTrial = 2;
    keyboard(*s, 'A');
    EXPECT_EQ(s->sgnCAL, 'A');
    EXPECT_EQ(s->sgnBtoA, 1);
    EXPECT_EQ(s->sgnARepeat, 1);
    EXPECT_EQ(s->cntBTrial, 0);
    EXPECT_EQ(s->qr[4], 0.25);
}
