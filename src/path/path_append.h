// The one operation that adds rows to the reverse path, and the state it leaves when it stops.
#pragma once
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
// True once an append found the record full.
bool pathFull(const Scene& s);
// True once an append found the record full or the row gate refused a motion: the
// B-calculation has stopped and the running phase ends.
bool pathStopped(const Scene& s);
