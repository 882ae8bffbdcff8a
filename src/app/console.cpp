#include "app/console.h"

#include <termios.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>

#include "app/scene.h"
#include "model/kinematics.h"

void tracef(const Scene& s, const char* fmt, ...) {
    if (!s.trace) return;
    va_list ap;
    va_start(ap, fmt);
    std::vfprintf(s.trace, fmt, ap);
    va_end(ap);
}

static void printVecFmt(const Scene& s, int i0, int i1, const double* v, const char* fmt) {
    if (!s.trace) return;
    std::fputc('(', s.trace);
    for (int i = i0; i <= i1; ++i) std::fprintf(s.trace, fmt, v[i]);
    std::fputc(')', s.trace);
}

void printVec(const Scene& s, int i0, int i1, const double* v) { printVecFmt(s, i0, i1, v, " %6.3f"); }
void printVec4(const Scene& s, int i0, int i1, const double* v) { printVecFmt(s, i0, i1, v, " %6.4f"); }
void printVec5(const Scene& s, int i0, int i1, const double* v) { printVecFmt(s, i0, i1, v, " %6.5f"); }

void printRobotInfo(const Scene& s);

void printHelp(const Scene& s) {
    static const char* const kLines[] = {
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
        "\n'C'：解を得た後，初期ポーズから目標までの運動アニメーション",
        "\n    's'キーで1刻みずつ進行",
        "\n//-------キーによる操作(3)画面の移動------------------//",
        "\n'P','p','Q','q','R','r'：X,Y,Z各軸回り座標系正逆回転",
        "\n'X','x','Y','y','Z','z'：X,Y,Z各軸正負方向座標系移動",
        "\n'0'：初期状態にリセット",
        "\n ESCキー：終了\n",
        "\n//--------------仮の設定------------------------------//",
    };
    for (const char* line : kLines) tracef(s, "%s", line);
    printRobotInfo(s);
    tracef(s, "\n=================描画画面へ==============================\n");
}

void printJointTable(Scene& s, const double* q) {
    int Mp = 0, Mw = 0, inWall[JV] = {};
    int count = classifyJointsByWall(s, q, &Mp, inWall, &Mw);
    for (int i = 2; i <= s.Nw; ++i) {
        if (s.L[i] < 0.0001) continue;
        if (count > 0 && i == Mw) tracef(s, "\n  ------------------------------ rhy2=%5.2f", s.rhy2);
        tracef(s, "\n  J[%d]= ", i);
        printVec(s, 0, 2, s.J[i].data());
        if (i == Mp) tracef(s, "\n  ------------------------------ rhy1=%5.2f rhy2=%5.2f", s.rhy1, s.rhy2);
    }
    tracef(s, "\n  ===========================================");
    for (int i = 2; i <= s.Nw; ++i) {
        if (s.L[i] < 0.0001) continue;
        tracef(s, "\n  mm[%d]=", i);
        printVec(s, 0, 2, s.mm[i].data());
    }
}

void printJointTable2(Scene& s, const double* qa, const double* qb) {
    int Mp = 0, Mw = 0, inWall[JV] = {};
    int count = classifyJointsByWall(s, qb, &Mp, inWall, &Mw);
    for (int i = 2; i <= s.Nw; ++i) {
        if (count > 0 && i == Mw)
            tracef(s, "\n  ------------------------------------------------------ rhy2=%5.2f", s.rhy2);
        if (s.L[i] < 0.0001) continue;
        forwardKinematics(s, qa);
        tracef(s, "\n  J[%d] =", i);
        printVec(s, 0, 2, s.J[i].data());
        forwardKinematics(s, qb);
        tracef(s, " → J[%d] =", i);
        printVec(s, 0, 2, s.J[i].data());
        if (i == Mp)
            tracef(s, "\n  ------------------------------------------------------ rhy1=%5.2f rhy2=%5.2f", s.rhy1,
                   s.rhy2);
    }
    tracef(s, "\n  ==================================================================");
    for (int i = 2; i <= s.Nw; ++i) {
        if (s.L[i] < 0.0001) continue;
        forwardKinematics(s, qa);
        tracef(s, "\n  mm[%d]=", i);
        printVec(s, 0, 2, s.mm[i].data());
        forwardKinematics(s, qb);
        tracef(s, " → mm[%d]=", i);
        printVec(s, 0, 2, s.mm[i].data());
    }
}

void waitKey(Scene& s) {
    if (s.waitKey) s.waitKey(s);
}

int terminalWaitKey() {
    if (!isatty(STDIN_FILENO)) return -1;
    termios old{};
    if (tcgetattr(STDIN_FILENO, &old) != 0) return -1;
    termios raw = old;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    unsigned char c = 0;
    ssize_t n = read(STDIN_FILENO, &c, 1);
    tcsetattr(STDIN_FILENO, TCSANOW, &old);
    return n == 1 ? c : -1;
}

void terminalWaitKeyHook(Scene& s) {
    if (s.trace) std::fflush(s.trace);
    terminalWaitKey();
}
