// Forward kinematics and the sorting of joints by the thick wall.
#pragma once
struct Scene;

// Writes J, mm, EJ, EA, Eq, rw and Ew of the Scene for the joint vector q.
void forwardKinematics(Scene& s, const double* q);

// Runs forwardKinematics(q); returns the number of joints inside the wall, listed in inWall
// (at least N+1 entries). MpOut: last joint of the leading run with y <= rhy1; MwOut: first
// joint with y >= rhy2, or Nw+1 when none.
int classifyJointsByWall(Scene& s, const double* q, int* MpOut, int* inWall, int* MwOut);
