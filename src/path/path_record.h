// The reverse path record with its one append operation, the closing motion to the initial
// pose, the smoothing and reversal into the forward path, and the playback along it.
#pragma once
#include "core/types.h"
struct Scene;

// Appends the move from qFrom (the pose of row NPATH) to qTo, subdivided so that consecutive
// rows differ by at most 0.025 rad in an arm joint and 0.125 rad in one of the three wrist
// joints. qTo is cleared at element 0 and wrapped in place. Returns the rows appended (0 when
// the weighted move is below 0.001). When the record is full it writes nothing more, sets
// sgnNMAX = 'O' and stops the B-calculation (sgnMColl = 0); when the row gate refuses the
// motion it writes nothing and stops it with the gate's code; callers end their loops on
// pathStopped.
// Leaves J and rw of the last row written in the Scene; calls the redraw hook.
int appendPathSegment(Scene& s, const double* qFrom, double* qTo);
// Weighted size of the move from a to b as the append measures it: the largest joint change,
// the three wrist joints counting one fifth ('R' joints the short way).
double weightedStep(const Scene& s, const double* a, const double* b);
// True once an append found the record full.
bool pathFull(const Scene& s);
// True once an append found the record full or the row gate refused a motion: the
// B-calculation has stopped and the running phase ends.
bool pathStopped(const Scene& s);
// Phase 6: twenty equal steps from qr to qInit, then the path is complete (sgnPATH = 7).
void calBLASTMOTION(Scene& s);
// Average of the m rows of W for joints j0..N about the centre row W[m/2] ('R' joints by their
// wrapped differences from the centre); joints below j0 keep the centre's values.
void smoothWindow(const Scene& s, int m, int j0, const double (*W)[JV], double* out);
// Fills qSIPATH from qIPATH (rows 0..NPATH).
void smoothPATH(Scene& s);
// Smoothing and reversal into the forward path (qSIPATH, qPATH, rwPATH): calCMOTION without its
// trace line and without starting playback. Depends only on rows 0..NPATH of qIPATH.
void convertPath(Scene& s);
// Keeps the raw row of qIPATH in qSIPATH where a smoothed row is not clear by the interference
// check or off the slit plane in the wall, and where it would make a step larger than the
// append allows: the forward path is never less sound than the path generated.
void keepSmoothingSound(Scene& s);
// Key 'C': smoothing, the forward path and the start of playback when the path is complete.
void calCMOTION(Scene& s);
// One playback step in direction dirMOVE.
void stepMotion(Scene& s);
