// Drawing operations of a frame: robot in two styles, work box, thick wall with its slit,
// floor, axes, markers and lines. Fixed-function OpenGL with light 0 of the camera; solids take
// their colour from the ambient front material, lines and boxes are drawn unlit in a plain colour.
#pragma once
#include "core/types.h"

struct Scene;

// RGBA colours of the scene.
extern const float PINK[4];
extern const float BLUE[4];
extern const float BLACK[4];
extern const float YELLOW[4];
extern const float RED[4];
extern const float WALL_RED[4];
extern const float FLOOR_RED[4];
extern const float LINK_COLOUR[4];
extern const float JOINT_COLOUR[4];
extern const float HIGHLIGHT_COLOUR[4];

// Orientation of a box as three angles (radians): rotation a0 about z, then a1 about y, then
// a2 about z. boxAngles finds the angles of a frame (its columns are the axes).
struct BoxAngles {
    double a[3];
};
BoxAngles boxAngles(const Mat3& E);
// The frame the three angles describe (the inverse of boxAngles).
Mat3 boxFrame(const BoxAngles& angles);
// Fixed angles of the wall blocks: the block length along world x, the thickness along y.
constexpr BoxAngles WALL_ANGLES = {{0.0, 0.0, -1.5707963278}};

void drawLine(const Vec3& p1, const Vec3& p2, float width, const float* colour);
void drawBall(const Vec3& p, double radius, const float* colour);  // 20 x 20 subdivisions
void drawDot(const Vec3& p, double radius, const float* colour);   // 10 x 10 subdivisions
void drawCylinder(const Vec3& p1, const Vec3& p2, double radius, const float* colour);
// A flat disc across the z axis of the frame (normal along that axis).
void drawDisc(const Mat3& frame, const Vec3& centre, double radius, const float* colour);
void drawLink(const Vec3& p1, const Vec3& p2);
// The joint body: a closed cylinder of length 0.22 and radius 0.105 along the z column of E.
void drawJoint(char letter, const Mat3& E, const Vec3& p, const float* colour);
void drawBox(const BoxAngles& angles, const Vec3& centre, double sx, double sy, double sz, const float* colour);
void drawBoxOutline(const BoxAngles& angles, const Vec3& centre, double sx, double sy, double sz, float width,
                    const float* colour);

// Both run forwardKinematics(q) on the Scene.
void drawRobotSimple(Scene& s, const double* q, const float* colour);
void drawRobot(Scene& s, const double* q, int highlight);
void drawWork(const Scene& s, const Vec3& position, const Mat3& E, const float* colour);
void drawWall(const Scene& s);
void drawFloor();
void drawAxes();
