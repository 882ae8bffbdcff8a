// The solve of a scene by a chosen method: the A and B keys alone (native), those first
// and then the fallbacks where they end (auto), or the planner alone on a final pose from the A
// keys or the numeric search (ompl). Each fallback is deterministic and bounded by a budget.
#pragma once
#include "app/auto_solve.h"
#include "app/planner.h"

enum class SolveMethod { Native, Auto, Ompl };

constexpr double kNumericBudgetMs = 3000;  // the numeric final pose search

struct SolvePlan {
    SolveMethod method = SolveMethod::Native;
    double planSeconds = 10;  // budget of the planner's search
    PlannerKind planner = PlannerKind::KPIECE1;
    unsigned seed = 1;        // of the planner's random numbers
    double numericMs = kNumericBudgetMs;
};

bool solveMethodByName(const char* name, SolveMethod& m);
const char* solveMethodName(SolveMethod m);

// native: autoSolve. auto: autoSolve; where it gives no complete path, the final pose is the
// first one of the A keys that the gate accepts, else the numeric search's, and the planner
// plans from it to the initial pose. ompl: the A keys alone (autoSolveA) for the final pose,
// else the numeric search, then the planner. A planned path is written into the path record
// through the gate and converted by 'C', so it is played like any other.
SolveResult solveScene(Scene& s, const SolvePlan& p);
