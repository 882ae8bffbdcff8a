#include "core/scene.h"

void redraw(Scene& s) {
    if (s.redraw) s.redraw(s);
}
