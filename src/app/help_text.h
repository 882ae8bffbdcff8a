// The start-up help of the console: the keys, the robot, the slit and the goal.
#pragma once
struct Scene;

// Prints the key help and printRobotInfo to the trace.
void printHelp(const Scene& s);
