// Headless key sessions: the key script notation and the state summary of slitpass-run.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

struct Scene;

// Parses a key script: each character is one key; {SP} and {ESC} name those keys; {x*N}
// presses x N times (x may be {SP} or {ESC}). Returns false with a message on a malformed script.
bool parseKeyScript(const std::string& script, std::vector<unsigned char>& keys, std::string& error);

// Writes the JSON state summary; keyMillis holds the wall-clock time of each key pressed.
void writeJsonSummary(Scene& s, const std::vector<unsigned char>& keys, const std::vector<double>& keyMillis,
                      std::FILE* out);

// Writes the path record: "# robot F21 rh <x> <y> <z> goal <x> <y> <z>" (goal = rwp), then one
// line per row 0..NPATH with joints 1..N as %.17g. forward: the forward path of the C-motion
// (the reverse path smoothed and turned around, as 'C' computes it), else the reverse path.
void writePathFile(Scene& s, bool forward, std::FILE* out);
