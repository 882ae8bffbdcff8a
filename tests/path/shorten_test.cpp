// The shortened motion: valid under the independent judge, never longer than the path it comes
// from, the same on every run, and the straight shortcut through the wall is refused.
#include <gtest/gtest.h>

#include <cstring>

#include "app/auto_solve.h"
#include "path/row_gate.h"
#include "path/shorten.h"
#include "path_check.h"
#include "support/test_scene.h"

TEST(Shorten, ValidShorterAndTheSameOnEveryRun) {
    for (int robot : {21, 41}) {
        auto s = makeSceneWithRobot(robot / 10, robot % 10);
        ASSERT_EQ(autoSolve(*s).complete, 1);
        const int n = s->NPATH + 1;
        // The straight motion from the initial pose to the final one goes through the wall.
        ASSERT_NE(gateMotion(*s, s->qPATH[0], s->qPATH[n - 1]).status, GateStatus::Accepted);
        const ShortenReport r = shortenPath(*s, s->qPATH, n);
        ASSERT_GE(s->NSHORT, 1) << "F" << robot;
        EXPECT_GT(r.vertices, 2) << "F" << robot << ": the shortcut through the wall was taken";
        EXPECT_LE(r.lengthAfter, r.lengthBefore) << "F" << robot;
        EXPECT_LE(r.maxStep, kShortStep + 1e-12);
        const PathCheckReport check = checkPath(*s, s->qSHORT, s->NSHORT + 1, s->qInit, s->qAfinal);
        EXPECT_TRUE(check.ok) << "F" << robot << ": " << check.fault;
        // The same path gives the same rows again.
        static double first[NMAX][JV];
        const int rows = s->NSHORT + 1;
        std::memcpy(first, s->qSHORT, sizeof(double) * JV * rows);
        shortenPath(*s, s->qPATH, n);
        ASSERT_EQ(s->NSHORT + 1, rows);
        EXPECT_EQ(std::memcmp(first, s->qSHORT, sizeof(double) * JV * rows), 0) << "F" << robot;
    }
}
