#include "app/planner.h"

#include <cstdio>

// Stand-ins for a program linked without the planner's objects: the linker takes the planner's
// own definitions (app/ompl_planner.cpp) wherever they are linked in, and this file is then not
// linked at all.
__attribute__((weak)) bool plannerAvailable() { return false; }

__attribute__((weak)) PlanResult planJointPath(Scene&, const double*, const double*, const PlanOptions&) {
    PlanResult r;
    std::snprintf(r.status, sizeof r.status, "no planner in this program");
    return r;
}
