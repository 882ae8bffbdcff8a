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

}  // namespace

int main(int argc, char** argv) {
    bool pointModel = false;
    const char* file = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--point-model") == 0) {
            pointModel = true;
        } else if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: slitpass-check [--point-model] PATHFILE\n");
            return 0;
        } else if (argv[i][0] == '-' || file) {
            return fail(std::string("unexpected argument '") + argv[i] + "'; usage: slitpass-check [--point-model] PATHFILE");
        } else {
            file = argv[i];
        }
    }
    if (!file) return fail("usage: slitpass-check [--point-model] PATHFILE");
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line)) return fail(std::string("cannot read '") + file + "'");
    char robot[8] = "";
    Vec3 rh{}, goal{};
    int used = 0;
    if (std::sscanf(line.c_str(), "# robot %7s rh %lf %lf %lf goal %lf %lf %lf %n", robot, &rh[0], &rh[1], &rh[2],
                    &goal[0], &goal[1], &goal[2], &used) != 7 ||
        used != static_cast<int>(line.size()) ||
        !(std::isfinite(rh[0] + rh[1] + rh[2]) && std::isfinite(goal[0] + goal[1] + goal[2])))
        return fail("first line is not '# robot FNN rh X Y Z goal X Y Z'");
    auto scene = std::make_unique<Scene>();
    Scene& s = *scene;
    s.trace = nullptr;
    startUp(s);
    std::string error;
    if (!chooseRobotByKeys(s, robot, error) || !moveSlitByKeys(s, rh, error) || !moveGoalByKeys(s, goal, error))
        return fail(error);
    // One row per line: N finite joint values; blank lines are skipped.
    int n = 0;
    for (int lineNo = 2; std::getline(in, line); ++lineNo) {
        std::istringstream tokens(line);
        std::string token;
        double q[JV] = {};
        int got = 0;
        while (tokens >> token) {
            if (++got > s.N) break;
            if (!finiteNumber(token, q[got]))
                return fail("line " + std::to_string(lineNo) + ": '" + token + "' is not a finite number");
        }
        if (got == 0) continue;
        if (got != s.N)
            return fail("line " + std::to_string(lineNo) + ": expected " + std::to_string(s.N) + " joint values");
        if (n >= NMAX) return fail("more than " + std::to_string(NMAX) + " rows");
        std::memcpy(rows[n++], q, sizeof q);
    }
    if (in.bad()) return fail(std::string("cannot read '") + file + "'");
    if (n == 0) return fail("no rows after the first line");
    // A reverse path ends at the initial pose, a forward path starts there.
    const bool forward = std::fabs(rows[0][1]) + std::fabs(rows[0][2]) + std::fabs(rows[0][3]) == 0 &&
                         std::fabs(rows[n - 1][1]) + std::fabs(rows[n - 1][2]) + std::fabs(rows[n - 1][3]) > 0;
    PathCheckLimits lim;
    lim.pointModel = pointModel;
    const PathCheckReport r = checkPath(s, rows, n, forward ? s.qInit : nullptr, forward ? nullptr : s.qInit, lim);
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
    return r.ok ? 0 : 1;
}
