// The status block: which row of the mode, A and B tables is chosen (the first matching A row
// wins, the B table goes step by step) and where each text goes, named by a few words per line.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/keyboard.h"
#include "app/status_text.h"
#include "support/test_scene.h"

namespace {

// Each line shown as "<x> <y> <text>"; a wanted line is "<x> <y> <words of the text>".
std::vector<std::string> shown(const Scene& s) {
    const StatusText t = chooseStatusLines(s);
    std::vector<std::string> out;
    char place[32];
    for (int k = 0; k < t.n; ++k) {
        std::snprintf(place, sizeof place, "%.1f %.1f ", t.line[k].x, t.line[k].y);
        out.push_back(place + std::string(t.line[k].text));
    }
    return out;
}

// The block on the row y = -2.0: the title at x = 4.4 (when given), lines 1..4 at 4.7, 5.0, 5.3,
// 5.6 ("" leaves a line empty). Notices (O mode, reset, abnormal stop) go on y = -1.0 at 5.0, 5.3.
std::vector<std::string> block(const char* title, std::vector<const char*> lines) {
    const char* x[4] = {"4.7", "5.0", "5.3", "5.6"};
    std::vector<std::string> out;
    if (title) out.push_back(std::string("4.4 -2.0 ") + title);
    for (size_t k = 0; k < lines.size(); ++k)
        if (*lines[k]) out.push_back(std::string(x[k]) + " -2.0 " + lines[k]);
    return out;
}
std::vector<std::string> notice(const char* first, const char* second = nullptr) {
    std::vector<std::string> out = {std::string("5.0 -1.0 ") + first};
    if (second) out.push_back(std::string("5.3 -1.0 ") + second);
    return out;
}

void expectShown(const Scene& s, const std::vector<std::string>& want, const std::string& what) {
    const std::vector<std::string> got = shown(s);
    ASSERT_EQ(got.size(), want.size()) << what << ": " << ::testing::PrintToString(got);
    for (size_t k = 0; k < want.size(); ++k) {
        const size_t place = want[k].find(' ', 4);  // end of "<x> <y>"
        EXPECT_EQ(got[k].substr(0, place + 1), want[k].substr(0, place + 1)) << what << ", line " << k;
        EXPECT_NE(got[k].find(want[k].substr(place + 1)), std::string::npos) << what << ": " << got[k];
    }
}

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

const char* const kA = "(A) Slit Pass";

}  // namespace

TEST(StatusText, ATableFirstMatchingRowWins) {
    // Each step clears the condition of the row before: no candidate, a failed pass test, both
    // classes 0, back from B with an interference, then the positioning row (sgnMColl = 0 is no
    // interference, nor is one without the return from B).
    auto s = aScene(0, 0);
    s->nqss0 = 0, s->sgnPS = -1, s->sgnBtoA = 1, s->sgnMColl = -1;
    expectShown(*s, block(kA, {"No Work Positioning"}), "no candidate");
    s->nqss0 = 1;
    expectShown(*s, block(kA, {"Slit Pass Impossible"}), "pass test failed");
    s->sgnPS = 0;
    expectShown(*s, block(kA, {"No Slit Pass/Positioning", "Stop Calcul", "SP key", "Move Goal"}), "classes 0");
    s->sgnT = 1;
    expectShown(*s, block(kA, {"Interference Unavoidable", "SP key", "Move Goal"}), "interference after B");
    const auto noPositioning = block(kA, {"No Position/Orientation", "Hit 'b'", "SP key", "Move Goal"});
    s->sgnMColl = 0;
    expectShown(*s, noPositioning, "sgnMColl 0");
    s->sgnBtoA = 0, s->sgnMColl = -3;
    expectShown(*s, noPositioning, "not back from B");
}

TEST(StatusText, ATableRowsByErrorClasses) {
    const auto noPass = block(kA, {"No Slit Pass Solution", "Hit 'a' for Positioning", "SP key", "#Or Change"});
    const auto bothLarge = block(kA, {"Not Passes Through Wall Slit, and", "'a'  or  'b'", "SP key", "Move Goal"});
    const auto passLarge = block(kA, {"Not Passes Through Wall Slit, while", "'a'  or  'b'", "SP key", "Or Change"});
    const auto posLarge = block(kA, {"*Arm Passes Wall Slit, but", "'a'  or  'b'", "SP key", "#Or Change"});
    const auto exact = block(kA, {"Positioning Obtained", "Hit 'B'"});
    const auto small = block(kA, {"Sufficiently Small", "Hit 'B'", "more Error Elimination"});
    const auto none = block(kA, {});  // a class that never occurs (3) matches no row
    struct Row {
        int T, P;
        const std::vector<std::string>& lines;
    };
    for (const Row& r : {Row{0, 1, noPass}, {0, 2, noPass}, {0, 4, noPass}, {1, 1, bothLarge}, {1, 2, passLarge},
                         {1, 4, passLarge}, {2, 1, posLarge}, {4, 1, posLarge}, {2, 2, exact}, {2, 4, small},
                         {4, 4, small}, {4, 2, small}, {3, 3, none}, {1, 3, none}, {3, 4, none}})
        expectShown(*aScene(r.T, r.P), r.lines, "sgnT " + std::to_string(r.T) + " sgnP " + std::to_string(r.P));
}

