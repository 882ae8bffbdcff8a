// Phase 1 of the B-calculation: work lift and wrist motion outside the wall.
#pragma once
struct Scene;

// Phase 1: the work lift (first call only), then the fold of the joints beyond the wall; moves on
// to phase 2.
void calWRIST3(Scene& s);
