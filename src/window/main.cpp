// The simulator program: start-up, then the window and its event loop.
#include <cstdio>

#include "app/startup.h"
#include "core/console.h"
#include "core/scene.h"
#include "render/frame.h"
#include "window/window.h"

int main(int argc, char** argv) {
    // The one Scene of the program; large, so it lives on the heap.
    Scene* s = new Scene;
    s->redraw = redrawScene;
    s->waitKey = terminalWaitKeyHook;
    s->trace = stdout;
    startUp(*s);
    startGraphics(*s, &argc, argv);
    std::printf("end");
    std::fflush(stdout);
    delete s;
    return 0;
}
