// The reverse path record: the joint it keeps as the trail, the smoothing and reversal into the
// forward path, and the playback along it.
#pragma once
#include "core/types.h"
struct Scene;

// Weighted size of the move from a to b as the append measures it: the largest joint change,
// the three wrist joints counting one fifth ('R' joints the short way).
double weightedStep(const Scene& s, const double* a, const double* b);
// The joint whose positions the record keeps as the trail (MpTrack): Mpass of the wall
// classification of q, one lower past a roll joint; leaves the forward kinematics of q in the Scene.
void setPathTrack(Scene& s, const double* q);
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
