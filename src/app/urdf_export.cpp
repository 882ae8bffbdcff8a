#include "app/urdf_export.h"

#include <cmath>
#include <initializer_list>

#include "core/scene.h"
#include "model/body_shapes.h"
#include "model/joints.h"
#include "model/vecops.h"

namespace {

// 15 significant digits, as the JSON summary writes them; never "-0".
void num(std::FILE* out, double v) { std::fprintf(out, "%.15g", v == 0 ? 0.0 : v); }

void triple(std::FILE* out, const char* name, const double* v) {
    std::fprintf(out, " %s=\"", name);
    for (int k = 0; k < 3; ++k) {
        if (k) std::fputc(' ', out);
        num(out, v[k]);
    }
    std::fputc('"', out);
}

// Roll, pitch, yaw of R = Rz(yaw) Ry(pitch) Rx(roll), the angles of a URDF origin.
Vec3 rpyOf(const Mat3& R) {
    const double c = std::hypot(R(0, 0), R(1, 0));
    const double pitch = std::atan2(-R(2, 0), c);
    if (c > 1e-12) return Vec3{{std::atan2(R(2, 1), R(2, 2)), pitch, std::atan2(R(1, 0), R(0, 0))}};
    return Vec3{{0, pitch, std::atan2(-R(0, 1), R(1, 1))}};  // z along -+x: the roll folds into the yaw
}

void origin(std::FILE* out, const char* indent, const Vec3& xyz, const Mat3& R) {
    std::fprintf(out, "%s<origin", indent);
    triple(out, "xyz", xyz.data());
    triple(out, "rpy", rpyOf(R).data());
    std::fprintf(out, "/>\n");
}

// A frame whose z axis is the unit vector d: the shortest turn of the z axis onto d.
Mat3 frameAlong(const Vec3& d) {
    const double sn = std::hypot(d[0], d[1]), c = d[2];
    if (sn < 1e-12) return c > 0 ? identityMat3() : Mat3{{1, 0, 0, 0, -1, 0, 0, 0, -1}};
    const double x = -d[1] / sn, y = d[0] / sn, v = 1 - c;  // axis z x d, unit
    return Mat3{{c + x * x * v, x * y * v, y * sn, x * y * v, c + y * y * v, -x * sn, -y * sn, x * sn, c}};
}

// One shape of a link: its visual and, when it collides, the same geometry as collision.
void shape(std::FILE* out, const char* geometry, const Vec3& at, const Mat3& R, const char* material,
           bool collides) {
    for (const char* element : {"visual", "collision"}) {
        if (element[0] == 'c' && !collides) break;
        std::fprintf(out, "    <%s>\n", element);
        origin(out, "      ", at, R);
        std::fprintf(out, "      <geometry>%s</geometry>\n", geometry);
        if (element[0] == 'v') std::fprintf(out, "      <material name=\"%s\"/>\n", material);
        std::fprintf(out, "    </%s>\n", element);
    }
}

void cylinder(std::FILE* out, const Vec3& a, const Vec3& b, double radius, const char* material, bool collides) {
    Vec3 d, mid;
    subVec3(b, a, d);
    const double length = normVec3(d);
    if (length <= 1e-9) return;  // a zero-length link draws nothing
    for (int k = 0; k < 3; ++k) d[k] /= length, mid[k] = (a[k] + b[k]) / 2;
    char geometry[96];
    std::snprintf(geometry, sizeof geometry, "<cylinder radius=\"%.15g\" length=\"%.15g\"/>", radius, length);
    shape(out, geometry, mid, frameAlong(d), material, collides);
}

void box(std::FILE* out, const Vec3& at, const Mat3& R, double sx, double sy, double sz, const char* material,
         bool collides) {
    char geometry[96];
    std::snprintf(geometry, sizeof geometry, "<box size=\"%.15g %.15g %.15g\"/>", sx, sy, sz);
    shape(out, geometry, at, R, material, collides);
}

void material(std::FILE* out, const char* name, const float* rgba) {
    std::fprintf(out, "  <material name=\"%s\"><color rgba=\"%g %g %g %g\"/></material>\n", name, rgba[0], rgba[1],
                 rgba[2], rgba[3]);
}

void fixedJoint(std::FILE* out, const char* parent, const char* child, const Vec3& xyz, const Mat3& R) {
    std::fprintf(out, "  <joint name=\"%s_%s\" type=\"fixed\">\n", parent, child);
    std::fprintf(out, "    <parent link=\"%s\"/>\n    <child link=\"%s\"/>\n", parent, child);
    origin(out, "    ", xyz, R);
    std::fprintf(out, "  </joint>\n");
}

const Vec3 kZero = {{0, 0, 0}};

}  // namespace

