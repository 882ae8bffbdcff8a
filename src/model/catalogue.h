// The catalogue of eight robots (F11..F42) and the robot choice.
#pragma once
struct Scene;

// Builds the robot model for the pair sel = (lower, upper, switch); keeps rh and rwG.
void setRobotType(Scene& s, const int* sel);
// Derives Erel, Lvec, L, mm0, EwH, PwOffset and Lw from the straight pose.
void setRobotStructure(Scene& s);
// First choice after start-up or reset: builds the robot and installs its slit and goal.
void setRobotDefaults(Scene& s, const int* sel);
// Key handler of robot choice mode.
void RBTCHOICE1(Scene& s, char key);
// Key 'F': enters robot choice mode.
void startRobotChoice(Scene& s);
void printRobotInfo(const Scene& s);
