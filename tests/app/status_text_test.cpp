// The status block the display shows: the mode table, the A table (first matching row wins) and
// the B table (evaluated step by step), with the place of every text.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/keyboard.h"
#include "app/session.h"
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

// Lines 1..4 of the status block sit at x = 4.7, 5.0, 5.3, 5.6 on y = -2.0; the title at 4.4.
Shown title(const char* text) { return {4.4, -2.0, text}; }
Shown line(int k, const char* text) {
    const double x[5] = {0, 4.7, 5.0, 5.3, 5.6};
    return {x[k], -2.0, text};
}

const char* const kATitle = "(A) Slit Pass and Goal Positioning\n";
const char* const kMoveGoal = "Hit '1,4','2,5','3,6' to Move Goal Position to +-(x,y,z)\n";
const char* const kSP = "If Change Initial Pose, Hit SP key\n";

// A scene in A mode with candidates and no pass or interference failure: only sgnT and sgnP decide.
std::unique_ptr<Scene> aScene(int T, int P) {
    auto s = makeScene();
    s->sgnCAL = 'A';
    s->nqss0 = 3;
    s->sgnPS = 0;
    s->sgnBtoA = 0;
    s->sgnMColl = 1;
    s->sgnT = T;
    s->sgnP = P;
    return s;
}

}  // namespace

TEST(StatusText, NoCandidateShowsTheATitleAndTheNoCandidateRow) {
    auto s = makeScene();
    s->nqss0 = 0;  // the start pose search found nothing
    EXPECT_EQ(shown(*s), (std::vector<Shown>{title(kATitle),
                                             line(1, "####No Work Positioning Solution. Change Work Goal####")}));
}

TEST(StatusText, ATableFirstMatchingRowWins) {
    // No candidate beats a failed pass test and every error class.
    auto s = aScene(0, 0);
    s->nqss0 = 0;
    s->sgnPS = -1;
    s->sgnBtoA = 1;
    s->sgnMColl = -1;
    EXPECT_EQ(shown(*s)[1].text, "####No Work Positioning Solution. Change Work Goal####");
    // A failed pass test beats both classes 0.
    s->nqss0 = 1;
    EXPECT_EQ(shown(*s), (std::vector<Shown>{
                             title(kATitle),
                             line(1, "####Slit Pass Impossible. Change RobotType('F') or Obstacle('O')####")}));
    // Both classes 0 beat the unavoidable interference after B.
    s->sgnPS = 0;
    EXPECT_EQ(shown(*s), (std::vector<Shown>{title(kATitle), line(1, "####No Slit Pass/Positioning Solution\n"),
                                             line(2, "Stop Calcul and Change Goal, or to 'O' or 'F'\n"),
                                             line(3, "or If Change Initial Pose, Hit SP key\n"), line(4, kMoveGoal)}));
    // Back from B with an interference: beats the single-class rows.
    s->sgnT = 1;
    EXPECT_EQ(shown(*s),
              (std::vector<Shown>{title(kATitle), line(1, "####Wall/Floor/Self Interference Unavoidable.####\n"),
                                  line(2, "####If Change Initial Pose, Hit SP key\n"),
                                  line(3, "####Hit '1,4','2,5','3,6' to Move Goal Position to +-(x,y,z)\n")}));
    // sgnMColl = 0 is no interference: the positioning row follows.
    s->sgnMColl = 0;
    EXPECT_EQ(shown(*s), (std::vector<Shown>{title(kATitle), line(1, "##No Position/Orientation Inverse Solution##\n"),
                                             line(2, "Continue Calcul by Hit 'b' for Slit-Pass Solution\n"),
                                             line(3, kSP), line(4, kMoveGoal)}));
    // Interference without the return from B does not count either.
    s->sgnBtoA = 0;
    s->sgnMColl = -3;
    EXPECT_EQ(shown(*s)[1].text, "##No Position/Orientation Inverse Solution##\n");
}

