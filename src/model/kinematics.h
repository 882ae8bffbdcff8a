// Forward kinematics and the sorting of joints by the thick wall.
#pragma once
#include "core/types.h"
struct Scene;

// Writes J, mm, EJ, EA, rw and Ew of the Scene for the joint vector q.
void forwardKinematics(Scene& s, const double* q);

// Runs forwardKinematics(q); returns the number of joints inside the wall, listed in inWall
// (at least N+1 entries). MpOut: last joint of the leading run with y <= rhy1; MwOut: first
// joint with y >= rhy2, or Nw+1 when none.
// The frame of joint i relative to joint i-1 after its turn (Erel[i] turned by q[i] about z; joint
// N's for the work point), for the pose of the last forward kinematics.
Mat3 turnedFrame(const Scene& s, int i);
int classifyJointsByWall(Scene& s, const double* q, int* MpOut, int* inWall, int* MwOut);
