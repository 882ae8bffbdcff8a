// slitpass-run: runs the start-up sequence without a window, feeds a key script to the key
// dispatcher and reports the state.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "app/auto_solve.h"
#include "app/keyboard.h"
#include "app/plan_solve.h"
#include "app/planner.h"
#include "app/output_file.h"
#include "app/path_export.h"
#include "app/scene_options.h"
#include "app/session.h"
#include "app/startup.h"
#include "app/urdf_export.h"
#include "core/console.h"
#include "core/scene.h"

namespace {

void usage(std::FILE* out) {
    std::fprintf(out,
                 "usage: slitpass-run [--robot FNN] [--slit X,Y,Z] [--goal X,Y,Z] [--solve [--planner M]\n"
                 "                    [--plan-time S] [--shorten]] [--json]\n"
                 "                    [--trace FILE|-|none] [--path-out FILE [--forward] [--format F] [--speed V]]\n"
                 "                    [--urdf FILE] [--scene-urdf FILE] [SCRIPT]\n"
                 "  SCRIPT       keys pressed in order; {SP} and {ESC} name those keys,\n"
                 "               {x*N} presses x N times (x may be {SP}), e.g. 'F21{a*3}b{SP}'\n"
                 "  --json       print the state summary as JSON on standard output\n"
                 "  --trace T    console trace to file T, '-' for standard output, 'none' (default)\n"
                 "  --path-out F write the reverse path of the B-calculation to file F after the script\n"
                 "  --forward    with --path-out: write the forward path of the C-motion instead\n"
                 "  --format F   with --path-out: txt (default), csv or json (both with time stamps)\n"
                 "  --speed V    with --path-out: the time stamps move the fastest joint at V rad/s (default 1)\n"
                 "  --urdf F     write the robot as URDF to file F after the script\n"
                 "  --scene-urdf F  write the floor, the wall at the slit and the goal as URDF to file F\n"
                 "  --robot FNN  choose the robot (F11 F12 F21 F22 F31 F32 F41 F42) as 'F' and two digits do\n"
                 "  --slit X,Y,Z move the slit base point rh there by the slit keys (0.01 steps)\n"
                 "  --goal X,Y,Z move the work goal there by the goal keys (0.01 steps)\n"
                 "  --solve      after the script, solve the whole task as a user at the keys would: exit 0\n"
                 "               with a complete path, 1 without one\n"
                 "  --shorten    with --solve: shorten the forward path (JSON 'shorten'; with --forward the\n"
                 "               path file holds the shortened motion)\n"
                 "  --planner M  with --solve: native (default; the A and B keys only), auto (those first, then a\n"
                 "               numeric final pose where A has none and the sampling planner where B stops)\n"
                 "               or ompl (a final pose from the A keys or the numeric search, then the planner)\n"
                 "  --plan-time S  time budget of the planner in seconds (default 10)\n");
}

int fail(const std::string& message) {
    std::fprintf(stderr, "slitpass-run: %s\n", message.c_str());
    usage(stderr);
    return 2;
}

// The command line as given, and what the checks derive from it.
struct RunOptions {
    bool json = false;
    std::string tracePath = "none";
    std::string script;
    bool haveScript = false;
    std::string pathOut;
    bool forward = false;
    bool solve = false;
    bool shorten = false;
    std::string robot, slitText, goalText;
    std::string formatText, speedText, urdfOut, sceneUrdfOut;
    bool haveFormat = false, haveSpeed = false;
    SolvePlan plan;
    bool planGiven = false;
    // Derived by checkOptions.
    std::vector<unsigned char> keys;
    PathFormat format = PathFormat::Txt;
    double speed = 1.0;
    Vec3 slit{}, goal{};
};

// Where the run ends before any key when the command line says so.
struct Stop {
    bool now = false;
    int code = 0;
};

Stop stopWith(int code) { return Stop{true, code}; }

// One option (with its value, taken from argv[++i]) or the key script.
Stop parseOption(int argc, char** argv, int& i, RunOptions& o) {
    std::string a = argv[i];
    if (a == "--format" || a == "--speed" || a == "--urdf" || a == "--scene-urdf") {
        if (i + 1 >= argc) return stopWith(fail(a + " needs a value"));
        (a == "--format" ? o.formatText : a == "--speed" ? o.speedText : a == "--urdf" ? o.urdfOut : o.sceneUrdfOut) =
            argv[++i];
        o.haveFormat = o.haveFormat || a == "--format";
        o.haveSpeed = o.haveSpeed || a == "--speed";
    } else if (a == "--json") {
        o.json = true;
    } else if (a == "--solve") {
        o.solve = true;
    } else if (a == "--shorten") {
        o.shorten = true;
    } else if (a == "--robot" || a == "--slit" || a == "--goal") {
        if (i + 1 >= argc) return stopWith(fail(a + " needs a value"));
        (a == "--robot" ? o.robot : a == "--slit" ? o.slitText : o.goalText) = argv[++i];
    } else if (a == "--planner") {
        if (i + 1 >= argc) return stopWith(fail("--planner needs a value: native, auto or ompl"));
        if (!solveMethodByName(argv[++i], o.plan.method))
            return stopWith(fail(std::string("unknown planner '") + argv[i] + "': native, auto or ompl"));
        o.planGiven = true;
    } else if (a == "--plan-time") {
        if (i + 1 >= argc) return stopWith(fail("--plan-time needs a number of seconds"));
        const char* text = argv[++i];
        char* end = nullptr;
        const double v = std::strtod(text, &end);
        if (end == text || *end != 0 || !(v > 0) || !std::isfinite(v))
            return stopWith(fail(std::string("--plan-time needs a positive number of seconds, not '") + text + "'"));
        o.plan.planSeconds = v;
        o.planGiven = true;
    } else if (a == "--trace") {
        if (i + 1 >= argc) return stopWith(fail("--trace needs a value: FILE, - or none"));
        o.tracePath = argv[++i];
    } else if (a.rfind("--trace=", 0) == 0) {
        o.tracePath = a.substr(8);
    } else if (a == "--path-out") {
        if (i + 1 >= argc) return stopWith(fail("--path-out needs a file name"));
        o.pathOut = argv[++i];
    } else if (a.rfind("--path-out=", 0) == 0) {
        o.pathOut = a.substr(11);
    } else if (a == "--forward") {
        o.forward = true;
    } else if (a == "-h" || a == "--help") {
        usage(stdout);
        return stopWith(0);
    } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
        return stopWith(fail("unknown option '" + a + "'"));
    } else if (!o.haveScript) {
        o.script = a;
        o.haveScript = true;
    } else {
        return stopWith(fail("more than one key script given"));
    }
    return Stop{};
}

