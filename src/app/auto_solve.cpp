#include "app/auto_solve.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include "app/key_press.h"
#include "core/scene.h"
#include "path/row_gate.h"
#include "path/shorten.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

void press(Scene& s, SolveResult& r, unsigned char key) {
    pressKey(s, key);
    ++r.keys;
    // The script keeps whole keys only; a solve longer than its room is cut at a key.
    const int len = r.scriptLen;
    const char* text = key == ' ' ? "{SP}" : nullptr;
    const int add = text ? 4 : 1;
    if (len + add >= kSolveScriptSize) return;
    if (text)
        std::memcpy(r.script + len, text, 5);
    else
        r.script[len] = static_cast<char>(key), r.script[len + 1] = 0;
    r.scriptLen = len + add;
}

// 'a', 'a', 'b' in turn until the final pose is accepted (at least minKeys presses).
bool solveA(Scene& s, SolveResult& r, int minKeys) {
    static const char kCycle[3] = {'a', 'a', 'b'};
    for (int k = 0; k < kSolveMaxAKeys; ++k) {
        if (s.sgnSOLAEnd == 1 && k >= minKeys) return true;
        press(s, r, static_cast<unsigned char>(kCycle[k % 3]));
    }
    return s.sgnSOLAEnd == 1;
}

// One 'B' and its 's' presses; true when the path is complete.
bool runTrial(Scene& s, SolveResult& r, int& sKeys) {
    press(s, r, 'B');
    sKeys = 0;
    if (s.sgnCAL != 'B' || s.sgnSOLAEnd < 1 || s.sgnMColl <= 0 || s.sgnPATH < 1) return false;
    while (s.sgnPATHEnd != 1 && s.sgnMColl > 0 && sKeys < kSolveMaxSKeys) {
        press(s, r, 's');
        ++sKeys;
    }
    return s.sgnPATHEnd == 1;
}

// The two B trials of an accepted final pose; true (and 'C' pressed) on a complete path.
bool runCandidate(Scene& s, SolveResult& r, SolveAttempt& at, Clock::time_point t0) {
    for (int trial = 0; trial < 2; ++trial) {
        int sKeys = 0;
        const auto tb = Clock::now();
        const bool done = runTrial(s, r, sKeys);
        if (s.sgnSOLAEnd >= 1) {
            at.trials = trial + 1;
            at.phase[trial] = s.sgnPATH;
            at.status[trial] = s.sgnMColl;
            at.joint[trial] = s.JColl;
            at.rows[trial] = s.NPATH;
        }
        if (done) {
            r.millisB = msSince(tb);
            r.complete = 1;
            r.trial = trial == 0 ? 'L' : 'U';
            r.sKeys = sKeys;
            r.rows = s.NPATH;
            press(s, r, 'C');
            r.millis = msSince(t0);
            r.stop[0] = 0;
            return true;
        }
        if (s.sgnSOLAEnd < 1) {
            std::snprintf(r.stop, sizeof r.stop, "final pose of start candidate %d refused by the path preparation",
                          s.cntqs0);
            return false;
        }
        std::snprintf(r.stop, sizeof r.stop, "path generation stopped (candidate %d, trial %c, phase %d, status %d, joint %d)",
                      s.cntqs0, trial == 0 ? 'L' : 'U', s.sgnPATH, s.sgnMColl, s.JColl);
    }
    return false;
}

// The A keys on the current start candidate, the c-th tried: the attempt is recorded with the
// final pose they reach (in spare once the table is full); false, with the stop line, when they
// reach none.
bool candidateFinalPose(Scene& s, SolveResult& r, int c, SolveAttempt& spare, SolveAttempt*& at) {
    r.candidate = s.cntqs0;
    r.candidatesTried = c + 1;
    at = r.nAttempts < kSolveMaxAttempts ? &r.attempts[r.nAttempts++] : &spare;
    at->candidate = s.cntqs0;
    const bool solved = solveA(s, r, 0);
    for (int i = 0; i < JV; ++i) at->qFinal[i] = s.qAfinal[i];
    if (!solved) {
        std::snprintf(r.stop, sizeof r.stop, "no final pose from start candidate %d", s.cntqs0);
        return false;
    }
    at->finalPose = 1;
    return true;
}

}  // namespace

SolveResult autoSolve(Scene& s) {
    SolveResult r;
    const auto t0 = Clock::now();
    if (s.sgnCAL != 'A') press(s, r, 'A');
    const int candidates = s.nqss0 > 0 ? s.nqss0 : 1;
    for (int c = 0; c < candidates; ++c) {
        if (c > 0) {
            if (s.sgnCAL != 'A') press(s, r, 'A');
            press(s, r, ' ');
        }
        SolveAttempt spare, *attempt = nullptr;
        if (!candidateFinalPose(s, r, c, spare, attempt)) continue;
        SolveAttempt& at = *attempt;
        ++r.finalPoses;
        // The path preparation measures the positioning error more strictly than the A keys:
        // when it sends the user back ("Final Pose has still Error. Hit 'A'"), 'A' and more A
        // keys refine the pose, at most kSolveRefineRounds times.
        for (int round = 0; round <= kSolveRefineRounds; ++round) {
            if (round > 0) {
                press(s, r, 'A');
                if (!solveA(s, r, 3)) break;
                for (int i = 0; i < JV; ++i) at.qFinal[i] = s.qAfinal[i];
            }
            if (runCandidate(s, r, at, t0)) return r;
            if (!(s.sgnSOLAEnd == 0 && s.sgnMColl == 0 && (s.sgnP == 1 || s.sgnT == 1))) break;
        }
    }
    r.millis = msSince(t0);
    return r;
}

SolveResult autoSolveA(Scene& s, bool (*accept)(Scene&, const double*)) {
    SolveResult r;
    const auto t0 = Clock::now();
    if (s.sgnCAL != 'A') press(s, r, 'A');
    const int candidates = s.nqss0 > 0 ? s.nqss0 : 1;
    for (int c = 0; c < candidates; ++c) {
        if (c > 0) press(s, r, ' ');
        SolveAttempt spare, *attempt = nullptr;
        if (!candidateFinalPose(s, r, c, spare, attempt)) continue;
        if (accept && !accept(s, s.qAfinal)) {
            std::snprintf(r.stop, sizeof r.stop, "final pose of start candidate %d refused by the gate", s.cntqs0);
            continue;
        }
        ++r.finalPoses;
        r.stop[0] = 0;
        break;
    }
    r.millis = msSince(t0);
    return r;
}

void measureSolveClearance(Scene& s, SolveResult& r) {
    if (!r.complete) return;
    const PathClearance c = pathClearance(s, s.qPATH, s.NPATH + 1);
    const double v[5] = {c.wall, c.floor, c.workFloor, c.work, c.self};
    for (int k = 0; k < 5; ++k) r.clearance[k] = v[k];
}

void shortenSolve(Scene& s, SolveResult& r) {
    if (!r.complete) return;
    const ShortenReport sr = shortenPath(s, s.qPATH, s.NPATH + 1);
    r.shortened = s.NSHORT >= 0 ? 1 : 0;
    r.lengthBefore = sr.lengthBefore, r.lengthAfter = sr.lengthAfter;
    r.trailBefore = sr.trailBefore, r.trailAfter = sr.trailAfter;
    r.shortMaxStep = sr.maxStep, r.shortMillis = sr.millis, r.shortRows = sr.rows;
}
