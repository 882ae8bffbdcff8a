// Support for the window tests: one real GLUT window per test process, frames drawn for chosen
// Scene states, pixels read back and scene points projected with the frame's own matrices.
#pragma once
#include <functional>
#include <vector>

#include "app/scene.h"

struct Rgb {
    int r, g, b;
};

// The window's Scene, reset to the start-up state (quiet trace, redraw hook to the display) but
// showing the straight robot with no start candidates.
// The window is opened on first use; without an X display the test fails with a message.
Scene& freshWindowScene();

// A whole frame of the display, read back from the frame buffer (600 x 600, origin bottom left).
struct Frame {
    std::vector<unsigned char> rgb;
    Rgb at(int x, int y) const;
    // True when a pixel within `radius` of (x, y) satisfies the test.
    bool anyNear(int x, int y, int radius, const std::function<bool(Rgb)>& test) const;
    // Number of pixels of the rectangle [x0, x1) x [y0, y1) that satisfy the test.
    int count(int x0, int y0, int x1, int y1, const std::function<bool(Rgb)>& test) const;
    // Writes the frame as a binary PPM (top row first), to look at a failing picture.
    void savePpm(const char* path) const;
    // Number of pixels of the rectangle that differ from the other frame.
    int differing(const Frame& other, int x0, int y0, int x1, int y1) const;
};
Frame renderFrame(Scene& s);

// Window position of a point: world points through the camera and the user's view of the Scene,
// camera-space points (status texts, the menu) through the camera alone.
struct WindowPoint {
    double x, y;
};
WindowPoint projectWorld(const Scene& s, double x, double y, double z);
WindowPoint projectCamera(double x, double y, double z);

int px(double v);  // nearest pixel
// True when some pixel within `radius` of the projection of the world point passes the test.
bool seenAt(const Frame& f, const Scene& s, double x, double y, double z, int radius,
            const std::function<bool(Rgb)>& test);
bool seenAtPoint(const Frame& f, const Scene& s, const Vec3& p, int radius, const std::function<bool(Rgb)>& test);
// True when the world point projects inside the window, 10 pixels clear of its edges.
bool inWindow(const Scene& s, const Vec3& p);

// Moves the whole 3-D scene out of sight (beyond the far plane), leaving only the texts.
void hideScene(Scene& s);
// Lowers the scene so that the whole straight robot (7.4 high) is in sight.
void showWholeRobot(Scene& s);

// A joint vector: the straight pose with joint 2 bent by `angle`.
struct Pose {
    double q[JV] = {};
};
Pose bentAtJoint2(double angle);
// World position of the middle of link k (joint k-1 to joint k) of the pose q.
Vec3 linkMiddle(Scene& s, const double* q, int k);

// Colour classes of the picture.
bool isWhite(Rgb c);
bool isDark(Rgb c);           // text and lines: black, also under the translucent floor or wall
bool isWallRed(Rgb c);        // the translucent wall, one or two layers deep, over anything but text
bool isLinkColour(Rgb c);     // the lit link colour: green and blue equal and above red
bool isBlue(Rgb c);           // blue lines of the other start candidates
bool isYellow(Rgb c);         // highlight and moved-goal yellow
bool isPinkWork(Rgb c);       // the unlit pink of the work at the goal and of pink lines
bool isPinkLine(Rgb c);       // pink lines of the initial pose and the current start candidate
bool isAchromatic(Rgb c);     // black solids under the light: grey to black, never white
