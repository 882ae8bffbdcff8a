// Scenes for tests and benchmarks: start-up run quietly, no window, no console pauses.
#pragma once
#include <functional>
#include <memory>

#include "core/scene.h"

std::unique_ptr<Scene> makeScene();
// A scene with robot (lower, upper) built by the first robot choice ('F' and two digits).
std::unique_ptr<Scene> makeSceneWithRobot(int lower, int upper);
// Goal keys ('a', 'a', 'b') on each start-pose candidate in turn (' ' for the next) until a final
// pose is reached that accept takes (any, when accept is empty); a refused pose that accept left
// unsolved gets more goal keys. False when none is taken.
bool solveFinalPose(Scene& s, const std::function<bool(Scene&)>& accept = {});
// A final pose accepted by the B preparation ('B'): the path record starts at row 0, phase 1.
bool startPathByKeys(Scene& s);
