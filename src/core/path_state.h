// State of the reverse path generation (B) and of the motion along the path (C). Each group
// belongs to one stage of the calculation; the Scene reaches every field by its own name.
#pragma once
#include "core/types.h"

constexpr int NMAX = 3000;  // rows of every path table
// Candidate table of one slit pass-out generation: at most 49 candidates are retained, one
// spare row keeps every write inside the table.
constexpr int NSOLMAX = 49;

// The tables of NMAX rows (several MB in all) have no initialiser: a Scene comes from
// Scene::operator new, whose zeroed pages are touched only when a row is written (see scene.h).

// The path record, its smoothed and forward copies, and the playback.
struct PathRecordState {
    double qIPATH[NMAX][JV];        // reverse path (NMAX x JV); row 0 the final pose
    int NPATH = 0;                  // last row written
    Vec3 rwIPATH[NMAX];             // work point of each row
    Vec3 JpIPATH[NMAX];             // position of joint MpTrack of each row
    // Work point of the straight initial pose, the end of the reverse path (z = 7.4 for every
    // robot of the catalogue).
    Vec3 rwInit = {{0.0, 0.0, 7.4}};
    int MpTrack = 0;
    double qSIPATH[NMAX][JV];       // smoothed reverse path (NMAX x JV)
    double qPATH[NMAX][JV];         // forward path (NMAX x JV)
    Vec3 rwPATH[NMAX];              // forward work-point trail
    char sgnNMAX = 'U';             // 'O' once an append found the record full
    int NPATHmax = 0;
    int nMOVE = 0;
    char sgnMOVE = 'M';
    int dirMOVE = 1;
    int nBACK = 0;
};

// Phases of the B-calculation, the values of sgnPATH (4 is never set).
enum PathPhase : int {
    PhasePreparing = 0,        // 'B' pressed: the final pose is being checked
    PhaseWristMotion = 1,      // work lift and the joints beyond the wall (calWRIST3)
    PhaseSlitPassOut = 2,      // one slit pass-out cycle per step (calBTHROUGH)
    PhaseFreeSpaceAway = 3,    // elbow and wrist away from the wall (calBFREESPACE1)
    PhaseFreeSpaceReturn = 5,  // avoiding or straight steps towards the initial pose (calBFREESPACE2)
    PhaseLastMotion = 6,       // last motion to the initial pose (calBLASTMOTION)
    PhaseComplete = 7,         // the path is complete
};

// Status of the B-calculation (sgnMColl), and the codes a path motion returns when it stops: 1
// running, 0 stopped with no usable motion, negative the interference that stopped it.
constexpr int kMCollRunning = 1;
constexpr int kMCollNoMotion = 0;
constexpr int kMCollWall = -1;
constexpr int kMCollFloor = -2;
constexpr int kMCollSelf = -3;  // self interference or a joint limit

// Results of a motion (sgnMotion): the pose changed or not; negative the kMColl codes.
constexpr int kMotionMoved = 1;
constexpr int kMotionNone = 0;
// Results of one checked step beyond the wall: clear as given, or cleared by the repair.
constexpr int kStepClear = 1;
constexpr int kStepRepaired = 2;
// Results of the work lift of phase 1: stopped by the work, or finished.
constexpr int kLiftStopped = 1;
constexpr int kLiftDone = 2;
// Results of a free-space step (sgnFS): no correction needed, or corrected away from wall and
// floor; negative the kMColl codes.
constexpr int kFSNoCorrection = 2;
constexpr int kFSCorrected = 1;

// Phase and status of the B-calculation.
struct PathDriverState {
    int sgnPATH = 0;
    int sgnPATHEnd = 0;
    int sgnMColl = 1;
    int cntBTrial = 0;
    int sgnBResume = 0;
    int sgnPATHSave = 0;
    // Outcome of the last automatic solve of key 'N' (app/solve_outcome.h), for the status line:
    // 0 none shown, 1 by the A and B keys, 2 final pose by the A keys and path by the planner,
    // 3 final pose by the numeric search and path by the planner, -1 no path found.
    int sgnAutoSolve = 0;
    double autoPlanSeconds = 10;   // budgets of 'N': the planner's search
    double autoNumericMs = 3000;   // and the numeric final pose
};

// The path is complete (phase 7 reached, sgnPATHEnd = 1).
inline bool pathComplete(const PathDriverState& p) { return p.sgnPATHEnd == 1; }
// The B-calculation goes on: the next 's' runs the current phase (sgnMColl positive).
inline bool pathRunning(const PathDriverState& p) { return p.sgnMColl > 0; }
// The phase shown as the free-space motion (3 to 5).
inline bool inFreeSpacePhase(int phase) { return phase >= PhaseFreeSpaceAway && phase <= PhaseFreeSpaceReturn; }

