// Wall geometry from the slit point and the reach of the wall; the joint table by the wall.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "core/scene.h"
#include "model/joint_table.h"
#include "model/wall_goal.h"
#include "support/capture.h"
#include "support/test_scene.h"

TEST(ObstacleReach, FarWallLateReachAndTheFacesOfTheSlitPoint) {
    auto s = makeScene();
    TraceCapture cap(*s);
    // Beyond links 3..8 (sums 2, 4, 5, 6); first reached at i = 5 = N-3: still too far; reached at
    // i = 4 (N-4): reachable.
    for (auto [y, Mpass, obstacle] : {std::tuple<double, int, int>{9.0, 10, 0}, {5.5, 5, 0}, {4.5, 4, 1}}) {
        s->rh = Vec3{{0, y, 0}};
        checkObstacleReach(*s);
        EXPECT_TRUE(s->Mpass == Mpass && s->sgnOBSTACLE == obstacle) << y;
    }
    EXPECT_NE(cap.text().find("\nsgnOBSTACLE=0 厚壁位置遠すぎる．設定し直し"), std::string::npos);
    // The height of the slit point does not move the faces.
    s->rh = Vec3{{1.6, 2.3, 1.7}};
    setWallGeometry(*s);
    EXPECT_TRUE(s->rhy1 == 2.3 - 0.2 && s->rhy2 == 2.3 + 0.2 && s->rhx == 1.6);
    EXPECT_DOUBLE_EQ(s->rhy1W, s->rhy1 - 0.2);
    EXPECT_DOUBLE_EQ(s->rhy2M, s->rhy2 + 0.15);
    EXPECT_DOUBLE_EQ(s->rhy1F, s->rhy1 - 0.4);
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
