// Frames of the window for the highlighted robot, the moved goal, the path trails of B and C
// mode, and the joint spin run from the idle callback.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>

#include "app/keyboard.h"
#include "app/window.h"
#include "model/kinematics.h"
#include "model/vecops.h"
#include "render/frame.h"
#include "render/window_support.h"

TEST(SceneItems, HighlightTurnsTheJointTheWristOrTheWorkYellow) {
    Scene& s = freshWindowScene();
    showWholeRobot(s);
    forwardKinematics(s, s.qr);
    const Vec3 j2 = s.J[2], j5 = s.J[5], wrist = s.J[s.N];
    const Vec3 workTop = {{s.rw[0] + 0.14, s.rw[1] + 0.12, s.rw[2] + 0.1}};
    ASSERT_TRUE(inWindow(s, j2) && inWindow(s, j5) && inWindow(s, wrist) && inWindow(s, workTop));
    struct Case {
        int highlight;
        bool j2, j5, wrist, work;
    };
    const int N = s.N;
    for (Case c : {Case{0, false, false, false, false}, Case{2, true, false, false, false},
                   Case{N - 3, false, true, false, false}, Case{N - 2, false, false, true, false},
                   Case{N - 1, false, false, true, false}, Case{N, false, false, true, false},
                   Case{N + 1, false, false, false, true}}) {
        s.JColl = c.highlight;
        Frame f = renderFrame(s);
        EXPECT_EQ(seenAtPoint(f, s, j2, 2, isYellow), c.j2) << "highlight " << c.highlight;
        EXPECT_EQ(seenAtPoint(f, s, j5, 2, isYellow), c.j5) << "highlight " << c.highlight;
        EXPECT_EQ(seenAtPoint(f, s, wrist, 2, isYellow), c.wrist) << "highlight " << c.highlight;
        EXPECT_EQ(seenAtPoint(f, s, workTop, 1, isYellow), c.work) << "highlight " << c.highlight;
        if (c.highlight == 0) {
            EXPECT_EQ(f.count(0, 0, 600, 600, isYellow), 0);
        }
    }
}

TEST(SceneItems, MovedGoalIsASecondYellowWorkOnlyBeyondATenThousandth) {
    Scene& s = freshWindowScene();
    const Vec3 moved = {{s.rwG[0] + 0.6, s.rwG[1], s.rwG[2]}};
    const Vec3 movedCorner = {{moved[0] + 0.14, moved[1] + 0.12, moved[2] + 0.1}};
    ASSERT_TRUE(inWindow(s, movedCorner));
    s.rwp = moved;
    Frame f = renderFrame(s);
    EXPECT_TRUE(seenAtPoint(f, s, movedCorner, 1, isYellow));
    EXPECT_TRUE(seenAt(f, s, s.rwG[0] + 0.14, s.rwG[1] + 0.12, s.rwG[2] + 0.1, 1, isPinkWork));
    // Raised by 0.00009: the same work, no second one. Raised by 0.00011: the yellow work is drawn
    // (its top face lies just above the pink one and shows).
    s.rwp = s.rwG;
    s.rwp[2] += 0.00009;
    f = renderFrame(s);
    EXPECT_EQ(f.count(0, 0, 600, 600, isYellow), 0);
    s.rwp = s.rwG;
    s.rwp[2] += 0.00011;
    f = renderFrame(s);
    EXPECT_GT(f.count(0, 0, 600, 600, isYellow), 5);
    EXPECT_TRUE(seenAt(f, s, s.rwG[0] + 0.14, s.rwG[1] + 0.12, s.rwG[2] + 0.1, 1, isYellow));
}

namespace {

// Points of a trail beside the robot, in the free space in front of the wall.
Vec3 trailPoint(int k) { return Vec3{{0.4 * k - 1.0, -1.5, 2.0 + 0.3 * k}}; }

}  // namespace

TEST(SceneItems, BModeDrawsTheReverseTrailUpToNPATHAndTheInitialWorkPoint) {
    Scene& s = freshWindowScene();
    showWholeRobot(s);
    const Pose bent = bentAtJoint2(-0.9);  // keep the robot's own work away from rwInit
    copyJointVector(JV - 1, bent.q, s.qr);
    s.sgnCAL = 'B';
    for (int k = 0; k < 4; ++k) {
        s.rwIPATH[k] = trailPoint(k);
        s.JpIPATH[k] = Vec3{{trailPoint(k)[0], -2.5, trailPoint(k)[2]}};
    }
    s.NPATH = -1;  // no row: only the ball at rwInit
    Frame none = renderFrame(s);
    s.NPATH = 2;
    Frame trail = renderFrame(s);
    for (int k = 0; k < 4; ++k) {
        for (const Vec3& p : {s.rwIPATH[k], s.JpIPATH[k]}) {
            ASSERT_TRUE(inWindow(s, p));
            WindowPoint w = projectWorld(s, p[0], p[1], p[2]);
            const int changed = trail.differing(none, px(w.x) - 2, px(w.y) - 2, px(w.x) + 3, px(w.y) + 3);
            if (k <= 2) {
                EXPECT_GE(changed, 4) << "row " << k;
                EXPECT_TRUE(seenAtPoint(trail, s, p, 1, isAchromatic)) << "row " << k;
            } else {
                EXPECT_EQ(changed, 0) << "row " << k << " lies beyond NPATH";
            }
        }
    }
    EXPECT_EQ(s.rwInit[2], 7.4);
    ASSERT_TRUE(inWindow(s, s.rwInit));
    EXPECT_TRUE(seenAtPoint(none, s, s.rwInit, 2, isYellow));
    // Not in A mode.
    s.sgnCAL = 'A';
    Frame a = renderFrame(s);
    EXPECT_FALSE(seenAtPoint(a, s, s.rwInit, 2, isYellow));
}

