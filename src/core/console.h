// Console trace: every line goes to the Scene's trace sink (standard output by default, or none).
#pragma once
struct Scene;

#if defined(__GNUC__)
#define SLITPASS_PRINTF(a, b) __attribute__((format(printf, a, b)))
#else
#define SLITPASS_PRINTF(a, b)
#endif

void tracef(const Scene& s, const char* fmt, ...) SLITPASS_PRINTF(2, 3);

void printVec(const Scene& s, int i0, int i1, const double* v);
void printVec4(const Scene& s, int i0, int i1, const double* v);
void printVec5(const Scene& s, int i0, int i1, const double* v);

// A labelled joint vector in one call: the label (a printf format) and then printVec of
// v[i0..i1] (traceVec4/traceVec5: printVec4/printVec5).
void traceVec(const Scene& s, int i0, int i1, const double* v, const char* fmt, ...) SLITPASS_PRINTF(5, 6);
void traceVec4(const Scene& s, int i0, int i1, const double* v, const char* fmt, ...) SLITPASS_PRINTF(5, 6);
void traceVec5(const Scene& s, int i0, int i1, const double* v, const char* fmt, ...) SLITPASS_PRINTF(5, 6);

// The console pause of the calculations: prints nothing itself, calls the Scene's waitKey hook.
void waitKey(Scene& s);

// Reads one key from the terminal without echo and without Enter. Returns at once (with -1)
// when standard input is not a terminal, so that a pause never hangs a run without a console.
int terminalWaitKey();
void terminalWaitKeyHook(Scene& s);
