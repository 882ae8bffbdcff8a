// Random key scripts over all 256 key codes: every key returns, every joint value stays finite,
// every index stays inside its table. Runs in the sanitizer build as well.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "app/keyboard.h"
#include "support/test_scene.h"

namespace {

bool finiteRow(const double* q, int n) {
    for (int i = 0; i <= n; ++i)
        if (!std::isfinite(q[i])) return false;
    return true;
}

// Checks the invariants that every key must keep; returns a description of the first breach.
std::string breach(const Scene& s) {
    const int N = s.N;
    if (N != 8 || s.Nw != 9) return "N/Nw changed";
    if (!finiteRow(s.qr, N) || !finiteRow(s.qs, N) || !finiteRow(s.qAfinal, N)) return "joint vector not finite";
    if (s.nqss0 < 0 || s.nqss0 > Scene::NQSS0) return "nqss0 out of range";
    if (s.cntqs0 < 0 || s.cntqs0 >= Scene::NQSS0 || (s.nqss0 > 0 && s.cntqs0 >= s.nqss0)) return "cntqs0 out of range";
    for (int r = 0; r < s.nqss0; ++r)
        if (!finiteRow(s.qss0[r], N)) return "candidate not finite";
    if (s.NPATH < 0 || s.NPATH >= NMAX) return "NPATH out of range";
    for (int r = 0; r <= s.NPATH; ++r)
        if (!finiteRow(s.qIPATH[r], N)) return "path row not finite";
    if (s.nBACK < 0 || s.nBACK > s.NPATH) return "nBACK out of range";
    if (s.nMOVE < 0 || s.nMOVE > s.NPATH) return "nMOVE out of range";
    if (s.cntRBT < 0 || s.cntRBT > 1) return "cntRBT out of range";
    if (s.sgnSpin == 1 && (s.spinJoint < 1 || s.spinJoint > 6)) return "spinJoint out of range";
    if (!std::strchr("ABCFOG0", s.sgnCAL)) return std::string("unknown mode ") + s.sgnCAL;
    if (s.Mpass < 1 || s.Mpass > 10 || s.MW < 1 || s.MW > s.Nw + 1) return "Mpass/MW out of range";
    for (int k = 0; k < 3; ++k)
        if (!std::isfinite(s.viewRot[k]) || !std::isfinite(s.viewShift[k])) return "view not finite";
    for (int k = 0; k < 3; ++k)
        if (!std::isfinite(s.rh[k]) || !std::isfinite(s.rwp[k]) || !std::isfinite(s.wristp[k])) return "goal/slit not finite";
    if (s.sgnROBOT[0] < 1 || s.sgnROBOT[0] > 4 || s.sgnROBOT[1] < 1 || s.sgnROBOT[1] > 2) return "robot out of catalogue";
    return "";
}

std::string describe(const std::string& keys) {
    std::string out;
    char buf[8];
    for (unsigned char c : keys) {
        std::snprintf(buf, sizeof buf, "%02x ", c);
        out += buf;
    }
    return out;
}

}  // namespace

TEST(KeyboardFuzz, RandomScriptsKeepTheStateSound) {
    std::mt19937 rng(20261207);
    std::uniform_int_distribution<int> anyKey(0, 255);
    // Half of the keys come from the commands so that modes are actually reached and worked.
    const std::string commands = "FOAGBCabsS0123456 PpQqXxZz!#&";
    std::uniform_int_distribution<int> cmdKey(0, static_cast<int>(commands.size()) - 1);
    std::bernoulli_distribution pickCommand(0.5);
    const int scripts = 300, keysPerScript = 40;
    for (int n = 0; n < scripts; ++n) {
        auto s = makeScene();
        std::string pressed;
        for (int k = 0; k < keysPerScript; ++k) {
            unsigned char key =
                pickCommand(rng) ? static_cast<unsigned char>(commands[cmdKey(rng)]) : static_cast<unsigned char>(anyKey(rng));
            pressed.push_back(static_cast<char>(key));
            keyboard(*s, key);
            std::string why = breach(*s);
            ASSERT_EQ(why, "") << "after keys " << describe(pressed);
            if (s->quit) break;  // ESC ends the session
        }
    }
}

TEST(KeyboardFuzz, GoalCalculationKeysOnEveryRobot) {
    // The goal pose keys ('a', 'b', SP, goal moves, 'A', 'O' with slit moves) pressed at random
    // from the first choice of each robot, so that the normal case, the goal on the plane and
    // the special cases all run. 'O' leaves A mode; the next 'A' returns through the obstacle
    // change.
    std::mt19937 rng(60061);
    const std::string keys = "aaabbb    123456AAO1245";
    std::uniform_int_distribution<int> pick(0, static_cast<int>(keys.size()) - 1);
    for (int lower = 1; lower <= 4; ++lower)
        for (int upper = 1; upper <= 2; ++upper)
            for (int n = 0; n < 30; ++n) {
                auto s = makeSceneWithRobot(lower, upper);
                std::string pressed = "F" + std::to_string(lower) + std::to_string(upper);
                for (int k = 0; k < 50; ++k) {
                    unsigned char key = static_cast<unsigned char>(keys[pick(rng)]);
                    pressed.push_back(static_cast<char>(key));
                    keyboard(*s, key);
                    std::string why = breach(*s);
                    ASSERT_EQ(why, "") << "after keys " << describe(pressed);
                    ASSERT_TRUE(std::isfinite(s->errP) && std::isfinite(s->errT)) << describe(pressed);
                }
            }
}

TEST(KeyboardFuzz, PathKeysInEveryModeAfterASolvedGoal) {
    // 'B', 's', 'S', 'C' with the mode keys from the solved final pose of each robot: running,
    // stopped, resumed and complete calculations meet every mode.
    std::mt19937 rng(70071);
    const std::string keys = "BBsssssssssSSCCsssSOGA0a14";
    std::uniform_int_distribution<int> pick(0, static_cast<int>(keys.size()) - 1);
    for (int robot = 0; robot < 48; ++robot) {
        auto s = makeSceneWithRobot(robot / 12 + 1, robot / 6 % 2 + 1);
        for (int k = 0; k < 300 && s->sgnSOLAEnd != 1; ++k) keyboard(*s, "aab"[k % 3]);
        std::string pressed = "F" + std::to_string(robot / 12 + 1) + std::to_string(robot / 6 % 2 + 1) + "(aab)B";
        keyboard(*s, 'B');
        for (int k = 0; k < 80; ++k) {
            pressed.push_back(keys[pick(rng)]);
            keyboard(*s, static_cast<unsigned char>(pressed.back()));
            ASSERT_EQ(breach(*s), "") << "after keys " << pressed;
        }
    }
}
