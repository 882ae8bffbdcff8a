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
    if (s.nMOVE < 0 || s.nMOVE > (s.sgnPlayShort ? s.NSHORT : s.NPATH)) return "nMOVE out of range";
    if (s.sgnPlayShort && (s.NSHORT < 0 || s.NSHORT >= NMAX)) return "NSHORT out of range";
    if (s.cntRBT < 0 || s.cntRBT > 1) return "cntRBT out of range";
    if (s.sgnSpin == 1 && (s.spinJoint < 1 || s.spinJoint > 6)) return "spinJoint out of range";
    if (!std::strchr("ABCFOG0", s.sgnCAL)) return std::string("unknown mode ") + s.sgnCAL;
    if (s.Mpass < 1 || s.Mpass > 10 || s.MW < 1 || s.MW > s.Nw + 1) return "Mpass/MW out of range";
    for (int k = 0; k < 3; ++k)
        if (!std::isfinite(s.viewRot[k]) || !std::isfinite(s.viewShift[k])) return "view not finite";
    for (int k = 0; k < 3; ++k)
        if (!std::isfinite(s.rh[k]) || !std::isfinite(s.rwp[k]) || !std::isfinite(s.wristp[k])) return "goal/slit not finite";
    if (s.sgnROBOT[0] < 1 || s.sgnROBOT[0] > 4 || s.sgnROBOT[1] < 1 || s.sgnROBOT[1] > 2) return "robot out of catalogue";
    if (!std::isfinite(s.errP) || !std::isfinite(s.errT)) return "errors not finite";
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

// Presses n keys drawn from keys (any of the 256 codes instead, with probability anyShare) and
// checks the invariants after each; pressed names what came before.
void pressAtRandom(Scene& s, std::mt19937& rng, const std::string& keys, double anyShare, int n, std::string pressed) {
    std::uniform_int_distribution<int> anyKey(0, 255), pick(0, static_cast<int>(keys.size()) - 1);
    std::bernoulli_distribution any(anyShare);
    for (int k = 0; k < n && !s.quit; ++k) {  // ESC ends the session
        const int key = any(rng) ? anyKey(rng) : static_cast<unsigned char>(keys[pick(rng)]);
        pressed.push_back(static_cast<char>(key));
        keyboard(s, static_cast<unsigned char>(key));
        ASSERT_EQ(breach(s), "") << "after keys " << describe(pressed);
    }
}

}  // namespace

TEST(KeyboardFuzz, RandomScriptsKeepTheStateSound) {
    std::mt19937 rng(20261207);
    // Half of the keys come from the commands so that modes are actually reached and worked.
    for (int n = 0; n < 300; ++n) pressAtRandom(*makeScene(), rng, "FOAGBCHabsS0123456 PpQqXxZz!#&", 0.5, 40, "");
}

TEST(KeyboardFuzz, GoalAndPathKeysOnEveryRobot) {
    // The goal pose keys ('a', 'b', SP, goal moves, 'A', 'O' with slit moves) from the first choice
    // of each robot, so that the normal case, the goal on the plane and the special cases run;
    // then 'B', 's', 'S', 'C' with the mode keys from the solved final pose, so that running,
    // stopped, resumed and complete calculations meet every mode.
    std::mt19937 rng(60061);
    for (int robot = 0; robot < 48; ++robot) {
        const int lower = robot / 12 + 1, upper = robot / 6 % 2 + 1;
        const std::string name = "F" + std::to_string(lower) + std::to_string(upper);
        for (int g = 0; g < 5; ++g) pressAtRandom(*makeSceneWithRobot(lower, upper), rng, "aaabbb    123456AAO1245", 0, 50, name);
        auto s = makeSceneWithRobot(lower, upper);
        for (int k = 0; k < 300 && s->sgnSOLAEnd != 1; ++k) keyboard(*s, "aab"[k % 3]);
        keyboard(*s, 'B');
        pressAtRandom(*s, rng, "BBsssssssssSSCCHsssSOGA0a14", 0, 80, name + "(aab)B");
    }
}