// Slit pass-out cycles: the pose after each cycle, its change, and the envelopes that keep the
// arm from returning to where it was.
struct SlitPassState {
    double qIPATHth[NMAX][JV];        // pose after each cycle (NMAX x JV)
    int NPATHth = 0;
    double dqIPATHth[NMAX][JV];       // change of each cycle (NMAX x JV)
    double qPassHist[NMAX][JV];       // working copy of qIPATHth for the envelopes
    double qPassMax[NMAX][JV];        // envelope of each cycle: largest joint values
    double qPassMin[NMAX][JV];        // smallest joint values
    int cntOpt = 0;                   // step reductions in the current cycle
    double qCand[NSOLMAX + 1][JV] = {};  // candidates of one generation
    int kLM[NSOLMAX + 1][3] = {};        // joints [k, L, M] that produced each candidate
    int candMp[NSOLMAX + 1] = {};        // Mpass of each candidate
    int candMw[NSOLMAX + 1] = {};        // MW of each candidate
};

// Motions of the joints beyond the wall.
struct OutsideWallState {
    double JMZ0[JV] = {};  // target heights of joints 1..Nw
    Vec3 eG = {};          // target direction of the link being moved
    double qP[JV] = {};    // joint values that realise eG
    char sgnWOMotion = 'L';  // kind of the current far-side motion: 'L' large, 'S' one step, 'N' none
    int sgnMotion = 0;
    int MColl = 0;
};

// Free-space motion in front of the wall.
struct FreeSpaceState {
    int sgnWInAllJntOrderZ = 0;
    int sgnCollAvoidMotion = 0;
    int sgnLinearMotion = 0;
    int sgnFS = 0;
    int MNearWall = 1;
    double yClearFS = 0;
    Vec3 rwStep = {};
    int sgnJointReturn = 0;  // 1 once phase 5 returns by checked joint steps (the other modes failed)
    double returnBest = 1e300;  // least joint distance to the initial pose the return reached
    int returnStall = 0;        // return steps since it last fell
};

// What the row gate decided about the last motion it judged (see path/row_gate.h).
enum class GateStatus { Accepted, Wall, Floor, Self, Work, Limit, RecordFull };
struct RowGateState {
    GateStatus gateStatus = GateStatus::Accepted;
    int gateShape = 0;       // shape that touched: link 1..N, Nw the hand, Nw+1 the work
    int gateOther = 0;       // what it touched: wall block 0 (+x) / 1 (-x), or the other link
    double gateDepth = 0;    // how far it went in
    int gateRefusals = 0;    // refusals since the B preparation
    int sgnGateStop = 0;     // 1 once an append was refused: the B-calculation stops
    double gateFrom[JV] = {}, gateTo[JV] = {};  // the last motion accepted
    double gateCachedScene[4] = {};             // and the wall it was judged against (rhx, rhy1, rhy2, rh z)
    int gateCachedRobot = 0;                    // and the robot (sgnROBOT, lower and upper)
    int gateCached = 0;
    // The last two poses judged, with the scene they were judged in: consecutive motions share
    // their ends.
    struct GateMemo {
        double q[JV];
        double scene[4];  // rhx, rhy1, rhy2, rh z
        int robot;        // the robot (sgnROBOT, lower and upper)
        int status, shape, other;
        double depth, fixed, moving;
        double shapeFixed[JV + 2], shapeMoving[JV + 2];
        int valid;
    };
    GateMemo gateMemo[2] = {};
    int gateMemoNext = 0;
};

// The shortened forward motion: the forward path with stretches replaced by straight joint
// motions the row gate accepts, corners cut, resampled to the record's step. Played in C mode
// beside the forward path.
struct ShortPathState {
    double qSHORTV[NMAX][JV];       // vertices of the shortened path (NMAX x JV), unwrapped
    int NSHORTV = 0;                // last vertex
    double qSHORT[NMAX][JV];        // its rows (NMAX x JV); row 0 the initial pose
    Vec3 rwSHORT[NMAX];             // work point of each row
    int NSHORT = -1;                // last row; -1 while there is none
    int sgnPlayShort = 0;           // 1 while C mode plays the shortened motion
};

struct PathState : PathRecordState, PathDriverState, SlitPassState, OutsideWallState, FreeSpaceState, RowGateState, ShortPathState {};
