// Frames of the simulator window drawn for chosen Scene states and read back pixel by pixel.
// Where to look is found by projecting scene points with the frame's own matrices.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/keyboard.h"
#include "app/startup.h"
#include "app/status_text.h"
#include "model/kinematics.h"
#include "model/vecops.h"
#include "render/frame.h"
#include "render/window_support.h"

namespace {

// A view that looks at the far face of the wall square on: the scene turned about z so that the
// wall normal points at the eye (azimuth 0.2 rad), centred on the slit and lowered so that the
// wall is in sight; `back` moves the scene that much farther from the eye.
void faceTheWall(Scene& s, double back = 0.0) {
    const double theta = -(90.0 - 0.2 / 0.01745329252);
    s.viewRot[0] = s.viewRot[1] = 0.0;
    s.viewRot[2] = theta;
    // The eye direction, turned back into the scene's frame.
    const double ex = 14.0 * std::cos(0.2), ey = 14.0 * std::sin(0.2), ez = 8.0;
    const double n = std::sqrt(ex * ex + ey * ey + ez * ez);
    const double t = -theta * 0.01745329252;
    const double dx = std::cos(t) * ex / n - std::sin(t) * ey / n, dy = std::sin(t) * ex / n + std::cos(t) * ey / n;
    s.viewShift[0] = -s.rh[0] - back * dx;
    s.viewShift[1] = -s.rh[1] - back * dy;
    s.viewShift[2] = -4.0 - back * ez / n;
}

}  // namespace

TEST(Frame, BackgroundIsWhiteAndOnlyTextsRemainWhenTheSceneIsOutOfSight) {
    Scene& s = freshWindowScene();
    hideScene(s);
    Frame f = renderFrame(s);
    // Everything outside the text bands is the white clear colour.
    const int nonWhite = f.count(0, 0, 600, 600, [](Rgb c) { return !isWhite(c); });
    const int dark = f.count(0, 0, 600, 600, isDark);
    EXPECT_GT(dark, 500);
    EXPECT_EQ(f.count(300, 200, 600, 440, [](Rgb c) { return !isWhite(c); }), 0);
    EXPECT_LE(nonWhite, dark * 2);  // anti-aliasing free bitmap text: nearly all non-white is text
}

namespace {

// Pixels of the text bands: the legend rows, the structure line and the given status lines.
struct Band {
    int x0, y0, x1, y1;
};

Band statusBand(const StatusLine& line) {
    WindowPoint p = projectCamera(line.x, line.y, 0.0);
    // A glyph may start one pixel left of the raster position.
    return {px(p.x) - 2, px(p.y) - 7, 600, px(p.y) + 16};
}

int darkIn(const Frame& f, const Band& b) { return f.count(b.x0, b.y0, b.x1, b.y1, isDark); }

bool insideAny(const std::vector<Band>& bands, int x, int y) {
    for (const Band& b : bands)
        if (x >= b.x0 && x < b.x1 && y >= b.y0 && y < b.y1) return true;
    return false;
}

// Dark pixels of the frame that lie in none of the bands.
int darkOutside(const Frame& f, const std::vector<Band>& bands) {
    int n = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 600; ++x)
            if (isDark(f.at(x, y)) && !insideAny(bands, x, y)) ++n;
    return n;
}

std::vector<Band> overlayBands() {
    std::vector<Band> bands;
    for (int k = 0; k < 6; ++k) bands.push_back({0, 580 - 20 * k - 5, 600, 580 - 20 * k + 14});
    bands.push_back({0, 5, 300, 24});  // robotnum and JTYPEstr on y = 10
    return bands;
}

}  // namespace

TEST(Frame, LegendRowsGoDownTwentyPixelsAndTheStructureLineSitsAtTheBottom) {
    Scene& s = freshWindowScene();
    hideScene(s);
    Frame f = renderFrame(s);
    for (int k = 0; k < 6; ++k) {
        const int y = 580 - 20 * k;
        EXPECT_GT(f.count(5, y, 600, y + 13, isDark), 60) << "legend row " << k;
        // Text starts at x = 5: nothing left of it.
        EXPECT_EQ(f.count(0, y - 4, 5, y + 14, isDark), 0) << "legend row " << k;
    }
    // The seventh row is blank.
    EXPECT_EQ(f.count(0, 455, 600, 474, isDark), 0);
    // robotnum "JTYPE21=" from x = 5 and the structure " RQP-RP-RPR" from x = 89, on y = 10.
    EXPECT_GT(f.count(5, 10, 85, 23, isDark), 100);
    EXPECT_GT(f.count(89, 10, 300, 23, isDark), 100);
    EXPECT_EQ(f.count(300, 0, 600, 40, isDark), 0);
}

