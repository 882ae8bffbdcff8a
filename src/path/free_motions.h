// Robot-side motions of the free-space phases: the analytic placement of one joint, the
// interference-avoiding correction, the motions of a joint towards a target with the work turned
// upwards, and the targets of those motions. Every pose they add to the path is checked first:
// all joints 2..Nw clear by JntMCollCheck('I', ...), in front of the near margin plane (rhy1M,
// rhy1W for the work point) and above the floor margin, and so is every row the append
// interpolates between two poses. A step that fails is not appended and ends its motion.
// Status codes: 1 moved, 0 no change, -1 wall, -2 floor, -3 self interference or joint limit.
#pragma once
#include "core/types.h"
struct Scene;

// 0 when every joint 2..Nw of q is clear on the robot side, else the first negative code met
// (a joint past the near margin plane counts as -1) with its joint in Jbad.
int freePoseCheck(Scene& s, const double* q, int& Jbad);
// freePoseCheck of every row that appendPathSegment would write for the move qFrom -> qTo.
int freeMoveCheck(Scene& s, const double* qFrom, const double* qTo, int& Jbad);
// Checks the move and appends it. Returns 1 when rows were appended, 0 when the move is too small
// to append or the record is full, or the negative code of the first row that is not clear (nothing
// appended then).
int appendFreeStep(Scene& s, const double* qFrom, double* qTo, int& Jbad);

// Places joint M of q at point P with three joints I < J < K (K <= M-1, or N-3 when M >= N-2).
// Returns the number of usable solutions (joints 2..M-1 clear, joints within their limits); qOut
// is the usable one nearest to q (q itself when there is none). 0 when M < 4.
int calJntPosSolve(Scene& s, const double* q, int M, const Vec3& P, double* qOut);

// One interference-avoiding correction from qs0: the joints relax towards 0 away from the wall,
// are cleared joint by joint, and the arm moves there with the work turned up. qS = pose reached.
// Returns 1 (changed), 0 (unchanged) or a negative code with the blocking joint in JColl.
int WInApart7(Scene& s, const double* qs0, double* qS, int& JColl);

// The arm moves from q0 to q1 while the work turns towards e; every step is cleared and appended.
// Returns 1, or the negative code of the step that failed (JColl its joint). qOut = pose reached.
int WInWorkMotion(Scene& s, const double* q0, const double* q1, const Vec3& e, int& JColl, double* qOut);

// Motion of joint M from q towards q2, with t the target of the joint ME before it; 'L' the whole
// change, 'S' joint ME at most 0.025. Returns the status; qOut (and qr) = pose reached.
int WInPPLargeMotion7(Scene& s, char sgnLS, int M, const double* q, const double* q2, double t, double* qOut,
                      int& JColl);
// Motion of joint M from q towards q2 with the link of M turned towards e (by the R-P joints
// before it): 'L' the whole change in steps of 0.025, 'S' one such step. Same results.
int WInRPLargeMotion7(Scene& s, char sgnLS, int M, const double* q, const double* q2, const Vec3& e, double* qOut,
                      int& JColl);

// Target qME of the joint ME that turns joint M (M' = M+1 when M is of type 'R'): the turn that
// lifts M' highest on its circle, within the joint limit. 'L' when that turn sweeps neither the
// near wall face nor the floor margin, else 'S'.
char calWInJntMTarget(Scene& s, int M, const double* q, double& qME);
// The same rule for the next joint Mn inside a motion.
char calWInJntMTarget2(Scene& s, int Mn, const double* q, double& t);

// Joint-space return: one checked step of the arm towards the initial pose qInit, the step chosen
// among a few joint moves (all joints, the pitching joints only, the joints whose move keeps the
// arm from the wall, each joint alone) as the clear one that brings the arm nearest qInit; when
// none of them is clear, a single joint moves so that the arm gains the most clearance from the
// wall and floor. Returns 1 (moved), 0 (the record is full) or the negative code of the blocked
// move of all joints (JColl its joint). qOut = pose reached.
int freeReturnStep(Scene& s, const double* q0, double* qOut, int& JColl);
// True when the closing motion from q straight to qInit keeps every row clear.
bool freeReturnClear(Scene& s, const double* q);
