// Whole sessions: for every robot with its default slit and goal, the keys a user would press
// give a complete path that the independent check finds collision-free, and 'C' plays it to the
// goal.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "app/auto_solve.h"
#include "app/keyboard.h"
#include "app/scene.h"
#include "path_check.h"
#include "support/test_scene.h"

TEST(CompletePath, EveryRobotGetsACollisionFreePathAndPlaysItToTheGoal) {
    std::printf("| robot | candidate | trial | rows | 's' presses | B ms | link-wall (row) | link-floor (row) | self |\n");
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
            std::printf("| F%d%d | %d | %c | %d | %d | %.1f | %.3f (%d) | %.3f (%d) | %.3f |\n", lower, upper, r.candidate,
                        r.trial, s->NPATH, r.sKeys, r.millisB, rev.minLinkWall, rev.worstLinkWallRow, rev.minLinkFloor,
                        rev.worstLinkFloorRow, std::min(rev.minSelf, fwd.minSelf));
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
