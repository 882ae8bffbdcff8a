#include "app/scene_options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/keyboard.h"
#include "core/scene.h"

namespace {

constexpr int kMaxKeySteps = 2000;  // 20 units along one axis

// Number of 0.01 key steps from a to b; false when b is off the grid or too far.
bool keySteps(double a, double b, int& n) {
    const double d = (b - a) / 0.01;
    if (!std::isfinite(d)) return false;
    n = static_cast<int>(std::lround(d));
    return std::fabs(d - n) < 1e-6 && std::abs(n) <= kMaxKeySteps;
}

bool stepsTo(const Vec3& from, const Vec3& to, int n[3], const char* what, std::string& error) {
    for (int k = 0; k < 3; ++k) {
        if (!keySteps(from[k], to[k], n[k])) {
            char buf[160];
            std::snprintf(buf, sizeof buf, "%s coordinate %d (%g) is not reachable in 0.01 key steps from %g", what,
                          k + 1, to[k], from[k]);
            error = buf;
            return false;
        }
    }
    return true;
}

// Keys '1'/'4', '2'/'5', '3'/'6' move x, y, z by +0.01 / -0.01.
void pressMoves(Scene& s, const int n[3]) {
    for (int k = 0; k < 3; ++k) {
        const unsigned char key = static_cast<unsigned char>((n[k] > 0 ? '1' : '4') + k);
        for (int i = 0; i < std::abs(n[k]); ++i) keyboard(s, key);
    }
}

}  // namespace

bool parseVec3(const std::string& text, Vec3& out) {
    const char* p = text.c_str();
    for (int k = 0; k < 3; ++k) {
        char* end = nullptr;
        out[k] = std::strtod(p, &end);
        if (end == p || !std::isfinite(out[k])) return false;
        p = end;
        if (k < 2) {
            if (*p != ',') return false;
            ++p;
        }
    }
    return *p == 0;
}

bool chooseRobotByKeys(Scene& s, const std::string& name, std::string& error) {
    if (name.size() != 3 || name[0] != 'F' || name[1] < '1' || name[1] > '4' || name[2] < '1' || name[2] > '2') {
        error = "unknown robot '" + name + "' (F11 F12 F21 F22 F31 F32 F41 F42)";
        return false;
    }
    keyboard(s, 'F');
    keyboard(s, static_cast<unsigned char>(name[1]));
    keyboard(s, static_cast<unsigned char>(name[2]));
    return true;
}

bool moveSlitByKeys(Scene& s, const Vec3& target, std::string& error) {
    int n[3];
    if (!stepsTo(s.rh, target, n, "slit", error)) return false;
    keyboard(s, 'O');
    pressMoves(s, n);
    keyboard(s, 'A');
    if (s.sgnOBSTACLE == 0) {
        error = "the wall is too far from the robot (Wall is too Far. Set it Nearer.)";
        return false;
    }
    return true;
}

bool moveGoalByKeys(Scene& s, const Vec3& target, std::string& error) {
    int n[3];
    if (!stepsTo(s.rwp, target, n, "goal", error)) return false;
    if (!(target[1] > s.rhy2 && target[2] > 0)) {
        error = "the goal must lie behind the wall (y beyond the far face) and above the floor";
        return false;
    }
    if (s.sgnCAL != 'A') keyboard(s, 'A');
    pressMoves(s, n);
    keyboard(s, 'A');
    return true;
}
