#include "render/text.h"

#include <GL/freeglut.h>

namespace {

// The characters of an overlay text, up to its newline. A row is never read past its length,
// and a text that lacks the newline ends at its terminating NUL.
void overlayCharacters(void* font, const char* text, int limit) {
    for (int k = 0; k < limit && text[k] != '\n' && text[k] != '\0'; ++k)
        glutBitmapCharacter(font, static_cast<unsigned char>(text[k]));
}

void beginOverlay() {
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0.0, 600.0, 0.0, 600.0);
    glPushAttrib(GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glColor3f(0.0f, 0.0f, 0.0f);
}

void endOverlay() {
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glPopAttrib();
    glPopMatrix();
}

}  // namespace

void* textFont() { return GLUT_BITMAP_HELVETICA_18; }

void drawText2D(double x, double y, void* font, const char* text) {
    beginOverlay();
    glRasterPos2d(x, y);
    overlayCharacters(font, text, 1 << 16);
    endOverlay();
}

void drawTextLines(double x, double y0, int n, double dy, void* font, const char (*rows)[TEXT_ROW]) {
    beginOverlay();
    for (int k = 0; k < n; ++k) {
        glRasterPos2d(x, y0 + k * dy);
        overlayCharacters(font, rows[k], TEXT_ROW);
    }
    endOverlay();
}

void drawText3D(double x, double y, double z, void* font, const char* text) {
    glPushAttrib(GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glRasterPos3d(x, y, z);
    for (const char* p = text; *p; ++p) glutBitmapCharacter(font, static_cast<unsigned char>(*p));
    glEnable(GL_LIGHTING);
    glPopAttrib();
}
