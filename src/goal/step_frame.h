// The frame shared by a press of 'a' (work positioning) and a press of 'b' (slit passing): the
// start of the step, the small move against the gradient before it, one step toward the chosen
// pose, the evaluation with its decision line, and the Newton correction and the special cases
// as both keys run them.
#pragma once

struct Scene;

// The key a shared stage runs for: its trace marks ('◆' for 'a', '●' for 'b') and the step
// solution it keeps (qAa or qAb).
enum class AStep { Positioning, SlitPass };
// The special case of an arm whose joint 1 lies on the alpha-plane: the goal off it or on it.
enum class SpecCase { GoalOffPlane, GoalOnPlane };

// Start of an 'a' (step = 'a') or 'b' step: passFeasible (false ends the step), the other
// step's stage back to 0, sgnAab = step, and errP, errT of the current pose qr.
bool startGoalStep(Scene& s, char step);

// An 'a' or 'b' step goes ahead: the start pose is no longer drawn, the B trials start anew
// (asked of the path) and the arm direction is that of the first trial.
void seekNewFinalPose(Scene& s);
// Small move of q2 from qs against the gradient direction dq over the joints LMIJK (the largest
// component moves by at most 0.01 rad). Returns dqmax, the largest |dq| over joints 1..N-3.
double nudgeAgainstGradient(const Scene& s, const double* qs, const int LMIJK[5], const double* dq, double* q2);
// One step of the move from qs toward qT over joints 1..N-3: dqk the differences (less 2 pi
// above pi, plus 2 pi below -pi), dqH their largest magnitude, ndq = floor(dqH / 0.1). q2 is qT
// when ndq = 0, otherwise qs moved by dqk / ndq (joints N-2..N as in qs). Returns ndq.
int stepTowardPose(const Scene& s, const double* qs, const double* qT, double* dqk, double* dqH, double* q2);
// One step of qr from qs toward qT: stepTowardPose into q2, then qr is q2 with the wrist turned
// to the goal frame (qr stays qT when no wrist turn reaches it). Returns ndq.
int stepQrToward(Scene& s, const double* qs, const double* qT, double* dqk, double* dqH, double* q2);
// Evaluation of the pose qr after a step: qAfinal = qr, Mpass and MW, errP, errT (the slit error
// of J[Mpass], and of J[MW] when it is a joint of the arm), their classes and sgnSOLAEnd.
void evaluateStepPose(Scene& s);
// The 8 decision lines of a step: the last row's text is given by the caller ('◆' or '●').
void printDecision(const Scene& s, const char* exactLine);
// The Newton correction and the special cases as the keys 'a' and 'b' run them: result
// letter, reclassification, acceptance of a usable pose and the trace.
void runNewtonStep(Scene& s, AStep step);
void runSpecialCase(Scene& s, AStep step, SpecCase which);
// The case choice of an 'a' or 'b' press: an arm with joint 1 on the alpha-plane takes its
// special case, a pose with both errors below tolNewton the Newton correction. True when one of
// them took the step; false leaves the normal case to the key.
bool takeSpecialOrNewton(Scene& s, AStep step);
