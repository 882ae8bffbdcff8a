// Time per call of the solvers on inputs prepared outside the timed loop.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "core/scene.h"
#include "model/kinematics.h"
#include "solve/ijkinv.h"
#include "solve/posorient.h"
#include "solve/wrist_orient.h"
#include "solve/tri.h"
#include "support/test_scene.h"

namespace {

constexpr int kCases = 256;

struct Pose {
    double q[JV];
    double q0[JV];  // start near q
    Vec3 rw, wrist;
    Mat3 Ew;
};

// Random poses of one robot with their work point, wrist point and hand frame, and a start
// that moves joints I, J, K and the wrist by up to 0.3 rad.
std::vector<Pose> makePoses(Scene& s, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(-2.6, 2.6), p(-0.3, 0.3);
    std::vector<Pose> out(kCases);
    for (Pose& P : out) {
        for (int i = 0; i < JV; ++i) P.q[i] = 0;
        for (int i = 1; i <= s.N; ++i) P.q[i] = u(rng);
        forwardKinematics(s, P.q);
        P.rw = s.rw;
        P.wrist = s.J[s.N - 1];
        P.Ew = s.Ew;
        for (int i = 0; i < JV; ++i) P.q0[i] = P.q[i];
        for (int i : {s.Iinv, s.Jinv, s.Kinv, s.N - 2, s.N - 1, s.N}) P.q0[i] += p(rng);
    }
    return out;
}

void BM_TRI2(benchmark::State& state) {
    auto s = makeScene();
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> u(-10, 10);
    std::vector<double> k(6 * kCases);
    for (double& v : k) v = u(rng);
    double q[4];
    int i = 0;
    for (auto _ : state) {
        const double* c = &k[6 * i];
        benchmark::DoNotOptimize(TRI2(*s, c[0], c[1], c[2], c[3], c[4], c[5], q));
        benchmark::DoNotOptimize(q);
        i = (i + 1) % kCases;
    }
}
BENCHMARK(BM_TRI2);

// Times call(scene, pose, out) over the poses of robot (2, 1) made from seed, one pose per
// iteration in turn; out has room for four joint vectors.
template <class Call>
void overPoses(benchmark::State& state, unsigned seed, Call call) {
    auto s = makeSceneWithRobot(2, 1);
    const auto poses = makePoses(*s, seed);
    double out[4][JV];
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(call(*s, poses[i], out));
        benchmark::DoNotOptimize(out);
        i = (i + 1) % kCases;
    }
}

void BM_IJKinv(benchmark::State& state) {
    const bool wrist = state.range(0) == 1;
    overPoses(state, 2, [wrist](Scene& s, const Pose& P, double (*sols)[JV]) {
        return IJKinv(s, wrist ? "WRIST" : "WORK", P.q0, s.Iinv, s.Jinv, s.Kinv, Vec3{}, wrist ? P.wrist : P.rw,
                      sols);
    });
}
BENCHMARK(BM_IJKinv)->Arg(0)->Arg(1)->ArgName("wrist");

void BM_wristOrientNearest(benchmark::State& state) {
    overPoses(state, 3, [](Scene& s, const Pose& P, double (*out)[JV]) {
        return wristOrientNearest(s, P.q0, s.EwH, P.Ew, out[0]);
    });
}
BENCHMARK(BM_wristOrientNearest);

void BM_solvePosOrient(benchmark::State& state) {
    overPoses(state, 4, [](Scene& s, const Pose& P, double (*out)[JV]) {
        return solvePosOrient(s, P.q0, s.Iinv, s.Jinv, s.Kinv, P.rw, P.Ew, out[0]);
    });
}
BENCHMARK(BM_solvePosOrient);

}  // namespace
