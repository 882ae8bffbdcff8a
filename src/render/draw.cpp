#include "render/draw.h"

#include <GL/gl.h>

#include <cmath>

#include "core/scene.h"
#include "model/body_shapes.h"
#include "model/kinematics.h"
#include "model/vecops.h"

const float PINK[4] = {1.0f, 0.5f, 0.5f, 1.0f};
const float BLUE[4] = {0.0f, 0.0f, 1.0f, 1.0f};
const float BLACK[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const float YELLOW[4] = {1.0f, 1.0f, 0.0f, 1.0f};
const float RED[4] = {1.0f, 0.0f, 0.0f, 1.0f};
const float WALL_RED[4] = {1.0f, 0.0f, 0.0f, 0.6f};
const float FLOOR_RED[4] = {1.0f, 0.0f, 0.0f, 0.3f};
const float LINK_COLOUR[4] = {0.3f, 0.7f, 0.7f, 1.0f};
const float JOINT_COLOUR[4] = {0.0f, 0.0f, 0.9f, 1.0f};
const float HIGHLIGHT_COLOUR[4] = {1.0f, 1.0f, 0.0f, 1.0f};

namespace {

constexpr double kDegree = 0.01745329252;  // radians per degree
constexpr double kWorkFeatureRadius = 0.08;

// Unit circle and unit sphere tables, filled once; drawing allocates nothing.
constexpr int kCircleSlices = 16;
struct Circle {
    double c[kCircleSlices + 1], s[kCircleSlices + 1];
    Circle() {
        for (int k = 0; k <= kCircleSlices; ++k) {
            double t = TWO_PI_C * k / kCircleSlices;
            c[k] = std::cos(t);
            s[k] = std::sin(t);
        }
    }
};
const Circle& circle() {
    static const Circle table;
    return table;
}

// A sphere of `Slices` x `Stacks` quads: vertex (i, j) at longitude i, latitude j.
template <int Slices, int Stacks>
struct SphereTable {
    double p[Stacks + 1][Slices + 1][3];
    SphereTable() {
        for (int j = 0; j <= Stacks; ++j) {
            double phi = PI_C * j / Stacks;  // from the north pole down
            for (int i = 0; i <= Slices; ++i) {
                double th = TWO_PI_C * i / Slices;
                p[j][i][0] = std::sin(phi) * std::cos(th);
                p[j][i][1] = std::sin(phi) * std::sin(th);
                p[j][i][2] = std::cos(phi);
            }
        }
    }
};

template <int Slices, int Stacks>
void solidSphere(const Vec3& c, double r) {
    static const SphereTable<Slices, Stacks> t;
    for (int j = 0; j < Stacks; ++j) {
        glBegin(GL_QUAD_STRIP);
        for (int i = 0; i <= Slices; ++i) {
            for (int jj = j; jj <= j + 1; ++jj) {
                const double* n = t.p[jj][i];
                glNormal3dv(n);
                glVertex3d(c[0] + r * n[0], c[1] + r * n[1], c[2] + r * n[2]);
            }
        }
        glEnd();
    }
}

// A solid's colour is its front material: ambient and diffuse alike, so that the lit side keeps
// the colour instead of washing out to the grey of the default diffuse material.
void material(const float* colour) { glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, colour); }

// Two unit vectors completing the unit vector d to a right-handed frame.
void perpendicularPair(const Vec3& d, Vec3& u, Vec3& v) {
    Vec3 a = std::fabs(d[0]) < 0.9 ? Vec3{{1, 0, 0}} : Vec3{{0, 1, 0}};
    Vec3 t;
    crossVec3(d, a, t);
    unitVec3(t, u);
    crossVec3(d, u, v);
}

Vec3 offset(const Vec3& p, const Vec3& d, double k) { return Vec3{{p[0] + k * d[0], p[1] + k * d[1], p[2] + k * d[2]}}; }

// The eight corners of the unit box (+-0.5) and its twelve edges and six faces.
const double kCorner[8][3] = {{-0.5, -0.5, -0.5}, {0.5, -0.5, -0.5}, {0.5, 0.5, -0.5}, {-0.5, 0.5, -0.5},
                              {-0.5, -0.5, 0.5},  {0.5, -0.5, 0.5},  {0.5, 0.5, 0.5},  {-0.5, 0.5, 0.5}};
const int kFace[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {2, 3, 7, 6}, {1, 2, 6, 5}, {3, 0, 4, 7}};
const double kFaceNormal[6][3] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {1, 0, 0}, {-1, 0, 0}};
const int kEdge[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6}, {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};

