// Forward kinematics against the path check's independent product-of-rotations computation on
// the catalogue written out here, and the sorting of joints by the wall faces.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "core/scene.h"
#include "model/kinematics.h"
#include "path_check.h"
#include "support/test_scene.h"

TEST(ForwardKinematics, AgreesWithIndependentRotationsForEveryRobot) {
    std::mt19937_64 rng(12345);
    std::uniform_real_distribution<double> angle(-4.0, 4.0);
    static const char* lowL[4] = {"RPP", "RQP", "PQP", "PQQ"};
    static const char* upL[2] = {"RP", "QP"};
    for (int lower = 1; lower <= 4; ++lower) {
        for (int upper = 1; upper <= 2; ++upper) {
            auto s = makeSceneWithRobot(lower, upper);
            // The catalogue: joint letters and straight-pose heights (base, joints 1..8, work).
            const std::string letters = std::string(lowL[lower - 1]) + upL[upper - 1] + "RPR";
            ASSERT_EQ(std::string(s->JRTYPE + 1, 8), letters);
            const double z[10] = {0, lower >= 3 ? 1.0 : 0.0, lower >= 3 ? 2.0 : 1.0, 3, 5, 6, 7, 7, 7, 7.4};
            for (int i = 0; i <= 9; ++i)
                for (int k = 0; k < 3; ++k) ASSERT_EQ(s->Jstraight[i][k], k == 2 ? z[i] : 0) << i << " " << k;
            for (int trial = 0; trial < 1500; ++trial) {
                double q[JV] = {};
                for (int i = 1; i <= 8; ++i) q[i] = angle(rng);
                forwardKinematics(*s, q);
                Vec3 P[JV];
                Mat3 F[JV];
                independentJointPoints(*s, q, P, F);
                for (int i = 0; i <= 9; ++i) {
                    // Straight-pose frame of joint i: its z column is the joint axis. EJ[9] is the work frame.
                    const char L = i >= 1 && i <= 8 ? letters[i - 1] : 'R';
                    const int zc = L == 'P' ? 0 : L == 'Q' ? 1 : 2;
                    for (int k = 0; k < 3; ++k) {
                        ASSERT_NEAR(s->J[i][k], P[i][k], 1e-9) << "F" << lower << upper << " J" << i;
                        for (int c = 0; c < 3; ++c)
                            ASSERT_NEAR(s->EJ[i](k, c), F[i](k, (c + zc + 1) % 3), 1e-12) << "EJ" << i;
                        // The axis of each joint is the z column of its frame before its rotation.
                        if (i >= 1 && i <= 8) {
                            ASSERT_NEAR(s->EA[i](k, 2), F[i - 1](k, zc), 1e-12) << "EA" << i;
                        }
                    }
                }
                for (int k = 0; k < 3; ++k) ASSERT_EQ(s->rw[k], s->J[9][k]);
                // Link directions point from joint to joint where the link has length.
                for (int i = 1; i <= 9; ++i) {
                    if (s->L[i] < 1e-6) continue;
                    for (int k = 0; k < 3; ++k) ASSERT_NEAR(s->mm[i][k], (P[i][k] - P[i - 1][k]) / s->L[i], 1e-12);
                }
            }
        }
    }
}

TEST(ClassifyJointsByWall, FaceRulesAndRuns) {
    auto s = makeScene();  // F21: J1 at origin, J2 (0,0,1), J3 (0,0,3) straight
    double q[JV] = {};
    q[3] = -PI_C / 2;  // joint 3 is 'P' (axis world x): the arm from J3 on leans along +y
    forwardKinematics(*s, q);
    const double y4 = s->J[4][1], y5 = s->J[5][1];
    ASSERT_GT(y4, 1.0);
    ASSERT_GT(y5, y4);
    // Near face exactly on J4: J4 is before the wall; far face exactly on J5: beyond it. A thicker
    // wall: J5 inside. Joint 1 already past the near face still reports Mp = 1.
    const struct {
        double rhy1, rhy2;
        int Mp, Mw, n, first;
    } cases[] = {{y4, y5, 4, 5, 0, 0}, {y4, y5 + 0.5, 4, 6, 1, 5}, {-1.0, 100.0, 1, 10, 8, 2}};
    for (const auto& c : cases) {
        s->rhy1 = c.rhy1, s->rhy2 = c.rhy2;
        int Mp = 0, Mw = 0, in[JV] = {};
        const int n = classifyJointsByWall(*s, q, &Mp, in, &Mw);
        SCOPED_TRACE(testing::Message() << "faces " << c.rhy1 << " " << c.rhy2);
        EXPECT_EQ(Mp, c.Mp);
        EXPECT_EQ(Mw, c.Mw);
        EXPECT_EQ(n, c.n);
        EXPECT_TRUE(n == 0 || in[0] == c.first) << in[0];
    }
}
