// The wall sides of a pose as the path generation reads them.
#include "path/wall_sides.h"

#include "core/scene.h"
#include "model/kinematics.h"

int classifyWallSides(Scene& s, const double* q, int& Mp, int& Mw) {
    int inWall[JV];
    return classifyJointsByWall(s, q, &Mp, inWall, &Mw);
}
