// The automatic solve: drives a Scene to a complete path with the keys a user would press.
#pragma once
#include "core/types.h"
struct Scene;

// Bounds of the key policy.
constexpr int kSolveMaxAKeys = 150;    // A keys per start candidate
constexpr int kSolveMaxSKeys = 4000;   // 's' presses per B trial
constexpr int kSolveRefineRounds = 3;  // returns to A when the path preparation finds the error large

// What one start candidate gave: the A keys' result and, per B trial, where it ended.
struct SolveAttempt {
    int candidate = -1;
    int finalPose = 0;        // 1 when the A keys gave an accepted final pose
    int trials = 0;           // B trials run (0 when the preparation refused the pose)
    int phase[2] = {0, 0};    // sgnPATH where each trial ended
    int status[2] = {0, 0};   // sgnMColl at its end
    int joint[2] = {0, 0};    // JColl at its end
    int rows[2] = {0, 0};     // NPATH at its end
    double qFinal[JV] = {};   // the final pose the A keys gave (when finalPose), or where they ended
};
constexpr int kSolveMaxAttempts = 16;
constexpr int kSolveScriptSize = 16384;  // room for the keys of a solve, as a key script

struct SolveResult {
    int complete = 0;        // 1 when a complete path was found
    int candidate = -1;      // start pose candidate (cntqs0) of the path, or the last tried
    int candidatesTried = 0;
    int finalPoses = 0;      // candidates whose A keys gave an accepted final pose
    char trial = ' ';        // 'L' first trial, 'U' second
    int keys = 0;            // key presses made
    int sKeys = 0;           // 's' presses of the successful trial
    int rows = 0;            // NPATH of the complete path
    double millis = 0;       // wall-clock time of the whole solve
    double millisB = 0;      // time of the B keys of the successful trial
    double clearance[5] = {9, 9, 9, 9, 9};  // least clearances of the forward path: wall, floor,
                                             // box above the floor, box to the arm, self
    // The shortened motion (--shorten): lengths before and after (rad), work-point trails, the
    // largest joint step, rows and time; shortened = 0 when it was not asked for.
    int shortened = 0;
    double lengthBefore = 0, lengthAfter = 0, trailBefore = 0, trailAfter = 0;
    double shortMaxStep = 0, shortMillis = 0;
    int shortRows = 0;
    char stop[256] = "";     // what stopped the solve when no path was found
    char script[kSolveScriptSize] = "";  // the keys pressed, in the runner's notation ({SP} for space)
    int scriptLen = 0;
    int nAttempts = 0;
    SolveAttempt attempts[kSolveMaxAttempts];
    // Which method gave the final pose ("A keys", "numeric") and the path ("B", "planner"),
    // empty when none did, and the time each fallback took (see app/plan_solve.h).
    char poseBy[12] = "";
    char pathBy[12] = "";
    double millisKeys = 0;    // the A and B keys (autoSolve, or the A keys alone)
    double millisNumeric = 0;
    double millisPlanner = 0;  // search, waypoint reduction and writing into the record
    int numericFound = 0;
    double numericErrP = 0, numericErrFrame = 0, numericSlitOffset = 0;
    int numericStarts = 0;
    char planner[16] = "";
    char plannerStatus[48] = "";
    int plannerWaypoints = 0;
    double plannerLength = 0;  // joint-space length of the waypoints, rad
    long plannerPoseChecks = 0, plannerMotionChecks = 0;
};

// From the current state: A by 'a', 'a', 'b' until solved; 'B' and 's' until the path is
// complete, 'B' once more for the second trial after a stop; when the preparation finds the
// final pose's error still too large, 'A' and more A keys as the display asks; SP to the next
// start candidate when a candidate gives nothing; 'C' on a complete path. Every loop is bounded.
SolveResult autoSolve(Scene& s);
// The A keys alone, candidate after candidate ('a', 'a', 'b' and Space, as autoSolve presses
// them), until one gives an accepted final pose that accept(s, qAfinal) also takes; the pose is
// left in qAfinal and finalPoses counts it. No 'B' is pressed.
SolveResult autoSolveA(Scene& s, bool (*accept)(Scene&, const double*));
// Least clearances of the forward path of a complete solve, by kind, into r.clearance (the
// rows and the poses between them; not part of the solve's time).
void measureSolveClearance(Scene& s, SolveResult& r);
// Shortens the forward path of a complete solve (the shortened motion, beside the forward path)
// and keeps its figures in r.
void shortenSolve(Scene& s, SolveResult& r);