void boxTransform(const BoxAngles& angles, const Vec3& centre, double sx, double sy, double sz) {
    glTranslated(centre[0], centre[1], centre[2]);
    glRotated(angles.a[0] / kDegree, 0.0, 0.0, 1.0);
    glRotated(angles.a[1] / kDegree, 0.0, 1.0, 0.0);
    glRotated(angles.a[2] / kDegree, 0.0, 0.0, 1.0);
    glScaled(sx, sy, sz);
}

}  // namespace

BoxAngles boxAngles(const Mat3& E) {
    const double zx = E(0, 2), zy = E(1, 2), zz = E(2, 2);
    const double s = std::sqrt(zx * zx + zy * zy);
    BoxAngles out;
    if (s >= 1e-6) {
        out.a[0] = std::atan2(zy, zx);
        out.a[1] = std::atan2(s, zz);
        out.a[2] = std::atan2(E(2, 1), -E(2, 0));
    } else if (zz > 0) {  // z up: a single turn about z
        out.a[0] = std::atan2(E(1, 0), E(0, 0));
        out.a[1] = 0.0;
        out.a[2] = 0.0;
    } else {  // z down: a half turn about y after the turn about z
        out.a[0] = std::atan2(-E(1, 0), -E(0, 0));
        out.a[1] = PI_C;
        out.a[2] = 0.0;
    }
    return out;
}

Mat3 boxFrame(const BoxAngles& angles) {
    const double c0 = std::cos(angles.a[0]), s0 = std::sin(angles.a[0]);
    const double c1 = std::cos(angles.a[1]), s1 = std::sin(angles.a[1]);
    const double c2 = std::cos(angles.a[2]), s2 = std::sin(angles.a[2]);
    const Mat3 Rz0 = {{c0, -s0, 0, s0, c0, 0, 0, 0, 1}};
    const Mat3 Ry1 = {{c1, 0, s1, 0, 1, 0, -s1, 0, c1}};
    const Mat3 Rz2 = {{c2, -s2, 0, s2, c2, 0, 0, 0, 1}};
    Mat3 t, out;
    mulMat3(Rz0, Ry1, t);
    mulMat3(t, Rz2, out);
    return out;
}

void drawLine(const Vec3& p1, const Vec3& p2, float width, const float* colour) {
    glDisable(GL_LIGHTING);
    glLineWidth(width);
    glColor4fv(colour);
    glBegin(GL_LINES);
    glVertex3dv(p1.data());
    glVertex3dv(p2.data());
    glEnd();
    glEnable(GL_LIGHTING);
}

void drawBall(const Vec3& p, double radius, const float* colour) {
    material(colour);
    solidSphere<20, 20>(p, radius);
}

void drawDot(const Vec3& p, double radius, const float* colour) {
    material(colour);
    solidSphere<10, 10>(p, radius);
}

void drawCylinder(const Vec3& p1, const Vec3& p2, double radius, const float* colour) {
    Vec3 d;
    subVec3(p2, p1, d);
    const double len = normVec3(d);
    if (!(len > 1e-9)) return;  // no axis to draw along
    Vec3 dir, u, v;
    unitVec3(d, dir);
    perpendicularPair(dir, u, v);
    material(colour);
    const Circle& c = circle();
    glBegin(GL_QUAD_STRIP);
    for (int k = 0; k <= kCircleSlices; ++k) {
        double n[3];
        for (int a = 0; a < 3; ++a) n[a] = c.c[k] * u[a] + c.s[k] * v[a];
        glNormal3dv(n);
        glVertex3d(p1[0] + radius * n[0], p1[1] + radius * n[1], p1[2] + radius * n[2]);
        glVertex3d(p2[0] + radius * n[0], p2[1] + radius * n[1], p2[2] + radius * n[2]);
    }
    glEnd();
}

