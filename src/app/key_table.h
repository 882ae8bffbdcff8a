// The key table: every key of the window and of the headless runner, the mode it acts in, what
// it runs and where it is described. The dispatcher (app/key_press.h, app/keyboard.h) runs the
// row that takes a key; the printed help (app/help_text.h) and the README key table describe
// the rows. Every row names both, so a key cannot exist without its description.
#pragma once
#include "app/help_text.h"
struct Scene;

using KeyHandler = void (*)(Scene& s, unsigned char key);

constexpr char kAnyMode = 0;                  // a row of every mode, tested before the mode's rows
constexpr const char* kOtherKeys = nullptr;   // every key that no other row of the mode takes
constexpr KeyHandler kRunByKeyboard = nullptr;  // the automatic solve ('N'): run by keyboard(),
                                                // since the solve presses keys of this table

// What a key does to the outcome of 'N' on the status lines: it stays while the view changes
// and while the path of 'N' is played.
enum class SolveOutcome {
    Keeps,
    Clears,
    KeptByPlayKeys,  // kept by 's' and 'S', cleared by the other keys (also for keys of no row)
};

struct KeyEntry {
    const char* keys;      // the keys of the row, or kOtherKeys
    char mode;             // the mode letter sgnCAL the row acts in, or kAnyMode
    KeyHandler handler;    // runs the key (or kRunByKeyboard)
    SolveOutcome outcome;  // of 'N', on the status lines
    HelpLine help;         // the printed help line that describes the key, or
                           // HelpLine::NotPrinted: described only by the README key table
    const char* readme;    // the key cell of its row in the README key table
};

extern const KeyEntry kKeyTable[];
extern const int kKeyTableSize;

// The row that takes key in mode: a row of every mode first, then a row of the mode that lists
// the key, then the mode's row of other keys; null when none does (the key does nothing).
const KeyEntry* findKeyEntry(char mode, unsigned char key);