TEST(StatusText, ATableRowsByErrorClasses) {
    struct Row {
        int T, P;
        std::vector<Shown> lines;
    };
    const std::vector<Shown> noPass = {line(1, "#No Slit Pass Solution#\n"),
                                       line(2, "#Continue A-Calcul by Hit 'a' for Positioning\n"), line(3, kSP),
                                       line(4, "#Or Change Goal or SlitPosition\n")};
    const std::vector<Shown> bothLarge = {line(1, "#Arm Not Passes Through Wall Slit, and #P-Error Still Large\n"),
                                          line(2, "Continue Calcul by Hit 'a'  or  'b'\n"), line(3, kSP),
                                          line(4, kMoveGoal)};
    const std::vector<Shown> passLarge = {
        line(1, "#Arm Not Passes Through Wall Slit, while *Positioning is Correct\n"),
        line(2, "Continue Calcul by Hit 'a'  or  'b'\n"), line(3, kSP), line(4, "Or Change Goal or SlitPosition\n")};
    const std::vector<Shown> posLarge = {line(1, "*Arm Passes Wall Slit, but #P-Error Still Large\n"),
                                         line(2, "Continue Calcul by Hit  'a'  or  'b'\n"), line(3, kSP),
                                         line(4, "#Or Change Goal or SlitPosition\n")};
    const std::vector<Shown> exact = {line(1, "**Final Solution of Slit-Pass and Positioning Obtained**\n"),
                                      line(2, "**Hit 'B' for Path Generation from Goal to Start**\n")};
    const std::vector<Shown> small = {line(1, "**Final Solution Error is Sufficiently Small**\n"),
                                      line(2, "**Hit 'B' for Path Generation from Goal to Start**\n"),
                                      line(3, "**Hit 'a', 'b' for more Error Elimination\n")};
    const std::vector<Row> rows = {
        {0, 1, noPass},    {0, 2, noPass},    {0, 4, noPass},   {1, 1, bothLarge}, {1, 2, passLarge},
        {1, 4, passLarge}, {2, 1, posLarge},  {4, 1, posLarge}, {2, 2, exact},     {2, 4, small},
        {4, 4, small},     {4, 2, small},
    };
    for (const Row& r : rows) {
        auto s = aScene(r.T, r.P);
        std::vector<Shown> expected = {title(kATitle)};
        expected.insert(expected.end(), r.lines.begin(), r.lines.end());
        EXPECT_EQ(shown(*s), expected) << "sgnT " << r.T << " sgnP " << r.P;
    }
    // A class that never occurs (3) matches no row: the title alone.
    auto s = aScene(3, 3);
    EXPECT_EQ(shown(*s), std::vector<Shown>{title(kATitle)});
}

TEST(StatusText, ModeTableOCReset0AbnormalAndRobotChoice) {
    auto s = makeScene();
    keyboard(*s, 'O');
    ASSERT_EQ(s->sgnOBSTACLE, 1);
    EXPECT_EQ(shown(*s), (std::vector<Shown>{{5.0, -1.0, "(O) Hit (1,2,3) to +, or (4,5,6) to -[x,y,z]\n"}}));
    // A slit out of reach: the second O line.
    s->rh[1] = 9.0;
    keyboard(*s, '2');
    ASSERT_EQ(s->sgnOBSTACLE, 0);
    EXPECT_EQ(shown(*s), (std::vector<Shown>{{5.0, -1.0, "(O) Hit (1,2,3) to +, or (4,5,6) to -[x,y,z]\n"},
                                             {5.3, -1.0, "###Wall is too Far. Set it Nearer.###\n"}}));
    keyboard(*s, '0');
    EXPECT_EQ(shown(*s), (std::vector<Shown>{{5.0, -1.0, "Begin from A-calcul\n"}}));
    keyboard(*s, 'G');
    EXPECT_EQ(shown(*s), (std::vector<Shown>{{5.0, -1.0, "####Abnormal Stop. Start from B Again###\n"}}));
    keyboard(*s, 'F');
    EXPECT_TRUE(shown(*s).empty());  // the menu is drawn instead

    s->sgnCAL = 'C';
    s->sgnPATHEnd = 0;
    EXPECT_EQ(shown(*s),
              (std::vector<Shown>{
                  line(1, "(C) Path Generation not Finished yet. Hit 's' to Continue B-Calculation\n")}));
    s->sgnPATHEnd = 1;
    s->sgnMOVE = 'M';
    EXPECT_EQ(shown(*s), (std::vector<Shown>{line(1, "(C) Robot Motion from Initial to Goal\n"),
                                             line(2, "Hit  's'   to Move Robot\n")}));
    s->sgnMOVE = 'E';
    EXPECT_EQ(shown(*s), (std::vector<Shown>{line(1, "(C) Robot Motion from Initial to Goal\n"),
                                             line(2, "**Reached Goal by Pass Through thick Slit**\n")}));
}

