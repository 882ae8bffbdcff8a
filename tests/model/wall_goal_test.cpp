// Wall geometry from the slit point and the reach of the wall; the joint table by the wall.
#include <gtest/gtest.h>

#include <string>

#include "core/scene.h"
#include "model/joint_table.h"
#include "model/wall_goal.h"
#include "support/capture.h"
#include "support/test_scene.h"

TEST(ObstacleReach, FarWallAndLateReach) {
    auto s = makeScene();
    TraceCapture cap(*s);
    s->rh = Vec3{{0, 9.0, 0}};  // farther than links 3..8 can reach
    checkObstacleReach(*s);
    EXPECT_EQ(s->sgnOBSTACLE, 0);
    EXPECT_EQ(s->Mpass, 10);
    EXPECT_NE(cap.text().find("\nsgnOBSTACLE=0 厚壁位置遠すぎる．設定し直し"), std::string::npos);
    // First reached at i = 5 = N-3: still too far.
    s->rh = Vec3{{0, 5.5, 0}};  // sums 2, 4, 5, 6: reached at i = 5
    checkObstacleReach(*s);
    EXPECT_EQ(s->Mpass, 5);
    EXPECT_EQ(s->sgnOBSTACLE, 0);
    // Reached at i = 4 (N-4): reachable.
    s->rh = Vec3{{0, 4.5, 0}};
    checkObstacleReach(*s);
    EXPECT_EQ(s->Mpass, 4);
    EXPECT_EQ(s->sgnOBSTACLE, 1);
}


TEST(ObstacleReach, HeightOfTheSlitPointDoesNotMoveTheFaces) {
    auto s = makeScene();
    double y1 = s->rhy1, y2 = s->rhy2, x = s->rhx;
    s->rh[2] = 1.7;
    setWallGeometry(*s);
    EXPECT_EQ(s->rhy1, y1);
    EXPECT_EQ(s->rhy2, y2);
    EXPECT_EQ(s->rhx, x);
    EXPECT_DOUBLE_EQ(s->rhy1W, y1 - 0.2);
    EXPECT_DOUBLE_EQ(s->rhy2M, y2 + 0.15);
    EXPECT_DOUBLE_EQ(s->rhy1F, y1 - 0.4);
}

TEST(JointTable, StraightPose) {
    auto s = makeScene();
    TraceCapture cap(*s);
    printJointTable(*s, s->qInit);
    std::string t = cap.text();
    // J[7] and J[8] coincide with J[6] and are skipped; the face rule follows J[9]; no far-face rule.
    std::string expect =
        "\n  J[2]= (  0.000  0.000  1.000)"
        "\n  J[3]= (  0.000  0.000  3.000)"
        "\n  J[4]= (  0.000  0.000  5.000)"
        "\n  J[5]= (  0.000  0.000  6.000)"
        "\n  J[6]= (  0.000  0.000  7.000)"
        "\n  J[9]= (  0.000  0.000  7.400)"
        "\n  ------------------------------ rhy1= 2.10 rhy2= 2.50"
        "\n  ===========================================";
    EXPECT_EQ(t.substr(0, expect.size()), expect);
    EXPECT_EQ(t.find("mm[7]"), std::string::npos);
    EXPECT_NE(t.find("\n  mm[9]=(  0.000  0.000  1.000)"), std::string::npos);
}
