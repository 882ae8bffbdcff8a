// The sampling planners the solve can use, by name.
#pragma once

enum class PlannerKind { KPIECE1, RRTConnect, BiTRRT, BKPIECE1 };

// Name of a planner ("KPIECE1", ...) and back; false for an unknown name.
const char* plannerName(PlannerKind k);
bool plannerByName(const char* name, PlannerKind& k);
