#include "model/catalogue.h"

#include <cmath>
#include <cstring>

#include "core/console.h"
#include "core/scene.h"
#include "model/kinematics.h"
#include "model/vecops.h"
#include "model/wall_goal.h"

namespace {

const Mat3 kFrameR = {{1, 0, 0, 0, 1, 0, 0, 0, 1}};
const Mat3 kFrameP = {{0, 0, 1, 1, 0, 0, 0, 1, 0}};
const Mat3 kFrameQ = {{0, 1, 0, 0, 0, 1, 1, 0, 0}};

const Mat3& frameOf(char letter) {
    if (letter == 'P') return kFrameP;
    if (letter == 'Q') return kFrameQ;
    return kFrameR;
}

struct Lower {
    const char* letters;
    double z[3];
    int Lh, Mh, Iinv;
};
const Lower kLower[4] = {
    {"RPP", {0, 1.0, 3.0}, 1, 3, 2},
    {"RQP", {0, 1.0, 3.0}, 1, 2, 3},
    {"PQP", {1.0, 2.0, 3.0}, 1, 2, 3},
    {"PQQ", {1.0, 2.0, 3.0}, 2, 3, 1},
};
const char* const kUpper[2] = {"RP", "QP"};

struct Defaults {
    double rhx, rhy;
    double rwG[3];
    bool keepZ;  // F21 keeps z of rwG
};
// Indexed [lower-1][upper-1].
const Defaults kDefaults[4][2] = {
    {{0.2, 2.34, {0.2, 3.13, 0.1}, false}, {0, 1.34, {0.32, 1.92, 0.1}, false}},
    {{1.6, 2.3, {2.36, 3.6, 0}, true}, {1.46, 1.2, {1.3, 2.86, 0.52}, false}},
    {{0, 2.6, {0, 3.98, 0.1}, false}, {0, 1.34, {0.52, 2.14, 0.1}, false}},
    {{0, 1.34, {-1.82, 3.14, 0.1}, false}, {0, 1.34, {0.8, 2.14, 0.1}, false}},
};

int clampIndex(int v, int hi) { return v < 1 ? 0 : (v > hi ? hi - 1 : v - 1); }

}  // namespace

void setRobotStructure(Scene& s) {
    s.fkValid = 0;  // the model changes: the last forward kinematics no longer holds
    for (int i = s.Nw; i >= 1; --i) {
        mulMat3TN(s.Estraight[i - 1], s.Estraight[i], s.Erel[i]);
        Vec3 d;
        subVec3(s.Jstraight[i], s.Jstraight[i - 1], d);
        mulMat3TVec(s.Estraight[i - 1], d, s.Lvec[i]);
        s.L[i] = normVec3(s.Lvec[i]);
        if (s.L[i] <= 1e-6) {
            // A zero-length link takes the next link's direction, carried back one frame.
            mulMat3Vec(s.Erel[i], s.mm0[i + 1], s.mm0[i]);
        } else {
            for (int k = 0; k < 3; ++k) s.mm0[i][k] = s.Lvec[i][k] / s.L[i];
        }
    }
    s.EwH = s.Erel[s.Nw];
    s.PwOffset = s.Lvec[s.Nw];
    s.Lw = s.L[s.Nw];
}

