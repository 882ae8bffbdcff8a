#include "goal/path_reset.h"

#include "core/scene.h"

void resetPathForNewPose(Scene& s) {
    s.sgnPATH = 0;
    s.NPATH = 0;
    s.NPATHth = 0;
    s.NPATHmax = 0;
    s.sgnPATHEnd = 0;
    s.sgnNMAX = 'U';
    s.nBACK = 0;
    s.nMOVE = 0;
    s.cntBTrial = 0;
    s.sgnBResume = 0;
    s.sgnPATHSave = 0;
}
