// The robot and the scene as URDF documents, for other robotics tools.
#pragma once
#include <cstdio>

struct Scene;

// The robot of the Scene. Every frame of the document is parallel to the world frame in the
// straight pose, so a joint's axis reads as the letter it turns by ('R' z, 'P' x, 'Q' y):
//   base -fixed- link1 -j1- body1 -fixed- link2 -j2- body2 ... -j<N>- body<N> -fixed- hand
//        -fixed- work_point
// linkI is link I of the catalogue (the cylinder from joint I-1 to joint I, rigid with the body
// before it), bodyI the joint body of joint I (its frame at joint I), hand the cylinder from joint
// N to the face of the work box, work_point the work frame (Ew in the pose) holding the work box.
// A joint with a limit is revolute, a joint without one continuous.
void writeRobotUrdf(const Scene& s, std::FILE* out);

// The scene: the floor, the two wall blocks beside the slit at rh, and a marker at the goal rwp.
void writeSceneUrdf(const Scene& s, std::FILE* out);
