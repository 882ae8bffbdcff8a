// Phase 1 of the path generation (work lift and the joints beyond the wall) on each robot, from
// the final pose of the goal keys. Trace off, no redraw hook; the preparation ('B') is not timed.
#include <benchmark/benchmark.h>

#include "app/keyboard.h"
#include "path/path_driver.h"
#include "path/wrist_motion.h"
#include "support/test_scene.h"

namespace {

// The goal keys on each start candidate until 'B' accepts the final pose; returns the candidate.
int readyForPhase1(Scene& s) {
    for (int c = 0; c < s.nqss0; ++c) {
        if (c > 0) keyboard(s, ' ');
        for (int n = 0; n < 300 && s.sgnPATH != 1; ++n) {
            keyboard(s, "aab"[n % 3]);
            if (s.sgnSOLAEnd == 1) keyboard(s, 'B');
            if (s.sgnCAL == 'B' && s.sgnPATH != 1) keyboard(s, 'a');
        }
        if (s.sgnPATH == 1) return c;
    }
    return -1;
}

void BM_Phase1(benchmark::State& state) {
    const int robot = static_cast<int>(state.range(0));
    auto s = makeSceneWithRobot(robot / 10, robot % 10);
    s->trace = nullptr;
    s->redraw = nullptr;
    const int cand = readyForPhase1(*s);
    if (cand < 0) {
        state.SkipWithError("no final pose accepted by 'B'");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        s->cntBTrial = 0;
        s->sgnBResume = 0;
        calBPREP(*s);
        state.ResumeTiming();
        calWRIST3(*s);
        benchmark::DoNotOptimize(s->NPATH);
    }
    state.counters["candidate"] = cand;
    state.counters["rows"] = s->NPATH;
    state.counters["lift"] = s->rwIPATH[s->NPATH][2] - s->rwIPATH[0][2];
    state.counters["sgnPATH"] = s->sgnPATH;
}
BENCHMARK(BM_Phase1)->Arg(11)->Arg(12)->Arg(21)->Arg(22)->Arg(31)->Arg(32)->Arg(41)->Arg(42)->Unit(benchmark::kMillisecond);

}  // namespace
