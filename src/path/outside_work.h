// Motion of the work beyond the wall: the arm joints move to the target pose while the work turns
// up (+z). Results as the other far-side motions (sgnMotion, MColl); every step is appended.
#pragma once
struct Scene;

// From qs1 (before a pass-out step) towards qs2 with the work turned up; qOut and qr the pose
// reached. zW is not used.
int WOutWorkLargeMotion7(Scene& s, int Mw, const double* qs1, const double* qs2, double zW, double* qOut,
                         int& MColl);