TEST(SceneItems, CModeDrawsTheForwardTrailUpToNMOVE) {
    Scene& s = freshWindowScene();
    s.sgnCAL = 'C';
    s.sgnPATHEnd = 1;
    for (int k = 0; k < 4; ++k) s.rwPATH[k] = trailPoint(k);
    s.nMOVE = -1;
    Frame none = renderFrame(s);
    s.nMOVE = 1;
    Frame trail = renderFrame(s);
    for (int k = 0; k < 4; ++k) {
        ASSERT_TRUE(inWindow(s, s.rwPATH[k]));
        WindowPoint w = projectWorld(s, s.rwPATH[k][0], s.rwPATH[k][1], s.rwPATH[k][2]);
        const int changed = trail.differing(none, px(w.x) - 2, px(w.y) - 2, px(w.x) + 3, px(w.y) + 3);
        if (k <= 1)
            EXPECT_GT(changed, 8) << "row " << k;
        else
            EXPECT_EQ(changed, 0) << "row " << k;
    }
}

// One turn of the event loop while the idle callback is installed: the idle callback asks for a
// frame and GLUT calls the display callback. The display is called directly here, so that the
// test does not depend on the window being uncovered on the shared test display.
void idleFrame() {
    postRedisplay();
    windowDisplay();
}

TEST(SceneItems, JointSpinRunsFromTheIdleCallbackAndEndsAtTheSavedAngle) {
    Scene& s = freshWindowScene();
    s.qr[1] = 0.3;
    windowKeyboard('!', 0, 0);
    EXPECT_EQ(s.spinJoint, 1);
    EXPECT_EQ(s.sgnSpin, 1);
    EXPECT_TRUE(idleInstalled());
    // The key's own frame already took the first step of pi/100.
    EXPECT_NEAR(s.qr[1], 0.3 + 0.031415926536, 1e-12);
    int frames = 0;
    double highest = s.qr[1];
    while (idleInstalled() && frames < 1000) {
        const double before = s.qr[1];
        idleFrame();
        if (s.sgnSpin == 1) {
            EXPECT_NEAR(s.qr[1] - before, 0.031415926536, 1e-12);
        }
        highest = std::max(highest, s.qr[1]);
        ++frames;
    }
    EXPECT_EQ(s.sgnSpin, 0);
    EXPECT_FALSE(idleInstalled());
    EXPECT_EQ(s.qr[1], 0.3);  // exactly the saved angle
    EXPECT_GT(highest, 0.3 + 6.2);  // a full turn, far beyond the joint limit
    EXPECT_EQ(frames, 200);
}

TEST(SceneItems, ViewKeyStopsASpinAtItsCurrentAngle) {
    Scene& s = freshWindowScene();
    windowKeyboard('#', 0, 0);
    for (int k = 0; k < 10; ++k) idleFrame();
    const double reached = s.qr[3];
    EXPECT_NEAR(reached, 11 * 0.031415926536, 1e-12);
    windowKeyboard('P', 0, 0);
    EXPECT_EQ(s.sgnSpin, 0);
    EXPECT_FALSE(idleInstalled());
    windowDisplay();
    EXPECT_EQ(s.qr[3], reached);
    EXPECT_EQ(s.viewRot[0], 3.0);
}

// Frame time at start-up: run with --gtest_also_run_disabled_tests --gtest_filter='*FrameTime*'.
TEST(SceneItems, DISABLED_FrameTime) {
    Scene& s = freshWindowScene();
    const int frames = 200;
    redrawScene(s);
    glFinish();
    auto t0 = std::chrono::steady_clock::now();
    for (int k = 0; k < frames; ++k) redrawScene(s);
    glFinish();
    auto t1 = std::chrono::steady_clock::now();
    const double ms = std::chrono::duration<double, std::milli>(t1 - t0).count() / frames;
    std::printf("start-up frame (redrawScene, %d frames): %.3f ms per frame\n", frames, ms);
    Frame f = renderFrame(s);
    EXPECT_GT(f.count(0, 0, 600, 600, isWallRed), 1000);
}
