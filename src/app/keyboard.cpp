#include "app/keyboard.h"

#include "app/key_press.h"
#include "app/key_table.h"
#include "app/plan_solve.h"
#include "app/solve_outcome.h"
#include "core/console.h"
#include "core/scene.h"

namespace {

// 'N': the automatic solve with its fallbacks on the current scene (the A and B keys first,
// then the numeric final pose and the planner); a complete path is left converted by 'C', ready
// to be played with 's'.
void solveKey(Scene& s) {
    SolvePlan plan;
    plan.method = SolveMethod::Auto;
    plan.planSeconds = s.autoPlanSeconds;
    plan.numericMs = s.autoNumericMs;
    tracef(s, "\n〓〓自動解法('N'): A,Bのキー→数値解の最終ポーズ→経路探索〓〓");
    const SolveResult r = solveScene(s, plan);
    if (!r.complete) {
        s.sgnAutoSolve = kAutoSolveNoPath;
        tracef(s, "\n〓〓自動解法('N'): 経路なし: %s (%.1fms)", r.stop, r.millis);
    } else {
        s.sgnAutoSolve = r.pathBy[0] == 'B'     ? kAutoSolveByKeys
                         : r.poseBy[0] == 'n' ? kAutoSolveNumericPose
                                              : kAutoSolvePlanned;
        tracef(s, "\n〓〓自動解法('N'): 最終ポーズ %s, 経路 %s, NPATH=%d (%.1fms)", r.poseBy, r.pathBy, s.NPATH, r.millis);
    }
    redraw(s);
}

}  // namespace

void keyboard(Scene& s, unsigned char key) {
    const KeyEntry* e = findKeyEntry(s.sgnCAL, key);
    if (e && e->handler == kRunByKeyboard) {
        s.keyLast = static_cast<char>(key);
        solveKey(s);
        return;
    }
    pressKey(s, key);
}
