// State written by the interference checks.
#pragma once
#include "model/types.h"

struct CollideState {
    Vec3 rColl = {};
    int sgnTurn = 0;
};
