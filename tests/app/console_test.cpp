// Console printers: exact formats of the vector printers, the help text and the joint table.
#include <gtest/gtest.h>

#include <string>

#include <unistd.h>

#include "app/console.h"
#include "app/startup.h"
#include "support/capture.h"
#include "support/test_scene.h"

TEST(Console, VectorPrinterFormats) {
    auto s = makeScene();
    TraceCapture cap(*s);
    double v[3] = {1.0, -2.5, 0.123456};
    printVec(*s, 1, 0, v);
    printVec(*s, 0, 2, v);
    printVec4(*s, 0, 1, v);
    printVec5(*s, 2, 2, v);
    EXPECT_EQ(cap.text(), "()(  1.000 -2.500  0.123)( 1.0000 -2.5000)( 0.12346)");
}

TEST(Console, HelpTextOrderAndRobotSummary) {
    auto s = makeScene();
    TraceCapture cap(*s);
    printHelp(*s);
    std::string t = cap.text();
    EXPECT_EQ(t.rfind("\nロボットの障害物回避運動アニメーション\n//--------キーによる操作(1)設定", 0), 0u);
    size_t robot = t.find("\n(F) ロボットの自由度N=8   関節構造 JTYPE21='RQP-RP-RPR'");
    size_t last = t.find("\n//--------------仮の設定------------------------------//");
    ASSERT_NE(robot, std::string::npos);
    ASSERT_NE(last, std::string::npos);
    EXPECT_LT(last, robot);
    EXPECT_NE(t.find("\n(O) 厚壁隙間中心線基点位置 rh[]=(  1.60   2.30   0.00)"), std::string::npos);
    EXPECT_NE(t.find("\n(G) 目標位置　　rwG[]=(  2.35   3.60   0.10)"), std::string::npos);
    const std::string tail = "\n=================描画画面へ==============================\n";
    EXPECT_EQ(t.substr(t.size() - tail.size()), tail);
}

TEST(Console, JointTableOfTheStraightPose) {
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

TEST(Console, WaitKeyCallsTheHookAndReturnsWithoutTerminal) {
    auto s = makeScene();
    static int calls = 0;
    s->waitKey = [](Scene&) { ++calls; };
    waitKey(*s);
    EXPECT_EQ(calls, 1);
    // Under the test runner standard input is not a terminal: the read returns at once.
    if (!isatty(0)) {
        EXPECT_EQ(terminalWaitKey(), -1);
    }
}

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
