// State written by the numerical solvers.
#pragma once
#include "core/types.h"

struct SolveState {
    int cntPosOrient = 0;  // rounds used by the last solvePosOrient
};
