// The robot catalogue: letters and link lengths of every robot.
#include <gtest/gtest.h>

#include <string>

#include "core/scene.h"
#include "support/test_scene.h"

TEST(Catalogue, StartUpBuildsF21WithoutTheDefaultsTable) {
    auto s = makeScene();
    EXPECT_STREQ(s->JRTYPE, " RQPRPRPRW");
    EXPECT_STREQ(s->JTYPEstr, " RQP-RP-RPR\n");
    EXPECT_STREQ(s->robotnum, "JTYPE21=\n");
    // The start-up goal is (2.35, 3.6, 0.1), not the table's 2.36; Mpass itself is that of the
    // first start pose candidate.
    EXPECT_EQ(s->rwG[0], 2.35);
    EXPECT_EQ(s->Mpass0[0], 3);
    EXPECT_EQ(s->sgnOBSTACLE, 1);
}

TEST(Catalogue, LinkLengthsAndZeroLengthDirections) {
    const double L12[10] = {0, 0, 1, 2, 2, 1, 1, 0, 0, 0.4};
    const double L34[10] = {0, 1, 1, 1, 2, 1, 1, 0, 0, 0.4};
    for (int lower = 1; lower <= 4; ++lower)
        for (int upper = 1; upper <= 2; ++upper) {
            auto s = makeSceneWithRobot(lower, upper);
            const double* L = lower <= 2 ? L12 : L34;
            for (int i = 1; i <= 9; ++i) EXPECT_NEAR(s->L[i], L[i], 1e-15) << "F" << lower << upper << " L" << i;
            EXPECT_NEAR(s->Lw, 0.4, 1e-15);  // 7.4 - 7.0
            EXPECT_EQ(s->Jinv, 4);
            EXPECT_EQ(s->Kinv, 5);
            // Every mm0 is a unit vector, including those of the zero-length links.
            for (int i = 1; i <= 9; ++i) {
                double n = s->mm0[i][0] * s->mm0[i][0] + s->mm0[i][1] * s->mm0[i][1] + s->mm0[i][2] * s->mm0[i][2];
                EXPECT_NEAR(n, 1.0, 1e-15) << "mm0 " << i;
            }
        }
    // Lower structures 1 and 2: L[1] = 0 and mm0[1] is the direction of link 2, the base z axis.
    auto s = makeSceneWithRobot(2, 1);
    EXPECT_NEAR(s->mm0[1][2], 1.0, 1e-15);
}
