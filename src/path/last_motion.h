// Phase 6 of the B-calculation: the closing motion to the initial pose.
#pragma once
struct Scene;

// Phase 6: twenty equal steps from qr to qInit, then the path is complete (sgnPATH = 7).
void calBLASTMOTION(Scene& s);
