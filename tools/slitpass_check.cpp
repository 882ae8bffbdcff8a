// slitpass-check: checks a path file written by slitpass-run --path-out with the independent
// path check, in the scene named by its first line: the physical model by default, the point
// model of the calculations with --point-model. Exit 0: valid path; 1: invalid; 2: bad input.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "core/scene.h"
#include "app/scene_options.h"
#include "app/startup.h"
#include "path_check.h"

namespace {

int fail(const std::string& message) {
    std::fprintf(stderr, "slitpass-check: %s\n", message.c_str());
    return 2;
}

// The number in token, if the whole token is one finite number.
bool finiteNumber(const std::string& token, double& v) {
    char* end = nullptr;
    v = std::strtod(token.c_str(), &end);
    return end != token.c_str() && *end == '\0' && std::isfinite(v);
}

double rows[NMAX][JV];

// Where the check ends early: 0 after --help, 2 on bad input.
struct Stop {
    bool now = false;
    int code = 0;
};

Stop stopWith(int code) { return Stop{true, code}; }

Stop parseArguments(int argc, char** argv, bool& pointModel, const char*& file) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--point-model") == 0) {
            pointModel = true;
        } else if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: slitpass-check [--point-model] PATHFILE\n");
            return stopWith(0);
        } else if (argv[i][0] == '-' || file) {
            return stopWith(
                fail(std::string("unexpected argument '") + argv[i] + "'; usage: slitpass-check [--point-model] PATHFILE"));
        } else {
            file = argv[i];
        }
    }
    if (!file) return stopWith(fail("usage: slitpass-check [--point-model] PATHFILE"));
    return Stop{};
}

// The first line of the path file names the scene: the robot, the slit and the goal, set up by
// the keys a user would press.
Stop readScene(std::ifstream& in, const char* file, Scene& s, char (&robot)[8]) {
    std::string line;
    if (!in || !std::getline(in, line)) return stopWith(fail(std::string("cannot read '") + file + "'"));
    Vec3 rh{}, goal{};
    int used = 0;
    if (std::sscanf(line.c_str(), "# robot %7s rh %lf %lf %lf goal %lf %lf %lf %n", robot, &rh[0], &rh[1], &rh[2],
                    &goal[0], &goal[1], &goal[2], &used) != 7 ||
        used != static_cast<int>(line.size()) ||
        !(std::isfinite(rh[0] + rh[1] + rh[2]) && std::isfinite(goal[0] + goal[1] + goal[2])))
        return stopWith(fail("first line is not '# robot FNN rh X Y Z goal X Y Z'"));
    s.trace = nullptr;
    startUp(s);
    std::string error;
    if (!chooseRobotByKeys(s, robot, error) || !moveSlitByKeys(s, rh, error) || !moveGoalByKeys(s, goal, error))
        return stopWith(fail(error));
    return Stop{};
}

// One row per line: N finite joint values; blank lines are skipped. The rows go to rows[0..n-1].
Stop readRows(std::ifstream& in, const char* file, const Scene& s, int& n) {
    std::string line;
    n = 0;
    for (int lineNo = 2; std::getline(in, line); ++lineNo) {
        std::istringstream tokens(line);
        std::string token;
        double q[JV] = {};
        int got = 0;
        while (tokens >> token) {
            if (++got > s.N) break;
            if (!finiteNumber(token, q[got]))
                return stopWith(fail("line " + std::to_string(lineNo) + ": '" + token + "' is not a finite number"));
        }
        if (got == 0) continue;
        if (got != s.N)
            return stopWith(
                fail("line " + std::to_string(lineNo) + ": expected " + std::to_string(s.N) + " joint values"));
        if (n >= NMAX) return stopWith(fail("more than " + std::to_string(NMAX) + " rows"));
        std::memcpy(rows[n++], q, sizeof q);
    }
    if (in.bad()) return stopWith(fail(std::string("cannot read '") + file + "'"));
    if (n == 0) return stopWith(fail("no rows after the first line"));
    return Stop{};
}

void report(const char* robot, int n, bool forward, bool pointModel, const PathCheckReport& r) {
    std::printf("%s path of %d rows (%s, %s; %s model): %s\n", robot, n, forward ? "forward" : "reverse",
                forward ? "starts at the initial pose" : "ends at the initial pose", pointModel ? "point" : "physical",
                r.ok ? "valid" : r.fault.c_str());
    if (pointModel) {
        std::printf("least clearance: link to wall %.3f, link above floor %.3f, self %.3f; largest step %.4f\n",
                    r.minLinkWall, r.minLinkFloor, r.minSelf, r.maxStep);
        std::printf("joints in or near the wall off the slit plane by at most %.4f on the rows, %.4f between rows\n",
                    r.maxRowSlitOffset, r.maxSlitOffset);
    } else {
        std::printf("least clearance: %s; largest step %.4f, %ld poses\n", describeClearances(r.least).c_str(),
                    r.maxStep, r.poses);
    }
}

}  // namespace

int main(int argc, char** argv) {
    bool pointModel = false;
    const char* file = nullptr;
    Stop stop = parseArguments(argc, argv, pointModel, file);
    if (stop.now) return stop.code;
    std::ifstream in(file);
    auto scene = std::make_unique<Scene>();
    Scene& s = *scene;
    char robot[8] = "";
    int n = 0;
    stop = readScene(in, file, s, robot);
    if (!stop.now) stop = readRows(in, file, s, n);
    if (stop.now) return stop.code;
    // A reverse path ends at the initial pose, a forward path starts there.
    const bool forward = std::fabs(rows[0][1]) + std::fabs(rows[0][2]) + std::fabs(rows[0][3]) == 0 &&
                         std::fabs(rows[n - 1][1]) + std::fabs(rows[n - 1][2]) + std::fabs(rows[n - 1][3]) > 0;
    PathCheckLimits lim;
    lim.pointModel = pointModel;
    const PathCheckReport r = checkPath(s, rows, n, forward ? s.qInit : nullptr, forward ? nullptr : s.qInit, lim);
    report(robot, n, forward, pointModel, r);
    return r.ok ? 0 : 1;
}
