#include "render/window_support.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/window.h"
#include "model/kinematics.h"
#include "render/frame.h"
#include "support/test_scene.h"

namespace {

constexpr int kSize = 600;
Scene* gScene = nullptr;

void project(double x, double y, double z, bool withView, const Scene* s, WindowPoint& out) {
    setCamera();
    if (withView) applyView(s->viewRot, s->viewShift);
    double mv[16], pr[16];
    int vp[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, mv);
    glGetDoublev(GL_PROJECTION_MATRIX, pr);
    glGetIntegerv(GL_VIEWPORT, vp);
    double wx = 0, wy = 0, wz = 0;
    gluProject(x, y, z, mv, pr, vp, &wx, &wy, &wz);
    out = {wx, wy};
}

}  // namespace

Scene& freshWindowScene() {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        std::fprintf(stderr, "window tests need an X display: run them through scripts/test.sh, which starts Xvfb\n");
        std::exit(1);
    }
    std::unique_ptr<Scene> start = makeScene();
    if (!gScene) {
        gScene = new Scene;
        *gScene = *start;
        static char name[] = "test_render";
        static char* argv[] = {name, nullptr};
        static int argc = 1;
        openWindow(*gScene, &argc, argv);
        // Let the window appear and receive its size before the first frame is read.
        for (int k = 0; k < 20; ++k) glutMainLoopEvent();
    }
    *gScene = *start;
    // The frames are reasoned about for the straight robot with no start candidates drawn: the
    // picture before the start pose search has placed the arm.
    for (int i = 0; i < JV; ++i) gScene->qr[i] = gScene->qInit[i];
    gScene->nqss0 = 0;
    gScene->trace = nullptr;
    gScene->waitKey = nullptr;
    gScene->redraw = redrawScene;
    return *gScene;
}

Rgb Frame::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= kSize || y >= kSize) return {255, 255, 255};
    const unsigned char* p = &rgb[(static_cast<size_t>(y) * kSize + x) * 3];
    return {p[0], p[1], p[2]};
}

bool Frame::anyNear(int x, int y, int radius, const std::function<bool(Rgb)>& test) const {
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (test(at(x + dx, y + dy))) return true;
    return false;
}

int Frame::count(int x0, int y0, int x1, int y1, const std::function<bool(Rgb)>& test) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (test(at(x, y))) ++n;
    return n;
}

int Frame::differing(const Frame& other, int x0, int y0, int x1, int y1) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            Rgb a = at(x, y), b = other.at(x, y);
            if (a.r != b.r || a.g != b.g || a.b != b.b) ++n;
        }
    return n;
}

void Frame::savePpm(const char* path) const {
    std::FILE* out = std::fopen(path, "wb");
    if (!out) return;
    std::fprintf(out, "P6\n%d %d\n255\n", kSize, kSize);
    for (int y = kSize - 1; y >= 0; --y) std::fwrite(&rgb[static_cast<size_t>(y) * kSize * 3], 1, kSize * 3, out);
    std::fclose(out);
}

Frame renderFrame(Scene& s) {
    drawScene(s);
    glFinish();
    Frame f;
    f.rgb.assign(static_cast<size_t>(kSize) * kSize * 3, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, f.rgb.data());
    return f;
}

WindowPoint projectWorld(const Scene& s, double x, double y, double z) {
    WindowPoint p;
    project(x, y, z, true, &s, p);
    return p;
}

WindowPoint projectCamera(double x, double y, double z) {
    WindowPoint p;
    project(x, y, z, false, nullptr, p);
    return p;
}

bool isWhite(Rgb c) { return c.r >= 250 && c.g >= 250 && c.b >= 250; }
bool isDark(Rgb c) { return c.r < 225 && c.g < 50 && c.b < 50; }
bool isWallRed(Rgb c) { return c.r >= 200 && c.g < 130 && c.b < 130 && std::abs(c.g - c.b) < 12; }
bool isLinkColour(Rgb c) { return c.g >= c.r + 8 && c.g > 100 && std::abs(c.g - c.b) <= 10; }
bool isBlue(Rgb c) { return c.b > 180 && c.r < 80 && c.g < 80; }
bool isYellow(Rgb c) { return c.r > 200 && c.g > 200 && c.b < c.r - 60; }
bool isPinkWork(Rgb c) {
    return c.r >= 240 && c.g >= 115 && c.g <= 140 && c.b >= 115 && c.b <= 140;
}
bool isPinkLine(Rgb c) { return isPinkWork(c); }
bool isAchromatic(Rgb c) { return std::abs(c.r - c.g) < 12 && std::abs(c.g - c.b) < 12 && c.r < 235; }

int px(double v) { return static_cast<int>(std::lround(v)); }

bool seenAt(const Frame& f, const Scene& s, double x, double y, double z, int radius,
            const std::function<bool(Rgb)>& test) {
    WindowPoint p = projectWorld(s, x, y, z);
    return f.anyNear(px(p.x), px(p.y), radius, test);
}

bool seenAtPoint(const Frame& f, const Scene& s, const Vec3& p, int radius, const std::function<bool(Rgb)>& test) {
    return seenAt(f, s, p[0], p[1], p[2], radius, test);
}

bool inWindow(const Scene& s, const Vec3& p) {
    WindowPoint w = projectWorld(s, p[0], p[1], p[2]);
    return w.x > 10 && w.x < 590 && w.y > 10 && w.y < 590;
}

void hideScene(Scene& s) { s.viewShift[2] = -1000.0; }
void showWholeRobot(Scene& s) { s.viewShift[2] = -4.5; }

Pose bentAtJoint2(double angle) {
    Pose p;
    p.q[2] = angle;
    return p;
}

Vec3 linkMiddle(Scene& s, const double* q, int k) {
    forwardKinematics(s, q);
    Vec3 m;
    for (int a = 0; a < 3; ++a) m[a] = (s.J[k - 1][a] + s.J[k][a]) / 2;
    return m;
}
