// Pass feasibility: whether the selected robot can pass the slit at all, by the types of its
// first joints (SP1) and by the reach of its links to the wall and the alpha-plane (SP2).
#pragma once

struct Scene;

// Joint-type test: 1 passable, -1 impassable. Sets sgnJ1Alpha and sgnWrkAlpha.
int SP1(Scene& s);
// Reach test: 2 passable, -2 impassable. Reads sgnJ1Alpha and sgnWrkAlpha (SP1 must have run).
int SP2(Scene& s);
// SP1, then SP2, into sgnPS. With joint 1 and the goal both off the alpha-plane a negative
// answer ends the calculation (false, sgnPS keeps it); otherwise a negative answer counts as 0.
bool passFeasible(Scene& s);
