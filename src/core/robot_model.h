// The robot as chosen (written by robot selection only) and the results of the last forward
// kinematics.
#pragma once
#include "core/types.h"

struct RobotModel {
    int N = 8;
    int Nw = 9;
    char JRTYPE[JV + 1] = {};   // [0] ' ', [1..N] 'R'/'P'/'Q', [Nw] 'W'
    char JTYPEstr[16] = {};     // " RQP-RP-RPR\n" for F21
    int sgnROBOT[3] = {2, 1, 0};
    char ROBOTNUM[4] = {'2', '1', '\n', 0};
    char robotnum[16] = "JTYPE11=\n";
    Vec3 Jstraight[JV] = {};
    Mat3 Estraight[JV] = {};
    Mat3 Erel[JV] = {};
    Vec3 Lvec[JV] = {};
    double L[JV] = {};
    Vec3 mm0[JV] = {};
    Mat3 EwH = {};
    double Lw = 0.4;
    Vec3 PwOffset = {};
    double Hwork = 0.2;
    char WristType = 'R';
    double qLimit = 2.8797932658;
    double qLimitWrist = 2.3561944902;
    // Per-robot choice tables of the goal pose calculation; entry 0 is set by robot selection.
    static constexpr int NLM0 = 8;
    int Lh0[NLM0] = {}, Mh0[NLM0] = {}, Iinv0[NLM0] = {}, Jinv0[NLM0] = {}, Kinv0[NLM0] = {};
    int Mpass0[NLM0] = {};
};

// The joints the calculations work with for the current start candidate and wall: chosen from the
// robot's tables (entry cntLM0) and by the reach of the wall, rewritten as the calculations go.
struct WorkingJoints {
    int Lh = 1, Mh = 2, Iinv = 3, Jinv = 4, Kinv = 5;
    int Mpass = 3, MW = 10;
    int cntLM0 = 0;
};

struct Kinematics {
    Vec3 J[JV] = {};
    Vec3 mm[JV] = {};
    Mat3 EJ[JV] = {};
    Mat3 EA[JV] = {};
    Vec3 rw = {};
    Mat3 Ew = {};
    // The joint values the results above belong to: the checks of one pose run forward
    // kinematics once per joint they judge, and the second and later runs find them here.
    // Robot selection clears fkValid when it changes the model.
    double qFK[JV] = {};
    double cosFK[JV] = {}, sinFK[JV] = {};  // of qFK
    int fkValid = 0;
};