// Each status text of a state appears where its raster position projects, and no other text.
void expectStatusTexts(Scene& s, const char* what) {
    hideScene(s);
    Frame f = renderFrame(s);
    const StatusText status = chooseStatusLines(s);
    std::vector<Band> bands = overlayBands();
    for (int k = 0; k < status.n; ++k) {
        Band b = statusBand(status.line[k]);
        Band core = {b.x0, b.y0 + 7, b.x1, b.y0 + 7 + 12};
        EXPECT_GT(darkIn(f, core), 30) << what << ": " << status.line[k].text;
        // The text starts at its raster position.
        EXPECT_EQ(f.count(b.x0 - 12, core.y0 + 3, b.x0, core.y1 - 3, isDark), 0) << what << ": " << status.line[k].text;
        bands.push_back(b);
    }
    EXPECT_EQ(darkOutside(f, bands), 0) << what;
}

TEST(Frame, StatusTextsAppearAtTheirRasterPositionsInEveryMode) {
    {
        Scene& s = freshWindowScene();
        ASSERT_EQ(chooseStatusLines(s).n, 2);  // start-up: title and the no-candidate row
        expectStatusTexts(s, "start-up");
    }
    {
        Scene& s = freshWindowScene();
        s.nqss0 = 3;
        s.sgnT = 0;
        s.sgnP = 1;
        ASSERT_EQ(chooseStatusLines(s).n, 5);
        expectStatusTexts(s, "A mode, four lines");
    }
    {
        Scene& s = freshWindowScene();
        keyboard(s, 'O');
        s.sgnOBSTACLE = 0;
        ASSERT_EQ(chooseStatusLines(s).n, 2);
        expectStatusTexts(s, "O mode, wall too far");
    }
    {
        Scene& s = freshWindowScene();
        keyboard(s, '0');
        expectStatusTexts(s, "reset");
    }
    {
        Scene& s = freshWindowScene();
        keyboard(s, 'G');
        expectStatusTexts(s, "abnormal stop");
    }
    {
        Scene& s = freshWindowScene();
        s.sgnCAL = 'B';
        s.cntBTrial = 2;
        s.sgnSOLAEnd = 1;
        s.sgnPATH = 2;
        s.sgnPATHEnd = 0;
        s.sgnMColl = 0;
        ASSERT_EQ(chooseStatusLines(s).n, 5);
        expectStatusTexts(s, "B mode, second trial stopped");
    }
    {
        Scene& s = freshWindowScene();
        s.sgnCAL = 'C';
        s.sgnPATHEnd = 1;
        s.sgnMOVE = 'E';
        expectStatusTexts(s, "C mode, goal reached");
    }
}

TEST(Frame, WallIsTwoTranslucentRedBlocksWithTheSlitGapAtRh) {
    Scene& s = freshWindowScene();
    faceTheWall(s);
    Frame f = renderFrame(s);
    const double x = s.rh[0], y = s.rh[1];
    for (double z : {1.5, 3.0, 4.5, 6.0}) {
        // Beside the slit: the blocks. In the gap of width 0.3 (either side of the black centre
        // line): whatever lies behind, never the wall.
        EXPECT_TRUE(seenAt(f, s, x - 0.45, y, z, 1, isWallRed)) << "z " << z;
        EXPECT_TRUE(seenAt(f, s, x + 0.45, y, z, 1, isWallRed)) << "z " << z;
        EXPECT_FALSE(seenAt(f, s, x - 0.08, y, z, 1, isWallRed)) << "z " << z;
        EXPECT_FALSE(seenAt(f, s, x + 0.08, y, z, 1, isWallRed)) << "z " << z;
        EXPECT_TRUE(seenAt(f, s, x, y, z, 1, isDark)) << "slit centre line at z " << z;
    }
    // Seen from farther: the blocks are 4.0 long and 7.5 high.
    faceTheWall(s, 12.0);
    f = renderFrame(s);
    for (double sign : {-1.0, 1.0}) {
        EXPECT_TRUE(seenAt(f, s, x + sign * (0.15 + 3.8), y, 3.0, 1, isWallRed));
        EXPECT_FALSE(seenAt(f, s, x + sign * (0.15 + 4.2), y, 3.0, 2, isWallRed));
        EXPECT_TRUE(seenAt(f, s, x + sign * 1.0, y, 7.3, 1, isWallRed));
        EXPECT_FALSE(seenAt(f, s, x + sign * 1.0, y, 7.7, 1, isWallRed));
    }
    faceTheWall(s);

    // Moving the slit point moves the gap with it (same view).
    s.rh[0] += 0.6;
    setWallGeometry(s);
    f = renderFrame(s);
    EXPECT_TRUE(seenAt(f, s, x - 0.08, y, 3.0, 1, isWallRed));
    EXPECT_TRUE(seenAt(f, s, x + 0.08, y, 3.0, 1, isWallRed));
    EXPECT_FALSE(seenAt(f, s, x + 0.6 - 0.08, y, 3.0, 1, isWallRed));
    EXPECT_FALSE(seenAt(f, s, x + 0.6 + 0.08, y, 3.0, 1, isWallRed));
}

