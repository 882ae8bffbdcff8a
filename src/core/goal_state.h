// State owned by the goal pose calculation.
#pragma once
#include "core/types.h"

// Progress of the A keys from one start pose candidate (goal/a_progress.h): the state after each
// of the last kAHistory presses of 'a' and of 'b', and the least error reached.
constexpr int kAHistory = 12;
struct AKeyState {
    double q[5][JV];  // qr, qs, qAa, qAb, qAfinal
    int flag[16];     // the indices and stages the next step depends on
};

struct AProgressState {
    AKeyState aHist[2][kAHistory] = {};  // [0] after 'a', [1] after 'b' (ring buffers)
    int aHistCount[2] = {0, 0};
    int aCycled[2] = {0, 0};   // the key led back to a state it had left before, since the last fall
    double aBest = 0;          // least errP + errT since the candidate was taken
    int aPresses = 0;          // 'a' and 'b' presses since then
    int aSinceBest = 0;        // presses since aBest last fell
    int sgnAStall = 0;         // 1: no progress from this candidate; 2: none from any candidate
    unsigned aStalledMask = 0; // candidates found without progress (bit cntqs0)
};

// What the goal calculation asks of the path when its entry returns. The record belongs to the
// path calculation: the goal calculation only says what it voided, and the app passes it on.
enum class PathAsk {
    None,          // the path stays as it is
    TrialsAnew,    // a new final pose is being sought: the B trials start again from the first
    NewFinalPose,  // the trials start again and the path of the old final pose is gone
};

struct GoalCalcState : AProgressState {
    static constexpr int NQSS0 = 20;  // at most 17 candidates arise
    double qss0[NQSS0][JV] = {};
    int nqss0 = 0;
    int cntqs0 = 0;
    double qAa[JV] = {};  // last work-positioning solution ('a')
    double qAb[JV] = {};  // slit-pass pose chosen by the last search ('b'); target of its steps
    int solP = 0;         // result of the last work-positioning search
    char sgnLS = ' ';     // result letter of the last Newton correction or special case
    PathAsk pathAsk = PathAsk::None;  // the strongest ask since the app last passed it on
    // The special cases judge the work point against the floor margin as the path calculation
    // does once it is past its first phase; set from the path phase when a goal entry starts.
    bool workFloorJudged = false;
};
