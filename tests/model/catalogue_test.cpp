// The robot of the start-up (the links of every robot follow from the straight-pose heights that
// kinematics_test.cpp checks).
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
