// slitpass-sweep: solves a grid of slit and goal positions around each robot's defaults with the
// automatic solve, checks every path with the independent path check (the physical model, and the
// point model of the calculations for comparison), and prints a table. With --planner auto or
// ompl, the table says which method gave the final pose and the path, whether the path is valid
// in the physical model, and the time of each method; --shorten adds the shortened motions.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/auto_solve.h"
#include "app/plan_solve.h"
#include "model/joints.h"
#include "path/path_record.h"
#include "path/shorten.h"
#include "core/scene.h"
#include "app/scene_options.h"
#include "app/startup.h"
#include "path_check.h"

namespace {

const char* const kRobots[8] = {"F11", "F12", "F21", "F22", "F31", "F32", "F41", "F42"};

struct Row {
    int tried = 0, solvedA = 0, accepted = 0, complete = 0, valid = 0, validPoint = 0;
    std::vector<double> ms;
    // --shorten: the shortened motions that the judge finds valid, and the lengths before and after.
    int shortValid = 0;
    std::vector<double> lenBefore, lenAfter, shortMs;
    // With a fallback method: final pose by the A keys / the numeric search, path by B / the
    // planner, valid in the physical model, and the times of the A and B keys, the numeric search and
    // the planner where each ran.
    int poseA = 0, poseNumeric = 0, pathB = 0, pathPlanner = 0, physical = 0;
    std::vector<double> msKeys, msNumeric, msPlanner;
};

// Valid in the physical model by the independent judge, reverse and forward.
bool physicallyValid(Scene& s, PathCheckReport* bad = nullptr) {
    const PathCheckReport rev = checkPath(s, s.qIPATH, s.NPATH + 1, s.qAfinal, s.qInit);
    const PathCheckReport fwd = checkPath(s, s.qPATH, s.NPATH + 1, s.qInit, s.qAfinal);
    if (bad && !(rev.ok && fwd.ok)) *bad = rev.ok ? fwd : rev;
    return rev.ok && fwd.ok;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// "median / worst" of a list of times, or "-".
std::string times(std::vector<double> v) {
    if (v.empty()) return "-";
    std::sort(v.begin(), v.end());
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.0f / %.0f", v[v.size() / 2], v.back());
    return buf;
}

// Offsets of the grid from the robot's default slit and goal.
const double kSlitDx[3] = {-0.1, 0.0, 0.1};
const double kGoalDx[3] = {-0.1, 0.0, 0.1};
const double kGoalDy[4] = {-0.1, 0.0, 0.1, 0.2};

std::unique_ptr<Scene> freshScene(const char* robot) {
    auto s = std::make_unique<Scene>();
    s->trace = nullptr;
    startUp(*s);
    std::string err;
    chooseRobotByKeys(*s, robot, err);
    return s;
}

// Joint-space length of the forward path ('R' joints wrapped) and the length of its work-point
// trail.
void pathLengths(Scene& s, double& joints, double& trail) {
    joints = trail = 0;
    for (int k = 1; k <= s.NPATH; ++k) {
        joints += jointDiffNorm(s, 1, s.N, s.qPATH[k], s.qPATH[k - 1]);
        double d = 0;
        for (int c = 0; c < 3; ++c) d += (s.rwPATH[k][c] - s.rwPATH[k - 1][c]) * (s.rwPATH[k][c] - s.rwPATH[k - 1][c]);
        trail += std::sqrt(d);
    }
}

// The eight default scenes, side by side: the A and B keys (native) and the planner alone
// (ompl), the planner with seeds 1..seeds.
int compare(const std::vector<std::string>& robots, SolvePlan plan, int seeds) {
    std::printf("| robot | A,B keys: path | ms | length rad | trail | planner %s: solved | median ms | worst ms | "
                "length rad | trail |\n", plannerName(plan.planner));
    std::printf("|---|---|---|---|---|---|---|---|---|---|\n");
    for (const std::string& robot : robots) {
        auto s = freshScene(robot.c_str());
        plan.method = SolveMethod::Native;
        const SolveResult parts = solveScene(*s, plan);
        double len = 0, trail = 0;
        if (parts.complete) pathLengths(*s, len, trail);
        std::printf("| %s | %s | %.1f | %.1f | %.1f |", robot.c_str(), parts.complete ? "yes" : "no", parts.millis, len,
                    trail);
        plan.method = SolveMethod::Ompl;
        std::vector<double> ms;
        int solved = 0;
        double plen = 0, ptrail = 0;
        for (int k = 1; k <= seeds; ++k) {
            std::fprintf(stderr, "\r%s seed %d/%d", robot.c_str(), k, seeds);
            auto p = freshScene(robot.c_str());
            plan.seed = static_cast<unsigned>(k);
            const SolveResult r = solveScene(*p, plan);
            ms.push_back(r.millis);
            if (!r.complete) continue;
            if (solved++ == 0) pathLengths(*p, plen, ptrail);
        }
        std::fprintf(stderr, "\r%*s\r", 40, "");
        std::sort(ms.begin(), ms.end());
        std::printf(" %d/%d | %.0f | %.0f | %.1f | %.1f |\n", solved, seeds, ms[ms.size() / 2], ms.back(), plen, ptrail);
        std::fflush(stdout);
    }
    return 0;
}

// Largest joint change between consecutive rows ('R' joints wrapped).
double largestStep(const Scene& s, const double (*rows)[JV], int n) {
    double m = 0;
    for (int k = 1; k < n; ++k)
        for (int i = 1; i <= s.N; ++i) m = std::max(m, std::fabs(jointDiff(s, i, rows[k][i], rows[k - 1][i])));
    return m;
}

// The eight default scenes, side by side in one program: the forward path of 'C', the shortened
// motion made from it, and the planner's path (seed 1) after the same shortening. Length (rad),
// work-point trail, largest joint step, time, and whether the judge finds the motion valid.
int compareShortened(const std::vector<std::string>& robots, SolvePlan plan) {
    std::printf("| robot | C path: length rad | trail | step | shortened: length rad | trail | step | ms | valid "
                "| planner + shortening: length rad | trail | step | ms | valid | shortened / planner: length | trail |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (const std::string& robot : robots) {
        auto s = freshScene(robot.c_str());
        plan.method = SolveMethod::Native;
        if (!solveScene(*s, plan).complete) {
            std::printf("| %s | no path | | | | | | | | | | | | | | |\n", robot.c_str());
            continue;
        }
        const int n = s->NPATH + 1;
        const ShortenReport a = shortenPath(*s, s->qPATH, n);
        const bool aValid = s->NSHORT >= 0 && checkPath(*s, s->qSHORT, s->NSHORT + 1, s->qInit, s->qAfinal).ok;
        const double aStep = s->NSHORT >= 0 ? largestStep(*s, s->qSHORT, s->NSHORT + 1) : 0;
        std::printf("| %s | %.1f | %.1f | %.3f | %.1f | %.1f | %.3f | %.1f | %s |", robot.c_str(), a.lengthBefore,
                    a.trailBefore, largestStep(*s, s->qPATH, n), a.lengthAfter, a.trailAfter, aStep, a.millis,
                    aValid ? "yes" : "no");
        auto p = freshScene(robot.c_str());
        plan.method = SolveMethod::Ompl;
        plan.seed = 1;
        const SolveResult r = solveScene(*p, plan);
        if (!r.complete) {
            std::printf(" no path | | | %.0f | | | |\n", r.millis);
            continue;
        }
        const ShortenReport b = shortenPath(*p, p->qPATH, p->NPATH + 1);
        const bool bValid = p->NSHORT >= 0 && checkPath(*p, p->qSHORT, p->NSHORT + 1, p->qInit, p->qAfinal).ok;
        const double bStep = p->NSHORT >= 0 ? largestStep(*p, p->qSHORT, p->NSHORT + 1) : 0;
        std::printf(" %.1f | %.1f | %.3f | %.0f | %s | %.2f | %.2f |\n", b.lengthAfter, b.trailAfter, bStep,
                    r.millisPlanner + b.millis, bValid ? "yes" : "no", a.lengthAfter / b.lengthAfter,
                    a.trailAfter / b.trailAfter);
        std::fflush(stdout);
    }
    return 0;
}

void usage(std::FILE* out) {
    std::fprintf(out,
                 "usage: slitpass-sweep [--robot NAME|all] [--planner native|auto|ompl] [--plan-time S] [--shorten]\n"
                 "                      [--verbose]\n"
                 "  solves 36 scenes per robot (slit x -0.1, 0, +0.1; goal x -0.1, 0, +0.1; goal y -0.1 .. +0.2\n"
                 "  around the robot's defaults) and checks each path independently; --planner as slitpass-run;\n"
                 "  --shorten also shortens each complete path and adds its lengths\n"
                 "       slitpass-sweep --compare [--robot NAME|all] [--kind KPIECE1|RRTConnect|BiTRRT|BKPIECE1]\n"
                 "                      [--seeds N] [--plan-time S]\n"
                 "  the default scenes side by side: the A and B keys and the planner alone (seeds 1..N, default 5);\n"
                 "  with --shorten: the forward path, the shortened motion and the planner's path shortened alike\n");
}

// The command line.
struct SweepOptions {
    std::vector<std::string> robots = std::vector<std::string>(kRobots, kRobots + 8);
    bool verbose = false, shorten = false;
    bool comparing = false;
    int seeds = 5;
    SolvePlan plan;
};

// Where the sweep ends before it starts when the command line says so.
struct Stop {
    bool now = false;
    int code = 0;
};

Stop stopWith(int code) { return Stop{true, code}; }

// One argument (with its value, taken from argv[++i]).
Stop parseArgument(int argc, char** argv, int& i, SweepOptions& o) {
    std::string a = argv[i];
    if (a == "--planner" && i + 1 < argc) {
        if (!solveMethodByName(argv[++i], o.plan.method)) {
            std::fprintf(stderr, "slitpass-sweep: unknown planner '%s': native, auto or ompl\n", argv[i]);
            return stopWith(2);
        }
    } else if (a == "--plan-time" && i + 1 < argc) {
        char* end = nullptr;
        o.plan.planSeconds = std::strtod(argv[++i], &end);
        if (*end != 0 || !(o.plan.planSeconds > 0) || !std::isfinite(o.plan.planSeconds)) {
            std::fprintf(stderr, "slitpass-sweep: --plan-time needs a positive number of seconds\n");
            return stopWith(2);
        }
    } else if (a == "--compare") {
        o.comparing = true;
    } else if (a == "--kind" && i + 1 < argc) {
        if (!plannerByName(argv[++i], o.plan.planner)) {
            std::fprintf(stderr, "slitpass-sweep: unknown planner kind '%s'\n", argv[i]);
            return stopWith(2);
        }
    } else if (a == "--seeds" && i + 1 < argc) {
        o.seeds = std::atoi(argv[++i]);
        if (o.seeds < 1 || o.seeds > 1000) {
            std::fprintf(stderr, "slitpass-sweep: --seeds needs a count from 1 to 1000\n");
            return stopWith(2);
        }
    } else if (a == "--robot" && i + 1 < argc) {
        std::string r = argv[++i];
        if (r != "all") o.robots = {r};
    } else if (a == "--verbose") {
        o.verbose = true;
    } else if (a == "--shorten") {
        o.shorten = true;
    } else if (a == "-h" || a == "--help") {
        usage(stdout);
        return stopWith(0);
    } else {
        std::fprintf(stderr, "slitpass-sweep: unknown argument '%s'\n", a.c_str());
        usage(stderr);
        return stopWith(2);
    }
    return Stop{};
}

Stop parseArguments(int argc, char** argv, SweepOptions& o) {
    for (int i = 1; i < argc; ++i) {
        const Stop stop = parseArgument(argc, argv, i, o);
        if (stop.now) return stop;
    }
    for (const std::string& r : o.robots) {
        if (r.size() != 3 || !std::count(kRobots, kRobots + 8, r)) {
            std::fprintf(stderr, "slitpass-sweep: unknown robot '%s'\n", r.c_str());
            return stopWith(2);
        }
    }
    return Stop{};
}

void printHeader(bool native, bool shorten) {
    if (native) {
        std::printf("| robot | scenes | final pose (A) | accepted by 'B' | complete path | valid path | valid (point model) "
                    "| median ms | worst ms |%s\n",
                    shorten ? " shortened valid | median length (rad) | shortened | median shortening ms |" : "");
        std::printf("|---|---|---|---|---|---|---|---|---|%s\n", shorten ? "---|---|---|---|" : "");
    } else {
        std::printf("| robot | scenes | final pose: A keys | numeric | path: B | planner | valid (physical) | "
                    "ms A+B | ms numeric | ms planner |%s\n",
                    shorten ? " shortened valid | median length (rad) | shortened | median shortening ms |" : "");
        std::printf("|---|---|---|---|---|---|---|---|---|---|%s\n", shorten ? "---|---|---|---|" : "");
    }
}

// What the solve of one scene gave, into the robot's row.
void countSolve(const SolveResult& res, Row& row) {
    row.msKeys.push_back(res.millisKeys);
    if (res.numericStarts > 0) row.msNumeric.push_back(res.millisNumeric);
    if (res.planner[0]) row.msPlanner.push_back(res.millisPlanner);
    row.poseA += std::strcmp(res.poseBy, "A keys") == 0;
    row.poseNumeric += std::strcmp(res.poseBy, "numeric") == 0;
    row.pathB += res.complete && std::strcmp(res.pathBy, "B") == 0;
    row.pathPlanner += res.complete && std::strcmp(res.pathBy, "planner") == 0;
    row.solvedA += res.finalPoses > 0;
    bool acceptedByB = false;
    for (int a = 0; a < res.nAttempts && a < kSolveMaxAttempts; ++a) acceptedByB |= res.attempts[a].trials > 0;
    row.accepted += acceptedByB;
}

// The complete path of scene k judged in the physical model (and the point model after the
// A and B keys), and shortened with --shorten.
void judgePath(Scene& s, const std::string& robot, int k, const SolveResult& res, const SweepOptions& o, Row& row) {
    const bool native = o.plan.method == SolveMethod::Native;
    ++row.complete;
    row.ms.push_back(res.millis);
    PathCheckReport bad;
    const bool phys = physicallyValid(s, &bad);
    row.physical += phys;
    row.valid += phys;
    if (!phys && o.verbose)
        std::fprintf(stderr, "\n%s slit x %+.1f goal %+.1f %+.1f: path by %s not valid in the physical model: %s\n  %s\n",
                     robot.c_str(), kSlitDx[k / 12], kGoalDx[(k / 4) % 3], kGoalDy[k % 4], res.pathBy,
                     bad.fault.c_str(), describeClearances(bad.least).c_str());
    if (o.shorten) {
        const ShortenReport sr = shortenPath(s, s.qPATH, s.NPATH + 1);
        row.shortValid += s.NSHORT >= 0 && checkPath(s, s.qSHORT, s.NSHORT + 1, s.qInit, s.qAfinal).ok;
        row.lenBefore.push_back(sr.lengthBefore);
        row.lenAfter.push_back(sr.lengthAfter);
        row.shortMs.push_back(sr.millis);
    }
    if (!native) return;
    PathCheckLimits pointModel;
    pointModel.pointModel = true;
    row.validPoint += checkPath(s, s.qIPATH, s.NPATH + 1, s.qAfinal, s.qInit, pointModel).ok &&
                      checkPath(s, s.qPATH, s.NPATH + 1, s.qInit, s.qAfinal, pointModel).ok;
}

// The 36 scenes of one robot: slit x by kSlitDx, goal x by kGoalDx and y by kGoalDy.
Row sweepRobot(const std::string& robot, const SweepOptions& o) {
    const bool native = o.plan.method == SolveMethod::Native;
    Row row;
    const int nScenes = 3 * 3 * 4;
    for (int k = 0; k < nScenes; ++k) {
        auto s = freshScene(robot.c_str());
        Vec3 slit = s->rh, goal = s->rwp;
        slit[0] += kSlitDx[k / 12];
        goal[0] += kGoalDx[(k / 4) % 3];
        goal[1] += kGoalDy[k % 4];
        std::string err;
        std::fprintf(stderr, "\r%s scene %2d/%d", robot.c_str(), k + 1, nScenes);
        if (!moveSlitByKeys(*s, slit, err) || !moveGoalByKeys(*s, goal, err)) continue;
        ++row.tried;
        const SolveResult res = solveScene(*s, o.plan);
        countSolve(res, row);
        if (res.complete) {
            judgePath(*s, robot, k, res, o, row);
        } else if (o.verbose && (res.finalPoses > 0 || !native)) {
            std::fprintf(stderr, "\n%s slit x %+.1f goal %+.1f %+.1f: %s\n", robot.c_str(), kSlitDx[k / 12],
                         kGoalDx[(k / 4) % 3], kGoalDy[k % 4], res.stop);
        }
    }
    return row;
}

void printRow(const std::string& robot, Row& row, const SweepOptions& o) {
    const bool native = o.plan.method == SolveMethod::Native;
    std::sort(row.ms.begin(), row.ms.end());
    const double med = row.ms.empty() ? 0 : row.ms[row.ms.size() / 2];
    const double worst = row.ms.empty() ? 0 : row.ms.back();
    std::fprintf(stderr, "\r%*s\r", 40, "");
    if (native)
        std::printf("| %s | %d | %d | %d | %d | %d | %d | %.1f | %.1f |", robot.c_str(), row.tried, row.solvedA,
                    row.accepted, row.complete, row.valid, row.validPoint, med, worst);
    else
        std::printf("| %s | %d | %d | %d | %d | %d | %d | %s | %s | %s |", robot.c_str(), row.tried, row.poseA,
                    row.poseNumeric, row.pathB, row.pathPlanner, row.physical, times(row.msKeys).c_str(),
                    times(row.msNumeric).c_str(), times(row.msPlanner).c_str());
    if (o.shorten)
        std::printf(" %d | %.1f | %.1f | %.1f |", row.shortValid, median(row.lenBefore), median(row.lenAfter),
                    median(row.shortMs));
    std::printf("\n");
    std::fflush(stdout);
}

void addCounts(const Row& row, Row& total) {
    total.tried += row.tried;
    total.solvedA += row.solvedA;
    total.accepted += row.accepted;
    total.complete += row.complete;
    total.valid += row.valid;
    total.validPoint += row.validPoint;
    total.shortValid += row.shortValid;
    total.poseA += row.poseA;
    total.poseNumeric += row.poseNumeric;
    total.pathB += row.pathB;
    total.pathPlanner += row.pathPlanner;
    total.physical += row.physical;
}

void printTotal(const Row& total, const SweepOptions& o) {
    const bool native = o.plan.method == SolveMethod::Native;
    const std::string shortAll = o.shorten ? " " + std::to_string(total.shortValid) + " | | | |" : "";
    if (o.robots.size() > 1 && !native)
        std::printf("| all | %d | %d | %d | %d | %d | %d | | | |%s\n", total.tried, total.poseA, total.poseNumeric,
                    total.pathB, total.pathPlanner, total.physical, shortAll.c_str());
    else if (o.robots.size() > 1)
        std::printf("| all | %d | %d | %d | %d | %d | %d | | |%s\n", total.tried, total.solvedA, total.accepted,
                    total.complete, total.valid, total.validPoint, shortAll.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    SweepOptions o;
    const Stop stop = parseArguments(argc, argv, o);
    if (stop.now) return stop.code;
    if (o.comparing && o.shorten) return compareShortened(o.robots, o.plan);
    if (o.comparing) return compare(o.robots, o.plan, o.seeds);
    printHeader(o.plan.method == SolveMethod::Native, o.shorten);
    Row total;
    for (const std::string& robot : o.robots) {
        Row row = sweepRobot(robot, o);
        printRow(robot, row, o);
        addCounts(row, total);
    }
    printTotal(total, o);
    return 0;
}
