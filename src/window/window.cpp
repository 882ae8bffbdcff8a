#include "window/window.h"

#include <GL/freeglut.h>

#include <cstdlib>

#include "app/keyboard.h"
#include "core/scene.h"
#include "render/frame.h"
#include "render/menu.h"

const char* const WINDOW_TITLE =
    "F:Robot Choice, O:Obstacle Set, A:Cal. of Goal Pose, B:Path Generation, C:Path Motion";

namespace {

// The Scene of the running program, reached by the GLUT callbacks.
Scene* gScene = nullptr;
bool gIdle = false;

// The idle callback runs only while a joint spin runs.
void syncIdle() {
    bool want = gScene && gScene->sgnSpin == 1;
    if (want == gIdle) return;
    glutIdleFunc(want ? postRedisplay : nullptr);
    gIdle = want;
}

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
    setWindowOpen(true);
}

void startGraphics(Scene& s, int* argc, char** argv) {
    openWindow(s, argc, argv);
    glutMainLoop();
    setWindowOpen(false);
}

void reshapeWindow(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

void postRedisplay() { glutPostRedisplay(); }
