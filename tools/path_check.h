// Independent check of a joint path: its own forward kinematics (products of rotations about
// each joint's straight-pose axis) and its own geometry of wall, slit and floor. It shares no
// calculation with the path generation, only the robot and wall data of the Scene.
#pragma once
#include <string>

#include "core/scene.h"

struct PathCheckLimits {
    // A joint in the wall or near its faces, and a link where it crosses a face, lie this close
    // to the slit plane: inside the slit (half width 0.15) with 0.05 to spare.
    double slitTol = 0.10;
    double maxInterp = 0.005;  // largest joint change between interpolated poses
    double selfTol = 0.001;  // allowed shortfall of the self clearance
};

struct PathCheckReport {
    bool ok = true;
    std::string fault;      // first fault found, empty when none
    int rows = 0;           // rows checked
    long poses = 0;         // poses checked (rows and interpolated poses)
    double maxStep = 0;     // largest weighted change between consecutive rows
    double minJointWall = 9;   // least wall clearance of a joint (margin included; slit rule)
    double maxSlitOffset = 0;  // largest distance from the slit plane of a joint in the wall band
    double maxRowSlitOffset = 0;  // the same over the rows only (the interference check asks 0.01)
    double minLinkWall = 9;    // least distance of a link segment to the wall blocks
    double minLinkFloor = 9;   // least height of a link segment (links 2..work)
    double minJointFloor = 9;  // least floor clearance of joints 2..N (height minus margin)
    double minSelf = 9;        // least self clearance (distance minus required clearance)
    int worstLinkWallRow = -1, worstLinkFloorRow = -1;
};

// Joint points of q (base, joints 1..N, work point), computed independently.
void independentJointPoints(const Scene& s, const double* q, Vec3* P);

// Checks rows 0..n-1 of path (JV doubles each) and linear interpolations between consecutive
// rows. qFirst / qLast (may be null) are the poses the path must start and end at.
PathCheckReport checkPath(const Scene& s, const double (*path)[JV], int n, const double* qFirst,
                          const double* qLast, const PathCheckLimits& lim = PathCheckLimits());
