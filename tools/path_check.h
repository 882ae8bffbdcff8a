// Independent judge of a joint path. By default it judges the physical model as the window draws
// it: links and hand as capsules of radius 0.1 around their axis segments, the work box in the
// hand frame, the two wall blocks and the floor, with the distances of capsules and boxes computed
// by FCL. The point model of the calculations (joints and link segments against the slit plane and
// the wall band) is kept as an option, for comparison. Its forward kinematics is its own (products
// of rotations about each joint's straight-pose axis); it shares no calculation with the program,
// only the robot and wall data of the Scene.
#pragma once
#include <string>

#include "core/scene.h"

// Kinds of clearance of the physical model; a clearance >= 0 is clear.
//   wall:      capsules of links 1..N and of the hand, and the work as a ball of radius 0.1,
//              against the wall blocks;
//   floor:     capsules of links 2..N and of the hand above z = 0 (the base column is exempt: link 1,
//              and link 2 where link 1 has no length and starts on the floor like the base);
//   workFloor: the lowest corner of the work box, which may rest 0.001 below the floor;
//   work:      the work box against the capsules of links 1..N;
//   self:      axis segments of non-adjacent links, 0.21 apart (0.31 for the hand's axis to the
//              work point), 0.001 short allowed;
//   limit:     joint limits less |q|.
enum ClearanceKind { kWallClear, kFloorClear, kWorkFloorClear, kWorkClear, kSelfClear, kLimitClear, kClearKinds };
const char* clearanceKindName(int kind);

// Shapes named in a contact: links by their number 1..N, and these (the hand: its capsule, or in
// the self clearance its axis to the work point).
enum ModelPart { kPartHand = 100, kPartWork, kPartLeftWall, kPartRightWall, kPartFloor, kPartJoint = 200 };
std::string partName(int part);  // "link 4", "hand", "work", "left wall block", "floor", "joint 7"

// The least clearance of one kind, the shape and what it came nearest to, and the path row at or
// after which it occurs (-1 for a single pose).
struct Contact {
    double clearance = 1e9;
    int shape = 0, touched = 0;
    int row = -1;
};

struct PhysicalClearance {
    Contact kind[kClearKinds];
};

// Every clearance of one pose, computed exactly (all -infinity for a non-finite joint value).
PhysicalClearance judgePose(const Scene& s, const double* q);

struct PathCheckLimits {
    bool pointModel = false;  // judge the point model instead of the physical one
    double maxInterp = 0.005;  // largest joint change between interpolated poses
    // Point model: a joint in the wall or near its faces, and a link where it crosses a face, lie
    // this close to the slit plane (inside the slit, half width 0.15, with 0.05 to spare).
    double slitTol = 0.10;
    double selfTol = 0.001;  // point model: allowed shortfall of the self clearance
};

struct PathCheckReport {
    bool ok = true;
    std::string fault;      // first fault found, empty when none
    int rows = 0;           // rows checked
    long poses = 0;         // poses checked (rows and interpolated poses)
    double maxStep = 0;     // largest weighted change between consecutive rows
    // Physical model: the least clearance of each kind over the path.
    PhysicalClearance least;
    // Point model.
    double minJointWall = 9;   // least wall clearance of a joint (margin included; slit rule)
    double maxSlitOffset = 0;  // largest distance from the slit plane of a joint in the wall band
    double maxRowSlitOffset = 0;  // the same over the rows only (the interference check asks 0.01)
    double minLinkWall = 9;    // least distance of a link segment to the wall blocks
    double minLinkFloor = 9;   // least height of a link segment (links 2..work)
    double minJointFloor = 9;  // least floor clearance of joints 2..N (height minus margin)
    double minSelf = 9;        // least self clearance (distance minus required clearance)
    int worstLinkWallRow = -1, worstLinkFloorRow = -1;
};

// Joint points of q (base, joints 1..N, work point), computed independently. F (may be null, JV
// entries) receives the rotations of the arm: F[i] after joints 1..i for i = 0..N, and F[Nw] the
// work frame (its columns are the axes of the work box).
void independentJointPoints(const Scene& s, const double* q, Vec3* P, Mat3* F = nullptr);

// Checks rows 0..n-1 of path (JV doubles each) and linear interpolations between consecutive
// rows. qFirst / qLast (may be null) are the poses the path must start and end at.
PathCheckReport checkPath(const Scene& s, const double (*path)[JV], int n, const double* qFirst,
                          const double* qLast, const PathCheckLimits& lim = PathCheckLimits());

// The least clearance of each kind with where it occurs, as "wall 0.0312 (row 40, link 4 / left
// wall block)", joined by ", ".
std::string describeClearances(const PhysicalClearance& c);
