// The outcome of the automatic solve of key 'N' that the status lines show (sgnAutoSolve).
#pragma once

constexpr int kAutoSolveNotShown = 0;     // no 'N' since the last key that clears it
constexpr int kAutoSolveByKeys = 1;       // final pose and path by the A and B keys
constexpr int kAutoSolvePlanned = 2;      // final pose by the A keys, path by the planner
constexpr int kAutoSolveNumericPose = 3;  // final pose by the numeric search, path by the planner
constexpr int kAutoSolveNoPath = -1;      // no path found
