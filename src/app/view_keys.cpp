#include "app/view_keys.h"

#include "app/startup.h"
#include "core/scene.h"

namespace {

// Axis 0, 1, 2 of a key pair ("Pp", "Qq", "Rr" from 'P'; "Xx", "Yy", "Zz" from 'X'); the
// capital moves the positive way.
int axisOf(unsigned char key, char first) {
    return (key >= 'a' ? key - ('a' - 'A') : key) - first;
}

double signOf(unsigned char key) { return key < 'a' ? 1.0 : -1.0; }

}  // namespace

void quitKey(Scene& s, unsigned char) { s.quit = true; }

void viewTurnKey(Scene& s, unsigned char key) {
    s.viewRot[axisOf(key, 'P')] += signOf(key) * 1.0;
    s.sgnSpin = 0;
    redraw(s);
}

void viewShiftKey(Scene& s, unsigned char key) {
    s.viewShift[axisOf(key, 'X')] += signOf(key) * 0.1;
    s.sgnSpin = 0;
    redraw(s);
}

void spinKey(Scene& s, unsigned char key) {
    int k = key - '!' + 1;
    s.spinJoint = k;
    s.qSpinSave = s.qr[k];
    s.sgnSpin = 1;
    spinStep(s);
    s.qr[k] = s.qSpinSave;
    redraw(s);
}
