#include "app/window.h"

#include <GL/freeglut.h>

#include <cmath>
#include <cstdlib>

#include "app/keyboard.h"
#include "app/scene.h"
#include "render/frame.h"
#include "render/menu.h"

const char* const WINDOW_TITLE =
    "F:Robot Choice, O:Obstacle Set, A:Cal. of Goal Pose, B:Path Generation, C:Path Motion";

namespace {

// The Scene of the running program, reached by the GLUT callbacks.
Scene* gScene = nullptr;
bool gOpen = false;
bool gIdle = false;

// The idle callback runs only while a joint spin runs.
void syncIdle() {
    bool want = gScene && gScene->sgnSpin == 1;
    if (want == gIdle) return;
    glutIdleFunc(want ? postRedisplay : nullptr);
    gIdle = want;
}

// Camera: 30 degree field of view, eye on a circle of radius 14 at azimuth 0.2 rad, height 8.
constexpr double kFovy = 30.0, kAspect = 1.0, kNear = 1.0, kFar = 100.0;
constexpr double kEyeRadius = 14.0, kEyeAzimuth = 0.2, kEyeHeight = 8.0;
const GLfloat kLightPosition[4] = {4.0f, 0.0f, 4.0f, 0.5f};
const GLfloat kLightAmbient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
const GLfloat kLightDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat kLightSpecular[4] = {0.7f, 0.7f, 0.7f, 1.0f};

}  // namespace

void windowDisplay() {
    if (!gScene) return;
    redrawScene(*gScene);
    syncIdle();
}

void windowKeyboard(unsigned char key, int, int) {
    if (!gScene) return;
    keyboard(*gScene, key);
    if (gScene->quit) std::exit(0);
    syncIdle();
}

bool idleInstalled() { return gIdle; }

bool windowIsOpen() { return gOpen; }

void openWindow(Scene& s, int* argc, char** argv) {
    gScene = &s;
    glutInitWindowSize(600, 600);
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    // Closing the window ends the event loop, so that the program still says "end".
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    glutCreateWindow(WINDOW_TITLE);
    glutDisplayFunc(windowDisplay);
    glutReshapeFunc(reshapeWindow);
    glutKeyboardFunc(windowKeyboard);
    glutIdleFunc(nullptr);
    gIdle = false;
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    prepareMenuModel();
    gOpen = true;
}

void startGraphics(Scene& s, int* argc, char** argv) {
    openWindow(s, argc, argv);
    glutMainLoop();
    gOpen = false;
}

void reshapeWindow(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

void postRedisplay() { glutPostRedisplay(); }

void setCamera() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluPerspective(kFovy, kAspect, kNear, kFar);
    const double ex = kEyeRadius * std::cos(kEyeAzimuth), ey = kEyeRadius * std::sin(kEyeAzimuth);
    gluLookAt(ex, ey, kEyeHeight, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0);
    glEnable(GL_LIGHTING);
    glLightfv(GL_LIGHT0, GL_POSITION, kLightPosition);
    glLightfv(GL_LIGHT0, GL_AMBIENT, kLightAmbient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, kLightDiffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, kLightSpecular);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
    // The perspective sits in the modelview matrix, which stretches the normals: renormalise
    // them so that the diffuse light stays within its range.
    glEnable(GL_NORMALIZE);
}

void applyView(const double* viewRot, const double* viewShift) {
    glRotated(viewRot[0], 1.0, 0.0, 0.0);
    glRotated(viewRot[1], 0.0, 1.0, 0.0);
    glRotated(viewRot[2], 0.0, 0.0, 1.0);
    glTranslated(viewShift[0], viewShift[1], viewShift[2]);
}

void finishFrame() {
    glFlush();
    glutSwapBuffers();
}
