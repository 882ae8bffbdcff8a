// The row gate on the rows of a solved default path: one pose, and one row-to-row motion (both
// ends and the poses the sweep bound cannot clear); and the shortening of each default forward
// path. Trace off, no redraw hook.
#include <benchmark/benchmark.h>

#include "app/auto_solve.h"
#include "path/row_gate.h"
#include "path/shorten.h"
#include "support/test_scene.h"

namespace {

std::unique_ptr<Scene> solvedScene(int robot) {
    auto s = makeSceneWithRobot(robot / 10, robot % 10);
    s->trace = nullptr;
    s->redraw = nullptr;
    autoSolve(*s);
    return s;
}

void BM_GatePose(benchmark::State& state) {
    auto s = solvedScene(static_cast<int>(state.range(0)));
    int k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(gatePose(*s, s->qIPATH[k]).status);
        k = k < s->NPATH ? k + 1 : 0;
    }
}
BENCHMARK(BM_GatePose)->Arg(21)->Arg(41)->Unit(benchmark::kMicrosecond);

void BM_GateMotion(benchmark::State& state) {
    auto s = solvedScene(static_cast<int>(state.range(0)));
    int k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(gateMotion(*s, s->qIPATH[k], s->qIPATH[k + 1]).status);
        k = k + 1 < s->NPATH ? k + 1 : 0;
    }
}
BENCHMARK(BM_GateMotion)->Arg(21)->Arg(41)->Unit(benchmark::kMicrosecond);

void BM_Shorten(benchmark::State& state) {
    auto s = solvedScene(static_cast<int>(state.range(0)));
    ShortenReport r;
    for (auto _ : state) r = shortenPath(*s, s->qPATH, s->NPATH + 1);
    state.counters["before"] = r.lengthBefore;
    state.counters["after"] = r.lengthAfter;
    state.counters["gateCalls"] = r.gateCalls;
}
BENCHMARK(BM_Shorten)->Arg(11)->Arg(12)->Arg(21)->Arg(22)->Arg(31)->Arg(32)->Arg(41)->Arg(42)->Unit(benchmark::kMillisecond);

}  // namespace
