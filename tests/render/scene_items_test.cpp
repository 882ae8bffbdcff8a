// Frames of the window for the highlighted robot, the moved goal and the path trails of B and C
// mode.
#include <gtest/gtest.h>

#include <vector>

#include "model/kinematics.h"
#include "support/window_support.h"

TEST(SceneItems, HighlightTurnsTheJointTheWristOrTheWorkYellow) {
    Scene& s = freshWindowScene();
    showWholeRobot(s);
    forwardKinematics(s, s.qr);
    // Joint 2, joint 5, the wrist, the work's top corner; each case marks the yellow ones by 'y'.
    const Vec3 points[4] = {s.J[2], s.J[5], s.J[s.N], {{s.rw[0] + 0.14, s.rw[1] + 0.12, s.rw[2] + 0.1}}};
    for (const Vec3& p : points) ASSERT_TRUE(inWindow(s, p));
    const int N = s.N;
    for (auto [highlight, yellow] : {std::pair<int, const char*>{0, "----"}, {2, "y---"}, {N - 3, "-y--"},
                                     {N - 2, "--y-"}, {N, "--y-"}, {N + 1, "---y"}}) {
        s.JColl = highlight;
        const Frame f = renderFrame(s);
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(seenAt(f, s, points[k], k < 3 ? 2 : 1, isYellow), yellow[k] == 'y') << highlight << " " << k;
        EXPECT_EQ(highlight == 0, f.count(isYellow) == 0) << "highlight " << highlight;
    }
}

TEST(SceneItems, MovedGoalIsASecondYellowWorkOnlyBeyondATenThousandth) {
    Scene& s = freshWindowScene();
    auto corner = [](const Vec3& p) { return Vec3{{p[0] + 0.14, p[1] + 0.12, p[2] + 0.1}}; };
    s.rwp[0] += 0.6;
    ASSERT_TRUE(inWindow(s, corner(s.rwp)));
    Frame f = renderFrame(s);
    EXPECT_TRUE(seenAt(f, s, corner(s.rwp), 1, isYellow));
    EXPECT_TRUE(seenAt(f, s, corner(s.rwG), 1, isPink));
    // Raised by 0.00009: the same work, no second one. Raised by 0.00011: the yellow work is drawn
    // (its top face lies just above the pink one and shows).
    for (double dz : {0.00009, 0.00011}) {
        s.rwp = s.rwG;
        s.rwp[2] += dz;
        f = renderFrame(s);
        EXPECT_EQ(seenAt(f, s, corner(s.rwG), 1, isYellow), dz > 0.0001) << dz;
        EXPECT_EQ(f.count(isYellow) == 0, dz < 0.0001) << dz;
    }
}

TEST(SceneItems, PathTrailsAreDrawnUpToTheirLastRow) {
    // B mode: the reverse trail (work and wrist points) up to NPATH and a yellow ball at rwInit;
    // C mode: the forward trail up to nMOVE.
    Scene& s = freshWindowScene();
    showWholeRobot(s);
    bendJoint2(-0.9, s.qr);  // keep the robot's own work away from rwInit
    s.sgnPATHEnd = 1;
    for (int k = 0; k < 4; ++k) {  // beside the robot, in the free space in front of the wall
        s.rwIPATH[k] = s.rwPATH[k] = Vec3{{0.4 * k - 1.0, -1.5, 2.0 + 0.3 * k}};
        s.JpIPATH[k] = Vec3{{0.4 * k - 1.0, -2.5, 2.0 + 0.3 * k}};
    }
    ASSERT_TRUE(inWindow(s, s.rwInit));
    for (char mode : {'B', 'C'}) {
        s.sgnCAL = mode;
        int& last = mode == 'B' ? s.NPATH : s.nMOVE;
        last = -1;  // no row
        const Frame none = renderFrame(s);
        EXPECT_EQ(seenAt(none, s, s.rwInit, 2, isYellow), mode == 'B') << mode;
        last = 2;
        const Frame trail = renderFrame(s);
        for (int k = 0; k < 4; ++k) {
            const std::vector<Vec3> points =
                mode == 'B' ? std::vector<Vec3>{s.rwIPATH[k], s.JpIPATH[k]} : std::vector<Vec3>{s.rwPATH[k]};
            for (const Vec3& p : points) {
                ASSERT_TRUE(inWindow(s, p));
                const int changed = differingNear(trail, none, projectWorld(s, p), 2);
                EXPECT_EQ(changed >= 4 && seenAt(trail, s, p, 1, isAchromatic), k <= last) << mode << " row " << k;
                if (k > last) {
                    EXPECT_EQ(changed, 0) << mode << " row " << k;
                }
            }
        }
    }
}
