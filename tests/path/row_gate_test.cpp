// The row gate: a motion is accepted only when every pose along it is clear (dense sampling of
// the pose judgement is the reference), and a refusal names the shape and what it touched.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

#include "app/auto_solve.h"
#include "collide/physical_model.h"
#include "path/row_gate.h"
#include "support/capture.h"
#include "support/test_scene.h"

namespace {

// Clear, or touching by less than a millimetre (a contact between the gate's poses that deep
// cannot be seen).
bool clear(Scene& s, const double* q, double allowed = 0) {
    PhysicalClearance c;
    physicalClearance(s, q, c);
    double depth = 0;
    return worstContact(c, depth) == Contact::None || (c.limitJoint == 0 && depth <= allowed);
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
