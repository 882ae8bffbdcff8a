// Whole sessions: for every robot with its default slit and goal, the keys a user would press
// give a complete path that the independent check finds collision-free, and 'C' plays it to the
// goal.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/auto_solve.h"
#include "app/keyboard.h"
#include "core/scene.h"
#include "app/scene_options.h"
#include "path_check.h"
#include "support/test_scene.h"

TEST(CompletePath, EveryRobotGetsACollisionFreePathAndPlaysItToTheGoal) {
    for (int lower = 1; lower <= 4; ++lower)
        for (int upper = 1; upper <= 2; ++upper) {
            SCOPED_TRACE(testing::Message() << "F" << lower << upper);
            auto s = makeSceneWithRobot(lower, upper);
            const SolveResult r = autoSolve(*s);
            ASSERT_EQ(r.complete, 1) << r.stop;
            ASSERT_EQ(s->sgnPATH, 7);
            const int n = s->NPATH + 1;
            const PathCheckReport rev = checkPath(*s, s->qIPATH, n, s->qAfinal, s->qInit);
            EXPECT_TRUE(rev.ok) << rev.fault;
            // The forward path is the reverse path turned round (smoothed), checked the same way.
            const PathCheckReport fwd = checkPath(*s, s->qPATH, n, s->qInit, s->qAfinal);
            EXPECT_TRUE(fwd.ok) << fwd.fault;
            // Playback: 's' until the goal is reached, within one press per row.
            ASSERT_EQ(s->sgnCAL, 'C');
            int presses = 0;
            while (s->sgnMOVE != 'E' && presses <= n) {
                keyboard(*s, 's');
                ++presses;
            }
            EXPECT_EQ(s->sgnMOVE, 'E');
            EXPECT_EQ(s->nMOVE, s->NPATH);
            for (int i = 1; i <= s->N; ++i) EXPECT_EQ(s->qr[i], s->qPATH[s->NPATH][i]);
        }
}

// Moved scenes whose paths once stopped or grazed the wall band or the self clearance between
// rows: a joint off the slit plane between pass-out poses (F22), the work skimming the far band
// (F41 goal y -0.1), the pass-out going back and forth and a dip between repaired steps (F41 goal
// -0.1, +0.1).
TEST(CompletePath, MovedSlitsAndGoalsGetCollisionFreePaths) {
    struct Case { int lower, upper; double slitDx, goalDx, goalDy; };
    const Case cases[] = {{2, 2, -0.1, 0, 0}, {4, 1, 0, 0, -0.1}, {4, 1, 0, -0.1, 0.1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "F" << c.lower << c.upper << " " << c.slitDx << " " << c.goalDx << " " << c.goalDy);
        auto s = makeSceneWithRobot(c.lower, c.upper);
        Vec3 slit = s->rh, goal = s->rwp;
        slit[0] += c.slitDx;
        goal[0] += c.goalDx;
        goal[1] += c.goalDy;
        std::string err;
        ASSERT_TRUE(moveSlitByKeys(*s, slit, err) && moveGoalByKeys(*s, goal, err)) << err;
        const SolveResult r = autoSolve(*s);
        ASSERT_EQ(r.complete, 1) << r.stop;
        const PathCheckReport rev = checkPath(*s, s->qIPATH, s->NPATH + 1, s->qAfinal, s->qInit);
        EXPECT_TRUE(rev.ok) << rev.fault;
    }
}
