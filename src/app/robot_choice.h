// Robot choice mode: key 'F', then two digits choose a robot of the catalogue.
#pragma once
struct Scene;

// Key 'F': enters robot choice mode.
void startRobotChoice(Scene& s);
// Key handler of robot choice mode: the lower digit '1'..'4', then the upper '1'..'2'; the
// second digit builds the robot and reruns the goal pose calculation (key 'A').
void RBTCHOICE1(Scene& s, char key);
