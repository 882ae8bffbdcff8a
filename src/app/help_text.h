// The start-up help of the console: the keys, the robot, the slit and the goal.
#pragma once
struct Scene;

// The lines of the printed key help, in the order printed. The key table (app/key_table.h)
// names for each key the line that describes it, or NotPrinted.
enum class HelpLine {
    Title,
    SettingKeys,      // heading of the setting keys
    F,
    O,
    OMoves,           // the slit keys of O mode
    CalculationKeys,  // heading of the calculation keys
    A,
    AStepKeys,        // 'a' and 'b' of A mode
    AGoalNote,
    AMoves,           // the goal keys of A mode (x and y only)
    B,
    BStep,            // 's' of B mode
    N,
    NPlay,
    C,
    CStep,            // 's' of C mode
    H,
    ViewKeys,         // heading of the view keys
    ViewTurn,
    ViewShift,
    Reset,
    Esc,
    Provisional,      // heading of the robot summary that follows
    Count,
    NotPrinted = Count,  // a key the printed help leaves out (the README key table has it)
};

// The text of a printed line (with its leading newline).
const char* helpLineText(HelpLine line);

// Prints the key help, line by line in HelpLine order, and printRobotInfo to the trace.
void printHelp(const Scene& s);
