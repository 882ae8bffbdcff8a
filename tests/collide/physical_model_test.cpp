// The sweep bound against the motion of every point that forward kinematics gives along a
// straight joint move (the distances are held against the path check's in row_gate_test.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "collide/physical_model.h"
#include "model/kinematics.h"
#include "support/test_scene.h"

TEST(PhysicalModel, SweepBoundCoversEveryPointOfArmAndBox) {
    std::mt19937 g(11);
    std::uniform_real_distribution<double> q(-2.5, 2.5), dq(-0.3, 0.3);
    for (int robot : {11, 21, 32, 41}) {
        auto s = makeSceneWithRobot(robot / 10, robot % 10);
        for (int n = 0; n < 200; ++n) {
            double q0[JV] = {}, d[JV] = {};
            for (int i = 1; i <= s->N; ++i) q0[i] = q(g), d[i] = dq(g);
            // The joint points and the eight box corners, at the start and along the move.
            auto points = [&](const double* qq, Vec3* P) {
                forwardKinematics(*s, qq);
                for (int j = 0; j <= s->Nw; ++j) P[j] = s->J[j];
                for (int c = 0; c < 8; ++c)
                    for (int r = 0; r < 3; ++r) {
                        double v = s->rw[r];
                        for (int k = 0; k < 3; ++k) {
                            const double h = k < 2 ? kWorkHalf[k] : s->Hwork / 2;
                            v += s->Ew(r, k) * ((c >> k) & 1 ? h : -h);
                        }
                        P[s->Nw + 1 + c][r] = v;
                    }
            };
            Vec3 P0[JV + 8], P[JV + 8];
            points(q0, P0);
            // Per point, the shape whose bound must cover it: joint j ends link j (the base none),
            // the work point and the box corners belong to the box.
            double bound[JV + 2];
            shapeSweepBounds(*s, d, bound);
            double moved[JV + 8] = {};
            for (int t = 1; t <= 50; ++t) {
                double qt[JV] = {};
                for (int i = 1; i <= s->N; ++i) qt[i] = q0[i] + d[i] * t / 50;
                points(qt, P);
                for (int j = 0; j <= s->Nw + 8; ++j)
                    moved[j] = std::max(moved[j], std::hypot(P[j][0] - P0[j][0], std::hypot(P[j][1] - P0[j][1], P[j][2] - P0[j][2])));
            }
            for (int j = 1; j <= s->Nw + 8; ++j) {
                const double b = j <= s->N ? bound[j] : bound[s->Nw + 1];
                EXPECT_LE(moved[j], b + 1e-12) << "robot F" << robot << " point " << j;
            }
        }
    }
}