void drawDisc(const Mat3& frame, const Vec3& centre, double radius, const float* colour) {
    material(colour);
    const Vec3 x = colMat3(frame, 0), y = colMat3(frame, 1), z = colMat3(frame, 2);
    const Circle& c = circle();
    glBegin(GL_TRIANGLE_FAN);
    glNormal3dv(z.data());
    glVertex3dv(centre.data());
    for (int k = 0; k <= kCircleSlices; ++k) {
        glVertex3d(centre[0] + radius * (c.c[k] * x[0] + c.s[k] * y[0]),
                   centre[1] + radius * (c.c[k] * x[1] + c.s[k] * y[1]),
                   centre[2] + radius * (c.c[k] * x[2] + c.s[k] * y[2]));
    }
    glEnd();
}

void drawLink(const Vec3& p1, const Vec3& p2) {
    drawCylinder(p1, p2, kLinkRadius, LINK_COLOUR);
    drawBall(p2, kLinkRadius, LINK_COLOUR);
}

void drawJoint(char /*letter*/, const Mat3& E, const Vec3& p, const float* colour) {
    const Vec3 z = colMat3(E, 2);
    const Vec3 top = offset(p, z, kJointLength / 2), bottom = offset(p, z, -kJointLength / 2);
    drawCylinder(bottom, top, kJointRadius, colour);
    drawDisc(E, top, kJointRadius, colour);
    // The lower disc faces down: the frame turned half a turn about its x axis.
    Mat3 down = E;
    for (int r = 0; r < 3; ++r) {
        down(r, 1) = -E(r, 1);
        down(r, 2) = -E(r, 2);
    }
    drawDisc(down, bottom, kJointRadius, colour);
}

void drawBox(const BoxAngles& angles, const Vec3& centre, double sx, double sy, double sz, const float* colour) {
    glDisable(GL_LIGHTING);
    glColor4fv(colour);
    glPushMatrix();
    boxTransform(angles, centre, sx, sy, sz);
    glBegin(GL_QUADS);
    for (int f = 0; f < 6; ++f) {
        glNormal3dv(kFaceNormal[f]);
        for (int k = 0; k < 4; ++k) glVertex3dv(kCorner[kFace[f][k]]);
    }
    glEnd();
    glPopMatrix();
    glEnable(GL_LIGHTING);
}

void drawBoxOutline(const BoxAngles& angles, const Vec3& centre, double sx, double sy, double sz, float width,
                    const float* colour) {
    glDisable(GL_LIGHTING);
    glLineWidth(width);
    glColor4fv(colour);
    glPushMatrix();
    boxTransform(angles, centre, sx, sy, sz);
    glBegin(GL_LINES);
    for (const auto& e : kEdge) {
        glVertex3dv(kCorner[e[0]]);
        glVertex3dv(kCorner[e[1]]);
    }
    glEnd();
    glPopMatrix();
    glEnable(GL_LIGHTING);
}

void drawRobotSimple(Scene& s, const double* q, const float* colour) {
    forwardKinematics(s, q);
    for (int i = 1; i <= s.N; ++i) drawLine(s.J[i], s.J[i + 1], 2.0f, colour);
    for (int i = 1; i <= s.N; ++i) drawBall(s.J[i], 0.08, RED);
}

