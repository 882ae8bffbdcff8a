// The shortened motion: the forward path made shorter and smoother on the row gate, beside the
// forward path of 'C', which stays as it is.
//   1. shortcut: from each vertex, the furthest later row reached by a straight joint motion the
//      gate accepts (the rows between are dropped);
//   2. random shortcuts between points on two segments, from a fixed seed (deterministic);
//   3. corners cut (each corner replaced by points a quarter along its two segments, when the
//      gate accepts the cut), three rounds;
//   4. resampled to the record's step (at most 0.025 rad between rows in every joint).
// Every step replaces a polyline by one no longer (triangle inequality), so the path never gets
// longer; every motion kept is accepted by the gate.
#pragma once
#include "core/types.h"
struct Scene;

constexpr int kShortcutTries = 100;   // random shortcuts tried
constexpr int kCornerRounds = 3;      // rounds of corner cutting
constexpr double kShortStep = 0.025;  // largest joint change between rows

struct ShortenReport {
    double lengthBefore = 0, lengthAfter = 0;  // joint-space length ('R' joints wrapped), rad
    double trailBefore = 0, trailAfter = 0;    // length of the work point's trail
    double maxStep = 0;                        // largest joint change between rows after
    double millis = 0;
    int vertices = 0, rows = 0;
    int gateCalls = 0;
};

// Shortens rows 0..n-1 of path (a complete forward or reverse path) into qSHORT (rows
// 0..NSHORT) with rwSHORT. Deterministic for a given path; bounded by the counts above.
ShortenReport shortenPath(Scene& s, const double (*path)[JV], int n);
// Joint-space length of rows 0..n-1 ('R' joints by their wrapped differences).
double pathLength(const Scene& s, const double (*rows)[JV], int n);
// Length of the polyline of the work point over rows 0..n-1 (runs forward kinematics).
double trailLength(Scene& s, const double (*rows)[JV], int n);
// Key 'H' on a complete path: shortens the forward path (once per path) and starts playing the
// shortened motion from the initial pose; false when there is no complete path to shorten.
bool startShortMotion(Scene& s);
// One playback step of the shortened motion in direction dirMOVE (as stepMotion, one row a step).
void stepShortMotion(Scene& s);
// Forgets the shortened motion (a new path is started or the record emptied).
void clearShortMotion(Scene& s);
