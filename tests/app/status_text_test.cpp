// The status block the display shows: the mode table, the A table (first matching row wins) and
// the B table (evaluated step by step), with the place of every text.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "app/keyboard.h"
#include "app/status_text.h"
#include "support/test_scene.h"

namespace {

struct Shown {
    double x, y;
    std::string text;
    bool operator==(const Shown& o) const { return x == o.x && y == o.y && text == o.text; }
};

std::ostream& operator<<(std::ostream& os, const Shown& s) {
    return os << "(" << s.x << ", " << s.y << ") \"" << s.text << "\"";
}

std::vector<Shown> shown(const Scene& s) {
    const StatusText t = chooseStatusLines(s);
    std::vector<Shown> out;
    for (int k = 0; k < t.n; ++k) out.push_back({t.line[k].x, t.line[k].y, t.line[k].text});
    return out;
}

// A block on the row y = -2.0: the title at x = 4.4, then lines 1..4 at x = 4.7, 5.0, 5.3, 5.6
// (a null line is left empty).
std::vector<Shown> block(const char* title, std::initializer_list<const char*> lines) {
    const double x[4] = {4.7, 5.0, 5.3, 5.6};
    std::vector<Shown> out;
    if (title) out.push_back({4.4, -2.0, title});
    int k = 0;
    for (const char* l : lines) {
        if (l) out.push_back({x[k], -2.0, l});
        ++k;
    }
    return out;
}

// Texts of the row y = -1.0 (O mode, reset, abnormal stop): at x = 5.0, then 5.3.
std::vector<Shown> notice(const char* first, const char* second = nullptr) {
    std::vector<Shown> out = {{5.0, -1.0, first}};
    if (second) out.push_back({5.3, -1.0, second});
    return out;
}

const char* const kA = "(A) Slit Pass and Goal Positioning\n";
const char* const kMoveGoal = "Hit '1,4','2,5','3,6' to Move Goal Position to +-(x,y,z)\n";
const char* const kSP = "If Change Initial Pose, Hit SP key\n";
const char* const kOLine = "(O) Hit (1,2,3) to +, or (4,5,6) to -[x,y,z]\n";
const char* const kTooFar = "###Wall is too Far. Set it Nearer.###\n";

// A scene in A mode with candidates and no pass or interference failure: only sgnT and sgnP decide.
std::unique_ptr<Scene> aScene(int T, int P) {
    auto s = makeScene();
    s->sgnCAL = 'A';
    s->nqss0 = 3;
    s->sgnPS = s->sgnBtoA = 0;
    s->sgnMColl = 1;
    s->sgnT = T;
    s->sgnP = P;
    return s;
}

}  // namespace

TEST(StatusText, ATableFirstMatchingRowWins) {
    // No candidate (as the start pose search may leave it) beats a failed pass test and every
    // error class.
    auto s = aScene(0, 0);
    s->nqss0 = 0;
    s->sgnPS = -1;
    s->sgnBtoA = 1;
    s->sgnMColl = -1;
    EXPECT_EQ(shown(*s), block(kA, {"####No Work Positioning Solution. Change Work Goal####"}));
    // A failed pass test beats both classes 0.
    s->nqss0 = 1;
    EXPECT_EQ(shown(*s), block(kA, {"####Slit Pass Impossible. Change RobotType('F') or Obstacle('O')####"}));
    // Both classes 0 beat the unavoidable interference after B.
    s->sgnPS = 0;
    EXPECT_EQ(shown(*s), block(kA, {"####No Slit Pass/Positioning Solution\n",
                                    "Stop Calcul and Change Goal, or to 'O' or 'F'\n",
                                    "or If Change Initial Pose, Hit SP key\n", kMoveGoal}));
    // Back from B with an interference: beats the single-class rows.
    s->sgnT = 1;
    EXPECT_EQ(shown(*s), block(kA, {"####Wall/Floor/Self Interference Unavoidable.####\n",
                                    "####If Change Initial Pose, Hit SP key\n",
                                    "####Hit '1,4','2,5','3,6' to Move Goal Position to +-(x,y,z)\n"}));
    // sgnMColl = 0 is no interference, nor is an interference without the return from B: the
    // positioning row follows.
    const auto noPositioning = block(kA, {"##No Position/Orientation Inverse Solution##\n",
                                          "Continue Calcul by Hit 'b' for Slit-Pass Solution\n", kSP, kMoveGoal});
    s->sgnMColl = 0;
    EXPECT_EQ(shown(*s), noPositioning);
    s->sgnBtoA = 0;
    s->sgnMColl = -3;
    EXPECT_EQ(shown(*s), noPositioning);
}

