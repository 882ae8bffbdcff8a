#include "app/planner_kind.h"

#include <cstring>

namespace {

const char* const kNames[] = {"KPIECE1", "RRTConnect", "BiTRRT", "BKPIECE1"};

}  // namespace

const char* plannerName(PlannerKind k) { return kNames[static_cast<int>(k)]; }

bool plannerByName(const char* name, PlannerKind& k) {
    for (int i = 0; i < 4; ++i)
        if (std::strcmp(name, kNames[i]) == 0) {
            k = static_cast<PlannerKind>(i);
            return true;
        }
    return false;
}
