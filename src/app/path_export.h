// Path files: the path as text (one line of joint values per row), CSV or JSON with time stamps.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "core/types.h"

struct Scene;

enum class PathFormat { Txt, Csv, Json };

// "txt", "csv" or "json"; false for any other name.
bool parsePathFormat(const std::string& name, PathFormat& out);

// A path to write: rows 0..n-1 of joint vectors (joints 1..N), and which path it is.
struct PathRows {
    const double (*q)[JV] = nullptr;
    int n = 0;
    const char* kind = "reverse";
};

// The reverse path of the B-calculation (rows 0..NPATH of qIPATH); with forward, the forward
// path of the C-motion (the reverse path smoothed and turned around, as 'C' computes it).
PathRows recordedPath(Scene& s, bool forward);

// A row that moves no joint still takes this long, so that the time stamps strictly increase.
constexpr double kMinRowSeconds = 0.001;

// The time law: the largest joint change of a row takes place at speed rad/s. t[0] = 0,
// t[k+1] = t[k] + max(max_i |q[k+1][i] - q[k][i]| / speed, kMinRowSeconds), the change of an
// 'R' joint taken the short way round. speed > 0.
std::vector<double> pathTimes(const Scene& s, const PathRows& p, double speed);

// txt: "# robot F21 rh <x> <y> <z> goal <x> <y> <z>" (goal = rwp), then one line per row with
//      joints 1..N as %.17g separated by single spaces.
// csv: "t,j1,...,jN", then one line per row: the time stamp and joints 1..N, %.17g.
// json: robot, joint letters, slit rh, goal rwp, path kind, speed, the joint names of the robot's
//      URDF (j1..jN) and the rows as {"t": .., "q": [..]}, their numbers %.17g.
void writePath(const Scene& s, const PathRows& p, PathFormat format, double speed, std::FILE* out);