TEST(StatusText, ATableRowsByErrorClasses) {
    const char* const orChange = "#Or Change Goal or SlitPosition\n";
    const auto noPass =
        block(kA, {"#No Slit Pass Solution#\n", "#Continue A-Calcul by Hit 'a' for Positioning\n", kSP, orChange});
    const auto bothLarge = block(kA, {"#Arm Not Passes Through Wall Slit, and #P-Error Still Large\n",
                                      "Continue Calcul by Hit 'a'  or  'b'\n", kSP, kMoveGoal});
    const auto passLarge =
        block(kA, {"#Arm Not Passes Through Wall Slit, while *Positioning is Correct\n",
                   "Continue Calcul by Hit 'a'  or  'b'\n", kSP, "Or Change Goal or SlitPosition\n"});
    const auto posLarge = block(kA, {"*Arm Passes Wall Slit, but #P-Error Still Large\n",
                                     "Continue Calcul by Hit  'a'  or  'b'\n", kSP, orChange});
    const auto exact = block(kA, {"**Final Solution of Slit-Pass and Positioning Obtained**\n",
                                  "**Hit 'B' for Path Generation from Goal to Start**\n"});
    const auto small = block(kA, {"**Final Solution Error is Sufficiently Small**\n",
                                  "**Hit 'B' for Path Generation from Goal to Start**\n",
                                  "**Hit 'a', 'b' for more Error Elimination\n"});
    struct Row {
        int T, P;
        const std::vector<Shown>& lines;
    };
    // A class that never occurs (3) matches no row: the title alone.
    const auto none = block(kA, {});
    for (const Row& r : {Row{0, 1, noPass}, {0, 2, noPass}, {0, 4, noPass}, {1, 1, bothLarge}, {1, 2, passLarge},
                         {1, 4, passLarge}, {2, 1, posLarge}, {4, 1, posLarge}, {2, 2, exact}, {2, 4, small},
                         {4, 4, small}, {4, 2, small}, {3, 3, none}, {1, 3, none}, {3, 4, none}})
        EXPECT_EQ(shown(*aScene(r.T, r.P)), r.lines) << "sgnT " << r.T << " sgnP " << r.P;
}

TEST(StatusText, ModeTableOCReset0AbnormalAndRobotChoice) {
    auto s = makeScene();
    keyboard(*s, 'O');
    ASSERT_EQ(s->sgnOBSTACLE, 1);
    EXPECT_EQ(shown(*s), notice(kOLine));
    // A slit out of reach: the second O line.
    s->rh[1] = 9.0;
    keyboard(*s, '2');
    ASSERT_EQ(s->sgnOBSTACLE, 0);
    EXPECT_EQ(shown(*s), notice(kOLine, kTooFar));
    keyboard(*s, '0');
    EXPECT_EQ(shown(*s), notice("Begin from A-calcul\n"));
    keyboard(*s, 'G');
    EXPECT_EQ(shown(*s), notice("####Abnormal Stop. Start from B Again###\n"));
    keyboard(*s, 'F');
    EXPECT_TRUE(shown(*s).empty());  // the menu is drawn instead

    s->sgnCAL = 'C';
    s->sgnPATHEnd = 0;
    EXPECT_EQ(shown(*s), block(nullptr, {"(C) Path Generation not Finished yet. Hit 's' to Continue B-Calculation\n"}));
    s->sgnPATHEnd = 1;
    for (char move : {'M', 'E'}) {
        s->sgnMOVE = move;
        EXPECT_EQ(shown(*s), block(nullptr, {"(C) Robot Motion from Initial to Goal\n",
                                             move == 'M' ? "Hit  's'   to Move Robot\n"
                                                         : "**Reached Goal by Pass Through thick Slit**\n"}));
    }
}

