// Wall, floor and self interference of one joint, its repair by small turns of the joints
// before it, the link-against-link distance and the direction probes.
//
// Interference codes: the kColl constants below (0 none, -1 .. -7 the kinds met).
// Side letters: 'I' judges a joint against the robot's own side of the wall, 'O' against the
// far side. Every routine that takes a joint vector runs forwardKinematics on the vector it
// judges last, so J and mm hold that pose afterwards.
#pragma once
#include "core/types.h"

struct Scene;

// Interference codes of JntMCollCheck and JntMCollAvoid.
constexpr int kCollNone = 0;
constexpr int kCollWall = -1;
constexpr int kCollFloor = -2;
constexpr int kCollSelf = -3;  // also a joint beyond its limit
constexpr int kCollWallFloor = -4;
constexpr int kCollWallSelf = -5;
constexpr int kCollFloorSelf = -6;
constexpr int kCollAll = -7;

// Whether the work point (M = Nw) is judged against the floor margin. The work rests on its
// goal until the path generation has lifted it (its phase 2 on): until then it is Exempt.
enum class WorkFloor { Exempt, Judged };

// Judges joint M (1..Nw; Nw is the work point) of q. Out: the wall clearance bw ('O': y past
// the far margin plane, negative inside the band; 'I': y past the near margin plane, positive
// inside the band), the floor clearance bf, the self clearance bs (9.0 when nothing was
// tested), the link K that gave bs, the closest points P1 (on link M) and P2 (on link K) and
// their part codes t1, t2 (0 interior, 1 start point, 2 end point). Writes rColl when a self
// interference lies between two link interiors. Returns the interference code.
int JntMCollCheck(Scene& s, char side, int M, const double* q, WorkFloor wf, double& bw, double& bf, double& bs,
                  int& K, Vec3& P1, Vec3& P2, int& t1, int& t2);

// Repairs an interference of joint M by stepping the joint(s) before M by 0.02 rad in the
// direction that enlarges the violated clearance (at most 100 steps). Returns 1 when joint M
// is clear in qout (q itself, clamped, or repaired), else the negative code; on failure qout = q
// and the clearances are those of q. stepped tells whether the step search ran. The caller
// records the outcome for the path generation (a negative code is its sgnMColl; a search that
// ran resets JColl). qout may be q itself.
int JntMCollAvoid(Scene& s, char side, int M, const double* q, WorkFloor wf, double& bw, double& bf, double& bs,
                  double* qout, bool& stepped);

// Link M (its start moved down past zero-length links) against links K0 .. M-2 of q, plus the
// bend limits of a robot whose first joint is of type 'R'. Out: distance d and clearance bs of
// the worst pair, its link K, closest points and part codes. Returns 0 or -3.
int SelfCollCheck(Scene& s, int K0, int M, const double* q, double& d, double& bs, int& K, Vec3& P1, Vec3& P2,
                  int& t1, int& t2);

// Distance of link M (start A0, unit direction u1) and link K (start B0, unit direction u2),
// lengths taken from L (0 above Nw). Out: distance d, clearance c (distance minus the required
// link clearance for the closest parts), closest points P1 on link M and P2 on link K, part
// codes t1, t2 (0 interior, 1 start, 2 end). Returns -3 when c < -0.001 or when adjacent or
// touching links bend beyond the joint limits, else 0. Does not touch the pose in the Scene.
int SegSegDist(const Scene& s, int M, const Vec3& A0, const Vec3& u1, int K, const Vec3& B0, const Vec3& u2,
               double& d, double& c, Vec3& P1, Vec3& P2, int& t1, int& t2);

// Direction (+1, -1, or 0 when neither helps) to turn joint I so that joint M moves away from
// the far wall face (raise y), the near wall face (lower y) or the floor (raise z); probes
// q[I] +- 0.05.
int WCollDirO(Scene& s, int I, int M, const double* q);
int WCollDirI(Scene& s, int I, int M, const double* q);
int FCollDir(Scene& s, int I, int M, const double* q);
// Direction to turn joint I so that links M and K move apart (+1, -1 or 0).
int SCollDir(Scene& s, int I, int M, int K, const double* q);