TEST(Frame, InitialPoseCurrentRobotAndWorkAtTheGoalAppearWhereTheCameraPutsThem) {
    Scene& s = freshWindowScene();
    s.sgnCAL = 'C';  // no start candidates in C mode
    s.sgnPATHEnd = 1;
    s.nMOVE = -1;
    const Pose bent = bentAtJoint2(0.9);
    copyJointVector(JV - 1, bent.q, s.qr);
    const Vec3 current = linkMiddle(s, s.qr, 4);
    const Vec3 workCorner = {{s.rwG[0] + 0.14, s.rwG[1] + 0.12, s.rwG[2] + 0.1}};
    ASSERT_TRUE(inWindow(s, current) && inWindow(s, workCorner));

    Frame f = renderFrame(s);
    EXPECT_TRUE(seenAtPoint(f, s, current, 3, isLinkColour)) << "current robot";
    EXPECT_TRUE(seenAtPoint(f, s, workCorner, 1, isPinkWork)) << "work at rwG";
    // The work stands on the floor: its box spans z = 0 .. 0.2 around the goal.
    const Vec3 aboveWork = {{s.rwG[0], s.rwG[1], 0.45}};
    EXPECT_FALSE(seenAtPoint(f, s, aboveWork, 1, isPinkWork));

    // The straight initial pose (its lines lie on the z axis, its red balls at the joints): the
    // frame without it differs at every joint of the straight pose and nowhere far from the axis.
    s.sgnDrawInitial = 0;
    Frame without = renderFrame(s);
    EXPECT_TRUE(seenAtPoint(without, s, current, 3, isLinkColour));
    Vec3 bentJ[JV];
    forwardKinematics(s, s.qr);
    for (int i = 0; i <= s.Nw; ++i) bentJ[i] = s.J[i];
    forwardKinematics(s, s.qInit);
    int joints = 0;
    for (int i = 1; i <= s.N; ++i) {
        // Joints that the current robot covers, or out of sight, tell nothing.
        const double apart = std::hypot(s.J[i][0] - bentJ[i][0], s.J[i][2] - bentJ[i][2]);
        if (apart < 0.5 || !inWindow(s, s.J[i])) continue;
        WindowPoint p = projectWorld(s, s.J[i][0], s.J[i][1], s.J[i][2]);
        EXPECT_GT(f.differing(without, px(p.x) - 4, px(p.y) - 4, px(p.x) + 5, px(p.y) + 5), 10) << "joint " << i;
        ++joints;
    }
    EXPECT_GE(joints, 2);
    WindowPoint base = projectWorld(s, 0, 0, 0), top = projectWorld(s, 0, 0, 7.4);
    const int x0 = px(std::min(base.x, top.x)) - 12, x1 = px(std::max(base.x, top.x)) + 12;
    EXPECT_EQ(f.differing(without, 0, 0, x0, 600), 0);
    EXPECT_EQ(f.differing(without, x1, 0, 600, 600), 0);
}

