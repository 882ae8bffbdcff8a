// The catalogue of eight robots (F11..F42): their structures, slits and goals.
#pragma once
struct Scene;

// Builds the robot model for the pair sel = (lower, upper, switch); keeps rh and rwG.
void setRobotType(Scene& s, const int* sel);
// Derives Erel, Lvec, L, mm0, EwH, PwOffset and Lw from the straight pose.
void setRobotStructure(Scene& s);
// First choice after start-up or reset: builds the robot and installs its slit and goal.
void setRobotDefaults(Scene& s, const int* sel);
// The robot, slit and goal lines of the console help.
void printRobotInfo(const Scene& s);
