// Phase 2 of the B-calculation: one slit pass-out cycle pulls the arm a small step back
// through the slit, keeping the joints in the slit on the alpha-plane.
#pragma once
#include "core/types.h"
struct Scene;

// One cycle from q0. Status 1: qr = qOut = the new pose, appended to the path. 0: no pass-out
// possible; -1/-2/-3: wall/floor/self interference blocks it. bw, bf, bs (JV entries) are the
// clearances of the pose returned, JColl its blocking joint.
int SlitPassWOutMotion(Scene& s, const double* q0, double* qOut, double* bw, double* bf, double* bs, int& JColl);
// Pass-out pose q2 from q0 with the step control (at most 3 step reductions; a reduction that
// finds nothing keeps the earlier pick). Returns 1, or 0 with JColl when nothing passes.
int SlitPassBOpt(Scene& s, const double* q0, double step, double* q2, int& JColl);
// Step rule: accepts a pick whose largest arm joint change dmax is at most 0.2 or after 3
// reductions; otherwise step = step x 0.2 / dmax and cntOpt is counted up.
bool slitStepAccept(double dmax, int& cntOpt, double& step);
// Phase 2: one pass-out cycle from qr; once the arm and the wrist are clear in front of the wall,
// the entry into free space (phase 3 or 5).
void calBTHROUGH(Scene& s);
