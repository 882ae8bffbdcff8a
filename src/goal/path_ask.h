// What a goal entry voids of the path: said to the app, which passes it on to the path record.
#pragma once
#include "core/goal_state.h"

struct Scene;

// Keeps the stronger of the ask so far and `ask` (a new final pose also starts the trials anew).
void askPath(Scene& s, PathAsk ask);
