// The circle that joint M sweeps when a single joint MF before it turns: sweep checks against
// the wall face and the floor margin, the turns at which M reaches the wall plane, the floor
// margin or its highest point, and small clearance measures of a joint.
#pragma once
#include "core/types.h"

struct Scene;

// Candidate record of a turn of MF: point of M (x, y, z), value of q[MF], wall clearance,
// floor clearance, direction (-1 when the value is <= the current q[MF], else +1), three flags.
// An absent record holds 99.0 in the first seven fields and 0 in the flags.
constexpr int NCREC = 10;
enum CircleRecField { CR_X = 0, CR_Y, CR_Z, CR_Q, CR_WALL, CR_FLOOR, CR_DIR, CR_FLAG1, CR_FLAG2, CR_FLAG3 };
constexpr double kRecAbsent = 99.0;  // the first seven fields of an absent record
// Flag values: clear, or what the record's turn meets (a flag may sum several of these).
constexpr double kFlagClear = 1.0;
constexpr double kFlagWall = -1.0;
constexpr double kFlagFloor = -2.0;
constexpr double kFlagBoth = -3.0;

// Circle of joint M about joint MF (M-1, or M-2 past an 'R' joint M-1): centre C = J[MF],
// radius R (the link length from MF to M), axis a (z axis of MF's frame), u = mm[M], v = a x u;
// at a turn d of q[MF] from q, joint M is at C + R (cos d u + sin d v). Runs forwardKinematics(q).
void JntMCircle(Scene& s, int M, const double* q, int& MF, Vec3& C, Vec3& u, Vec3& v, Vec3& a, double& R);

// Result codes of JntMCircleCollCheck: what the turn sweeps joint M across.
constexpr int kSweepClear = 0;
constexpr int kSweepWall = -1;
constexpr int kSweepFloor = -2;
constexpr int kSweepBoth = -3;

// Whether turning q[MF] from qs[MF] to qMF sweeps joint M across the wall face of the side
// ('O' far face, 'I' near face) or the floor margin; a crossing exactly at qMF does not count.
// code: 0 clear, -1 wall, -2 floor, -3 both (also for non-finite input). Leaves the pose of qs
// in the Scene. Prints its trace and pauses for a console key.
void JntMCircleCollCheck(Scene& s, char side, int M, int MF, const double* qs, double qMF, const Vec3& C,
                         const Vec3& u, const Vec3& v, const Vec3& a, double R, int& code);

// Turn targets of MF for joint M: MF and MN (joints before and after M, past 'R' joints), the
// radii R1 (MF to M) and R2 (M to MN), wall and floor distance of J[MF], the circle (taken with
// q[MF] = 0, so angles are absolute values of q[MF]), the two extreme angles of y (ex2 of
// smaller magnitude), the q[MF] values of the two wall and two floor crossings (99.0 when
// absent) and sgnY (-1 when J[MF] lies before J[MF-1] in y, else +1).
void JntMCircleWallTargets(Scene& s, char side, int M, const double* q, int& MF, int& MN, double& R1, double& R2,
                           double& dW, double& dF, Vec3& C, Vec3& u, Vec3& v, Vec3& a, double& ex1, double& ex2,
                           double& w1, double& w2, double& f1, double& f2, int& sgnY);

// The two wall-plane crossings W and the two floor-margin crossings F of the circle (angles
// absolute values of q[MF]); the nearer to the current q[MF] first. Returns which kinds exist.
constexpr int kCrossBoth = 1;
constexpr int kCrossFloorOnly = -1;
constexpr int kCrossWallOnly = -2;
constexpr int kCrossNone = -3;
int JntMCircleWallCross(Scene& s, char side, int M, int MF, const double* q, double R, const Vec3& C,
                        const Vec3& u, const Vec3& v, const Vec3& a, double W[2][NCREC], double F[2][NCREC]);

// The turn(s) of MF that lift M highest (the joint limits when the top lies beyond them),
// flagged against the crossings w1, w2, f1, f2.
void JntMCircleTop(Scene& s, char side, int M, int MF, const double* q, double R, const Vec3& C, const Vec3& u,
                   const Vec3& v, double w1, double w2, double f1, double f2, double T[2][NCREC]);

// Signed wall distance of point P taken as joint M (<= Nw) of a pose classified as (Mp, inWall
// zero-terminated, Mw): near side negative while clear, in the wall the offset from the mid
// plane, far side positive while clear.
double JntWallDist(const Scene& s, int Mp, const int* inWall, int Mw, int M, const Vec3& P);
// P.z - Margin (MarginW for the work point).
double JntFloorDist(const Scene& s, int M, const Vec3& P);

// Far-side scan of joints M0 .. Nw of q: dy[j] = J[j].y - rhy2, cl[j] = dy[j] minus the margin,
// list (zero-terminated, JV entries) of the joints that still interfere with the far face,
// Mmin the joint with the smallest dy. dy and cl have JV entries.
void JntWallOutScan(Scene& s, int M0, const double* q, int* list, double* dy, double* cl, int& Mmin);
