// Scenes for tests and benchmarks: start-up run quietly, no window, no console pauses.
#pragma once
#include <memory>

#include "core/scene.h"

std::unique_ptr<Scene> makeScene();
// A scene with robot (lower, upper) built by the first robot choice ('F' and two digits).
std::unique_ptr<Scene> makeSceneWithRobot(int lower, int upper);
