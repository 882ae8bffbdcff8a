// The row gate: a motion is accepted only when every pose along it is clear (dense sampling of
// the pose judgement is the reference), and a refusal names the shape and what it touched.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

#include "app/auto_solve.h"
#include "app/keyboard.h"
#include "collide/physical_model.h"
#include "path/last_motion.h"
#include "path/row_gate.h"
#include "path_check.h"
#include "support/capture.h"
#include "support/test_scene.h"

namespace {

// Clear, or touching by less than a millimetre (a contact between the gate's poses that deep
// cannot be seen).
bool clear(Scene& s, const double* q, double allowed = 0) {
    ShapeClearance c;
    physicalClearance(s, q, c);
    double depth = 0;
    return worstContact(c, depth) == ShapeContact::None || (c.limitJoint == 0 && depth <= allowed);
}

}  // namespace

TEST(RowGate, AcceptsExactlyTheMotionsThatStayClear) {
    // Motions from the rows of a solved path (most near the wall) by random joint changes.
    std::mt19937 g(3);
    std::uniform_real_distribution<double> dq(-0.15, 0.15);
    int refusedBetween = 0;
    for (int robot : {21, 41}) {
        auto s = makeSceneWithRobot(robot / 10, robot % 10);
        ASSERT_EQ(autoSolve(*s).complete, true);
        for (int n = 0; n < 400; ++n) {
            // Half of them by a random change, half straight to a row further on: both ends
            // clear, and the straight line between them may cut the wall or the arm.
            const int k = (n * 7) % (s->NPATH + 1);
            const double* q0 = s->qIPATH[k];
            double q1[JV] = {};
            for (int i = 1; i <= s->N; ++i)
                q1[i] = n % 2 ? q0[i] + dq(g) : s->qIPATH[std::min(k + 40, s->NPATH)][i];
            // 'R' joints move the short way round.
            double d[JV] = {};
            for (int i = 1; i <= s->N; ++i)
                d[i] = s->JRTYPE[i] == 'R' ? std::remainder(q1[i] - q0[i], 2 * M_PI) : q1[i] - q0[i];
            bool allClear = true;
            for (int t = 0; t <= 1000 && allClear; ++t) {
                double qt[JV] = {};
                for (int i = 1; i <= s->N; ++i) qt[i] = q0[i] + d[i] * t / 1000;
                allClear = clear(*s, qt, 0.001);
            }
            const bool accepted = gateMotion(*s, q0, q1).status == GateStatus::Accepted;
            if (!allClear) {
                EXPECT_FALSE(accepted) << "robot F" << robot << " motion " << n;
            }
            if (!accepted && clear(*s, q0) && clear(*s, q1) && ++refusedBetween == 1) {
                // The refusal is traced in one line naming the shape and the depth.
                TraceCapture cap(*s);
                EXPECT_LT(gateRow(*s, q0, q1), 0);
                const std::string text = cap.text();
                EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
                EXPECT_NE(text.find("行ゲート"), std::string::npos) << text;
            }
        }
    }
    EXPECT_GT(refusedBetween, 0) << "no motion with clear ends was refused between them";
}

