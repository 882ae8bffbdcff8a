// The independent path check finds the faults it is there to find (its joint points are checked
// against the program's forward kinematics with the other independent computation, in
// tests/model/kinematics_test.cpp).
#include <gtest/gtest.h>

#include <cmath>

#include "core/scene.h"
#include "model/kinematics.h"
#include "path_check.h"
#include "support/test_scene.h"

TEST(PathCheck, FindsWallFloorStepAndEndFaults) {
    auto s = makeScene();
    static double path[200][JV];
    // A turn of a joint about x by a negative angle leans the arm towards +y.
    int j2 = 2;
    while (s->JRTYPE[j2] != 'P') ++j2;
    const double sign = -1.0;
    for (int k = 0; k < 200; ++k) {
        for (int i = 0; i < JV; ++i) path[k][i] = 0;
        path[k][j2] = sign * 0.008 * k;
    }
    forwardKinematics(*s, path[199]);
    ASSERT_GT(s->J[s->Nw][1], s->rhy2) << "test path must reach past the wall";
    PathCheckReport r = checkPath(*s, path, 200, nullptr, nullptr);
    EXPECT_FALSE(r.ok);
    EXPECT_LT(r.minLinkWall, 0);

    // A clean short path from the straight pose passes; a jump, a wrong end, a floor dive fail.
    for (int k = 0; k < 10; ++k) path[k][j2] = -sign * 0.02 * k;
    r = checkPath(*s, path, 10, s->qInit, nullptr);
    EXPECT_TRUE(r.ok) << r.fault;
    path[5][j2] += 0.03;
    EXPECT_FALSE(checkPath(*s, path, 10, nullptr, nullptr).ok);
    path[5][j2] -= 0.03;
    EXPECT_FALSE(checkPath(*s, path, 10, nullptr, s->qInit).ok);
    double dive[2][JV] = {};
    dive[1][j2] = -sign * 2.8;  // bent down into the floor, far beyond one append step
    r = checkPath(*s, dive, 2, nullptr, nullptr);
    EXPECT_FALSE(r.ok);
    EXPECT_LT(r.minLinkFloor, 0.0);
}
