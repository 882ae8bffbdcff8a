#include "render/camera.h"

#include <GL/freeglut.h>

#include <cmath>

namespace {

// Camera: 30 degree field of view, eye on a circle of radius 14 at azimuth 0.2 rad, height 8.
constexpr double kFovy = 30.0, kAspect = 1.0, kNear = 1.0, kFar = 100.0;
constexpr double kEyeRadius = 14.0, kEyeAzimuth = 0.2, kEyeHeight = 8.0;
const GLfloat kLightPosition[4] = {4.0f, 0.0f, 4.0f, 0.5f};
const GLfloat kLightAmbient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
const GLfloat kLightDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat kLightSpecular[4] = {0.7f, 0.7f, 0.7f, 1.0f};

}  // namespace

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