Stop parseOptions(int argc, char** argv, RunOptions& o) {
    for (int i = 1; i < argc; ++i) {
        const Stop stop = parseOption(argc, argv, i, o);
        if (stop.now) return stop;
    }
    return Stop{};
}

// This runner starts in the time of an empty program because it is linked without the planner;
// a run that asks for the planner is handed to its twin beside it, with the same arguments
// (nothing has been written yet). Returns only when the twin cannot start.
Stop handToPlannerTwin(char** argv, const RunOptions& o) {
    const bool wantsPlanner = (o.solve && o.plan.method != SolveMethod::Native) ||
                              std::find(o.keys.begin(), o.keys.end(), 'N') != o.keys.end();
    if (!wantsPlanner || plannerAvailable()) return Stop{};
    std::string twin = argv[0];
    const size_t slash = twin.rfind('/');
    twin = (slash == std::string::npos ? std::string() : twin.substr(0, slash + 1)) + "slitpass-run-planner";
    execv(twin.c_str(), argv);
    return stopWith(fail("the planner is not available: cannot start '" + twin + "'"));
}

// The path file options and the scene coordinates.
Stop checkOutputOptions(RunOptions& o) {
    if (o.forward && o.pathOut.empty()) return stopWith(fail("--forward needs --path-out FILE"));
    if ((o.haveFormat || o.haveSpeed) && o.pathOut.empty())
        return stopWith(fail("--format and --speed need --path-out FILE"));
    if (o.haveFormat && !parsePathFormat(o.formatText, o.format))
        return stopWith(fail("--format must be txt, csv or json, not '" + o.formatText + "'"));
    if (o.haveSpeed) {
        char* end = nullptr;
        o.speed = std::strtod(o.speedText.c_str(), &end);
        if (o.speedText.empty() || *end || !std::isfinite(o.speed) || o.speed <= 0)
            return stopWith(fail("--speed needs a positive number of rad/s, not '" + o.speedText + "'"));
    }
    if (!o.slitText.empty() && !parseVec3(o.slitText, o.slit)) return stopWith(fail("--slit needs three numbers X,Y,Z"));
    if (!o.goalText.empty() && !parseVec3(o.goalText, o.goal)) return stopWith(fail("--goal needs three numbers X,Y,Z"));
    return Stop{};
}

// The files of a run: every output file is written whole after the run or not at all, and the
// trace as the run goes.
struct RunFiles {
    OutputFile path, urdf, sceneUrdf;
    std::FILE* trace = nullptr;
};

// A place that cannot take an output file is refused before anything runs.
Stop openFiles(const RunOptions& o, RunFiles& f) {
    std::string error;
    const std::pair<const std::string*, OutputFile*> outputs[] = {
        {&o.pathOut, &f.path}, {&o.urdfOut, &f.urdf}, {&o.sceneUrdfOut, &f.sceneUrdf}};
    for (const auto& [name, file] : outputs)
        if (!name->empty() && !file->open(*name, error)) return stopWith(fail(error));
    if (o.tracePath == "-") {
        f.trace = stdout;
    } else if (o.tracePath != "none") {
        f.trace = std::fopen(o.tracePath.c_str(), "w");
        if (!f.trace) return stopWith(fail("cannot open trace file '" + o.tracePath + "'"));
    }
    return Stop{};
}

