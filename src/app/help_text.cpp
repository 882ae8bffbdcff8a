#include "app/help_text.h"

#include "core/console.h"
#include "model/catalogue.h"

namespace {

// Indexed by HelpLine.
const char* const kLines[] = {
    "\nロボットの障害物回避運動アニメーション",
    "\n//--------キーによる操作(1)設定-----------------------//",
    "\n'F'：ロボットの選択：4×2種から選択",
    "\n'O'：厚壁隙間の基点位置設定：壁は垂直でX軸方向に広がっている",
    "\n     (1,4),(2,5),(3,6)キーで±X,±Y,±Z方向へ移動させる．",
    "\n//--------キーによる操作(2)計算-----------------------//",
    "\n'A'：壁隙間通り抜け・位置決めを満たす最終解を得る計算",
    "\n     'a','b'キーで目標位置決め・隙間通り抜け計算→この繰り返しで最終解を得る．",
    "\n　　 ワークの目標位置設定はここで行う．姿勢はワークを上から置くように指定．不変",
    "\n     (1,4),(2,5)キーで±X,±Y方向へ移動させる．Z不変",
    "\n'B'：最終解から初期ポーズまでの経路逆生成",
    "\n    's'キーで1刻みずつ進行",
    "\n'N'：自動解法：A,Bのキー計算→最終解がなければ数値解の最終ポーズ→経路がなければ経路探索",
    "\n     (サンプリング法) 経路が得られたら'C'の運動へ：'s'キーで進行",
    "\n'C'：解を得た後，初期ポーズから目標までの運動アニメーション",
    "\n    's'キーで1刻みずつ進行",
    "\n'H'：解を得た後，短縮した運動(直線化・角の丸め)のアニメーション 's','S'キーで進行",
    "\n//-------キーによる操作(3)画面の移動------------------//",
    "\n'P','p','Q','q','R','r'：X,Y,Z各軸回り座標系正逆回転",
    "\n'X','x','Y','y','Z','z'：X,Y,Z各軸正負方向座標系移動",
    "\n'0'：初期状態にリセット",
    "\n ESCキー：終了\n",
    "\n//--------------仮の設定------------------------------//",
};
static_assert(sizeof kLines / sizeof kLines[0] == static_cast<int>(HelpLine::Count), "one text per HelpLine");

}  // namespace

const char* helpLineText(HelpLine line) {
    return line < HelpLine::Count ? kLines[static_cast<int>(line)] : "";
}

void printHelp(const Scene& s) {
    for (const char* line : kLines) tracef(s, "%s", line);
    printRobotInfo(s);
    tracef(s, "\n=================描画画面へ==============================\n");
}