TEST(StatusText, ModeTableOCReset0AbnormalAndRobotChoice) {
    auto s = makeScene();
    keyboard(*s, 'O');
    ASSERT_EQ(s->sgnOBSTACLE, 1);
    expectShown(*s, notice("(O) Hit (1,2,3)"), "O mode");
    s->rh[1] = 9.0;  // a slit out of reach: the second O line
    keyboard(*s, '2');
    ASSERT_EQ(s->sgnOBSTACLE, 0);
    expectShown(*s, notice("(O) Hit (1,2,3)", "Wall is too Far"), "slit out of reach");
    keyboard(*s, '0');
    expectShown(*s, notice("Begin from A-calcul"), "reset");
    keyboard(*s, 'G');
    expectShown(*s, notice("Abnormal Stop"), "G mode");
    keyboard(*s, 'F');
    EXPECT_TRUE(shown(*s).empty());  // the menu is drawn instead
    s->sgnCAL = 'C';
    s->sgnPATHEnd = 0;
    expectShown(*s, block(nullptr, {"Path Generation not Finished"}), "C before the path");
    s->sgnPATHEnd = 1;
    s->sgnMOVE = 'M';
    expectShown(*s, block(nullptr, {"(C) Robot Motion", "to Move Robot"}), "C moving");
    s->sgnMOVE = 'E';
    expectShown(*s, block(nullptr, {"(C) Robot Motion", "Reached Goal"}), "C at the goal");
}

TEST(StatusText, BTableStepByStep) {
    const char *b1 = "1st Trial", *b2 = "2nd Trial", *hitA = "Hit 'A' to Find Another", *hitS = "to Continue Motion";
    const char *another = "Another Path Root", *slit = "(2)Slit Pass", *freeSpace = "(3)Free Space";
    const char *noHole = "Cannot Move Through Hole", *stillError = "still Error", *jointWall = "Joint/Work-Wall/Floor";
    // The rows start from B running normally (first trial, usable final pose, phase 2) and
    // change what the comment names.
    struct Row {
        int trial, solaEnd, T, P, mColl;
        char nmax, key;
        int path, end;
        std::vector<std::string> lines;
    };
    const Row rows[] = {
        // Over trial stops before anything else.
        {3, 1, 2, 2, 1, 'O', 's', 2, 0, block("Over Trial", {hitA})},
        // Preparation: error class 1 (of either) gives the error line and goes on; an interference
        // takes line 1 and stops.
        {1, 0, 2, 1, 0, 'U', 'B', 0, 0, block(b1, {stillError, "", another})},
        {1, 0, 1, 2, 0, 'U', 'B', 0, 0, block(b1, {stillError, "", another})},
        {1, 0, 2, 1, -1, 'U', 'B', 0, 0, block(b1, {jointWall, hitA})},
        {1, 0, 2, 1, -2, 'U', 'B', 0, 0, block(b1, {jointWall, hitA})},
        {2, -3, 2, 4, -3, 'U', 'B', 0, 0, block(b2, {"Self Interference", hitA})},
        {1, 1, 2, 2, 1, 'O', 's', 2, 0, block(b1, {"Overflow", "Another Trial"})},
        // Right after 'B' (running) or in phase 1: the wrist motion lines.
        {1, 1, 2, 2, 1, 'U', 'B', 5, 0, block(b1, {"(1)Wrist", hitS})},
        {1, 1, 2, 2, 0, 'U', 's', 1, 0, block(b1, {"(1)Wrist", hitS})},
        // Phase titles while running.
        {1, 1, 2, 2, 1, 'U', 's', 2, 0, block(b1, {slit, hitS})},
        {1, 1, 2, 2, 1, 'U', 's', 3, 0, block(b1, {freeSpace, hitS})},
        {1, 1, 2, 2, 1, 'U', 's', 5, 0, block(b1, {freeSpace, hitS})},
        {1, 1, 2, 2, 1, 'U', 's', 6, 0, block(b1, {"(4)Last Motion", hitS})},
        {1, 1, 2, 2, 1, 'U', 's', 7, 1, block(b1, {"Generation Finished", "Hit 'C'"})},
        // Failures in the phases; the interference line applies to trial 1 only.
        {1, 1, 2, 2, -2, 'U', 's', 2, 0, block(b1, {slit, "Self Interference UnAvoidable", another})},
        {1, 1, 2, 2, 0, 'U', 's', 2, 0, block(b1, {slit, noHole, another})},
        {2, 1, 2, 2, 0, 'U', 's', 2, 0, block(b2, {slit, noHole, "Two Trials", "Go to A or Goal"})},
        {2, 1, 2, 2, -1, 'U', 's', 2, 0, block(b2, {slit, "", "Two Trials", "Go to A or Goal"})},
        {1, 1, 2, 2, 0, 'U', 's', 5, 0, block(b1, {freeSpace, "No Solution In Free Space", another})},
    };
    for (const Row& r : rows) {
        auto s = makeScene();
        s->sgnCAL = 'B';
        s->cntBTrial = r.trial, s->sgnSOLAEnd = r.solaEnd, s->sgnP = r.P, s->sgnT = r.T, s->sgnMColl = r.mColl;
        s->sgnNMAX = r.nmax, s->keyLast = r.key, s->sgnPATH = r.path, s->sgnPATHEnd = r.end;
        expectShown(*s, r.lines, "row " + std::to_string(&r - rows));
    }
}
