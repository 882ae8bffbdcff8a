// The independent path check finds the faults it is there to find, and its FCL distances agree
// with a computation by hand (its joint points are checked against the program's forward
// kinematics in tests/model/kinematics_test.cpp; the path file's bad input in solve_cli.sh).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "core/scene.h"
#include "path_check.h"
#include "support/test_scene.h"

namespace {

// Distance from p to the box of centre c, axes the columns of E, half sizes h.
double pointBox(const Vec3& p, const Vec3& c, const Mat3& E, const double* h) {
    double d2 = 0;
    for (int a = 0; a < 3; ++a) {
        const double u = E(0, a) * (p[0] - c[0]) + E(1, a) * (p[1] - c[1]) + E(2, a) * (p[2] - c[2]);
        const double out = std::max(0.0, std::fabs(u) - h[a]);
        d2 += out * out;
    }
    return std::sqrt(d2);
}

// Distance from segment a-b to that box: convex along the segment, so golden-section search.
double segmentBox(const Vec3& a, const Vec3& b, const Vec3& c, const Mat3& E, const double* h) {
    auto f = [&](double t) {
        const Vec3 p{{a[0] + t * (b[0] - a[0]), a[1] + t * (b[1] - a[1]), a[2] + t * (b[2] - a[2])}};
        return pointBox(p, c, E, h);
    };
    double lo = 0, hi = 1;
    for (int it = 0; it < 120; ++it) {
        const double m1 = lo + 0.382 * (hi - lo), m2 = hi - 0.382 * (hi - lo);
        if (f(m1) < f(m2))
            hi = m2;
        else
            lo = m1;
    }
    return std::min({f(0), f(1), f(lo)});
}

// Wall and work clearances of q by the definitions: capsules of radius 0.1 around links 1..N and
// the hand (to the middle of the box's top face), the work as a ball at the wall.
void byHand(const Scene& s, const double* q, double& wall, double& work) {
    Vec3 P[JV], end;
    Mat3 F[JV];
    independentJointPoints(s, q, P, F);
    const Mat3& W = F[s.Nw];
    const Vec3& rw = P[s.Nw];
    for (int k = 0; k < 3; ++k) end[k] = rw[k] - W(k, 2) * s.Hwork / 2;
    const Mat3 I = {{1, 0, 0, 0, 1, 0, 0, 0, 1}};
    const double wallHalf[3] = {2.0, (s.rhy2 - s.rhy1) / 2, 3.75}, boxHalf[3] = {0.175, 0.15, s.Hwork / 2};
    wall = work = 1e9;
    for (double side : {-1.0, 1.0}) {
        const Vec3 c{{s.rhx + side * (s.Wslit / 2 + 2.0), (s.rhy1 + s.rhy2) / 2, s.rh[2] + 3.75}};
        wall = std::min(wall, pointBox(rw, c, I, wallHalf) - 0.1);
        for (int k = 1; k <= s.N + 1; ++k)
            wall = std::min(wall, segmentBox(P[k - 1], k <= s.N ? P[k] : end, c, I, wallHalf) - 0.1);
    }
    for (int k = 1; k <= s.N; ++k) work = std::min(work, segmentBox(P[k - 1], P[k], rw, W, boxHalf) - 0.1);
}

PathCheckReport checkRows(const Scene& s, const double (*rows)[JV], int n) {
    return checkPath(s, rows, n, nullptr, nullptr);
}

// F41 (defaults): the work box turned into link 4, the hand axis just clear of it (self 0.001).
const double kBoxIntoLink4[JV] = {0, -1.5664, 0, 0, -0.1399, -2.5961, 2.6633, 1.4143, 0.2832};

}  // namespace

TEST(PathCheck, FclClearancesMatchTheDefinitionsByHand) {
    // Poses scattered around a box against a link (F41) and an arm leaning through the slit
    // (F21): contacts of every kind, clear and overlapping.
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> jitter(-0.25, 0.25);
    int clear = 0, overlapping = 0;
    for (int robot : {41, 21}) {
        auto s = makeSceneWithRobot(robot / 10, robot % 10);
        double base[JV] = {0, std::atan2(s->rhy, s->rhx), 1.05, 0, 0, 0, 0, -1.0, 0};
        if (robot == 41) std::copy(kBoxIntoLink4, kBoxIntoLink4 + JV, base);
        for (int trial = 0; trial < 300; ++trial) {
            double q[JV] = {};
            for (int i = 1; i <= s->N; ++i) q[i] = base[i] + jitter(rng);
            double want[2];
            byHand(*s, q, want[0], want[1]);
            const PhysicalClearance c = judgePose(*s, q);
            const double got[2] = {c.kind[kWallClear].clearance, c.kind[kWorkClear].clearance};
            for (int k = 0; k < 2; ++k) {
                // A segment outside a box: the signed capsule distance is the segment's less 0.1.
                if (want[k] > -0.0999) {
                    EXPECT_NEAR(got[k], want[k], 1e-6) << "F" << robot << " trial " << trial << " kind " << k;
                    (want[k] >= 0 ? clear : overlapping)++;
                } else {
                    EXPECT_LT(got[k], -0.0999);
                }
            }
        }
    }
    EXPECT_GT(clear, 400);
    EXPECT_GT(overlapping, 200);
}

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
