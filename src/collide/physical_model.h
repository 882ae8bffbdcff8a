// The arm and the work box as the window draws them: links and hand as capsules of radius 0.1
// around their segments, the box 0.35 x 0.3 x Hwork about the work point, the two wall blocks
// beside the slit and the floor. One pose is judged by its least clearance of each kind; a
// clearance below zero is a contact that a user would see.
#pragma once
#include "core/types.h"
struct Scene;

constexpr double kCapsuleRadius = 0.1;                    // links and hand, as drawn
constexpr double kWorkHalf[3] = {0.175, 0.15, 0.1};       // half sizes of the box (z: Hwork / 2)
constexpr double kWallBlockLength = 4.0;                  // extent of a block beside the slit
constexpr double kWallBlockHeight = 7.5;
constexpr double kWorkFloorSink = 0.001;                  // the box rests on the floor at the goal

// The kinds of contact, in the order a pose is judged.
enum class ShapeContact { None, Limit, Wall, Floor, WorkFloor, Work, Self };

// Least clearance of each kind in one pose, with the shapes that give it. A shape index k in
// 1..N is link k (segment J[k-1]..J[k]); Nw is the hand (wall, floor) or the work (self).
// The links that start at the base (the base column) are not judged against the floor.
struct ShapeClearance {
    double wall = 9, floor = 9, workFloor = 9, work = 9, self = 9;
    int wallShape = 0, wallBlock = 0;   // block 0 beyond the slit in +x, 1 in -x
    int floorShape = 0;
    int workLink = 0;                   // link the box comes closest to
    int selfA = 0, selfB = 0;           // the two links of the least self clearance
    int limitJoint = 0;                 // first joint beyond its limit, 0 when none
    // Per shape (1..N the links, Nw the hand and the work link, Nw+1 the box): the least
    // clearance against the wall and the floor, and against the other moving shapes. A shape
    // whose exact distance was skipped holds the lower bound that let it be skipped.
    double shapeFixed[JV + 2], shapeMoving[JV + 2];
};

// Judges q (runs forwardKinematics on it). Allocates nothing.
void physicalClearance(Scene& s, const double* q, ShapeClearance& out);
// Clearance of the capsule of link k (1..N) from the wall blocks, in the pose of the last
// forward kinematics.
double linkWallClearance(const Scene& s, int k);
// The kind of the worst violation of c (None when every clearance is >= 0), and its depth.
ShapeContact worstContact(const ShapeClearance& c, double& depth);
// Bound on how far any point of each shape (out[1..Nw+1], shapes as in ShapeClearance) can move
// along the straight joint-space motion by dq (joints 1..N): the sum over the joints before the
// shape of |dq| times the joint's reach to the far end of the shape (link k moves only with the
// joints before it; the hand and the box with all of them).
void shapeSweepBounds(const Scene& s, const double* dq, double* out);

// Geometry, exposed for the tests: distance from a segment to an axis-aligned box lo..hi, and
// between two segments.
double segmentBoxDistance(const Vec3& a, const Vec3& b, const Vec3& lo, const Vec3& hi);
double segmentSegmentDistance(const Vec3& p1, const Vec3& q1, const Vec3& p2, const Vec3& q2);
