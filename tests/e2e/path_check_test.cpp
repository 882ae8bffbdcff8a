// The independent path check finds the faults it is there to find (its clearances are held against
// the row gate's in tests/path/row_gate_test.cpp, its joint points against the program's forward
// kinematics in tests/model/kinematics_test.cpp, the path file's bad input in solve_cli.sh).
#include <gtest/gtest.h>

#include <cmath>

#include "core/scene.h"
#include "path_check.h"
#include "support/test_scene.h"

namespace {

PathCheckReport checkRows(const Scene& s, const double (*rows)[JV], int n) {
    return checkPath(s, rows, n, nullptr, nullptr);
}

// F41 (defaults): the work box turned into link 4, the hand axis just clear of it (self 0.001).
const double kBoxIntoLink4[JV] = {0, -1.5664, 0, 0, -0.1399, -2.5961, 2.6633, 1.4143, 0.2832};

}  // namespace

TEST(PathCheck, EachRuleFailsThePathThatBreaksIt) {
    auto s = makeScene();  // F21: joint 1 R on the floor, joint 2 Q at z = 1, the work 6.4 above it
    double rows[2][JV] = {};
    // Leaning by joint 2 alone (q2 past 90 degrees) turns the box with the arm: its lowest corner
    // is 1 + 6.4 cos q2 - 0.175 sin q2 + 0.1 cos q2 high. 0.02 under the floor: a fault; 0.0005
    // under: the box rests on the floor.
    for (double under : {0.02, 0.0005}) {
        rows[0][2] = std::acos(-(1 + under) / std::hypot(6.5, 0.175)) - std::atan2(0.175, 6.5);
        const PathCheckReport r = checkRows(*s, rows, 1);
        EXPECT_NEAR(r.least.kind[kWorkFloorClear].clearance, 0.001 - under, 1e-9);
        EXPECT_EQ(r.ok, under < 0.001) << r.fault;
        EXPECT_EQ(r.fault.find("workFloor") != std::string::npos, !r.ok) << r.fault;
    }

    // Leaning at the middle of the slit over the wall: link 4 crosses both faces with its axis in
    // the slit, 0.139 off the slit plane, and its capsule cuts the block edges by the axis' distance
    // to them (the edges are vertical; the lean only stretches the crossing in z).
    const double phi = std::atan2(s->rhy, s->rhx);
    rows[0][1] = phi, rows[0][2] = PI_C / 3;
    const double edge = std::fabs((s->rhx + s->Wslit / 2) * std::sin(phi) - s->rhy2 * std::cos(phi));
    PathCheckReport r = checkRows(*s, rows, 1);
    EXPECT_FALSE(r.ok);
    EXPECT_NEAR(r.least.kind[kWallClear].clearance, edge - 0.1, 1e-6);
    EXPECT_EQ(partName(r.least.kind[kWallClear].shape), "link 4");

    // Sag: the arm leans toward +y in the plane x = 0 (before the left block) and joint 1 turns it
    // by 0.025 across that plane. Each row keeps its work ball 0.0001 off the near face; between
    // them the work swings 6.4 sin q2 (1 - cos 0.0125), about 0.00016, nearer.
    const double q2 = std::asin((s->rhy1 - 0.1 - 0.0001) / (6.4 * std::cos(0.0125)));
    for (int k = 0; k < 2; ++k) {
        rows[k][1] = PI_C / 2 + (k ? 0.0125 : -0.0125), rows[k][2] = q2;
        EXPECT_TRUE(checkRows(*s, &rows[k], 1).ok) << checkRows(*s, &rows[k], 1).fault;
    }
    r = checkRows(*s, rows, 2);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.fault.rfind("between rows 0 and 1: wall", 0), 0u) << r.fault;
    EXPECT_LT(r.least.kind[kWallClear].clearance, -0.00004);

    // The box into a link with every other clearance kept.
    auto f41 = makeSceneWithRobot(4, 1);
    r = checkRows(*f41, &kBoxIntoLink4, 1);
    EXPECT_FALSE(r.ok);
    EXPECT_LT(r.least.kind[kWorkClear].clearance, -0.03);
    EXPECT_EQ(partName(r.least.kind[kWorkClear].touched), "link 4");
    for (int k : {kWallClear, kFloorClear, kWorkFloorClear, kSelfClear, kLimitClear})
        EXPECT_GE(r.least.kind[k].clearance, 0) << clearanceKindName(k);
}

// Both models: a path leaning into the wall, a jump between rows, a wrong end and a floor dive
// fail; a short clean path from the straight pose passes.
TEST(PathCheck, FindsWallFloorStepAndEndFaultsInBothModels) {
    auto s = makeScene();
    static double path[200][JV];
    const int j2 = 3;  // F21: joint 3 turns about x; a negative angle leans the arm towards +y
    for (bool pointModel : {false, true}) {
        SCOPED_TRACE(pointModel ? "point model" : "physical model");
        PathCheckLimits lim;
        lim.pointModel = pointModel;
        for (int k = 0; k < 200; ++k) {
            for (int i = 0; i < JV; ++i) path[k][i] = 0;
            path[k][j2] = -0.008 * k;
        }
        PathCheckReport r = checkPath(*s, path, 200, nullptr, nullptr, lim);
        EXPECT_FALSE(r.ok);
        EXPECT_LT(pointModel ? r.minLinkWall : r.least.kind[kWallClear].clearance, 0);

        for (int k = 0; k < 10; ++k) path[k][j2] = 0.02 * k;
        r = checkPath(*s, path, 10, s->qInit, nullptr, lim);
        EXPECT_TRUE(r.ok) << r.fault;
        path[5][j2] += 0.03;
        EXPECT_FALSE(checkPath(*s, path, 10, nullptr, nullptr, lim).ok);
        path[5][j2] -= 0.03;
        EXPECT_FALSE(checkPath(*s, path, 10, nullptr, s->qInit, lim).ok);
        double dive[2][JV] = {};
        dive[1][j2] = 2.8;  // bent down into the floor, far beyond one append step
        r = checkPath(*s, dive, 2, nullptr, nullptr, lim);
        EXPECT_FALSE(r.ok);
        EXPECT_LT(pointModel ? r.minLinkFloor : r.least.kind[kFloorClear].clearance, 0.0);
    }
}