// Scene options, through the same keys a user would press.
Stop applySceneOptions(Scene& s, const RunOptions& o) {
    std::string error;
    if (!o.robot.empty() && !chooseRobotByKeys(s, o.robot, error)) return stopWith(fail(error));
    if (!o.slitText.empty() && !moveSlitByKeys(s, o.slit, error)) return stopWith(fail("--slit refused: " + error));
    if (!o.goalText.empty() && !moveGoalByKeys(s, o.goal, error)) return stopWith(fail("--goal refused: " + error));
    return Stop{};
}

// The keys pressed (up to ESC) and the wall-clock time of each.
struct KeyRun {
    std::vector<unsigned char> pressed;
    std::vector<double> millis;
};

KeyRun pressKeys(Scene& s, const std::vector<unsigned char>& keys) {
    KeyRun run;
    for (unsigned char k : keys) {
        auto t0 = std::chrono::steady_clock::now();
        keyboard(s, k);
        auto t1 = std::chrono::steady_clock::now();
        run.millis.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        run.pressed.push_back(k);
        if (s.quit) break;
    }
    return run;
}

// The state on standard output: the JSON summary, or a line per key and one of the state.
void report(Scene& s, const RunOptions& o, const KeyRun& run, const SolveResult& solved) {
    if (o.json) {
        writeJsonSummary(s, run.pressed, run.millis, stdout, o.solve ? &solved : nullptr);
        return;
    }
    for (size_t i = 0; i < run.pressed.size(); ++i)
        std::printf("key %3zu %-5s %10.3f ms\n", i + 1,
                    run.pressed[i] == ' '  ? "{SP}"
                    : run.pressed[i] == 27 ? "{ESC}"
                                           : std::string(1, run.pressed[i]).c_str(),
                    run.millis[i]);
    std::printf("robot F%d%d mode %c sgnP=%d sgnT=%d sgnSOLAEnd=%d\n", s.sgnROBOT[0], s.sgnROBOT[1], s.sgnCAL, s.sgnP,
                s.sgnT, s.sgnSOLAEnd);
}

// The path file (none without a complete path after --solve), the robot and the scene URDF.
Stop writeOutputs(Scene& s, const RunOptions& o, const SolveResult& solved, RunFiles& f) {
    std::string error;
    if (!o.pathOut.empty() && o.solve && !solved.complete) {
        f.path.discard();
        std::remove(o.pathOut.c_str());
    } else if (!o.pathOut.empty()) {
        // With --shorten the forward path written is the shortened motion.
        PathRows rows = recordedPath(s, o.forward);
        if (o.forward && o.shorten && solved.shortened) rows = PathRows{s.qSHORT, s.NSHORT + 1, "shortened"};
        writePath(s, rows, o.format, o.speed, f.path.stream());
        if (!f.path.commit(error)) return stopWith(fail(error));
    }
    if (!o.urdfOut.empty()) {
        writeRobotUrdf(s, f.urdf.stream());
        if (!f.urdf.commit(error)) return stopWith(fail(error));
    }
    if (!o.sceneUrdfOut.empty()) {
        writeSceneUrdf(s, f.sceneUrdf.stream());
        if (!f.sceneUrdf.commit(error)) return stopWith(fail(error));
    }
    return Stop{};
}

// The checks of the command line, in the order their messages take precedence.
Stop checkOptions(char** argv, RunOptions& o, RunFiles& files) {
    std::string error;
    if (!parseKeyScript(o.script, o.keys, error)) return stopWith(fail("malformed key script: " + error));
    Stop stop = handToPlannerTwin(argv, o);
    if (!stop.now) stop = checkOutputOptions(o);
    if (!stop.now) stop = openFiles(o, files);
    if (stop.now) return stop;
    if (o.shorten && !o.solve) return stopWith(fail("--shorten needs --solve"));
    if (o.planGiven && !o.solve) return stopWith(fail("--planner and --plan-time need --solve"));
    return Stop{};
}

}  // namespace

int main(int argc, char** argv) {
    RunOptions o;
    RunFiles files;
    Stop stop = parseOptions(argc, argv, o);
    if (!stop.now) stop = checkOptions(argv, o, files);
    if (stop.now) return stop.code;
    auto scene = std::make_unique<Scene>();
    Scene& s = *scene;
    s.trace = files.trace;
    s.waitKey = terminalWaitKeyHook;
    startUp(s);
    stop = applySceneOptions(s, o);
    if (stop.now) return stop.code;
    const KeyRun run = pressKeys(s, o.keys);
    SolveResult solved;
    if (o.solve && !s.quit) {
        solved = solveScene(s, o.plan);
        measureSolveClearance(s, solved);
        if (o.shorten) shortenSolve(s, solved);
    }
    if (files.trace) {
        std::fputc('\n', files.trace);
        std::fflush(files.trace);
    }
    report(s, o, run, solved);
    stop = writeOutputs(s, o, solved, files);
    if (stop.now) return stop.code;
    if (files.trace && files.trace != stdout) std::fclose(files.trace);
    if (o.solve && !solved.complete) {
        std::fprintf(stderr, "slitpass-run: no path: %s\n", solved.stop[0] ? solved.stop : "nothing to solve");
        return 1;
    }
    return 0;
}
