#include "goal/path_ask.h"

#include "core/scene.h"

void askPath(Scene& s, PathAsk ask) {
    if (static_cast<int>(ask) > static_cast<int>(s.pathAsk)) s.pathAsk = ask;
}
