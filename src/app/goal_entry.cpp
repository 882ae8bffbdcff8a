#include "app/goal_entry.h"

#include "core/scene.h"
#include "goal/slit_passing.h"
#include "goal/start_pose.h"
#include "goal/work_positioning.h"
#include "path/record_reset.h"

namespace {

void beforeGoal(Scene& s) { s.workFloorJudged = s.sgnPATH >= 2; }

}  // namespace

void enterSetcalA(Scene& s) {
    beforeGoal(s);
    setcalA(s);
    takePathAsk(s);
}

void enterCalAa(Scene& s) {
    beforeGoal(s);
    calAa(s);
    takePathAsk(s);
}

void enterCalAb(Scene& s) {
    beforeGoal(s);
    calAb(s);
    takePathAsk(s);
}
