// Candidate generation of the slit pass-out: trial turns of the arm joints with the inner
// solvers that put the lead joint and the rest of the arm back on the alpha-plane.
#pragma once
#include "core/types.h"
struct Scene;

// Candidates of one generation from q0 in sols (at most NSOLMAX rows); kLM, candMp, candMw of
// the Scene receive [k, L, M] and the classification of each. Returns the count.
int SlitPassB5(Scene& s, char sgnArmDir, const double* q0, double step, double (*sols)[JV]);
// Trial value of joint M moved by d from q0M: 'R' joints freely; others held to qLimit (no trial
// beyond it) and snapped to 0 or +-pi/2 when within |d| of it, unless the snap would not move
// the joint. False when the trial is skipped.
bool slitTrialValue(const Scene& s, int M, double q0M, double d, double* out);
// Poses of one trial pose q: joint k puts J[L] on the alpha-plane, then the rest of the arm is
// threaded onto it from M2 on. Returns the count (0..2) written to out.
int calSlitPassCand(Scene& s, int k, int L, int M2, const double* q, double out[2][JV]);
// The poses (0..2) in which a turn of joint k of less than 1 rad puts J[L] on the plane with no
// joint 2..L below the floor clearance.
int calJntOnAlpha(Scene& s, int k, int L, const double* q, double out[2][JV]);
// Puts the joints after c = L up to MW of the pose (MW itself included) on the plane, in q.
// Returns 1 when the pose is complete, 0 when it has no solution.
int calNextJntOnAlpha(Scene& s, int L, int M2, double* q);
// Turns the work link into the plane, 0.02 rad higher (at most straight up), in q. Returns 1/0.
int calWorkOnAlpha(Scene& s, double* q);
