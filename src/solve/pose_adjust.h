// A numeric correction of a whole pose: damped least squares over the joints towards a work
// position and orientation, keeping chosen joints on the slit plane. Used where the closed-form
// steps have nothing to say (a straight lift of the work, a final pose off the slit rule).
#pragma once
#include "core/types.h"
struct Scene;

struct PoseTarget {
    Vec3 rw;             // work point
    Mat3 Ew;             // work frame
    int planeJoints[JV]; // joints held on the plane x = rhx (count planeCount)
    int planeCount = 0;
    // Links (segment J[k-1]..J[k]) held on the plane where their line meets y = faceY.
    int faceLink[2] = {0, 0};
    double faceY[2] = {0, 0};
    int faceCount = 0;
    double planeWeight = 1.0;  // of the plane and face offsets
    double planeBand = 0;      // offsets up to this size count as none
};

// Moves q towards the target from q0 in at most maxIter Gauss-Newton steps with damping and a
// step bound; joints listed in fixedMask (1 = fixed, JV entries, may be null) do not move.
// Returns the residual norm reached (position, orientation and plane offsets); q is written
// with the pose reached. Allocates nothing; runs forwardKinematics.
double adjustPose(Scene& s, const double* q0, const PoseTarget& t, const int* fixedMask, int maxIter, double* q);
