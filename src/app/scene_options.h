// Scene set-up by the keys a user would press: robot choice, slit and goal moves. Used by the
// runner's scene options and by the sweep, so that the state is exactly what keys would give.
#pragma once
#include <string>

#include "core/types.h"
struct Scene;

// 'F' and the two digits of a robot name such as "F32". False with a message for a name the
// robot choice does not know.
bool chooseRobotByKeys(Scene& s, const std::string& name, std::string& error);
// Moves the slit base point rh to target by the 0.01 steps of the O-mode keys, then 'A'. False
// with a message when target is not on the 0.01 grid of the keys from the current rh, or when
// the program reports the wall out of the robot's reach.
bool moveSlitByKeys(Scene& s, const Vec3& target, std::string& error);
// Moves the goal rwp to target by the 0.01 steps of the A-mode keys, then 'A' (new start pose
// candidates). False with a message off the grid, or for a goal not behind the wall.
bool moveGoalByKeys(Scene& s, const Vec3& target, std::string& error);
// Parses "X,Y,Z" (three finite numbers).
bool parseVec3(const std::string& text, Vec3& out);
