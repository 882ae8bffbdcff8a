#include "path/record_reset.h"

#include "core/scene.h"
#include "path/shorten.h"

void emptyPathRecord(Scene& s) {
    s.NPATH = 0;
    s.NPATHth = 0;
    s.NPATHmax = 0;
    s.sgnNMAX = 'U';
    s.nBACK = 0;
    s.nMOVE = 0;
    s.sgnPATHEnd = 0;
    s.sgnBResume = 0;
    clearShortMotion(s);
    s.sgnGateStop = 0;
    s.gateRefusals = 0;
}

void takePathAsk(Scene& s) {
    const PathAsk ask = s.pathAsk;
    s.pathAsk = PathAsk::None;
    if (ask == PathAsk::None) return;
    s.cntBTrial = 0;
    if (ask != PathAsk::NewFinalPose) return;
    emptyPathRecord(s);
    s.sgnPATH = 0;
    s.sgnPATHSave = 0;
}