TEST(Frame, StartCandidatesAreDrawnInAAndGModeAndInOModeEnteredFromA) {
    Scene& s = freshWindowScene();
    const Pose pink = bentAtJoint2(0.9), blue = bentAtJoint2(-0.9);
    s.nqss0 = 2;
    s.cntqs0 = 0;
    copyJointVector(JV - 1, pink.q, s.qss0[0]);
    copyJointVector(JV - 1, blue.q, s.qss0[1]);
    const Vec3 pinkAt = linkMiddle(s, pink.q, 4), blueAt = linkMiddle(s, blue.q, 4);
    ASSERT_TRUE(inWindow(s, pinkAt) && inWindow(s, blueAt));
    struct Case {
        char mode;
        int AtoO;
        bool drawn;
    };
    for (Case c : {Case{'A', 0, true}, Case{'G', 0, true}, Case{'O', 1, true}, Case{'O', 0, false},
                   Case{'B', 0, false}, Case{'C', 0, false}, Case{'0', 0, false}}) {
        s.sgnCAL = c.mode;
        s.sgnAtoO = c.AtoO;
        Frame f = renderFrame(s);
        EXPECT_EQ(seenAtPoint(f, s, blueAt, 2, isBlue), c.drawn) << c.mode << " sgnAtoO " << c.AtoO;
        EXPECT_EQ(seenAtPoint(f, s, pinkAt, 2, isPinkLine), c.drawn) << c.mode << " sgnAtoO " << c.AtoO;
    }
    // The SP key's choice: the current candidate is pink, the others blue.
    s.sgnCAL = 'A';
    s.cntqs0 = 1;
    Frame f = renderFrame(s);
    EXPECT_TRUE(seenAtPoint(f, s, pinkAt, 2, isBlue));
    EXPECT_TRUE(seenAtPoint(f, s, blueAt, 2, isPinkLine));
}

TEST(Frame, RobotChoiceModeShowsTheMenuAndNoRobotWorkOrWall) {
    Scene& s = freshWindowScene();
    s.JColl = 2;  // the robot, if it were drawn, would show a yellow joint
    s.rwp[0] += 0.5;  // and a yellow second work
    Frame before = renderFrame(s);
    ASSERT_GT(before.count(0, 0, 600, 600, isYellow), 20);
    ASSERT_GT(before.count(0, 0, 600, 600, isWallRed), 1000);

    const RobotModel robotBefore = s;
    keyboard(s, 'F');
    Frame f = renderFrame(s);
    EXPECT_EQ(f.count(0, 0, 600, 600, isYellow), 0);
    EXPECT_EQ(f.count(0, 0, 600, 600, isWallRed), 0);
    EXPECT_EQ(f.count(0, 0, 600, 600, isPinkWork), 0);  // no initial pose, no work at the goal
    EXPECT_GT(f.count(0, 0, 600, 600, isLinkColour), 500);  // the pictures of the structures
    // The menu texts at their raster positions.
    for (auto t : {std::pair<double, double>{-3.0, -3.0}, {3.0, 1.5}, {4.6, 1.5}, {0.5, 1.5}, {1.5, 1.5}}) {
        WindowPoint p = projectCamera(t.first, t.second, 0.0);
        EXPECT_GT(f.count(px(p.x), px(p.y), px(p.x) + 60, px(p.y) + 13, isDark), 20) << t.first << " " << t.second;
    }
    // Drawing the menu builds its pictures on a model of its own: the Scene keeps its robot.
    EXPECT_STREQ(s.JRTYPE, robotBefore.JRTYPE);
    EXPECT_STREQ(s.robotnum, robotBefore.robotnum);
    for (int i = 0; i <= s.Nw; ++i) EXPECT_EQ(s.L[i], robotBefore.L[i]) << i;
    EXPECT_EQ(s.Lh, robotBefore.Lh);
    EXPECT_EQ(s.Mh, robotBefore.Mh);
    EXPECT_EQ(s.Iinv, robotBefore.Iinv);
    // 'A' straight after 'F' leaves the robot as it was (no robot is built by the menu).
    keyboard(s, 'A');
    EXPECT_STREQ(s.JRTYPE, robotBefore.JRTYPE);
    forwardKinematics(s, s.qInit);
    EXPECT_EQ(s.J[0][0], 0.0);
    EXPECT_EQ(s.J[0][1], 0.0);
    EXPECT_EQ(s.J[0][2], 0.0);
    EXPECT_NEAR(s.rw[2], 7.4, 1e-12);
}

