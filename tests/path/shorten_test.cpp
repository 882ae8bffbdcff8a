// The shortened motion: valid under the independent judge, never longer than the path it comes
// from, the same on every run, and the straight shortcut through the wall is refused.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/auto_solve.h"
#include "app/keyboard.h"
#include "app/status_text.h"
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

TEST(Shorten, KeyHPlaysTheShortenedMotionAndCTheForwardPath) {
    auto s = makeSceneWithRobot(3, 1);
    ASSERT_EQ(autoSolve(*s).complete, 1);
    auto title = [&] {
        const StatusText st = chooseStatusLines(*s);
        for (int k = 0; k < st.n; ++k)
            if (std::strstr(st.line[k].text, "(C)")) return std::string(st.line[k].text);
        return std::string();
    };
    keyboard(*s, 'H');
    ASSERT_EQ(s->sgnPlayShort, 1);
    EXPECT_NE(title().find("Shortened"), std::string::npos) << title();
    int presses = 0;
    for (; s->sgnMOVE != 'E' && presses <= NMAX; ++presses) keyboard(*s, 's');
    EXPECT_EQ(presses, s->NSHORT);  // one row a step
    EXPECT_EQ(std::memcmp(s->qr, s->qSHORT[s->NSHORT], sizeof s->qr), 0);
    keyboard(*s, 'S');
    EXPECT_EQ(s->nMOVE, s->NSHORT - 1);
    keyboard(*s, 'C');
    EXPECT_EQ(s->sgnPlayShort, 0);
    EXPECT_EQ(title().find("Shortened"), std::string::npos) << title();
}
