// Headless key sessions: the key script notation and the state summary of slitpass-run.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

struct Scene;
struct SolveResult;

// Parses a key script: each character is one key; {SP} and {ESC} name those keys; {x*N}
// presses x N times (x may be {SP} or {ESC}). Returns false with a message on a malformed script.
bool parseKeyScript(const std::string& script, std::vector<unsigned char>& keys, std::string& error);

// Writes the JSON state summary; keyMillis holds the wall-clock time of each key pressed.
// solve (may be null): the result of the automatic solve, reported as a "solve" object.
void writeJsonSummary(Scene& s, const std::vector<unsigned char>& keys, const std::vector<double>& keyMillis,
                      std::FILE* out, const SolveResult* solve = nullptr);