void writeRobotUrdf(const Scene& s, std::FILE* out) {
    const int N = s.N, Nw = s.Nw;
    const Mat3 I = identityMat3();
    std::fprintf(out, "<?xml version=\"1.0\"?>\n");
    std::fprintf(out, "<!-- slitpass robot F%d%d, joints %.*s: frames parallel to the world in the straight pose -->\n",
                 s.sgnROBOT[0], s.sgnROBOT[1], N, s.JRTYPE + 1);
    std::fprintf(out, "<robot name=\"slitpass_F%d%d\">\n", s.sgnROBOT[0], s.sgnROBOT[1]);
    const float linkColour[4] = {0.3f, 0.7f, 0.7f, 1}, jointColour[4] = {0, 0, 0.9f, 1}, black[4] = {0, 0, 0, 1};
    material(out, "link", linkColour);
    material(out, "joint", jointColour);
    material(out, "black", black);
    std::fprintf(out, "  <link name=\"base\"/>\n");
    fixedJoint(out, "base", "link1", kZero, I);
    char name[16], body[16], next[16];
    for (int i = 1; i <= N; ++i) {
        // Link i runs from joint i-1 (its frame's origin) to joint i, with the ball at its end.
        Vec3 d;
        subVec3(s.Jstraight[i], s.Jstraight[i - 1], d);
        std::snprintf(name, sizeof name, "link%d", i);
        std::fprintf(out, "  <link name=\"%s\">\n", name);
        cylinder(out, kZero, d, kLinkRadius, "link", true);
        char ball[64];
        std::snprintf(ball, sizeof ball, "<sphere radius=\"%.15g\"/>", kLinkRadius);
        shape(out, ball, d, I, "link", true);
        std::fprintf(out, "  </link>\n");

        const Vec3 axis = colMat3(s.Estraight[i], 2);  // the joint's z axis in the straight pose
        const double limit = jointLimit(s, i);
        std::snprintf(body, sizeof body, "body%d", i);
        std::fprintf(out, "  <joint name=\"j%d\" type=\"%s\">\n", i, limit > 0 ? "revolute" : "continuous");
        std::fprintf(out, "    <parent link=\"%s\"/>\n    <child link=\"%s\"/>\n", name, body);
        origin(out, "    ", d, I);
        std::fprintf(out, "    <axis");
        triple(out, "xyz", axis.data());
        std::fprintf(out, "/>\n");
        // slitpass models no forces; the velocity is the default speed of the path time law.
        if (limit > 0) std::fprintf(out, "    <limit lower=\"%.15g\" upper=\"%.15g\" effort=\"0\" velocity=\"1\"/>\n", -limit, limit);
        std::fprintf(out, "  </joint>\n");

        // The joint body along the axis; 'P' and 'Q' joints carry a short black peg beside it.
        std::fprintf(out, "  <link name=\"%s\">\n", body);
        Vec3 a, b;
        for (int k = 0; k < 3; ++k) a[k] = -axis[k] * kJointLength / 2, b[k] = axis[k] * kJointLength / 2;
        cylinder(out, a, b, kJointRadius, "joint", true);
        if (s.JRTYPE[i] != 'R') {
            for (int k = 0; k < 3; ++k) a[k] = axis[k] * 0.15, b[k] = axis[k] * 0.25;
            cylinder(out, a, b, 0.05, "black", false);
        }
        std::fprintf(out, "  </link>\n");
        std::snprintf(next, sizeof next, i < N ? "link%d" : "hand", i + 1);
        fixedJoint(out, body, next, kZero, I);
    }
    // The hand: from joint N to the face of the work box towards it. The work frame is the hand
    // frame EwH on joint N's frame, whose straight pose is Estraight[N].
    Mat3 Rw;
    mulMat3(s.Estraight[N], s.EwH, Rw);
    Vec3 pw, face;
    subVec3(s.Jstraight[Nw], s.Jstraight[N], pw);
    for (int k = 0; k < 3; ++k) face[k] = pw[k] - Rw(k, 2) * s.Hwork / 2;
    std::fprintf(out, "  <link name=\"hand\">\n");
    cylinder(out, kZero, face, kLinkRadius, "link", true);
    std::fprintf(out, "  </link>\n");
    fixedJoint(out, "hand", "work_point", pw, Rw);
    std::fprintf(out, "  <link name=\"work_point\">\n");
    box(out, kZero, I, kWorkX, kWorkY, s.Hwork, "joint", true);
    std::fprintf(out, "  </link>\n</robot>\n");
}

