// Robot choice mode: the digits each position accepts, and the slit and goal of the first
// choice kept by later ones.
#include <gtest/gtest.h>

#include "app/keyboard.h"
#include "support/test_scene.h"

TEST(RobotChoice, FirstChoiceInstallsDefaultsLaterChoiceKeepsThem) {
    auto s = makeSceneWithRobot(3, 2);
    // F32 first (its slit and goal come from the table), then F11 keeps them.
    EXPECT_EQ(s->rwp[0], 0.52);
    EXPECT_EQ(s->rhy1, 1.34 - 0.2);
    EXPECT_EQ(s->sgnCAL, 'A');
    EXPECT_EQ(s->sgnSTART, 1);
    for (unsigned char k : {'F', '1', '1'}) keyboard(*s, k);
    EXPECT_STREQ(s->JRTYPE, " RPPRPRPRW");
    EXPECT_EQ(s->rh[1], 1.34);
    EXPECT_EQ(s->rwG[0], 0.52);
    // After '0' the next choice installs the table again.
    for (unsigned char k : {'0', 'F', '1', '1'}) keyboard(*s, k);
    EXPECT_EQ(s->rh[1], 2.34);
    EXPECT_EQ(s->rwG[1], 3.13);
}

TEST(RobotChoice, AcceptsOnlyTheDigitsOfEachPosition) {
    auto s = makeScene();
    keyboard(*s, 'F');
    EXPECT_EQ(s->sgnCAL, 'F');
    EXPECT_EQ(s->ROBOTNUM[0], ' ');
    keyboard(*s, '5');  // lower structure is 1..4
    keyboard(*s, 'x');
    EXPECT_EQ(s->cntRBT, 0);
    keyboard(*s, '4');
    EXPECT_EQ(s->cntRBT, 1);
    EXPECT_EQ(s->ROBOTNUM[0], '4');
    keyboard(*s, '3');  // upper structure is 1..2
    EXPECT_EQ(s->sgnCAL, 'F');
    EXPECT_EQ(s->cntRBT, 1);
    keyboard(*s, '2');
    EXPECT_EQ(s->sgnCAL, 'A');
    EXPECT_STREQ(s->JRTYPE, " PQQQPRPRW");
    EXPECT_STREQ(s->robotnum, "JTYPE42=\n");
}
