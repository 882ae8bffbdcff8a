#include "core/console.h"

#include <termios.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>

#include "core/scene.h"

void tracef(const Scene& s, const char* fmt, ...) {
    if (!s.trace) return;
    va_list ap;
    va_start(ap, fmt);
    std::vfprintf(s.trace, fmt, ap);
    va_end(ap);
}

static void printVecFmt(const Scene& s, int i0, int i1, const double* v, const char* fmt) {
    if (!s.trace) return;
    std::fputc('(', s.trace);
    for (int i = i0; i <= i1; ++i) std::fprintf(s.trace, fmt, v[i]);
    std::fputc(')', s.trace);
}

void printVec(const Scene& s, int i0, int i1, const double* v) { printVecFmt(s, i0, i1, v, " %6.3f"); }
void printVec4(const Scene& s, int i0, int i1, const double* v) { printVecFmt(s, i0, i1, v, " %6.4f"); }
void printVec5(const Scene& s, int i0, int i1, const double* v) { printVecFmt(s, i0, i1, v, " %6.5f"); }

static void traceVecFmt(const Scene& s, int i0, int i1, const double* v, const char* vfmt, const char* fmt,
                        va_list ap) {
    if (!s.trace) return;
    std::vfprintf(s.trace, fmt, ap);
    printVecFmt(s, i0, i1, v, vfmt);
}

#define SLITPASS_TRACE_VEC(name, vfmt)                                                     \
    void name(const Scene& s, int i0, int i1, const double* v, const char* fmt, ...) {     \
        va_list ap;                                                                        \
        va_start(ap, fmt);                                                                 \
        traceVecFmt(s, i0, i1, v, vfmt, fmt, ap);                                          \
        va_end(ap);                                                                        \
    }
SLITPASS_TRACE_VEC(traceVec, " %6.3f")
SLITPASS_TRACE_VEC(traceVec4, " %6.4f")
SLITPASS_TRACE_VEC(traceVec5, " %6.5f")
#undef SLITPASS_TRACE_VEC

void waitKey(Scene& s) {
    if (s.waitKey) s.waitKey(s);
}

int terminalWaitKey() {
    if (!isatty(STDIN_FILENO)) return -1;
    termios old{};
    if (tcgetattr(STDIN_FILENO, &old) != 0) return -1;
    termios raw = old;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    unsigned char c = 0;
    ssize_t n = read(STDIN_FILENO, &c, 1);
    tcsetattr(STDIN_FILENO, TCSANOW, &old);
    return n == 1 ? c : -1;
}

void terminalWaitKeyHook(Scene& s) {
    if (s.trace) std::fflush(s.trace);
    terminalWaitKey();
}