void writeSceneUrdf(const Scene& s, std::FILE* out) {
    const Mat3 I = identityMat3();
    std::fprintf(out, "<?xml version=\"1.0\"?>\n");
    std::fprintf(out, "<!-- slitpass scene of robot F%d%d: floor, wall at the slit rh, goal rwp -->\n", s.sgnROBOT[0],
                 s.sgnROBOT[1]);
    std::fprintf(out, "<robot name=\"slitpass_scene_F%d%d\">\n", s.sgnROBOT[0], s.sgnROBOT[1]);
    const float wall[4] = {1, 0, 0, 0.6f}, floor[4] = {1, 0, 0, 0.3f}, goal[4] = {1, 0.5f, 0.5f, 1};
    material(out, "wall", wall);
    material(out, "floor", floor);
    material(out, "goal", goal);
    std::fprintf(out, "  <link name=\"world\"/>\n");
    // The floor: the drawn 10 x 10 square, a thin slab with its top at z = 0.
    const double slab = 0.01;
    fixedJoint(out, "world", "floor", Vec3{{0, 0, -slab / 2}}, I);
    std::fprintf(out, "  <link name=\"floor\">\n");
    box(out, kZero, I, 10, 10, slab, "floor", true);
    std::fprintf(out, "  </link>\n");
    // The wall blocks: rhy1 <= y <= rhy2, from the slit side |x - rhx| = Wslit/2 outwards,
    // from rh.z up.
    const double dx = (s.Wslit + kWallLength) / 2;
    const char* const blocks[2] = {"wall_right", "wall_left"};
    for (int k = 0; k < 2; ++k) {
        const Vec3 centre = {{s.rhx + (k == 0 ? dx : -dx), (s.rhy1 + s.rhy2) / 2, s.rh[2] + kWallHeight / 2}};
        fixedJoint(out, "world", blocks[k], centre, I);
        std::fprintf(out, "  <link name=\"%s\">\n", blocks[k]);
        box(out, kZero, I, kWallLength, s.rhy2 - s.rhy1, kWallHeight, "wall", true);
        std::fprintf(out, "  </link>\n");
    }
    // The goal as drawn: the work box at rwp in the goal frame EwG; a marker, nothing collides.
    fixedJoint(out, "world", "goal", s.rwp, s.EwG);
    std::fprintf(out, "  <link name=\"goal\">\n");
    box(out, kZero, I, kWorkX, kWorkY, s.Hwork, "goal", false);
    std::fprintf(out, "  </link>\n</robot>\n");
}