void drawRobot(Scene& s, const double* q, int highlight) {
    forwardKinematics(s, q);
    const int N = s.N, Nw = s.Nw;
    for (int i = 1; i <= N; ++i) drawLink(s.J[i - 1], s.J[i]);
    // The hand reaches the face of the work box.
    const Vec3 zw = colMat3(s.Ew, 2);
    drawCylinder(s.J[N], offset(s.rw, zw, -s.Hwork / 2), kLinkRadius, LINK_COLOUR);
    const bool wristLit = highlight >= N - 2 && highlight <= N;
    for (int i = 1; i <= N; ++i) {
        const bool lit = i <= N - 3 ? i == highlight : wristLit;
        drawJoint(s.JRTYPE[i], s.EJ[i], s.J[i], lit ? HIGHLIGHT_COLOUR : JOINT_COLOUR);
    }
    for (int i = 1; i <= N; ++i) {
        if (s.JRTYPE[i] == 'R') continue;
        const Vec3 z = colMat3(s.EJ[i], 2);
        drawCylinder(offset(s.J[i], z, 0.15), offset(s.J[i], z, 0.25), 0.05, BLACK);
    }
    drawWork(s, s.rw, s.Ew, highlight == Nw ? HIGHLIGHT_COLOUR : JOINT_COLOUR);
}

void drawWork(const Scene& s, const Vec3& position, const Mat3& E, const float* colour) {
    const BoxAngles a = boxAngles(E);
    drawBox(a, position, kWorkX, kWorkY, s.Hwork, colour);
    drawBoxOutline(a, position, kWorkX, kWorkY, s.Hwork, 2.0f, BLACK);
    // Two round pads, one on each face across the frame's z axis.
    const Vec3 z = colMat3(E, 2);
    const double h = s.Hwork / 2 + 0.002;
    drawDisc(E, offset(position, z, h), kWorkFeatureRadius, BLACK);
    Mat3 down = E;
    for (int r = 0; r < 3; ++r) {
        down(r, 1) = -E(r, 1);
        down(r, 2) = -E(r, 2);
    }
    drawDisc(down, offset(position, z, -h), kWorkFeatureRadius, BLACK);
}

void drawWall(const Scene& s) {
    const double dx = (s.Wslit + kWallLength) / 2;
    const Vec3 centre[2] = {{{s.rh[0] + dx, s.rh[1], s.rh[2] + kWallHeight / 2}},
                            {{s.rh[0] - dx, s.rh[1], s.rh[2] + kWallHeight / 2}}};
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    for (const Vec3& c : centre) drawBox(WALL_ANGLES, c, s.Dwall, kWallLength, kWallHeight, WALL_RED);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    for (const Vec3& c : centre) drawBoxOutline(WALL_ANGLES, c, s.Dwall, kWallLength, kWallHeight, 1.0f, BLACK);
    drawLine(s.rh, offset(s.rh, s.ez, kWallHeight), 2.0f, BLACK);
}

void drawFloor() {
    glDisable(GL_LIGHTING);
    glLineWidth(1.0f);
    glColor4fv(BLACK);
    glBegin(GL_LINES);
    for (int k = -50; k <= 50; ++k) {
        glVertex3d(k, -50.0, 0.0);
        glVertex3d(k, 50.0, 0.0);
        glVertex3d(-50.0, k, 0.0);
        glVertex3d(50.0, k, 0.0);
    }
    glEnd();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    glColor4fv(FLOOR_RED);
    glBegin(GL_QUADS);
    glNormal3d(0.0, 0.0, 1.0);
    glVertex3d(-5.0, -5.0, 0.0);
    glVertex3d(5.0, -5.0, 0.0);
    glVertex3d(5.0, 5.0, 0.0);
    glVertex3d(-5.0, 5.0, 0.0);
    glEnd();
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
}

void drawAxes() {
    const Vec3 o = {{0, 0, 0}};
    drawLine(o, Vec3{{10, 0, 0}}, 2.0f, BLACK);
    drawLine(o, Vec3{{0, 10, 0}}, 2.0f, BLACK);
    drawLine(o, Vec3{{0, 0, 10}}, 2.0f, BLACK);
}