TEST(RowGate, AgreesWithTheIndependentJudge) {
    // Random poses, and poses near the rows of each robot's solved path (near contact with the
    // wall, the floor and the arm): every clearance the gate computes matches the judge's, which
    // is computed with its own kinematics and a collision library.
    std::mt19937 g(5);
    std::uniform_real_distribution<double> wide(-2.8, 2.8), near(-0.02, 0.02);
    for (int robot : {11, 12, 21, 22, 31, 32, 41, 42}) {
        auto s = makeSceneWithRobot(robot / 10, robot % 10);
        ASSERT_EQ(autoSolve(*s).complete, 1);
        int contacts = 0;
        for (int n = 0; n < 600; ++n) {
            double q[JV] = {};
            const double* row = s->qIPATH[(n * 13) % (s->NPATH + 1)];
            for (int i = 1; i <= s->N; ++i) q[i] = n % 2 ? wide(g) : row[i] + near(g);
            ShapeClearance mine;
            physicalClearance(*s, q, mine);
            const PhysicalClearance theirs = judgePose(*s, q);
            const double a[5] = {mine.wall, mine.floor, mine.workFloor, mine.work, mine.self};
            const int kinds[5] = {kWallClear, kFloorClear, kWorkFloorClear, kWorkClear, kSelfClear};
            for (int k = 0; k < 5; ++k) {
                const double b = theirs.kind[kinds[k]].clearance;
                // Inside a block or the box the gate stops at the capsule's radius (the axis
                // touches); the judge measures the depth: both say contact.
                if (a[k] < 0 || b < 0) {
                    ++contacts;
                    EXPECT_LT(a[k], 1e-6) << "F" << robot << " pose " << n << " kind " << k << ": " << a[k] << " vs " << b;
                    EXPECT_LT(b, 1e-6) << "F" << robot << " pose " << n << " kind " << k << ": " << a[k] << " vs " << b;
                    if (a[k] > -0.099) {
                        EXPECT_NEAR(a[k], b, 1e-6) << "F" << robot << " pose " << n << " kind " << k;
                    }
                } else {
                    EXPECT_NEAR(a[k], b, 1e-6) << "F" << robot << " pose " << n << " kind " << k;
                }
            }
        }
        EXPECT_GT(contacts, 0) << "F" << robot << ": no pose in contact";
    }
}

TEST(RowGate, LastMotionThroughTheWallGivesWayToTheJointSpaceReturn) {
    // From the final pose, reaching through the slit, the straight motion to the upright pose
    // cuts the wall: nothing is appended and phase 5 returns by checked joint steps instead.
    auto s = makeSceneWithRobot(2, 1);
    ASSERT_TRUE(startPathByKeys(*s));
    for (int i = 0; i < JV; ++i) s->qr[i] = s->qIPATH[0][i];
    TraceCapture cap(*s);
    calBLASTMOTION(*s);
    EXPECT_EQ(s->NPATH, 0);
    EXPECT_EQ(s->sgnPATH, 5);
    EXPECT_EQ(s->sgnJointReturn, 1);
    EXPECT_EQ(s->sgnPATHEnd, 0);
    EXPECT_NE(cap.text().find("行ゲート"), std::string::npos);
}

TEST(RowGate, AnAcceptedMotionIsJudgedAgainAfterTheSlitMoves) {
    auto s = makeSceneWithRobot(2, 1);
    ASSERT_EQ(autoSolve(*s).complete, 1);
    double a[JV], b[JV];
    for (int i = 0; i < JV; ++i) a[i] = s->qIPATH[60][i], b[i] = s->qIPATH[61][i];
    ASSERT_EQ(gateRow(*s, a, b), 0);
    // The arm reaches through the slit there: with the slit 0.2 to the side it is in the wall.
    keyboard(*s, 'O');
    for (int k = 0; k < 20; ++k) keyboard(*s, '1');
    EXPECT_EQ(gateRow(*s, a, b), -1);
}

TEST(RowGate, RefusesAContactBetweenTheFirstProbesOfAMotion) {
    // Motions through a pose in contact at t = 1/16 whose ends and eighths (the poses the gate
    // probes first) are all clear: only the halving of the stretches can find the contact.
    std::mt19937 g(9);
    std::uniform_real_distribution<double> near(-0.1, 0.1), dq(-1.0, 1.0);
    auto s = makeSceneWithRobot(2, 1);
    ASSERT_EQ(autoSolve(*s).complete, 1);
    int found = 0;
    for (int n = 0; n < 100000 && found < 5; ++n) {
        double qc[JV] = {}, d[JV] = {}, q[9][JV] = {};
        const double* row = s->qIPATH[(n * 13) % (s->NPATH + 1)];
        for (int i = 1; i <= s->N; ++i) qc[i] = row[i] + near(g), d[i] = dq(g);
        if (clear(*s, qc, 0.001)) continue;
        bool probesClear = true;
        for (int k = 0; k <= 8 && probesClear; ++k) {
            for (int i = 1; i <= s->N; ++i) q[k][i] = qc[i] + d[i] * (k / 8.0 - 1.0 / 16);
            probesClear = clear(*s, q[k]);
        }
        if (!probesClear) continue;
        ++found;
        EXPECT_NE(gateMotion(*s, q[0], q[8]).status, GateStatus::Accepted) << "motion " << n;
    }
    EXPECT_GE(found, 5);
}
