#include "support/test_scene.h"

#include "app/keyboard.h"
#include "app/startup.h"

std::unique_ptr<Scene> makeScene() {
    auto s = std::make_unique<Scene>();
    s->trace = nullptr;
    startUp(*s);
    return s;
}

std::unique_ptr<Scene> makeSceneWithRobot(int lower, int upper) {
    auto s = makeScene();
    keyboard(*s, 'F');
    keyboard(*s, static_cast<unsigned char>('0' + lower));
    keyboard(*s, static_cast<unsigned char>('0' + upper));
    return s;
}
