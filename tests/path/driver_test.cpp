// The B preparation (error classes, joint limits, interference, the third 'B') and phase 1 of
// every robot from the final pose of the goal calculation.
#include <gtest/gtest.h>

#include <cmath>

#include "app/startup.h"
#include "collide/interference.h"
#include "goal/goal_check.h"
#include "path/path_driver.h"
#include "path/path_record.h"

namespace {

// Makes q an error-free final pose for the preparation: the goal is the work point of q, the
// alpha-plane through it, the wall's near face at y = rhy1. With the whole arm in front of the
// wall only the work point counts for the slit error (no joint lies beyond the wall).
void prepare(Scene& s, const double* q, double rhy1) {
    forwardKinematics(s, q);
    s.rwp = s.rw;
    s.rh = Vec3{{s.rw[0], rhy1 + s.Dwall / 2, 0}};
    setWallGeometry(s);
    for (int i = 0; i < JV; ++i) s.qAfinal[i] = q[i];
    s.cntBTrial = 0;
    s.sgnBResume = 0;
}

// The goal keys on each start candidate in turn until 'B' accepts the final pose (the
// preparation sums the coordinate errors of the work point, so it may refuse a pose the goal
// calculation accepted). Returns the candidate, or -1.
int startPhase1(Scene& s) {
    for (int c = 0; c < s.nqss0; ++c) {
        if (c > 0) keyboard(s, ' ');
        for (int n = 0; n < 300 && s.sgnPATH != 1; ++n) {
            keyboard(s, "aab"[n % 3]);
            if (s.sgnSOLAEnd == 1) keyboard(s, 'B');
            if (s.sgnCAL == 'B' && s.sgnPATH != 1) keyboard(s, 'a');  // refused: back to the goal keys
        }
        if (s.sgnPATH == 1) return c;
    }
    return -1;
}

}  // namespace

TEST(BPrep, ErrorClassesLimitsAndInterference) {
    auto s = makeScene();  // F21
    const double deg = M_PI / 180;
    double q[JV] = {};
    struct Limit { int joint; double angle; char type; bool fails; } limits[] = {
        {3, 166 * deg, 'P', true}, {3, 164 * deg, 'P', false}, {4, 166 * deg, 'R', false},
        {7, 136 * deg, 'R', true}, {8, 179 * deg, 'R', false}};
    for (const Limit& l : limits) {
        for (double& v : q) v = 0;
        q[l.joint] = l.angle;
        s->JRTYPE[l.joint] = l.type;
        prepare(*s, q, 20.0);
        TraceCapture cap(*s);
        keyboard(*s, 'B');
        const bool failed = cap.text().find("の関節角が限界を超えた") != std::string::npos;
        EXPECT_EQ(failed, l.fails) << "joint " << l.joint;
        if (l.fails) {
            EXPECT_TRUE(s->sgnMColl == -3 && s->sgnSOLAEnd == -3 && s->JColl == l.joint);
        }
    }
    auto fresh = makeScene();
    Scene& t = *fresh;
    for (double& v : q) v = 0;
    // Error classes: a work point 0.005 off (sum of coordinates) is allowable, 0.02 is not.
    const double bent[JV] = {0, 1.4, 0.6, 1.2};
    prepare(t, bent, 20.0);
    t.rwp[0] += 0.002;
    t.rwp[2] -= 0.003;
    keyboard(t, 'B');
    EXPECT_TRUE(t.sgnP == 4 && t.sgnT == 2 && t.sgnSOLAEnd == 1 && t.sgnPATH == 1 && t.sgnArmDir == 'L');
    prepare(t, bent, 20.0);
    t.rwp[1] += 0.02;
    keyboard(t, 'B');
    EXPECT_TRUE(t.sgnP == 1 && t.sgnMColl == 0 && t.sgnSOLAEnd == 0 && t.sgnPATH == 0);
    // Joint 3 is the last joint before the wall, 0.04 in front of its near face and off the
    // slit: a wall interference that stops the preparation before the record is reset (the
    // slit error is neutralised by nAlpha = 0, rhx = 0).
    forwardKinematics(t, bent);
    prepare(t, bent, t.J[3][1] + 0.04);
    t.nAlpha = Vec3{{0, 0, 0}};
    t.rhx = 0;
    t.NPATH = 5;
    TraceCapture cap(t);
    keyboard(t, 'B');
    EXPECT_NE(cap.text().find("\n〓壁内で関節J[3]が壁干渉した→A計算へ〓"), std::string::npos);
    EXPECT_EQ(cap.text().find("前準備終わり"), std::string::npos);
    EXPECT_TRUE(t.sgnMColl == -1 && t.JColl == 3 && t.sgnSOLAEnd == 0 && t.sgnPATH == 0 && t.NPATH == 5);
}

