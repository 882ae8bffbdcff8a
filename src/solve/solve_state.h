// State written by the numerical solvers.
#pragma once
#include "model/types.h"

struct SolveState {
    int solveStateUnused = 0;  // fields are added here as the solvers need them
};
