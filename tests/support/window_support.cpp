#include "support/window_support.h"

#include <GL/freeglut.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "model/kinematics.h"
#include "render/camera.h"
#include "render/frame.h"
#include "support/test_scene.h"
#include "window/window.h"

namespace {
constexpr int kSize = 600;
Scene* gScene = nullptr;

WindowPoint project(const Scene* s, double x, double y, double z) {
    setCamera();
    if (s) applyView(s->viewRot, s->viewShift);
    double mv[16], pr[16], wx = 0, wy = 0, wz = 0;
    int vp[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, mv);
    glGetDoublev(GL_PROJECTION_MATRIX, pr);
    glGetIntegerv(GL_VIEWPORT, vp);
    gluProject(x, y, z, mv, pr, vp, &wx, &wy, &wz);
    return {wx, wy};
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
        gScene = new Scene(*start);
        static char name[] = "test_render";
        static char* argv[] = {name, nullptr};
        static int argc = 1;
        openWindow(*gScene, &argc, argv);
        // Let the window appear and receive its size before the first frame is read.
        for (int k = 0; k < 20; ++k) glutMainLoopEvent();
    }
    *gScene = *start;
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

int Frame::count(const ColourTest& test, int x0, int y0, int x1, int y1) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += test(at(x, y));
    return n;
}

int Frame::differing(const Frame& other, int x0, int y0, int x1, int y1) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const Rgb a = at(x, y), b = other.at(x, y);
            n += a.r != b.r || a.g != b.g || a.b != b.b;
        }
    return n;
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

WindowPoint projectWorld(const Scene& s, const Vec3& p) { return project(&s, p[0], p[1], p[2]); }
WindowPoint projectCamera(double x, double y) { return project(nullptr, x, y, 0.0); }
int px(double v) { return static_cast<int>(std::lround(v)); }

bool seenAt(const Frame& f, const Scene& s, const Vec3& p, int radius, const ColourTest& test) {
    const WindowPoint w = projectWorld(s, p);
    return f.count(test, px(w.x) - radius, px(w.y) - radius, px(w.x) + radius + 1, px(w.y) + radius + 1) > 0;
}

bool inWindow(const Scene& s, const Vec3& p) {
    const WindowPoint w = projectWorld(s, p);
    return w.x > 10 && w.x < 590 && w.y > 10 && w.y < 590;
}

int differingNear(const Frame& a, const Frame& b, WindowPoint p, int radius) {
    return a.differing(b, px(p.x) - radius, px(p.y) - radius, px(p.x) + radius + 1, px(p.y) + radius + 1);
}

void hideScene(Scene& s) { s.viewShift[2] = -1000.0; }
void showWholeRobot(Scene& s) { s.viewShift[2] = -4.5; }

void bendJoint2(double angle, double* q) {
    for (int i = 0; i < JV; ++i) q[i] = 0.0;
    q[2] = angle;
}

Vec3 linkMiddle(Scene& s, const double* q, int k) {
    forwardKinematics(s, q);
    Vec3 m;
    for (int a = 0; a < 3; ++a) m[a] = (s.J[k - 1][a] + s.J[k][a]) / 2;
    return m;
}
