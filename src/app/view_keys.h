// Keys of the window in every mode: ESC, the view turns and shifts, the joint spins. No
// calculation runs.
#pragma once
struct Scene;

// ESC: ends the program (the window closes, the runner stops its script).
void quitKey(Scene& s, unsigned char key);
// 'P' 'Q' 'R' turn the view by +1 degree about x, y, z, 'p' 'q' 'r' by -1; stops a spin.
void viewTurnKey(Scene& s, unsigned char key);
// 'X' 'Y' 'Z' shift the view by +0.1 along x, y, z, 'x' 'y' 'z' by -0.1; stops a spin.
void viewShiftKey(Scene& s, unsigned char key);
// '!' '"' '#' '$' '%' '&' spin joints 1..6 through one full turn.
void spinKey(Scene& s, unsigned char key);
