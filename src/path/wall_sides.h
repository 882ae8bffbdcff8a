// The wall sides of a pose as the path generation reads them.
#pragma once
struct Scene;

// Sorts the joints of q by the thick wall (runs forward kinematics of q): Mp the last joint of
// the leading run on the robot's side, Mw the first joint at or beyond the far face (Nw+1 when
// none). Returns the number of joints inside the wall.
int classifyWallSides(Scene& s, const double* q, int& Mp, int& Mw);
