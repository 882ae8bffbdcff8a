// Frames of the simulator window drawn for chosen Scene states and read back pixel by pixel.
// Where to look is found by projecting scene points with the frame's own matrices.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>

#include "app/keyboard.h"
#include "app/status_text.h"
#include "model/kinematics.h"
#include "model/wall_goal.h"
#include "support/window_support.h"

namespace {

// Pixel rectangles of the overlay texts.
struct Band {
    int x0, y0, x1, y1;
    bool has(int x, int y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

// The band of a text from the raster position (x, y): a glyph may start a pixel off it, and the
// rows go from the descenders 5 below to the capitals 14 above.
Band textBand(int x, int y) { return {x - 2, y - 5, 600, y + 15}; }

// A view square on to the far face of the wall (its normal turned to the eye at azimuth 0.2 rad),
// centred on the slit; `back` moves the scene that much farther from the eye.
void faceTheWall(Scene& s, double back = 0.0) {
    const double theta = -(90.0 - 0.2 / 0.01745329252), t = -theta * 0.01745329252;
    s.viewRot[0] = s.viewRot[1] = 0.0;
    s.viewRot[2] = theta;
    // The eye direction, turned back into the scene's frame.
    const double ex = 14.0 * std::cos(0.2), ey = 14.0 * std::sin(0.2), ez = 8.0;
    const double n = std::sqrt(ex * ex + ey * ey + ez * ez);
    s.viewShift[0] = -s.rh[0] - back * (std::cos(t) * ex - std::sin(t) * ey) / n;
    s.viewShift[1] = -s.rh[1] - back * (std::sin(t) * ex + std::cos(t) * ey) / n;
    s.viewShift[2] = -4.0 - back * ez / n;
}

}  // namespace

TEST(Frame, TextsSitAtTheirPlacesOnAWhiteBackground) {
    struct State {
        const char* what;
        int lines;
        void (*set)(Scene&);
    };
    const State states[] = {
        {"start-up", 2, [](Scene&) {}},
        {"A mode, four lines", 5, [](Scene& s) { s.nqss0 = 3, s.sgnT = 0, s.sgnP = 1; }},
        {"O mode, wall too far", 2, [](Scene& s) { keyboard(s, 'O'), s.sgnOBSTACLE = 0; }},
        {"C mode, goal reached", 2, [](Scene& s) { s.sgnCAL = 'C', s.sgnPATHEnd = 1, s.sgnMOVE = 'E'; }},
    };
    for (const State& st : states) {
        Scene& s = freshWindowScene();
        st.set(s);
        hideScene(s);
        const Frame f = renderFrame(s);
        // Each text starts at its raster position and lies in its band.
        std::vector<Band> bands;
        auto text = [&](int x, int y, int minInk, const std::string& what) {
            EXPECT_GT(f.count(isDark, x - 1, y - 4, x + 3, y + 14), 0) << st.what << ", start of " << what;
            EXPECT_GT(f.count(isDark, x, y, 600, y + 13), minInk) << st.what << ", " << what;
            bands.push_back(textBand(x, y));
        };
        // The overlay texts, at whole pixels, stand on their baseline: the row below it holds only
        // the few pixels of descenders.
        auto baseline = [&](int x0, int x1, int y, const std::string& what) {
            EXPECT_GT(f.count(isDark, x0, y, x1, y + 1), 3 * f.count(isDark, x0, y - 1, x1, y))
                << st.what << ", " << what;
        };
        // Six legend rows from x = 5, going down 20 pixels from y = 580; the seventh is blank.
        for (int k = 0, y = 580; k < 6; ++k, y -= 20) {
            text(5, y, 60, "legend row " + std::to_string(k));
            baseline(5, 600, y, "legend row " + std::to_string(k));
        }
        // robotnum, and the structure from x = 89 after it, on y = 10.
        text(5, 10, 200, "robotnum and structure");
        baseline(5, 85, 10, "robotnum");
        baseline(89, 300, 10, "structure");
        EXPECT_GT(f.count(isDark, 89, 10, 300, 23), 100) << st.what;
        const StatusText status = chooseStatusLines(s);
        ASSERT_EQ(status.n, st.lines) << st.what;
        for (int k = 0; k < status.n; ++k) {
            const WindowPoint p = projectCamera(status.line[k].x, status.line[k].y);
            text(px(p.x), px(p.y), 30, status.line[k].text);
        }
        // Everything else is the white clear colour.
        int stray = 0;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 600; ++x)
                stray += !isWhite(f.at(x, y)) && std::none_of(bands.begin(), bands.end(),
                                                               [&](const Band& b) { return b.has(x, y); });
        EXPECT_EQ(stray, 0) << st.what;
    }
}

TEST(Frame, WallIsTwoTranslucentRedBlocksWithTheSlitGapAtRh) {
    Scene& s = freshWindowScene();
    const double x = s.rh[0], y = s.rh[1];
    auto at = [&](double dx, double z) { return Vec3{{x + dx, y, z}}; };
    faceTheWall(s);
    Frame f = renderFrame(s);
    // Translucent: the floor or the white background behind both faces still lightens the red.
    auto seeThrough = [](Rgb c) { return isWallRed(c) && c.g >= 20; };
    for (double z : {1.5, 3.0, 4.5, 6.0}) {
        // The blocks beside the slit; in the gap of width 0.3, either side of the black centre
        // line, whatever lies behind but never the wall.
        for (double side : {-1.0, 1.0}) {
            SCOPED_TRACE(testing::Message() << "z " << z << " side " << side);
            EXPECT_TRUE(seenAt(f, s, at(side * 0.45, z), 1, isWallRed));
            EXPECT_TRUE(seenAt(f, s, at(side, z), 0, seeThrough));
            EXPECT_FALSE(seenAt(f, s, at(side * 0.08, z), 1, isWallRed));
        }
        EXPECT_TRUE(seenAt(f, s, at(0.0, z), 1, isDark)) << "slit centre line at z " << z;
    }
    // Seen from farther: the blocks are 4.0 long and 7.5 high.
    faceTheWall(s, 12.0);
    f = renderFrame(s);
    for (double side : {-1.0, 1.0}) {
        EXPECT_TRUE(seenAt(f, s, at(side * 3.95, 3.0), 1, isWallRed)) << side;
        EXPECT_FALSE(seenAt(f, s, at(side * 4.35, 3.0), 2, isWallRed)) << side;
        EXPECT_TRUE(seenAt(f, s, at(side, 7.3), 1, isWallRed)) << side;
        EXPECT_FALSE(seenAt(f, s, at(side, 7.7), 1, isWallRed)) << side;
    }
    // Moving the slit point moves the gap with it (same view).
    faceTheWall(s);
    s.rh[0] += 0.6;
    setWallGeometry(s);
    f = renderFrame(s);
    for (double side : {-1.0, 1.0}) {
        EXPECT_TRUE(seenAt(f, s, at(side * 0.08, 3.0), 1, isWallRed)) << side;
        EXPECT_FALSE(seenAt(f, s, at(0.6 + side * 0.08, 3.0), 1, isWallRed)) << side;
    }
}

TEST(Frame, FloorRobotInitialPoseAndWorkAppearWhereTheCameraPutsThem) {
    Scene& s = freshWindowScene();
    s.sgnCAL = 'C';  // no start candidates in C mode
    s.sgnPATHEnd = 1;
    s.nMOVE = -1;
    bendJoint2(0.9, s.qr);
    const Vec3 current = linkMiddle(s, s.qr, 4);
    const Vec3 workCorner = {{s.rwG[0] + 0.14, s.rwG[1] + 0.12, s.rwG[2] + 0.1}};
    ASSERT_TRUE(inWindow(s, current));
    ASSERT_TRUE(inWindow(s, workCorner));
    const Frame f = renderFrame(s);
    EXPECT_TRUE(seenAt(f, s, current, 3, isLinkColour)) << "current robot";
    EXPECT_TRUE(seenAt(f, s, workCorner, 1, isPink)) << "work at rwG";
    // The work stands on the floor: its box spans z = 0 .. 0.2 around the goal.
    EXPECT_FALSE(seenAt(f, s, Vec3{{s.rwG[0], s.rwG[1], 0.45}}, 1, isPink));
    // The floor square spans -5 .. 5 in x and y: floor in the cells along its edges in sight,
    // white in the cells beyond them.
    for (auto cells : {std::pair<Vec3, Vec3>{{{-4.5, -4.5, 0}}, {{-5.5, -4.5, 0}}},
                       {{{-4.5, -4.5, 0}}, {{-4.5, -5.5, 0}}}, {{{-4.5, 4.5, 0}}, {{-5.5, 4.5, 0}}}}) {
        ASSERT_TRUE(inWindow(s, cells.first));
        ASSERT_TRUE(inWindow(s, cells.second));
        EXPECT_TRUE(seenAt(f, s, cells.first, 2, isFloor)) << cells.first[0] << " " << cells.first[1];
        EXPECT_TRUE(seenAt(f, s, cells.second, 2, isWhite)) << cells.second[0] << " " << cells.second[1];
        EXPECT_FALSE(seenAt(f, s, cells.second, 2, isFloor)) << cells.second[0] << " " << cells.second[1];
    }
    // The straight initial pose (pink lines on the z axis, red balls at its joints): the frame
    // without it differs at each of its joints clear of the current robot, and nowhere far from
    // the axis.
    s.sgnDrawInitial = 0;
    const Frame without = renderFrame(s);
    EXPECT_TRUE(seenAt(without, s, current, 3, isLinkColour));
    Vec3 bentJ[JV];
    forwardKinematics(s, s.qr);
    std::copy(s.J, s.J + JV, bentJ);
    forwardKinematics(s, s.qInit);
    int joints = 0;
    for (int i = 1; i <= s.N; ++i) {
        if (std::hypot(s.J[i][0] - bentJ[i][0], s.J[i][2] - bentJ[i][2]) < 0.5 || !inWindow(s, s.J[i])) continue;
        EXPECT_GT(differingNear(f, without, projectWorld(s, s.J[i]), 4), 10) << "joint " << i;
        ++joints;
    }
    EXPECT_GE(joints, 2);
    const WindowPoint base = projectWorld(s, Vec3{{0, 0, 0}}), top = projectWorld(s, Vec3{{0, 0, 7.4}});
    EXPECT_EQ(f.differing(without, 0, 0, px(std::min(base.x, top.x)) - 12, 600), 0);
    EXPECT_EQ(f.differing(without, px(std::max(base.x, top.x)) + 12, 0, 600, 600), 0);
}

TEST(Frame, StartCandidatesAreDrawnInAAndGModeAndInOModeEnteredFromA) {
    Scene& s = freshWindowScene();
    s.nqss0 = 2;
    s.cntqs0 = 0;
    bendJoint2(0.9, s.qss0[0]);
    bendJoint2(-0.9, s.qss0[1]);
    const Vec3 first = linkMiddle(s, s.qss0[0], 4), second = linkMiddle(s, s.qss0[1], 4);
    ASSERT_TRUE(inWindow(s, first));
    ASSERT_TRUE(inWindow(s, second));
    for (auto [mode, AtoO, drawn] : {std::tuple<char, int, bool>{'A', 0, true}, {'G', 0, true}, {'O', 1, true},
                                     {'O', 0, false}, {'B', 0, false}, {'C', 0, false}, {'0', 0, false}}) {
        s.sgnCAL = mode;
        s.sgnAtoO = AtoO;
        const Frame f = renderFrame(s);
        // The current candidate (cntqs0) is pink, the others blue.
        EXPECT_EQ(seenAt(f, s, first, 2, isPink), drawn) << mode << " sgnAtoO " << AtoO;
        EXPECT_EQ(seenAt(f, s, second, 2, isBlue), drawn) << mode << " sgnAtoO " << AtoO;
    }
    s.sgnCAL = 'A';
    s.cntqs0 = 1;  // the SP key's choice
    const Frame f = renderFrame(s);
    EXPECT_TRUE(seenAt(f, s, first, 2, isBlue));
    EXPECT_TRUE(seenAt(f, s, second, 2, isPink));
}

TEST(Frame, RobotChoiceModeShowsTheMenuAndLeavesTheScenesRobot) {
    Scene& s = freshWindowScene();
    s.JColl = 2;      // the robot, if it were drawn, would show a yellow joint
    s.rwp[0] += 0.5;  // and a yellow second work
    const Frame before = renderFrame(s);
    ASSERT_GT(before.count(isYellow), 20);
    ASSERT_GT(before.count(isWallRed), 1000);
    // The robot as forward kinematics sees it, and the goal calculation's choices.
    const RobotModel robot = s;
    const WorkingJoints choice = s;
    forwardKinematics(s, s.qInit);
    Vec3 joints[JV];
    std::copy(s.J, s.J + JV, joints);
    auto expectSameRobot = [&](const char* when) {
        EXPECT_STREQ(s.JRTYPE, robot.JRTYPE) << when;
        EXPECT_EQ(s.Lh, choice.Lh) << when;
        EXPECT_EQ(s.Mh, choice.Mh) << when;
        EXPECT_EQ(s.Iinv, choice.Iinv) << when;
        forwardKinematics(s, s.qInit);
        for (int i = 0; i <= s.Nw; ++i)
            for (int a = 0; a < 3; ++a) EXPECT_EQ(s.J[i][a], joints[i][a]) << when << ", joint " << i;
    };

    keyboard(s, 'F');
    const Frame menu = renderFrame(s);
    EXPECT_EQ(menu.count(isYellow), 0);
    EXPECT_EQ(menu.count(isWallRed), 0);
    EXPECT_EQ(menu.count(isPink), 0);           // no initial pose, no work at the goal
    EXPECT_GT(menu.count(isLinkColour), 500);  // the pictures of the structures
    for (auto t : {std::pair<double, double>{-3.0, -3.0}, {3.0, 1.5}, {4.6, 1.5}, {0.5, 1.5}, {1.5, 1.5}}) {
        const WindowPoint p = projectCamera(t.first, t.second);
        EXPECT_GT(menu.count(isDark, px(p.x), px(p.y), px(p.x) + 60, px(p.y) + 13), 20) << t.first << " " << t.second;
    }
    expectSameRobot("menu drawn");
    keyboard(s, 'A');
    expectSameRobot("'A' right after 'F'");
}
