// The B-calculation driver: the checks of the final pose with the reset of the record (key 'B'),
// and the dispatch of 's' to the function of the current phase.
#pragma once
struct Scene;

// Key 'B': checks the accepted final pose qAfinal and starts a new path (phase 1), or resumes
// the phase left with 'O'.
void calBPREP(Scene& s);
// Runs the function of the current phase (1, 2, 3, 5, 6); other phases do nothing.
void runBPhase(Scene& s);
