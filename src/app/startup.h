// Start-up sequence, reset (key '0') and the joint spin animation.
#pragma once
struct Scene;

// Steps 1..14 of the start-up sequence (everything before the window opens).
void startUp(Scene& s);
// Key '0'.
void resetAll(Scene& s);
// One step of the joint spin animation; leaves sgnSpin = 0 when the turn is complete.
void spinStep(Scene& s);
