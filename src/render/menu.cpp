#include "render/menu.h"

#include <GL/gl.h>

#include <memory>

#include "core/scene.h"
#include "model/catalogue.h"
#include "model/kinematics.h"
#include "model/vecops.h"
#include "render/draw.h"
#include "render/text.h"

namespace {

// A Scene of its own holds the robots of the pictures: building them never changes the robot,
// the joint positions or the structure texts of the simulator's Scene.
std::unique_ptr<Scene>& menuModel() {
    static std::unique_ptr<Scene> model;
    return model;
}

// The robot (lower, upper) in its straight pose with its base at `base`.
void buildPicture(Scene& m, int lower, int upper, const Vec3& base) {
    const int sel[3] = {lower, upper, 0};
    setRobotType(m, sel);
    const double straight[JV] = {};
    m.J[0] = base;
    forwardKinematics(m, straight);
}

// Joint bodies of a picture with the axis mark of a 'P' or 'Q' joint: a black line across the
// joint along its axis and a black ball at its + end.
void pictureJoint(const Scene& m, int i) {
    drawJoint(m.JRTYPE[i], m.EJ[i], m.J[i], JOINT_COLOUR);
    if (m.JRTYPE[i] == 'R') return;
    const Vec3 z = colMat3(m.EJ[i], 2);
    const Vec3 a = {{m.J[i][0] - 0.25 * z[0], m.J[i][1] - 0.25 * z[1], m.J[i][2] - 0.25 * z[2]}};
    const Vec3 b = {{m.J[i][0] + 0.25 * z[0], m.J[i][1] + 0.25 * z[1], m.J[i][2] + 0.25 * z[2]}};
    drawLine(a, b, 2.0f, BLACK);
    drawBall(b, 0.05, BLACK);
}

const char* const kDigit[5] = {"0", "1", "2", "3", "4"};

}  // namespace

void prepareMenuModel() {
    std::unique_ptr<Scene>& m = menuModel();
    if (!m) {
        m = std::make_unique<Scene>();
        m->trace = nullptr;
    }
}

void drawMenu(const Scene& s) {
    prepareMenuModel();
    Scene& m = *menuModel();
    void* font = textFont();
    // Upper structures 1 and 2 (on lower 1): links from joint 4 to joint 6, bodies 4 and 5.
    const Vec3 upperBase[2] = {{{3.0, -0.5, -1.0}}, {{3.0, 0.5, -1.0}}};
    for (int u = 1; u <= 2; ++u) {
        buildPicture(m, 1, u, upperBase[u - 1]);
        for (int i = 5; i <= 6; ++i) drawLink(m.J[i - 1], m.J[i]);
        for (int i = 4; i <= 5; ++i) pictureJoint(m, i);
        drawText3D(m.J[4][0] + 0.6, m.J[4][1], m.J[4][2], font, kDigit[u]);
    }
    // Lower structures 1 to 4 (with upper 2): links from the base to joint 4, bodies 1 to 3.
    for (int l = 1; l <= 4; ++l) {
        buildPicture(m, l, 2, Vec3{{3.0, -3.0 + l, -2.0}});
        for (int i = 1; i <= 4; ++i) drawLink(m.J[i - 1], m.J[i]);
        for (int i = 1; i <= 3; ++i) pictureJoint(m, i);
        drawText3D(m.J[0][0] + 0.5, m.J[0][1], m.J[0][2], font, kDigit[l]);
    }
    drawText3D(-3.0, -3.0, 0.0, font, "Choose 2 Numbers, Lower and Upper");
    drawText3D(-2.0, -2.8, 0.0, font, s.ROBOTNUM);
    drawText3D(3.0, 1.5, 0.0, font, "Lower Joint Configure");
    drawText3D(3.4, 1.5, 0.0, font, "1 : RPP");
    drawText3D(3.8, 1.5, 0.0, font, "2 : RQP");
    drawText3D(4.2, 1.5, 0.0, font, "3 : PQP");
    drawText3D(4.6, 1.5, 0.0, font, "4 : PQQ");
    drawText3D(0.5, 1.5, 0.0, font, "Upper Joint Configure");
    drawText3D(1.0, 1.5, 0.0, font, "1 : RP");
    drawText3D(1.5, 1.5, 0.0, font, "2 : QP");
}
