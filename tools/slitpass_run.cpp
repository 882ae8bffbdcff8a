// slitpass-run: runs the start-up sequence without a window, feeds a key script to the key
// dispatcher and reports the state.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/keyboard.h"
#include "app/session.h"
#include "app/startup.h"
#include "core/console.h"
#include "core/scene.h"

namespace {

void usage(std::FILE* out) {
    std::fprintf(out,
                 "usage: slitpass-run [--json] [--trace FILE|-|none] [SCRIPT]\n"
                 "  SCRIPT       keys pressed in order; {SP} and {ESC} name those keys,\n"
                 "               {x*N} presses x N times (x may be {SP}), e.g. 'F21{a*3}b{SP}'\n"
                 "  --json       print the state summary as JSON on standard output\n"
                 "  --trace T    console trace to file T, '-' for standard output, 'none' (default)\n");
}

int fail(const std::string& message) {
    std::fprintf(stderr, "slitpass-run: %s\n", message.c_str());
    usage(stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bool json = false;
    std::string tracePath = "none";
    std::string script;
    bool haveScript = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--json") {
            json = true;
        } else if (a == "--trace") {
            if (i + 1 >= argc) return fail("--trace needs a value: FILE, - or none");
            tracePath = argv[++i];
        } else if (a.rfind("--trace=", 0) == 0) {
            tracePath = a.substr(8);
        } else if (a == "-h" || a == "--help") {
            usage(stdout);
            return 0;
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            return fail("unknown option '" + a + "'");
        } else if (!haveScript) {
            script = a;
            haveScript = true;
        } else {
            return fail("more than one key script given");
        }
    }
    std::vector<unsigned char> keys;
    std::string error;
    if (!parseKeyScript(script, keys, error)) return fail("malformed key script: " + error);

    std::FILE* trace = nullptr;
    if (tracePath == "-") {
        trace = stdout;
    } else if (tracePath != "none") {
        trace = std::fopen(tracePath.c_str(), "w");
        if (!trace) return fail("cannot open trace file '" + tracePath + "'");
    }

    auto scene = std::make_unique<Scene>();
    Scene& s = *scene;
    s.trace = trace;
    s.waitKey = terminalWaitKeyHook;
    startUp(s);

    std::vector<double> millis;
    std::vector<unsigned char> pressed;
    for (unsigned char k : keys) {
        auto t0 = std::chrono::steady_clock::now();
        keyboard(s, k);
        auto t1 = std::chrono::steady_clock::now();
        millis.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        pressed.push_back(k);
        if (s.quit) break;
    }
    if (trace) {
        std::fputc('\n', trace);
        std::fflush(trace);
    }
    if (json) {
        writeJsonSummary(s, pressed, millis, stdout);
    } else {
        for (size_t i = 0; i < pressed.size(); ++i)
            std::printf("key %3zu %-5s %10.3f ms\n", i + 1,
                        pressed[i] == ' ' ? "{SP}" : pressed[i] == 27 ? "{ESC}" : std::string(1, pressed[i]).c_str(),
                        millis[i]);
        std::printf("robot F%d%d mode %c sgnP=%d sgnT=%d sgnSOLAEnd=%d\n", s.sgnROBOT[0], s.sgnROBOT[1], s.sgnCAL,
                    s.sgnP, s.sgnT, s.sgnSOLAEnd);
    }
    if (trace && trace != stdout) std::fclose(trace);
    return 0;
}
