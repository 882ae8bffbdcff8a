// Whether the A keys still make progress from the current start pose candidate. They make none
// when (1) both 'a' and 'b' have led back to a state they had left before (the calculation is
// deterministic: from there it goes round the same states for ever), or (2) errP + errT has not
// fallen below its least value by 0.1 % in kAStallPresses presses. On the sweep grid no
// candidate that reaches a final pose goes longer than 309 presses without such a fall.
#pragma once
struct Scene;

constexpr int kAStallPresses = 360;
// Values of sgnAStall besides 0 (progress): none from the current candidate, none from any.
constexpr int A_STALL_CANDIDATE = 1;
constexpr int A_STALL_ALL = 2;

// Forgets the progress of the current candidate; allCandidates also forgets which candidates
// were found without progress (a new search of candidates, a new goal).
void resetAProgress(Scene& s, bool allCandidates);
// After a press of 'a' or 'b' in A mode: records the state and sets sgnAStall (A_STALL_CANDIDATE,
// A_STALL_ALL; 0 after a final pose or a fall of the error).
// Traces the stop once, when it is found.
void noteAProgress(Scene& s, char key);
