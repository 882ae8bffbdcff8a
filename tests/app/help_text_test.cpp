// The start-up help: its lines in order and the robot summary.
#include <gtest/gtest.h>

#include <string>

#include "app/help_text.h"
#include "support/capture.h"
#include "support/test_scene.h"

TEST(HelpText, OrderAndRobotSummary) {
    auto s = makeScene();
    TraceCapture cap(*s);
    printHelp(*s);
    std::string t = cap.text();
    EXPECT_EQ(t.rfind("\nロボットの障害物回避運動アニメーション\n//--------キーによる操作(1)設定", 0), 0u);
    size_t robot = t.find("\n(F) ロボットの自由度N=8   関節構造 JTYPE21='RQP-RP-RPR'");
    size_t last = t.find("\n//--------------仮の設定------------------------------//");
    ASSERT_TRUE(robot != std::string::npos && last != std::string::npos);
    EXPECT_LT(last, robot);
    EXPECT_NE(t.find("\n(O) 厚壁隙間中心線基点位置 rh[]=(  1.60   2.30   0.00)"), std::string::npos);
    EXPECT_NE(t.find("\n(G) 目標位置　　rwG[]=(  2.35   3.60   0.10)"), std::string::npos);
    const std::string tail = "\n=================描画画面へ==============================\n";
    EXPECT_EQ(t.substr(t.size() - tail.size()), tail);
}
