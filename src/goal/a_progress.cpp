#include "goal/a_progress.h"

#include <cstring>

#include "core/console.h"
#include "core/scene.h"

namespace {

void snapshot(const Scene& s, AKeyState& k) {
    const double* q[5] = {s.qr, s.qs, s.qAa, s.qAb, s.qAfinal};
    for (int r = 0; r < 5; ++r) std::memcpy(k.q[r], q[r], sizeof k.q[r]);
    const int f[16] = {s.Mpass, s.MW, s.Lh, s.Mh, s.Iinv, s.Jinv, s.Kinv, s.sgnAbStep, s.sgnAaStep, s.sgnAab,
                       s.solP, s.sgnLS, s.cntLM0, s.sgnP, s.sgnT, s.sgnArmDir};
    std::memcpy(k.flag, f, sizeof k.flag);
}

bool same(const AKeyState& a, const AKeyState& b) {
    return std::memcmp(a.q, b.q, sizeof a.q) == 0 && std::memcmp(a.flag, b.flag, sizeof a.flag) == 0;
}

}  // namespace

void resetAProgress(Scene& s, bool allCandidates) {
    s.aHistCount[0] = s.aHistCount[1] = 0;
    s.aCycled[0] = s.aCycled[1] = 0;
    s.aBest = s.errP + s.errT;
    s.aPresses = 0;
    s.aSinceBest = 0;
    s.sgnAStall = 0;
    if (allCandidates) s.aStalledMask = 0;
}

void noteAProgress(Scene& s, char key) {
    if (s.sgnSOLAEnd == 1 || s.nqss0 <= 0) {
        resetAProgress(s, false);
        s.aBest = s.errP + s.errT;
        return;
    }
    const int k = key == 'b' ? 1 : 0;
    ++s.aPresses;
    const double e = s.errP + s.errT;
    if (e < s.aBest * (1 - 1e-3)) {
        s.aBest = e;
        s.aSinceBest = 0;
        s.aCycled[0] = s.aCycled[1] = 0;
    } else {
        ++s.aSinceBest;
    }
    AKeyState now;
    snapshot(s, now);
    const int n = s.aHistCount[k] < kAHistory ? s.aHistCount[k] : kAHistory;
    int back = 0;
    for (int h = 1; h <= n && !back; ++h)
        if (same(now, s.aHist[k][(s.aHistCount[k] - h) % kAHistory])) back = h;
    if (back) s.aCycled[k] = 1;
    s.aHist[k][s.aHistCount[k] % kAHistory] = now;
    s.aHistCount[k] += 1;

    const bool cycled = s.aCycled[0] && s.aCycled[1];
    const bool stalled = cycled || s.aSinceBest >= kAStallPresses;
    const int was = s.sgnAStall;
    if (!stalled) {
        s.sgnAStall = 0;
        return;
    }
    const int c = s.cntqs0;
    if (c >= 0 && c < 32) s.aStalledMask |= 1u << c;
    const unsigned all = s.nqss0 >= 32 ? ~0u : (1u << s.nqss0) - 1;
    s.sgnAStall = (s.aStalledMask & all) == all ? A_STALL_ALL : A_STALL_CANDIDATE;
    if (was == s.sgnAStall) return;
    if (was == 0) {
        if (cycled)
            tracef(s, "\n■■A計算: 候補%dで'a','b'とも以前と同じ状態に戻った(%d回目のキー)→この初期ポーズから最終解なし．SPで次の候補へ",
                   c, s.aPresses);
        else
            tracef(s, "\n■■A計算: 候補%dで%d回のキーの間 errP+errT=%.4e から減らない→この初期ポーズから最終解なし．SPで次の候補へ",
                   c, s.aSinceBest, s.aBest);
    }
    if (s.sgnAStall == A_STALL_ALL) tracef(s, "\n■■A計算: 全ての初期ポーズ候補(%d個)で最終解なし(隙間平面の条件の下で)", s.nqss0);
}