void setRobotType(Scene& s, const int* sel) {
    // Out-of-catalogue numbers are held to the nearest structure so the tables stay in range.
    const Lower& lo = kLower[clampIndex(sel[0], 4)];
    const char* up = kUpper[clampIndex(sel[1], 2)];
    s.robotnum[5] = digitChar(sel[0]);
    s.robotnum[6] = digitChar(sel[1]);
    s.N = 8;
    s.Nw = 9;
    s.Estraight[0] = kFrameR;
    s.Jstraight[0] = Vec3{{0, 0, 0}};
    s.J[0] = Vec3{{0, 0, 0}};
    std::memset(s.JRTYPE, 0, sizeof s.JRTYPE);
    s.JRTYPE[0] = ' ';
    for (int k = 0; k < 3; ++k) {
        s.JRTYPE[1 + k] = lo.letters[k];
        s.Jstraight[1 + k] = Vec3{{0, 0, lo.z[k]}};
    }
    s.Lh = lo.Lh;
    s.Mh = lo.Mh;
    s.Iinv = lo.Iinv;
    for (int k = 0; k < 2; ++k) {
        s.JRTYPE[4 + k] = up[k];
        s.Jstraight[4 + k] = Vec3{{0, 0, 5.0 + k}};
    }
    s.JRTYPE[6] = 'R';
    s.JRTYPE[7] = 'P';
    s.JRTYPE[8] = 'R';
    s.JRTYPE[9] = 'W';
    for (int i = 6; i <= 8; ++i) s.Jstraight[i] = Vec3{{0, 0, 7.0}};
    s.Jstraight[9] = Vec3{{0, 0, 7.4}};
    for (int i = 1; i <= 9; ++i) s.Estraight[i] = frameOf(s.JRTYPE[i]);
    s.Lw = 7.4 - 7.0;
    s.WristType = 'R';

    s.Jinv = s.N - 4;
    s.Kinv = s.N - 3;
    s.Mpass = 3;
    s.Lh0[0] = s.Lh;
    s.Mh0[0] = s.Mh;
    s.Iinv0[0] = s.Iinv;
    s.Jinv0[0] = s.Jinv;
    s.Kinv0[0] = s.Kinv;
    s.Mpass0[0] = s.Mpass;
    s.cntLM0 = 0;

    char* t = s.JTYPEstr;
    for (int i = 0; i <= 3; ++i) *t++ = s.JRTYPE[i];
    *t++ = '-';
    for (int i = 4; i <= 5; ++i) *t++ = s.JRTYPE[i];
    *t++ = '-';
    for (int i = 6; i <= 8; ++i) *t++ = s.JRTYPE[i];
    *t++ = '\n';
    *t = 0;

    s.Erel[0] = identityMat3();
    s.EJ[0] = identityMat3();
    s.Lvec[0] = s.Jstraight[0];
    s.mm0[s.Nw + 1] = Vec3{{0, 0, 0}};
    setRobotStructure(s);

    s.sgnJ1Alpha = (std::fabs(dotVec3(s.J[1], s.nAlpha) - s.rhx) < 1e-6) ? 'I' : 'O';
}

void setRobotDefaults(Scene& s, const int* sel) {
    static const char* const kNames[4][2] = {{"\nF11を選択", "\nF12を選択"},
                                             {"\nF21を選択", "\nF22を選択"},
                                             {"\nF31を選択", "\nF32を選択"},
                                             {"\nF41を選択", "\nF42を選択"}};
    int lo = clampIndex(sel[0], 4), up = clampIndex(sel[1], 2);
    tracef(s, "\n選択したロボットタイプF[%d %d]", sel[0], sel[1]);
    tracef(s, "%s", kNames[lo][up]);
    int pair[3] = {sel[0], sel[1], sel[2]};
    for (int k = 0; k < 3; ++k) s.sgnROBOT[k] = pair[k];
    s.robotnum[5] = digitChar(pair[0]);
    s.robotnum[6] = digitChar(pair[1]);
    setRobotType(s, pair);
    const Defaults& d = kDefaults[lo][up];
    s.rh[0] = d.rhx;
    s.rh[1] = d.rhy;
    s.rwG[0] = d.rwG[0];
    s.rwG[1] = d.rwG[1];
    if (!d.keepZ) s.rwG[2] = d.rwG[2];

    s.ROBOTNUM[0] = digitChar(pair[0]);
    s.ROBOTNUM[1] = digitChar(pair[1]);
    tracef(s, "\n〓ロボット選択 sgnROBOT[]=[%d %d] ROBOTNUM[]=[%c %c] robotnum[]=%s%s", pair[0], pair[1],
           s.ROBOTNUM[0], s.ROBOTNUM[1], s.robotnum, s.JRTYPE);
    tracef(s, "\n  隙間位置        rh[] =");
    printVec(s, 0, 2, s.rh.data());
    tracef(s, "\n ワークの目標位置 rwG[]=");
    printVec(s, 0, 2, s.rwG.data());

    setWallGeometry(s);
    s.rwp = s.rwG;
    setWristGoal(s);
    checkObstacleReach(s);
    setPlanarSlitDistance(s);
}

void printRobotInfo(const Scene& s) {
    const char* t = s.JRTYPE;
    tracef(s, "\n(F) ロボットの自由度N=%d   関節構造 JTYPE%d%d='%c%c%c-%c%c-%c%c%c'", s.N, s.sgnROBOT[0],
           s.sgnROBOT[1], t[1], t[2], t[3], t[4], t[5], t[6], t[7], t[8]);
    tracef(s, "\n(O) 厚壁隙間中心線基点位置 rh[]=(%6.2f %6.2f %6.2f)", s.rh[0], s.rh[1], s.rh[2]);
    tracef(s, "\n(G) 目標位置　　rwG[]=(%6.2f %6.2f %6.2f)", s.rwG[0], s.rwG[1], s.rwG[2]);
    tracef(s, "\n    目標姿勢：ワークを下向きに置く：変えない");
}
