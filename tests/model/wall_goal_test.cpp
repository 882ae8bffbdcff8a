// Wall geometry from the slit point and the reach of the wall.
#include <gtest/gtest.h>

#include <tuple>

#include "core/scene.h"
#include "model/wall_goal.h"
#include "support/test_scene.h"

TEST(ObstacleReach, FarWallLateReachAndTheFacesOfTheSlitPoint) {
    auto s = makeScene();
    // Beyond links 3..8 (sums 2, 4, 5, 6); first reached at i = 5 = N-3: still too far; reached at
    // i = 4 (N-4): reachable.
    for (auto [y, Mpass, obstacle] : {std::tuple<double, int, int>{9.0, 10, 0}, {5.5, 5, 0}, {4.5, 4, 1}}) {
        s->rh = Vec3{{0, y, 0}};
        checkObstacleReach(*s);
        EXPECT_EQ(s->Mpass, Mpass) << y;
        EXPECT_EQ(s->sgnOBSTACLE, obstacle) << y;
    }
    // The height of the slit point does not move the faces.
    s->rh = Vec3{{1.6, 2.3, 1.7}};
    setWallGeometry(*s);
    EXPECT_EQ(s->rhy1, 2.3 - 0.2);
    EXPECT_EQ(s->rhy2, 2.3 + 0.2);
    EXPECT_EQ(s->rhx, 1.6);
    EXPECT_DOUBLE_EQ(s->rhy1W, s->rhy1 - 0.2);
    EXPECT_DOUBLE_EQ(s->rhy2M, s->rhy2 + 0.15);
    EXPECT_DOUBLE_EQ(s->rhy1F, s->rhy1 - 0.4);
}