TEST(StatusText, BTableStepByStep) {
    const char* const b1 = "(B) Path Generation from Goal to Initial : 1st Trial(Left Motion)\n";
    const char* const b2 = "(B) Path Generation from Goal to Initial : 2nd Trial(Up Motion)\n";
    const char* const hitA = "#### Hit 'A' to Find Another Final Pose.####\n";
    const char* const hitS = "Hit  's'  to Continue Motion\n";
    const char* const another = "#### Hit 'B' to Find Another Path Root.####\n";
    const char* const twoTrials = "#### Two Trials of Pass Through Hole Repeated.####\n";
    const char* const goTo = "#### Go to A or Goal or Obstacle Resetting by Hit 'A'  'G'  'O'\n";
    const char* const slit = "(2)Slit Pass Motion\n";
    const char* const freeSpace = "(3)Free Space Motion\n";
    const char* const noHole = "#### Arm Cannot Move Through Hole.####\n";
    const char* const stillError = "####Final Pose has still Error. Hit 'A' to Goal Calculation####\n";
    const char* const jointWall = "#### Joint/Work-Wall/Floor Interference Unavoidable.####\n";
    // The rows start from B running normally (first trial, usable final pose, phase 2) and
    // change what the comment names.
    struct Row {
        int trial, solaEnd, T, P, mColl;
        char nmax, key;
        int path, end;
        std::vector<Shown> lines;
    };
    const Row rows[] = {
        // Over trial stops before anything else.
        {3, 1, 2, 2, 1, 'O', 's', 2, 0, block("(B) Path Generation from Goal to Initial : Over Trial####\n", {hitA})},
        // Preparation: error class 1 (of either) gives the error line and goes on; an interference
        // takes line 1 and stops.
        {1, 0, 2, 1, 0, 'U', 'B', 0, 0, block(b1, {stillError, nullptr, another})},
        {1, 0, 1, 2, 0, 'U', 'B', 0, 0, block(b1, {stillError, nullptr, another})},
        {1, 0, 2, 1, -1, 'U', 'B', 0, 0, block(b1, {jointWall, hitA})},
        {1, 0, 2, 1, -2, 'U', 'B', 0, 0, block(b1, {jointWall, hitA})},
        {2, -3, 2, 4, -3, 'U', 'B', 0, 0, block(b2, {"#### Self Interference Unavoidable.####\n", hitA})},
        // Path data overflow.
        {1, 1, 2, 2, 1, 'O', 's', 2, 0,
         block(b1, {"#### Path Data Overflow.####\n", "#### Hit 'B' for Another Trial, or Hit 'A'.####\n"})},
        // Right after 'B' (running) or in phase 1: the wrist motion lines.
        {1, 1, 2, 2, 1, 'U', 'B', 5, 0, block(b1, {"(1)Wrist Motion\n", hitS})},
        {1, 1, 2, 2, 0, 'U', 's', 1, 0, block(b1, {"(1)Wrist Motion\n", hitS})},
        // Phase titles while running.
        {1, 1, 2, 2, 1, 'U', 's', 2, 0, block(b1, {slit, hitS})},
        {1, 1, 2, 2, 1, 'U', 's', 3, 0, block(b1, {freeSpace, hitS})},
        {1, 1, 2, 2, 1, 'U', 's', 5, 0, block(b1, {freeSpace, hitS})},
        {1, 1, 2, 2, 1, 'U', 's', 6, 0, block(b1, {"(4)Last Motion to Initial Pose\n", hitS})},
        // Finished.
        {1, 1, 2, 2, 1, 'U', 's', 7, 1, block(b1, {"Path Generation Finished\n", "Go to Path Motion by Hit 'C'\n"})},
        // Failures in the phases; the interference line applies to trial 1 only.
        {1, 1, 2, 2, -2, 'U', 's', 2, 0,
         block(b1, {slit, "#### Wall/Floor or Self Interference UnAvoidable.####\n", another})},
        {1, 1, 2, 2, 0, 'U', 's', 2, 0, block(b1, {slit, noHole, another})},
        {2, 1, 2, 2, 0, 'U', 's', 2, 0, block(b2, {slit, noHole, twoTrials, goTo})},
        {2, 1, 2, 2, -1, 'U', 's', 2, 0, block(b2, {slit, nullptr, twoTrials, goTo})},
        {1, 1, 2, 2, 0, 'U', 's', 5, 0, block(b1, {freeSpace, "#### No Solution In Free Space.####\n", another})},
    };
    for (const Row& r : rows) {
        auto s = makeScene();
        s->sgnCAL = 'B';
        s->cntBTrial = r.trial;
        s->sgnSOLAEnd = r.solaEnd;
        s->sgnP = r.P;
        s->sgnT = r.T;
        s->sgnMColl = r.mColl;
        s->sgnNMAX = r.nmax;
        s->keyLast = r.key;
        s->sgnPATH = r.path;
        s->sgnPATHEnd = r.end;
        EXPECT_EQ(shown(*s), r.lines) << "row " << (&r - rows);
    }
}
