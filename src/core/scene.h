// The one Scene of a simulator session: every named quantity of the program state, grouped in
// sub-structs. The groups are base classes so that every quantity is reached by its own name
// (s.qr, s.rhy1, s.sgnCAL), exactly as the calculations speak of them.
#pragma once
#include <cstddef>
#include <cstdio>

#include "core/collide_state.h"
#include "core/goal_state.h"
#include "core/path_state.h"
#include "core/robot_model.h"
#include "core/solve_state.h"
#include "core/types.h"

struct Scene;

// Joint vectors shared by every calculation.
struct JointVectors {
    double qr[JV] = {};
    double qs[JV] = {};
    double qInit[JV] = {};
    double qZero[JV] = {};
    double qAfinal[JV] = {};
};

// Work goal.
struct GoalState {
    Vec3 rwG = {{2.35, 3.6, 0.1}};
    Vec3 rwp = {{2.35, 3.6, 0.1}};
    Mat3 EwG = {{1, 0, 0, 0, -1, 0, 0, 0, -1}};
    Vec3 wristp = {};
};

// Thick wall and slit.
struct WallState {
    Vec3 rh = {{1.6, 2.3, 0.0}};
    Vec3 nWall = {{0, 1, 0}};
    Vec3 nAlpha = {{1, 0, 0}};
    Vec3 ez = {{0, 0, 1}};
    double Dwall = 0.4;
    double Wslit = 0.3;
    double rhx = 0, rhy = 0, rhy1 = 0, rhy2 = 0;
    double rhy1M = 0, rhy2M = 0, rhy1W = 0, rhy2W = 0, rhy1F = 0;
    double dJ1rh = 0;
    int sgnOBSTACLE = 1;
    char sgnJ1Alpha = 'O';
    char sgnWrkAlpha = 'O';
    char ObstacleShape = 'S';  // 'S' slit, 'H' hole
    double rhz = 0;            // height of the hole axis for shape 'H'
};

// Mode letter and progress flags of the shell and the goal pose calculation.
struct ModeFlags {
    char sgnCAL = 'A';
    char sgnAab = 'a';
    char sgnAabSave = 'a';
    int sgnAaStep = 0, sgnAbStep = 0;
    int sgnARepeat = 0;
    int sgnBtoA = 0;
    int sgnAtoO = 0;
    int sgnSTART = 0;
    int sgnT = 1, sgnP = 1;
    int sgnSOLAEnd = 0;
    int sgnPS = 0;
    double errP = 0, errT = 0;
    char sgnArmDir = 'L';
    int cntRBT = 0;  // keys pressed so far of the robot choice ('F' and two digits)
    int sgnDrawAStart = 1;
    int sgnDrawInitial = 1;
    int JColl = 0;
};

// User view and joint spin animation.
struct ViewState {
    double viewRot[3] = {2.0, 2.0, 2.0};
    double viewShift[3] = {-1.0, -1.0, -2.0};
    char keyLast = 0;
    int sgnSpin = 0;
    int spinJoint = 1;
    double qSpinSave = 0;
};

// What leaves the core: redraw while a calculation runs, the console pause, the trace sink.
struct Hooks {
    void (*redraw)(Scene&) = nullptr;
    void (*waitKey)(Scene&) = nullptr;
    FILE* trace = stdout;
    bool quit = false;  // set by ESC; the front end ends the program with exit code 0
};

struct Scene : RobotModel,
               WorkingJoints,
               Kinematics,
               JointVectors,
               GoalState,
               WallState,
               ModeFlags,
               ViewState,
               GoalCalcState,
               CollideState,
               SolveState,
               PathState,
               Hooks {
    // The NMAX-row tables start at zero without a byte of them being written: every Scene is
    // allocated by the operator new below (zeroed pages, untouched until a row is written), and
    // the constructor leaves those tables as it finds them. A new process so pays only for the
    // rows it uses. A Scene is never made on the stack (it is several MB).
    Scene() {}
    static void* operator new(std::size_t size);
    static void operator delete(void* p) noexcept;
};

// Calls the redraw hook, if any.
void redraw(Scene& s);