TEST(BPrep, TwoTrialsThenTheThirdOnlyRedraws) {
    auto s = makeScene();
    const double q[JV] = {};
    prepare(*s, q, 20.0);
    keyboard(*s, 'B');
    EXPECT_EQ(s->sgnArmDir, 'L');
    s->sgnPATH = 3;
    s->NPATH = 7;
    keyboard(*s, 'B');
    EXPECT_TRUE(s->sgnArmDir == 'U' && s->sgnPATH == 1 && s->NPATH == 0 && s->cntBTrial == 2);
    s->sgnPATH = 3;
    s->NPATH = 7;
    s->qr[2] = 0.5;
    keyboard(*s, 'B');
    EXPECT_TRUE(s->cntBTrial == 3 && s->sgnPATH == 3 && s->NPATH == 7 && s->qr[2] == 0.5);
}

// From the final pose of each robot, 'B' and 's' run phase 1 to its end: every appended row is
// a small step from the one before and keeps every joint clear of the wall and the floor.
TEST(BPhase1, EveryRobotLiftsTheWorkWithClearRows) {
    for (int lower = 1; lower <= 4; ++lower)
        for (int upper = 1; upper <= 2; ++upper) {
            auto s = makeSceneWithRobot(lower, upper);
            ASSERT_GE(startPhase1(*s), 0) << "F" << lower << upper;
            keyboard(*s, 's');
            ASSERT_EQ(s->sgnPATH, 2) << "F" << lower << upper;
            for (int k = 1; k <= s->NPATH; ++k) {
                const double* a = s->qIPATH[k - 1];
                const double* b = s->qIPATH[k];
                for (int i = 1; i <= s->N; ++i) {
                    const double d = std::fabs(std::remainder(b[i] - a[i], 2 * M_PI));
                    EXPECT_LE(d, (i >= s->N - 2 ? 0.125 : 0.025) + 1e-9) << "row " << k << " joint " << i;
                }
                // Joint points of the row: each joint is on the slit plane or outside the wall
                // band, and above the floor margin (the work rests on the goal only at row 0).
                forwardKinematics(*s, b);
                for (int j = 2; j <= s->Nw; ++j) {
                    const Vec3 P = s->J[j];
                    const double m = j == s->Nw ? MarginW : Margin;
                    const bool onSlit = std::fabs(P[0] - s->rhx) <= 0.01;
                    EXPECT_TRUE(onSlit || P[1] <= s->rhy1 - m || P[1] >= s->rhy2 + m) << "row " << k << " J" << j;
                    if (j < s->Nw) {
                        EXPECT_GT(P[2], Margin) << "row " << k << " J" << j;
                    }
                }
            }
        }
}

// The review ('S', 's'), leaving with 'O' and resuming with 'B' do not change the path: the
// next phase continues from the last row. 'C' before the end, then 's' in C mode to finish,
// gives the forward path of the finished record; a stopped calculation stays stopped.
TEST(BKeys, ReviewResumeAndFinishingInCMode) {
    auto plain = makeSceneWithRobot(3, 1), other = makeSceneWithRobot(3, 1);
    ASSERT_EQ(startPhase1(*plain), startPhase1(*other));
    pressKeys(*plain, "sss");
    pressKeys(*other, "sSSSsssOBs");
    ASSERT_EQ(other->sgnBResume, 0);
    ASSERT_EQ(plain->NPATH, other->NPATH);
    for (int k = 0; k <= plain->NPATH; ++k) ASSERT_TRUE(sameQ(plain->qIPATH[k], other->qIPATH[k])) << k;
    keyboard(*plain, 'C');
    EXPECT_TRUE(plain->sgnCAL == 'C' && plain->sgnPATHEnd == 0);
    plain->sgnMColl = 0;
    const int n = plain->NPATH;
    keyboard(*plain, 's');
    EXPECT_EQ(plain->NPATH, n);  // stopped: 's' only redraws
    plain->sgnMColl = 1;
    for (int k = 0; k < 300 && plain->sgnPATHEnd == 0; ++k) keyboard(*plain, 's');
    ASSERT_EQ(plain->sgnPATHEnd, 1);
    EXPECT_TRUE(plain->sgnMOVE == 'M' && plain->nMOVE == 0);
    EXPECT_TRUE(sameQ(plain->qPATH[plain->NPATH], plain->qIPATH[0]));
    for (int i = 0; i < JV; ++i) EXPECT_EQ(plain->qPATH[0][i], 0.0);
}
