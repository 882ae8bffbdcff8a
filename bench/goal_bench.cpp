// The goal pose calculation: the start pose search of the default robot, and one 'a' and one
// 'b' press of a whole session.
#include <benchmark/benchmark.h>

#include "app/keyboard.h"
#include "app/startup.h"
#include "goal/start_pose.h"
#include "support/test_scene.h"

namespace {

// The start-up sequence (without the window): robot F21, wall, flags and setcalA.
void BM_StartUp(benchmark::State& state) {
    auto s = makeScene();
    for (auto _ : state) {
        startUp(*s);
        benchmark::DoNotOptimize(s->nqss0);
    }
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMicrosecond);

void BM_StartPoseF21(benchmark::State& state) {
    auto s = makeScene();
    static double table[GoalCalcState::NQSS0][JV];
    for (auto _ : state) {
        int n = StartPose(*s, s->Lh0[0], s->Mh0[0], s->Iinv0[0], s->Jinv0[0], s->Kinv0[0], s->rwp, s->EwG, table);
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_StartPoseF21)->Unit(benchmark::kMicrosecond);

// setcalA as the key 'A' runs it: search, feasibility tests and the first classification.
void BM_setcalAF21(benchmark::State& state) {
    auto s = makeScene();
    for (auto _ : state) {
        s->sgnARepeat = 0;
        benchmark::DoNotOptimize(setcalA(*s));
    }
}
BENCHMARK(BM_setcalAF21)->Unit(benchmark::kMicrosecond);

// The key session of the default robot to its final pose ('a', 'b' alternately, 18 presses).
void BM_SessionABF21(benchmark::State& state) {
    auto s = makeScene();
    for (auto _ : state) {
        s->sgnARepeat = 0;
        setcalA(*s);
        int n = 0;
        while (s->sgnSOLAEnd != 1 && n < 60) keyboard(*s, "ab"[n++ % 2]);
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_SessionABF21)->Unit(benchmark::kMicrosecond);

}  // namespace
