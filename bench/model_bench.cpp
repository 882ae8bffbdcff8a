// Hot operations of the robot model: forward kinematics and the wall classification.
#include <benchmark/benchmark.h>

#include <random>

#include "model/kinematics.h"
#include "support/test_scene.h"

namespace {

void fillPoses(double (*poses)[JV], int n) {
    std::mt19937_64 rng(1);
    std::uniform_real_distribution<double> u(-2.5, 2.5);
    for (int k = 0; k < n; ++k) {
        poses[k][0] = 0;
        for (int i = 1; i < JV; ++i) poses[k][i] = u(rng);
    }
}

void BM_forwardKinematics(benchmark::State& state) {
    auto s = makeScene();
    static double poses[64][JV];
    fillPoses(poses, 64);
    int k = 0;
    for (auto _ : state) {
        forwardKinematics(*s, poses[k++ & 63]);
        benchmark::DoNotOptimize(s->J[9]);
    }
}
BENCHMARK(BM_forwardKinematics);

void BM_classifyJointsByWall(benchmark::State& state) {
    auto s = makeScene();
    static double poses[64][JV];
    fillPoses(poses, 64);
    int k = 0, Mp, Mw, in[JV];
    for (auto _ : state) benchmark::DoNotOptimize(classifyJointsByWall(*s, poses[k++ & 63], &Mp, in, &Mw));
}
BENCHMARK(BM_classifyJointsByWall);

}  // namespace
