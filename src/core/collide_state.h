// State written by the interference checks.
#pragma once
#include "core/types.h"

struct CollideState {
    Vec3 rColl = {};
    int sgnTurn = 0;
};