TEST(Frame, RobotChoiceMenuShowsTheDigitsTyped) {
    Scene& s = freshWindowScene();
    keyboard(s, 'F');
    const WindowPoint p = projectCamera(-2.0, -2.8, 0.0);
    Frame blank = renderFrame(s);
    keyboard(s, '3');
    Frame typed = renderFrame(s);
    // The first digit goes into robotnum: "JTYPE11=" becomes "JTYPE31=" on the structure line,
    // and nothing else of the picture changes. (ROBOTNUM, drawn at its raster position after the
    // pictures, lies behind the picture of lower structure 2 and stays hidden.)
    EXPECT_STREQ(s.robotnum, "JTYPE31=\n");
    EXPECT_STREQ(s.ROBOTNUM, "3 \n");
    const int changed = typed.differing(blank, 0, 0, 600, 600);
    EXPECT_GT(changed, 10);
    EXPECT_EQ(typed.differing(blank, 5, 5, 85, 24), changed);
    EXPECT_EQ(typed.differing(blank, px(p.x) - 2, px(p.y) - 5, px(p.x) + 20, px(p.y) + 16), 0);
    keyboard(s, '2');
    EXPECT_EQ(s.sgnCAL, 'A');
    EXPECT_STREQ(s.robotnum, "JTYPE32=\n");
    Frame chosen = renderFrame(s);
    EXPECT_GT(chosen.count(0, 0, 600, 600, isWallRed), 1000);  // back in A mode: the wall again
    // The structure line now names F32.
    EXPECT_GT(chosen.differing(blank, 5, 5, 300, 24), 10);
}

TEST(Frame, ViewKeysMoveTheSceneWhileTheTextsStay) {
    Scene& s = freshWindowScene();
    const Vec3 link = {{0, 0, 2.0}};  // middle of link 3 of the straight robot
    Frame before = renderFrame(s);
    WindowPoint p0 = projectWorld(s, link[0], link[1], link[2]);
    std::vector<WindowPoint> workAt = {projectWorld(s, s.rwG[0], s.rwG[1], s.rwG[2])};
    ASSERT_TRUE(seenAtPoint(before, s, link, 3, isLinkColour));
    for (unsigned char key : {'P', 'P', 'P', 'q', 'q', 'R', 'x', 'x', 'y', 'Z'}) keyboard(s, key);
    EXPECT_DOUBLE_EQ(s.viewRot[0], 2.0 + 3.0);
    EXPECT_DOUBLE_EQ(s.viewRot[1], 2.0 - 2.0);
    EXPECT_DOUBLE_EQ(s.viewRot[2], 2.0 + 1.0);
    EXPECT_NEAR(s.viewShift[0], -1.0 - 0.2, 1e-12);
    EXPECT_NEAR(s.viewShift[1], -1.0 - 0.1, 1e-12);
    EXPECT_NEAR(s.viewShift[2], -2.0 + 0.1, 1e-12);
    Frame after = renderFrame(s);
    WindowPoint p1 = projectWorld(s, link[0], link[1], link[2]);
    workAt.push_back(projectWorld(s, s.rwG[0], s.rwG[1], s.rwG[2]));
    EXPECT_GT(std::hypot(p1.x - p0.x, p1.y - p0.y), 8.0);
    EXPECT_TRUE(seenAtPoint(after, s, link, 3, isLinkColour));
    EXPECT_FALSE(before.anyNear(px(p1.x), px(p1.y), 0, [&](Rgb c) {
        Rgb a = after.at(px(p1.x), px(p1.y));
        return c.r == a.r && c.g == a.g && c.b == a.b;
    }));
    // The texts (legend rows clear of the robot, structure line, status lines) keep their pixels:
    // every pixel of the texts alone is text in both frames.
    Scene textsOnly = s;
    hideScene(textsOnly);
    Frame texts = renderFrame(textsOnly);
    std::vector<Band> bands = {{0, 575, 160, 594}, {0, 555, 160, 574}, {0, 5, 300, 24}};
    const StatusText status = chooseStatusLines(s);
    for (int k = 0; k < status.n; ++k) bands.push_back(statusBand(status.line[k]));
    // The work at the goal may cover the end of a status line (it is drawn after the texts).
    auto nearWork = [&](int x, int y) {
        for (const WindowPoint& w : workAt)
            if (std::hypot(x - w.x, y - w.y) < 20) return true;
        return false;
    };
    int textPixels = 0, kept = 0;
    for (const Band& b : bands)
        for (int y = b.y0; y < b.y1; ++y)
            for (int x = b.x0; x < b.x1; ++x)
                if (isDark(texts.at(x, y)) && !nearWork(x, y)) {
                    ++textPixels;
                    if (isDark(before.at(x, y)) && isDark(after.at(x, y))) ++kept;
                }
    EXPECT_GT(textPixels, 300);
    EXPECT_EQ(kept, textPixels);
}
