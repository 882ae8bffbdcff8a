// Time per call of the joint interference check and of the link distance.
#include <benchmark/benchmark.h>

#include <random>

#include "app/startup.h"
#include "collide/interference.h"
#include "model/kinematics.h"
#include "support/test_scene.h"

namespace {

constexpr int kPoses = 256;

struct PoseSet {
    double q[kPoses][JV];
};

void fillPoses(const Scene& s, PoseSet& p, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int k = 0; k < kPoses; ++k) {
        for (int i = 0; i < JV; ++i) p.q[k][i] = 0;
        for (int i = 1; i <= s.N; ++i) p.q[k][i] = 2.5 * u(rng);
    }
}

// One joint of a random pose of F21 per call, both sides, the wall at its default place.
void BM_JntMCollCheck(benchmark::State& state) {
    auto s = makeScene();
    auto poses = std::make_unique<PoseSet>();
    fillPoses(*s, *poses, 1);
    const int M = static_cast<int>(state.range(0));
    int k = 0;
    for (auto _ : state) {
        double bw, bf, bs;
        int K, t1, t2;
        Vec3 P1, P2;
        int code =
            JntMCollCheck(*s, (k & 1) ? 'O' : 'I', M, poses->q[k], WorkFloor::Exempt, bw, bf, bs, K, P1, P2, t1, t2);
        benchmark::DoNotOptimize(code);
        benchmark::DoNotOptimize(bs);
        k = (k + 1) % kPoses;
    }
}
BENCHMARK(BM_JntMCollCheck)->Arg(4)->Arg(6)->Arg(9);

// Links of random poses against each other: the pairs the self check tests.
void BM_SegSegDist(benchmark::State& state) {
    auto s = makeScene();
    auto poses = std::make_unique<PoseSet>();
    fillPoses(*s, *poses, 2);
    struct Links {
        Vec3 A0, u1, B0, u2;
    };
    static Links links[kPoses];
    for (int k = 0; k < kPoses; ++k) {
        forwardKinematics(*s, poses->q[k]);
        links[k] = {s->J[5], s->mm[6], s->J[1], s->mm[2]};
    }
    int k = 0;
    for (auto _ : state) {
        double d, c;
        Vec3 P1, P2;
        int t1, t2;
        const Links& l = links[k];
        int r = SegSegDist(*s, 6, l.A0, l.u1, 2, l.B0, l.u2, d, c, P1, P2, t1, t2);
        benchmark::DoNotOptimize(r);
        benchmark::DoNotOptimize(d);
        k = (k + 1) % kPoses;
    }
}
BENCHMARK(BM_SegSegDist);

}  // namespace