namespace {

const char* const kB1 = "(B) Path Generation from Goal to Initial : 1st Trial(Left Motion)\n";
const char* const kB2 = "(B) Path Generation from Goal to Initial : 2nd Trial(Up Motion)\n";
const char* const kHitA = "#### Hit 'A' to Find Another Final Pose.####\n";
const char* const kHitS = "Hit  's'  to Continue Motion\n";

// B mode running normally: first trial, usable final pose, phase 1 done.
std::unique_ptr<Scene> bScene() {
    auto s = makeScene();
    s->sgnCAL = 'B';
    s->keyLast = 's';
    s->cntBTrial = 1;
    s->sgnSOLAEnd = 1;
    s->sgnP = s->sgnT = 2;
    s->sgnMColl = 1;
    s->sgnNMAX = 'U';
    s->sgnPATH = 2;
    s->sgnPATHEnd = 0;
    return s;
}

}  // namespace

TEST(StatusText, BTableTrialsAndPreparationFailures) {
    auto s = bScene();
    s->cntBTrial = 3;
    s->sgnNMAX = 'O';
    EXPECT_EQ(shown(*s), (std::vector<Shown>{title("(B) Path Generation from Goal to Initial : Over Trial####\n"),
                                             line(1, kHitA)}));
    // Error class 1: the error line, no stop; nothing of phase 0 follows but the trial advice.
    s = bScene();
    s->sgnSOLAEnd = 0;
    s->sgnMColl = 0;
    s->sgnPATH = 0;
    s->sgnP = 1;
    s->keyLast = 'B';
    EXPECT_EQ(shown(*s),
              (std::vector<Shown>{title(kB1),
                                  line(1, "####Final Pose has still Error. Hit 'A' to Goal Calculation####\n"),
                                  line(3, "#### Hit 'B' to Find Another Path Root.####\n")}));
    // Interference in the preparation: the later text takes line 1, then stop.
    for (int code : {-1, -2}) {
        s->sgnMColl = code;
        EXPECT_EQ(shown(*s),
                  (std::vector<Shown>{title(kB1),
                                      line(1, "#### Joint/Work-Wall/Floor Interference Unavoidable.####\n"),
                                      line(2, kHitA)}))
            << code;
    }
    // Joint limit (sgnSOLAEnd = sgnMColl = -3) with good errors, second trial.
    s->sgnSOLAEnd = -3;
    s->sgnMColl = -3;
    s->sgnP = 4;
    s->cntBTrial = 2;
    EXPECT_EQ(shown(*s), (std::vector<Shown>{title(kB2), line(1, "#### Self Interference Unavoidable.####\n"),
                                             line(2, kHitA)}));
}

TEST(StatusText, BTablePhasesAndStops) {
    auto s = bScene();
    s->sgnNMAX = 'O';
    EXPECT_EQ(shown(*s), (std::vector<Shown>{title(kB1), line(1, "#### Path Data Overflow.####\n"),
                                             line(2, "#### Hit 'B' for Another Trial, or Hit 'A'.####\n")}));
    // Right after 'B' (trial 1 or 2, running) and in phase 1: the wrist motion lines.
    s = bScene();
    s->keyLast = 'B';
    s->sgnPATH = 5;
    EXPECT_EQ(shown(*s), (std::vector<Shown>{title(kB1), line(1, "(1)Wrist Motion\n"), line(2, kHitS)}));
    s->keyLast = 's';
    s->sgnPATH = 1;
    s->sgnMColl = 0;
    EXPECT_EQ(shown(*s), (std::vector<Shown>{title(kB1), line(1, "(1)Wrist Motion\n"), line(2, kHitS)}));
    // Phase titles while running.
    struct Phase {
        int path;
        const char* text;
    };
    for (Phase p : {Phase{2, "(2)Slit Pass Motion\n"}, Phase{3, "(3)Free Space Motion\n"},
                    Phase{4, "(3)Free Space Motion\n"}, Phase{5, "(3)Free Space Motion\n"},
                    Phase{6, "(4)Last Motion to Initial Pose\n"}}) {
        s = bScene();
        s->sgnPATH = p.path;
        EXPECT_EQ(shown(*s), (std::vector<Shown>{title(kB1), line(1, p.text), line(2, kHitS)})) << p.path;
    }
    // Finished.
    s = bScene();
    s->sgnPATH = 7;
    s->sgnPATHEnd = 1;
    EXPECT_EQ(shown(*s), (std::vector<Shown>{title(kB1), line(1, "Path Generation Finished\n"),
                                             line(2, "Go to Path Motion by Hit 'C'\n")}));
}

