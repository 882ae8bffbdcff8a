// One step of a motion of the joints beyond the wall: its checks and its append, and the small
// helpers the far-side motions share (joint motions, work motion, targets).
#pragma once
#include "core/types.h"
struct Scene;

// Interference code of the checks (0, -1 .. -7) as a motion result: -1 wall (alone or with
// another kind), -2 floor (alone or with self), -3 self.
int motionCode(int code);
// Accepts one step pose q of a far-side motion: joint Mmove goes through the interference
// repair ('O'), then every joint beyond the wall (MW..Nw, 'O') and every robot-side joint
// (2..Mpass, 'I') of the repaired pose is checked. Returns 1 (clear as given), 2 (cleared by the
// repair; collType holds the code met) or the negative motion code with the failing joint in
// Mbad. qOut receives the repaired pose (q when the repair failed). qOut may be q.
int checkFarStep(Scene& s, int Mmove, const double* q, double* qOut, int& Mbad, int& collType);
// Appends qTo (copied, then wrapped) after the last path row and makes it qr.
void appendFarStep(Scene& s, const double* qTo);
// The joints that turn link M: ME next to it (one lower past an 'R' joint), MF before ME.
void linkDrivers(const Scene& s, int M, int& ME, int& MF);
// The next joint beyond M whose link has a length (Nw when none is left).
int nextFarJoint(const Scene& s, int M);
// Integer part of a step count x (0 when x is negative or not finite, at most 1000000); 1e-9 to
// spare, so that 0.3 / 0.05 counts as 6 steps.
int stepCountOf(double x);
// x held to [-1, 1] (for acos of a product of unit vectors).
double clampUnit(double x);
// The type letter of joint i, ' ' outside the table.
char jointTypeOf(const Scene& s, int i);
