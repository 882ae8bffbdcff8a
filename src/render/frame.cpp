#include "render/frame.h"

#include <GL/freeglut.h>

#include <cmath>

#include "app/startup.h"
#include "app/status_text.h"
#include "core/scene.h"
#include "render/camera.h"
#include "render/draw.h"
#include "render/menu.h"
#include "render/text.h"

const char LEGEND[7][100] = {
    "'F':Robot Choice\n",
    "'O':Obstacle Set\n",
    "'A':Sol. Slit-Pass and Goal Positioning\n",
    "(1,4) (2,5) (3,6):Change Goal Position X,Y,Z in Step\n",
    "'B':Path Generation from Goal Pose to Initial Pose\n",
    "'C':Motion from Initial to Goal\n",
    "\n",
};

namespace {

// The moved goal is drawn as a second work only when it is more than 0.0001 from rwG.
bool goalMoved(const Vec3& rwG, const Vec3& rwp) {
    double d0 = rwG[0] - rwp[0], d1 = rwG[1] - rwp[1], d2 = rwG[2] - rwp[2];
    return std::sqrt(d0 * d0 + d1 * d1 + d2 * d2) > 0.0001;
}

// The last row of a table of `rows` rows that a loop up to `last` may read.
int clampRow(int last, int rows) { return last < rows - 1 ? last : rows - 1; }

// Set by the window when it opens and when its event loop ends.
bool gWindowOpen = false;

}  // namespace

void setWindowOpen(bool open) { gWindowOpen = open; }

bool windowIsOpen() { return gWindowOpen; }

void drawScene(Scene& s) {
    void* font = textFont();
    setCamera();
    drawTextLines(5.0, 580.0, 7, -20.0, font, LEGEND);
    drawText2D(5.0, 10.0, font, s.robotnum);
    drawText2D(89.0, 10.0, font, s.JTYPEstr);
    // The texts of the status block and the menu take the current colour: black, in every frame.
    glColor4fv(BLACK);
    if (s.sgnCAL == 'F') {
        drawMenu(s);
    } else {
        const StatusText status = chooseStatusLines(s);
        for (int k = 0; k < status.n; ++k)
            drawText3D(status.line[k].x, status.line[k].y, 0.0, font, status.line[k].text);
    }
    applyView(s.viewRot, s.viewShift);
    drawAxes();
    drawFloor();
    if (s.sgnCAL != 'F' && s.sgnDrawInitial == 1) drawRobotSimple(s, s.qZero, PINK);
    if (s.sgnCAL == 'A' || (s.sgnCAL == 'O' && s.sgnAtoO == 1) || s.sgnCAL == 'G') {
        const int n = s.nqss0 < Scene::NQSS0 ? s.nqss0 : Scene::NQSS0;
        for (int k = 0; k < n; ++k)
            if (k != s.cntqs0) drawRobotSimple(s, s.qss0[k], BLUE);
        if (s.cntqs0 >= 0 && s.cntqs0 < Scene::NQSS0) drawRobotSimple(s, s.qss0[s.cntqs0], PINK);
    }
    if (s.sgnCAL == 'B') {
        const int last = clampRow(s.NPATH, NMAX);
        for (int k = 0; k <= last; ++k) drawDot(s.rwIPATH[k], 0.04, BLACK);
        for (int k = 0; k <= last; ++k) drawDot(s.JpIPATH[k], 0.03, BLACK);
        drawBall(s.rwInit, 0.07, YELLOW);
    }
    if (s.sgnCAL == 'C') {
        const int last = clampRow(s.nMOVE, NMAX);
        const Vec3* trail = s.sgnPlayShort ? s.rwSHORT : s.rwPATH;
        for (int k = 0; k <= last; ++k) drawBall(trail[k], 0.05, BLACK);
    }
    if (s.sgnCAL != 'F') {
        drawRobot(s, s.qr, s.JColl);
        drawWork(s, s.rwG, s.EwG, PINK);
        if (goalMoved(s.rwG, s.rwp)) drawWork(s, s.rwp, s.EwG, YELLOW);
        drawWall(s);
    }
}

void redrawScene(Scene& s) {
    if (!windowIsOpen()) return;
    drawScene(s);
    finishFrame();
    if (glutLayerGet(GLUT_NORMAL_DAMAGED) == 0) spinStep(s);
}