TEST(StatusText, BTableFailuresInThePhases) {
    const char* const another = "#### Hit 'B' to Find Another Path Root.####\n";
    // Interference in trial 1.
    auto s = bScene();
    s->sgnMColl = -2;
    EXPECT_EQ(shown(*s), (std::vector<Shown>{title(kB1), line(1, "(2)Slit Pass Motion\n"),
                                             line(2, "#### Wall/Floor or Self Interference UnAvoidable.####\n"),
                                             line(3, another)}));
    // No pass-out motion, trial 1 and trial 2.
    s->sgnMColl = 0;
    EXPECT_EQ(shown(*s), (std::vector<Shown>{title(kB1), line(1, "(2)Slit Pass Motion\n"),
                                             line(2, "#### Arm Cannot Move Through Hole.####\n"), line(3, another)}));
    s->cntBTrial = 2;
    EXPECT_EQ(shown(*s),
              (std::vector<Shown>{title(kB2), line(1, "(2)Slit Pass Motion\n"),
                                  line(2, "#### Arm Cannot Move Through Hole.####\n"),
                                  line(3, "#### Two Trials of Pass Through Hole Repeated.####\n"),
                                  line(4, "#### Go to A or Goal or Obstacle Resetting by Hit 'A'  'G'  'O'\n")}));
    // Interference in trial 2: its line 2 applies only to trial 1; the phase title stays.
    s->sgnMColl = -1;
    EXPECT_EQ(shown(*s),
              (std::vector<Shown>{title(kB2), line(1, "(2)Slit Pass Motion\n"),
                                  line(3, "#### Two Trials of Pass Through Hole Repeated.####\n"),
                                  line(4, "#### Go to A or Goal or Obstacle Resetting by Hit 'A'  'G'  'O'\n")}));
    // No solution in free space.
    s = bScene();
    s->sgnPATH = 5;
    s->sgnMColl = 0;
    EXPECT_EQ(shown(*s), (std::vector<Shown>{title(kB1), line(1, "(3)Free Space Motion\n"),
                                             line(2, "#### No Solution In Free Space.####\n"), line(3, another)}));
}

TEST(StatusText, EveryStateGivesDistinctPlacesAndKnownTexts) {
    // Over a grid of modes and flags: at most five texts, each at its own place, none empty.
    auto s = makeScene();
    int states = 0;
    for (char mode : {'A', 'B', 'C', 'F', 'O', 'G', '0'})
        for (int T : {0, 1, 2, 4})
            for (int P : {0, 1, 2, 4})
                for (int MColl : {-3, -2, -1, 0, 1, 2})
                    for (int trial : {0, 1, 2, 3})
                        for (int path : {0, 1, 2, 3, 5, 6, 7})
                            for (int end : {0, 1}) {
                                s->sgnCAL = mode;
                                s->sgnT = T;
                                s->sgnP = P;
                                s->sgnMColl = MColl;
                                s->cntBTrial = trial;
                                s->sgnPATH = path;
                                s->sgnPATHEnd = end;
                                s->sgnSOLAEnd = (T + P) % 2;
                                s->nqss0 = path % 3;
                                s->sgnBtoA = end;
                                const StatusText t = chooseStatusLines(*s);
                                ASSERT_LE(t.n, STATUS_MAX);
                                for (int a = 0; a < t.n; ++a) {
                                    ASSERT_NE(t.line[a].text, nullptr);
                                    EXPECT_GT(std::string(t.line[a].text).size(), 5u);
                                    for (int b = a + 1; b < t.n; ++b)
                                        EXPECT_FALSE(t.line[a].x == t.line[b].x && t.line[a].y == t.line[b].y);
                                }
                                ++states;
                            }
    EXPECT_EQ(states, 7 * 4 * 4 * 6 * 4 * 7 * 2);
}

namespace {

std::string jsonSummary(Scene& s) {
    std::string json;
    std::FILE* out = std::tmpfile();
    if (!out) return json;
    writeJsonSummary(s, {}, {}, out);
    std::rewind(out);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, out)) > 0) json.append(buf, n);
    std::fclose(out);
    return json;
}

}  // namespace

TEST(StatusText, JsonSummaryReportsTheLinesTheWindowShows) {
    auto s = makeScene();
    keyboard(*s, 'O');
    s->rh[1] = 9.0;
    keyboard(*s, '2');
    std::string json = jsonSummary(*s);
    EXPECT_NE(json.find("\"status\": [\"(O) Hit (1,2,3) to +, or (4,5,6) to -[x,y,z]\\n\", "
                        "\"###Wall is too Far. Set it Nearer.###\\n\"]"),
              std::string::npos)
        << json;
    // In robot choice mode the menu replaces the status block: an empty list.
    keyboard(*s, 'F');
    json = jsonSummary(*s);
    EXPECT_NE(json.find("\"status\": []"), std::string::npos) << json;
}
