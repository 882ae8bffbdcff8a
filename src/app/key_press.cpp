#include "app/key_press.h"

#include "app/key_table.h"
#include "app/solve_outcome.h"
#include "core/scene.h"

namespace {

bool keepsSolveOutcome(const KeyEntry* e, unsigned char key) {
    const SolveOutcome o = e ? e->outcome : SolveOutcome::KeptByPlayKeys;
    return o == SolveOutcome::Keeps || (o == SolveOutcome::KeptByPlayKeys && (key == 's' || key == 'S'));
}

}  // namespace

void pressKey(Scene& s, unsigned char key) {
    s.keyLast = static_cast<char>(key);
    const KeyEntry* e = findKeyEntry(s.sgnCAL, key);
    if (!keepsSolveOutcome(e, key)) s.sgnAutoSolve = kAutoSolveNotShown;
    if (e && e->handler != kRunByKeyboard) e->handler(s, key);
}
