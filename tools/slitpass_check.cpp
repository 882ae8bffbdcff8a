// slitpass-check: checks a path file written by slitpass-run --path-out with the independent
// path check, in the scene named by its first line.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
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

double rows[NMAX][JV];

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(argc == 2 ? stdout : stderr, "usage: slitpass-check PATHFILE\n");
        return argc == 2 ? 0 : 2;
    }
    std::FILE* in = std::fopen(argv[1], "r");
    if (!in) return fail(std::string("cannot open '") + argv[1] + "'");
    char robot[8] = "";
    Vec3 rh{}, goal{};
    if (std::fscanf(in, "# robot %7s rh %lf %lf %lf goal %lf %lf %lf", robot, &rh[0], &rh[1], &rh[2], &goal[0],
                    &goal[1], &goal[2]) != 7) {
        std::fclose(in);
        return fail("first line is not '# robot FNN rh X Y Z goal X Y Z'");
    }
    auto scene = std::make_unique<Scene>();
    Scene& s = *scene;
    s.trace = nullptr;
    startUp(s);
    std::string error;
    if (!chooseRobotByKeys(s, robot, error) || !moveSlitByKeys(s, rh, error) || !moveGoalByKeys(s, goal, error)) {
        std::fclose(in);
        return fail(error);
    }
    int n = 0;
    for (;;) {
        double q[JV] = {};
        int got = 0;
        for (int i = 1; i <= s.N; ++i) got += std::fscanf(in, "%lf", &q[i]) == 1;
        if (got == 0) break;
        if (got != s.N || n >= NMAX) {
            std::fclose(in);
            return fail("row " + std::to_string(n) + ": expected " + std::to_string(s.N) + " joint values");
        }
        std::memcpy(rows[n++], q, sizeof q);
    }
    std::fclose(in);
    // A reverse path ends at the initial pose, a forward path starts there.
    const bool forward = n > 0 && std::fabs(rows[0][1]) + std::fabs(rows[0][2]) + std::fabs(rows[0][3]) == 0 &&
                         std::fabs(rows[n - 1][1]) + std::fabs(rows[n - 1][2]) + std::fabs(rows[n - 1][3]) > 0;
    const PathCheckReport r = checkPath(s, rows, n, forward ? s.qInit : nullptr, forward ? nullptr : s.qInit);
    std::printf("%s path of %d rows (%s, %s): %s\n", robot, n, forward ? "forward" : "reverse",
                forward ? "starts at the initial pose" : "ends at the initial pose", r.ok ? "valid" : r.fault.c_str());
    std::printf("least clearance: link to wall %.3f, link above floor %.3f, self %.3f; largest step %.4f\n",
                r.minLinkWall, r.minLinkFloor, r.minSelf, r.maxStep);
    std::printf("joints in or near the wall off the slit plane by at most %.4f on the rows, %.4f between rows\n",
                r.maxRowSlitOffset, r.maxSlitOffset);
    return r.ok ? 0 : 1;
}
