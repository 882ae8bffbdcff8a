// A path found outside the B-calculation (the sampling planner) enters the same path record
// the same way: every motion through appendPathSegment, so subdivided to the record's step and
// judged by the row gate; 'C' then smooths and plays it like a generated path.
#pragma once
struct Scene;

// Starts a new reverse path at qFinal (row 0), which becomes the accepted final pose qAfinal;
// the record and the state of the B-calculation are emptied.
void beginPlannedPath(Scene& s, const double* qFinal);
// Appends the motion from the last row to q. Returns 1 when it was written, 0 when the record is
// full, or the gate's negative interference code when the gate refused the motion (nothing is
// written then).
int appendPlannedRow(Scene& s, const double* q);
// Completes the path (phase 7, sgnPATHEnd = 1) when the last row is the initial pose; returns 1
// then, 0 otherwise.
int finishPlannedPath(Scene& s);
