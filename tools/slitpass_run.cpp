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
#include "app/ompl_planner.h"
#include "app/plan_solve.h"
#include "app/keyboard.h"
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

}  // namespace

int main(int argc, char** argv) {
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
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--format" || a == "--speed" || a == "--urdf" || a == "--scene-urdf") {
            if (i + 1 >= argc) return fail(a + " needs a value");
            (a == "--format" ? formatText : a == "--speed" ? speedText : a == "--urdf" ? urdfOut : sceneUrdfOut) =
                argv[++i];
            haveFormat = haveFormat || a == "--format";
            haveSpeed = haveSpeed || a == "--speed";
        } else if (a == "--json") {
            json = true;
        } else if (a == "--solve") {
            solve = true;
        } else if (a == "--shorten") {
            shorten = true;
        } else if (a == "--robot" || a == "--slit" || a == "--goal") {
            if (i + 1 >= argc) return fail(a + " needs a value");
            (a == "--robot" ? robot : a == "--slit" ? slitText : goalText) = argv[++i];
        } else if (a == "--planner") {
            if (i + 1 >= argc) return fail("--planner needs a value: native, auto or ompl");
            if (!solveMethodByName(argv[++i], plan.method))
                return fail(std::string("unknown planner '") + argv[i] + "': native, auto or ompl");
            planGiven = true;
        } else if (a == "--plan-time") {
            if (i + 1 >= argc) return fail("--plan-time needs a number of seconds");
            const char* text = argv[++i];
            char* end = nullptr;
            const double v = std::strtod(text, &end);
            if (end == text || *end != 0 || !(v > 0) || !std::isfinite(v))
                return fail(std::string("--plan-time needs a positive number of seconds, not '") + text + "'");
            plan.planSeconds = v;
            planGiven = true;
        } else if (a == "--trace") {
            if (i + 1 >= argc) return fail("--trace needs a value: FILE, - or none");
            tracePath = argv[++i];
        } else if (a.rfind("--trace=", 0) == 0) {
            tracePath = a.substr(8);
        } else if (a == "--path-out") {
            if (i + 1 >= argc) return fail("--path-out needs a file name");
            pathOut = argv[++i];
        } else if (a.rfind("--path-out=", 0) == 0) {
            pathOut = a.substr(11);
        } else if (a == "--forward") {
            forward = true;
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
    // This runner starts in the time of an empty program because it is linked without the
    // planner; a run that asks for the planner is handed to its twin beside it, with the same
    // arguments (nothing has been written yet).
    const bool wantsPlanner = (solve && plan.method != SolveMethod::Native) ||
                              std::find(keys.begin(), keys.end(), 'N') != keys.end();
    if (wantsPlanner && !plannerAvailable()) {
        std::string twin = argv[0];
        const size_t slash = twin.rfind('/');
        twin = (slash == std::string::npos ? std::string() : twin.substr(0, slash + 1)) + "slitpass-run-planner";
        execv(twin.c_str(), argv);
        return fail("the planner is not available: cannot start '" + twin + "'");
    }

    if (forward && pathOut.empty()) return fail("--forward needs --path-out FILE");
    if ((haveFormat || haveSpeed) && pathOut.empty()) return fail("--format and --speed need --path-out FILE");
    PathFormat format = PathFormat::Txt;
    if (haveFormat && !parsePathFormat(formatText, format))
        return fail("--format must be txt, csv or json, not '" + formatText + "'");
    double speed = 1.0;
    if (haveSpeed) {
        char* end = nullptr;
        speed = std::strtod(speedText.c_str(), &end);
        if (speedText.empty() || *end || !std::isfinite(speed) || speed <= 0)
            return fail("--speed needs a positive number of rad/s, not '" + speedText + "'");
    }
    Vec3 slit{}, goal{};
    if (!slitText.empty() && !parseVec3(slitText, slit)) return fail("--slit needs three numbers X,Y,Z");
    if (!goalText.empty() && !parseVec3(goalText, goal)) return fail("--goal needs three numbers X,Y,Z");

    // Every output file is written whole after the run or not at all; a place that cannot take
    // one is refused before anything runs.
    OutputFile pathFile, urdfFile, sceneUrdfFile;
    const std::pair<const std::string*, OutputFile*> outputs[] = {
        {&pathOut, &pathFile}, {&urdfOut, &urdfFile}, {&sceneUrdfOut, &sceneUrdfFile}};
    for (const auto& [name, file] : outputs)
        if (!name->empty() && !file->open(*name, error)) return fail(error);

    std::FILE* trace = nullptr;
    if (tracePath == "-") {
        trace = stdout;
    } else if (tracePath != "none") {
        trace = std::fopen(tracePath.c_str(), "w");
        if (!trace) return fail("cannot open trace file '" + tracePath + "'");
    }

    if (shorten && !solve) return fail("--shorten needs --solve");
    if (planGiven && !solve) return fail("--planner and --plan-time need --solve");
    auto scene = std::make_unique<Scene>();
    Scene& s = *scene;
    s.trace = trace;
    s.waitKey = terminalWaitKeyHook;
    startUp(s);
    // Scene options, through the same keys a user would press.
    if (!robot.empty() && !chooseRobotByKeys(s, robot, error)) return fail(error);
    if (!slitText.empty() && !moveSlitByKeys(s, slit, error)) return fail("--slit refused: " + error);
    if (!goalText.empty() && !moveGoalByKeys(s, goal, error)) return fail("--goal refused: " + error);

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
    SolveResult solved;
    if (solve && !s.quit) {
        solved = solveScene(s, plan);
        measureSolveClearance(s, solved);
        if (shorten) shortenSolve(s, solved);
    }
    if (trace) {
        std::fputc('\n', trace);
        std::fflush(trace);
    }
    if (json) {
        writeJsonSummary(s, pressed, millis, stdout, solve ? &solved : nullptr);
    } else {
        for (size_t i = 0; i < pressed.size(); ++i)
            std::printf("key %3zu %-5s %10.3f ms\n", i + 1,
                        pressed[i] == ' ' ? "{SP}" : pressed[i] == 27 ? "{ESC}" : std::string(1, pressed[i]).c_str(),
                        millis[i]);
        std::printf("robot F%d%d mode %c sgnP=%d sgnT=%d sgnSOLAEnd=%d\n", s.sgnROBOT[0], s.sgnROBOT[1], s.sgnCAL,
                    s.sgnP, s.sgnT, s.sgnSOLAEnd);
    }
    if (!pathOut.empty() && solve && !solved.complete) {
        // No complete path: no path file either.
        pathFile.discard();
        std::remove(pathOut.c_str());
    } else if (!pathOut.empty()) {
        // With --shorten the forward path written is the shortened motion.
        PathRows rows = recordedPath(s, forward);
        if (forward && shorten && solved.shortened) rows = PathRows{s.qSHORT, s.NSHORT + 1, "shortened"};
        writePath(s, rows, format, speed, pathFile.stream());
        if (!pathFile.commit(error)) return fail(error);
    }
    if (!urdfOut.empty()) {
        writeRobotUrdf(s, urdfFile.stream());
        if (!urdfFile.commit(error)) return fail(error);
    }
    if (!sceneUrdfOut.empty()) {
        writeSceneUrdf(s, sceneUrdfFile.stream());
        if (!sceneUrdfFile.commit(error)) return fail(error);
    }
    if (trace && trace != stdout) std::fclose(trace);
    if (solve && !solved.complete) {
        std::fprintf(stderr, "slitpass-run: no path: %s\n", solved.stop[0] ? solved.stop : "nothing to solve");
        return 1;
    }
    return 0;
}
