// Whole calculations per robot with their default slit and goal, trace off and no redraw hook:
// the A keys to the final pose, the whole B (the 'B' and 's' keys of the path), and the whole
// automatic solve. Argument: robot 0..7 = F11 F12 F21 F22 F31 F32 F41 F42.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "app/auto_solve.h"
#include "app/keyboard.h"
#include "core/scene.h"
#include "support/test_scene.h"

namespace {

std::unique_ptr<Scene> robotScene(int k) { return makeSceneWithRobot(k / 2 + 1, k % 2 + 1); }

void setName(benchmark::State& state, int k) {
    char name[4] = {'F', char('1' + k / 2), char('1' + k % 2), 0};
    state.SetLabel(name);
}

// The A keys from the robot's first start candidate: 'a', 'a', 'b' until the pose is accepted.
void BM_AToFinalPose(benchmark::State& state) {
    const int k = static_cast<int>(state.range(0));
    auto base = robotScene(k);
    auto s = std::make_unique<Scene>();
    setName(state, k);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(static_cast<void*>(s.get()), base.get(), sizeof(Scene));
        state.ResumeTiming();
        int n = 0;
        while (s->sgnSOLAEnd != 1 && n < kSolveMaxAKeys) keyboard(*s, "aab"[n++ % 3]);
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_AToFinalPose)->DenseRange(0, 7)->Unit(benchmark::kMillisecond);

// The whole B of the trial that the automatic solve found, from its accepted final pose.
void BM_WholeB(benchmark::State& state) {
    const int k = static_cast<int>(state.range(0));
    auto base = robotScene(k);
    const SolveResult r = autoSolve(*base);
    setName(state, k);
    if (!r.complete) {
        state.SkipWithError("no complete path");
        return;
    }
    // Back to the accepted final pose of that candidate, before its first 'B'.
    auto start = robotScene(k);
    for (int c = 0; c < r.candidate; ++c) keyboard(*start, ' ');
    int n = 0;
    while (start->sgnSOLAEnd != 1 && n < kSolveMaxAKeys) keyboard(*start, "aab"[n++ % 3]);
    auto s = std::make_unique<Scene>();
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(static_cast<void*>(s.get()), start.get(), sizeof(Scene));
        state.ResumeTiming();
        for (int trial = 0; trial < 2 && s->sgnPATHEnd != 1; ++trial) {
            keyboard(*s, 'B');
            int presses = 0;
            while (s->sgnPATHEnd != 1 && s->sgnMColl > 0 && presses++ < kSolveMaxSKeys) keyboard(*s, 's');
        }
        benchmark::DoNotOptimize(s->NPATH);
    }
    state.counters["rows"] = s->NPATH;
}
BENCHMARK(BM_WholeB)->DenseRange(0, 7)->Unit(benchmark::kMillisecond);

void BM_AutoSolve(benchmark::State& state) {
    const int k = static_cast<int>(state.range(0));
    auto base = robotScene(k);
    auto s = std::make_unique<Scene>();
    setName(state, k);
    int complete = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(static_cast<void*>(s.get()), base.get(), sizeof(Scene));
        state.ResumeTiming();
        complete = autoSolve(*s).complete;
        benchmark::DoNotOptimize(complete);
    }
    state.counters["complete"] = complete;
}
BENCHMARK(BM_AutoSolve)->DenseRange(0, 7)->Unit(benchmark::kMillisecond);

}  // namespace
