// Support for the window tests: one real GLUT window per test process, frames drawn for chosen
// Scene states, pixels read back and scene points projected with the frame's own matrices.
#pragma once
#include <cstdlib>
#include <functional>
#include <vector>

#include "core/scene.h"

struct Rgb {
    int r, g, b;
};
using ColourTest = std::function<bool(Rgb)>;

// The window's Scene reset to the start-up state (quiet trace, redraw hook to the display), but
// showing the straight robot and no start candidates. The window opens on first use; without an
// X display the test process ends with a message.
Scene& freshWindowScene();

// A whole 600 x 600 frame read back from the frame buffer (origin bottom left).
struct Frame {
    std::vector<unsigned char> rgb;
    Rgb at(int x, int y) const;  // white outside the window
    // Pixels of [x0, x1) x [y0, y1) that pass the test, or that differ from the other frame.
    int count(const ColourTest& test, int x0 = 0, int y0 = 0, int x1 = 600, int y1 = 600) const;
    int differing(const Frame& other, int x0 = 0, int y0 = 0, int x1 = 600, int y1 = 600) const;
};
Frame renderFrame(Scene& s);

// Window position of a world point (camera and the user's view) or of a camera-space point
// (status texts, the menu: camera alone).
struct WindowPoint {
    double x, y;
};
WindowPoint projectWorld(const Scene& s, const Vec3& p);
WindowPoint projectCamera(double x, double y);
int px(double v);  // nearest pixel
// True when a pixel within `radius` of the projected world point passes the test.
bool seenAt(const Frame& f, const Scene& s, const Vec3& p, int radius, const ColourTest& test);
// True when the world point projects inside the window, 10 pixels clear of its edges.
bool inWindow(const Scene& s, const Vec3& p);
// Pixels within `radius` of the window point that differ between the two frames.
int differingNear(const Frame& a, const Frame& b, WindowPoint p, int radius);

void hideScene(Scene& s);       // the 3-D scene beyond the far plane: only the texts remain
void showWholeRobot(Scene& s);  // the scene lowered so that the straight robot (7.4 high) shows
// Writes the straight pose with joint 2 bent by `angle` into q.
void bendJoint2(double angle, double* q);
// World position of the middle of link k (joint k-1 to joint k) of the pose q.
Vec3 linkMiddle(Scene& s, const double* q, int k);

// Colour classes of the picture.
inline bool isWhite(Rgb c) { return c.r >= 250 && c.g >= 250 && c.b >= 250; }
// Text and lines: black, also under the translucent floor or wall.
inline bool isDark(Rgb c) { return c.r < 225 && c.g < 50 && c.b < 50; }
// The translucent wall, one or two layers deep, over anything but text.
inline bool isWallRed(Rgb c) { return c.r >= 200 && c.g < 130 && c.b < 130 && std::abs(c.g - c.b) < 12; }
// The translucent floor square over the white background.
inline bool isFloor(Rgb c) { return c.r >= 240 && c.g >= 165 && c.g <= 190 && std::abs(c.g - c.b) < 6; }
// The lit link colour: green and blue equal and above red.
inline bool isLinkColour(Rgb c) { return c.g >= c.r + 8 && c.g > 100 && std::abs(c.g - c.b) <= 10; }
// Blue lines of the other start candidates; highlight and moved-goal yellow.
inline bool isBlue(Rgb c) { return c.b > 180 && c.r < 80 && c.g < 80; }
inline bool isYellow(Rgb c) { return c.r > 200 && c.g > 200 && c.b < c.r - 60; }
// The unlit pink of the work at the goal and of pink lines.
inline bool isPink(Rgb c) { return c.r >= 240 && c.g >= 115 && c.g <= 140 && c.b >= 115 && c.b <= 140; }
// Black solids under the light: grey to black, never white.
inline bool isAchromatic(Rgb c) { return std::abs(c.r - c.g) < 12 && std::abs(c.g - c.b) < 12 && c.r < 235; }
