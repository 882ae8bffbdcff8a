// The GLUT callbacks of the window: the joint spin runs from the idle callback and a view key
// stops it.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/window_support.h"
#include "window/window.h"

// One turn of the event loop while the idle callback is installed: the idle callback asks for a
// frame and GLUT calls the display callback. The display is called directly here, so that the
// test does not depend on the window being uncovered on the shared test display.
void idleFrame() {
    postRedisplay();
    windowDisplay();
}

TEST(WindowCallbacks, JointSpinRunsFromTheIdleCallbackToItsSavedAngleAndAViewKeyStopsIt) {
    Scene& s = freshWindowScene();
    const double step = 0.031415926536;
    s.qr[1] = 0.3;
    windowKeyboard('!', 0, 0);
    EXPECT_EQ(s.spinJoint, 1);
    EXPECT_EQ(s.sgnSpin, 1);
    EXPECT_TRUE(idleInstalled());
    EXPECT_NEAR(s.qr[1], 0.3 + step, 1e-12);  // the key's own frame took the first step
    int frames = 0;
    double highest = s.qr[1];
    for (; idleInstalled() && frames < 1000; ++frames) {
        const double before = s.qr[1];
        idleFrame();
        if (s.sgnSpin == 1) {
            EXPECT_NEAR(s.qr[1] - before, step, 1e-12);
        }
        highest = std::max(highest, s.qr[1]);
    }
    EXPECT_EQ(s.sgnSpin, 0);
    EXPECT_EQ(s.qr[1], 0.3);        // exactly the saved angle
    EXPECT_GT(highest, 0.3 + 6.2);  // a full turn, far beyond the joint limit
    EXPECT_EQ(frames, 200);

    // A view key stops a spin where it is.
    windowKeyboard('#', 0, 0);
    for (int k = 0; k < 10; ++k) idleFrame();
    const double reached = s.qr[3];
    EXPECT_NEAR(reached, 11 * step, 1e-12);
    windowKeyboard('P', 0, 0);
    EXPECT_EQ(s.sgnSpin, 0);
    EXPECT_FALSE(idleInstalled());
    windowDisplay();
    EXPECT_EQ(s.qr[3], reached);
    EXPECT_EQ(s.viewRot[0], 3.0);
}
