#include "app/key_table.h"

#include <cstring>

#include "app/goal_keys.h"
#include "app/path_keys.h"
#include "app/setting_keys.h"
#include "app/view_keys.h"

namespace {
constexpr SolveOutcome kKeeps = SolveOutcome::Keeps;
constexpr SolveOutcome kClears = SolveOutcome::Clears;
constexpr SolveOutcome kPlayKeys = SolveOutcome::KeptByPlayKeys;
constexpr HelpLine kReadmeOnly = HelpLine::NotPrinted;  // not in the printed help: README key table
}  // namespace

// Rows of every mode first, then the rows of each mode. ESC is "\x1b".
const KeyEntry kKeyTable[] = {
    // keys      mode      handler             'N' line   printed help         README key cell
    {"\x1b",     kAnyMode, quitKey,            kKeeps,    HelpLine::Esc,       "Esc"},
    {"PpQqRr",   kAnyMode, viewTurnKey,        kKeeps,    HelpLine::ViewTurn,  "`P`/`p`, `Q`/`q`, `R`/`r`"},
    {"XxYyZz",   kAnyMode, viewShiftKey,       kKeeps,    HelpLine::ViewShift, "`X`/`x`, `Y`/`y`, `Z`/`z`"},
    {"!\"#$%&",  kAnyMode, spinKey,            kKeeps,    kReadmeOnly,         "`!` `\"` `#` `$` `%` `&`"},
    {"N",        kAnyMode, kRunByKeyboard,     kKeeps,    HelpLine::N,         "`N`"},
    {"0",        kAnyMode, resetKey,           kClears,   HelpLine::Reset,     "`0`"},
    {"F",        kAnyMode, robotChoiceKey,     kClears,   HelpLine::F,         "`F`, then two digits"},
    {"G",        kAnyMode, goalSettingKey,     kClears,   kReadmeOnly,         "`G`"},
    {"O",        kAnyMode, slitSettingKey,     kClears,   HelpLine::O,         "`O`, then `1`-`6`"},
    {"A",        kAnyMode, goalCalculationKey, kClears,   HelpLine::A,         "`A`"},
    {"B",        kAnyMode, pathGenerationKey,  kClears,   HelpLine::B,         "`B`"},
    {"C",        kAnyMode, pathMotionKey,      kKeeps,    HelpLine::C,         "`C`"},
    {"H",        kAnyMode, shortMotionKey,     kClears,   HelpLine::H,         "`H`"},
    // F mode: the two digits of the robot choice
    {kOtherKeys, 'F',      robotDigitKey,      kPlayKeys, HelpLine::F,         "`F`, then two digits"},
    // O mode: slit moves; every key re-derives the wall's reach
    {"123456",   'O',      slitMoveKey,        kClears,   HelpLine::OMoves,    "`O`, then `1`-`6`"},
    {kOtherKeys, 'O',      slitOtherKey,       kPlayKeys, kReadmeOnly,         "any other key"},
    // A mode: goal moves (the printed help names x and y only), the steps, the next candidate
    {"1245",     'A',      goalMoveKey,        kClears,   HelpLine::AMoves,    "`1`-`6`"},
    {"36",       'A',      goalMoveKey,        kClears,   kReadmeOnly,         "`1`-`6`"},
    {"a",        'A',      positioningKey,     kClears,   HelpLine::AStepKeys, "`a` / `b`"},
    {"b",        'A',      slitPassKey,        kClears,   HelpLine::AStepKeys, "`a` / `b`"},
    {" ",        'A',      nextCandidateKey,   kClears,   kReadmeOnly,         "Space"},
    {kOtherKeys, 'A',      goalOtherKey,       kPlayKeys, kReadmeOnly,         "any other key"},
    // B mode: the next step, the review of the rows made
    {"s",        'B',      pathStepKey,        kKeeps,    HelpLine::BStep,     "`s`"},
    {"S",        'B',      reviewBackKey,      kKeeps,    kReadmeOnly,         "`S` / `s`"},
    {kOtherKeys, 'B',      pathOtherKey,       kClears,   kReadmeOnly,         "any other key"},
    // C mode: play the path (or continue its generation)
    {"s",        'C',      playForwardKey,     kKeeps,    HelpLine::CStep,     "`s` / `S`"},
    {"S",        'C',      playBackKey,        kKeeps,    kReadmeOnly,         "`s` / `S`"},
};
const int kKeyTableSize = sizeof kKeyTable / sizeof kKeyTable[0];

namespace {

bool listsKey(const KeyEntry& e, unsigned char key) {
    return e.keys != kOtherKeys && key != 0 && std::strchr(e.keys, key) != nullptr;
}

}  // namespace

const KeyEntry* findKeyEntry(char mode, unsigned char key) {
    for (const KeyEntry& e : kKeyTable)
        if (e.mode == kAnyMode && listsKey(e, key)) return &e;
    for (const KeyEntry& e : kKeyTable)
        if (e.mode == mode && listsKey(e, key)) return &e;
    for (const KeyEntry& e : kKeyTable)
        if (e.mode == mode && e.keys == kOtherKeys) return &e;
    return nullptr;
}
