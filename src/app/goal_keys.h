// Keys of the goal pose calculation: 'A' and the keys of A mode.
#pragma once
struct Scene;

// 'A': from F mode only the mode letter; back from B or C mode, the accepted final pose again;
// otherwise new start pose candidates (setcalA).
void goalCalculationKey(Scene& s, unsigned char key);
// A mode '1'..'6': the goal rwp by +/-0.01 in x, y, z; no calculation runs.
void goalMoveKey(Scene& s, unsigned char key);
// A mode 'a': one step of work positioning (calAa).
void positioningKey(Scene& s, unsigned char key);
// A mode 'b': one step of slit passing (calAb).
void slitPassKey(Scene& s, unsigned char key);
// A mode Space: the next start pose candidate (none to take when the search found none).
void nextCandidateKey(Scene& s, unsigned char key);
// A mode, other keys: redraw only.
void goalOtherKey(Scene& s, unsigned char key);
