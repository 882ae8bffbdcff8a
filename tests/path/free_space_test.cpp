// Free-space phases: the straight mode's steps and relaxation, and phases 3 and 5 from a folded
// pose in front of the wall on every robot, every appended row rechecked by forward kinematics.
#include <gtest/gtest.h>

#include <cmath>

#include "core/scene.h"
#include "model/wall_goal.h"
#include "model/kinematics.h"
#include "path/free_space.h"
#include "path/last_motion.h"
#include "support/test_scene.h"

namespace {

// Starts phase `phase` of the B-calculation from pose q (row 0 of a fresh record).
void enterPhase(Scene& s, const double* q, int phase) {
    s.sgnCAL = 'B';
    s.sgnPATH = phase;
    s.sgnMColl = 1;
    s.sgnSOLAEnd = 1;
    s.sgnNMAX = 'U';
    s.NPATH = 0;
    s.sgnLinearMotion = s.sgnCollAvoidMotion = 0;
    for (int i = 0; i < JV; ++i) s.qr[i] = s.qIPATH[0][i] = q[i];
    double y = 0;
    calJntNearWall(s, q, s.MNearWall, y);
}

double wristDistance(Scene& s, const double* q) {
    forwardKinematics(s, q);
    double d = 0;
    for (int k = 0; k < 3; ++k) d += std::pow(s.J[s.N - 1][k] - s.Jstraight[s.N - 1][k], 2);
    return std::sqrt(d);
}

// Every joint 2..Nw of q in front of the near margin plane and above the floor margin.
bool poseClear(Scene& s, const double* q, double yMax) {
    forwardKinematics(s, q);
    for (int j = 2; j <= s.Nw; ++j)
        if (!(s.J[j][1] < yMax && s.J[j][2] > Margin)) return false;
    return true;
}

}  // namespace

TEST(FreeSpace, StraightModeStepsAndRelaxation) {
    auto s = makeSceneWithRobot(3, 2);
    // Elbow joint 5 bent so that the wrist is 0.25 from its initial position; wrist rolls 6 and 8
    // (they do not move the wrist point) at 0.055 and 0.07.
    double q[JV] = {};
    q[5] = 2 * std::asin(0.125);
    q[6] = 0.055;
    q[8] = 0.07;
    ASSERT_NEAR(wristDistance(*s, q), 0.25, 1e-9);
    enterPhase(*s, q, 5);
    calBFREESPACE2(*s);
    EXPECT_EQ(s->sgnLinearMotion, 1);
    EXPECT_EQ(s->sgnCollAvoidMotion, 0);
    EXPECT_NEAR(wristDistance(*s, s->qr), 0.125, 1e-6);
    EXPECT_EQ(s->qr[6], 0.0);
    EXPECT_NEAR(s->qr[8], 0.02, 1e-12);
    EXPECT_EQ(s->sgnPATH, 6);  // within a third of the work's length: the last motion follows
}

// Folded near the wall: the 'P' joints of the lower arm lean towards the wall (scaled so that
// the farthest joint is 0.35 in front of the near face) and joint 5 folds the wrist down.
static void nearWallPose(Scene& s, double* q) {
    double lo = 0, hi = 3;
    for (int it = 0; it < 40; ++it) {
        const double lam = (lo + hi) / 2;
        for (int i = 0; i < JV; ++i) q[i] = 0;
        for (int k = 1; k <= 3; ++k)
            if (s.JRTYPE[k] == 'P') q[k] = -lam * 0.3 * k;
        q[5] = 1.8;
        (poseClear(s, q, s.rhy1 - 0.35) ? lo : hi) = lam;
    }
    for (int k = 1; k <= 3; ++k)
        if (s.JRTYPE[k] == 'P') q[k] = -lo * 0.3 * k;
}

// Folded away from the wall (out of height order), also leaning towards it, or with the near face
// just behind the folded arm (the text's correction is stuck there, the joint-space return brings
// the arm up along the wall): phases 3 and 5, then the closing motion, keep every row clear.
TEST(FreeSpace, FoldedArmReturnsClearOnEveryRobot) {
    for (int lower = 1; lower <= 4; ++lower)
        for (int upper = 1; upper <= 2; ++upper)
            for (int how = 0; how <= 2; ++how) {
                SCOPED_TRACE(testing::Message() << "F" << lower << upper << " case " << how);
                auto s = makeSceneWithRobot(lower, upper);
                double q[JV] = {};
                q[2] = 0.8;
                q[3] = 1.2;
                if (how == 1) nearWallPose(*s, q);
                if (how == 2) {
                    forwardKinematics(*s, q);
                    double yMax = -1e9;
                    for (int j = 2; j <= s->Nw; ++j) yMax = std::fmax(yMax, s->J[j][1]);
                    s->rh[1] = yMax + MarginW + 0.02 + s->Dwall / 2;
                    setWallGeometry(*s);
                }
                ASSERT_TRUE(poseClear(*s, q, how == 2 ? s->rhy1W : s->rhy1 - 0.3));
                enterPhase(*s, q, 3);
                calBFREESPACE1(*s);
                int presses = 1;
                for (; s->sgnPATH == 5 && s->sgnMColl == 1 && presses < 300; ++presses) calBFREESPACE2(*s);
                ASSERT_EQ(s->sgnPATH, 6);
                EXPECT_LT(presses, 100);
                calBLASTMOTION(*s);
                EXPECT_EQ(s->sgnPATHEnd, 1);
                for (int r = 0; r <= s->NPATH; ++r) ASSERT_TRUE(poseClear(*s, s->qIPATH[r], s->rhy1M)) << r;
            }
}
