#include "support/test_scene.h"

#include "app/keyboard.h"
#include "app/startup.h"

std::unique_ptr<Scene> makeScene() {
    auto s = std::make_unique<Scene>();
    s->trace = nullptr;
    // Key 'N' within a test may not take the window's seconds.
    s->autoPlanSeconds = 0.5;
    s->autoNumericMs = 200;
    startUp(*s);
    return s;
}

std::unique_ptr<Scene> makeSceneWithRobot(int lower, int upper) {
    auto s = makeScene();
    keyboard(*s, 'F');
    keyboard(*s, static_cast<unsigned char>('0' + lower));
    keyboard(*s, static_cast<unsigned char>('0' + upper));
    return s;
}

bool solveFinalPose(Scene& s, const std::function<bool(Scene&)>& accept) {
    for (int c = 0; c < s.nqss0; ++c) {
        if (c > 0) keyboard(s, ' ');
        for (int n = 0; n < 300; ++n) {
            keyboard(s, "aab"[n % 3]);
            if (s.sgnSOLAEnd != 1) continue;
            if (!accept || accept(s)) return true;
            if (s.sgnSOLAEnd == 1) break;  // refused where the goal keys stay: the next candidate
        }
    }
    return false;
}

bool startPathByKeys(Scene& s) {
    // 'B' sums the coordinate errors: it may refuse a pose the goal keys took; they go on then.
    return solveFinalPose(s, [](Scene& t) {
        keyboard(t, 'B');
        if (t.sgnPATH == 1) return true;
        if (t.sgnCAL == 'B') keyboard(t, 'a');
        return false;
    });
}
