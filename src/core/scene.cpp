#include "core/scene.h"

#include <cstdlib>
#include <new>

void* Scene::operator new(std::size_t size) {
    // calloc of a block this large maps fresh zero pages and does not write them.
    void* p = std::calloc(1, size);
    if (!p) throw std::bad_alloc();
    return p;
}

void Scene::operator delete(void* p) noexcept { std::free(p); }

void redraw(Scene& s) {
    if (s.redraw) s.redraw(s);
}
