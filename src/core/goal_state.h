// State owned by the goal pose calculation.
#pragma once
#include "core/types.h"

struct GoalCalcState {
    static constexpr int NQSS0 = 20;  // at most 17 candidates arise
    double qss0[NQSS0][JV] = {};
    int nqss0 = 0;
    int cntqs0 = 0;
    double qAa[JV] = {};  // last work-positioning solution ('a')
    double qAb[JV] = {};  // slit-pass pose chosen by the last search ('b'); target of its steps
    int solP = 0;         // result of the last work-positioning search
    char sgnLS = ' ';     // result letter of the last Newton correction or special case
};
