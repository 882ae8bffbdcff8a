// Whole sessions: the keys a user would press give a complete path that the independent check
// finds collision-free as drawn, reverse and forward, and 'C' plays it to the goal: every robot's
// default scene, and moved scenes whose paths once grazed the wall band or the arm between rows.
#include <gtest/gtest.h>

#include <string>

#include "app/auto_solve.h"
#include "app/keyboard.h"
#include "app/scene_options.h"
#include "core/scene.h"
#include "path_check.h"
#include "support/test_scene.h"

TEST(CompletePath, DefaultAndMovedScenesGetCollisionFreePathsPlayedToTheGoal) {
    struct Case { int robot; double slitDx, goalDx, goalDy; };
    const Case cases[] = {{11, 0, 0, 0}, {12, 0, 0, 0}, {21, 0, 0, 0},  {22, 0, 0, 0},    {31, 0, 0, 0},
                          {32, 0, 0, 0}, {41, 0, 0, 0}, {42, 0, 0, 0}, {22, -0.1, 0, 0}, {41, 0, 0, -0.1},
                          {41, 0, -0.1, 0.1}, {11, -0.1, -0.1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "F" << c.robot << " " << c.slitDx << " " << c.goalDx << " " << c.goalDy);
        auto s = makeSceneWithRobot(c.robot / 10, c.robot % 10);
        Vec3 slit = s->rh, goal = s->rwp;
        slit[0] += c.slitDx, goal[0] += c.goalDx, goal[1] += c.goalDy;
        std::string err;
        ASSERT_TRUE(moveSlitByKeys(*s, slit, err)) << err;
        ASSERT_TRUE(moveGoalByKeys(*s, goal, err)) << err;
        const SolveResult r = autoSolve(*s);
        ASSERT_EQ(r.complete, 1) << r.stop;
        ASSERT_EQ(s->sgnPATH, 7) << r.stop;
        const int n = s->NPATH + 1;
        const PathCheckReport rev = checkPath(*s, s->qIPATH, n, s->qAfinal, s->qInit);
        EXPECT_TRUE(rev.ok) << rev.fault;
        // The forward path is the reverse path turned round (smoothed), checked the same way.
        const PathCheckReport fwd = checkPath(*s, s->qPATH, n, s->qInit, s->qAfinal);
        EXPECT_TRUE(fwd.ok) << fwd.fault;
        // Playback: 's' until the goal is reached, within one press per row.
        ASSERT_EQ(s->sgnCAL, 'C');
        for (int presses = 0; s->sgnMOVE != 'E' && presses <= n; ++presses) keyboard(*s, 's');
        EXPECT_EQ(s->sgnMOVE, 'E');
        EXPECT_EQ(s->nMOVE, s->NPATH);
        EXPECT_EQ(s->qr[1], s->qPATH[s->NPATH][1]);
    }
}
