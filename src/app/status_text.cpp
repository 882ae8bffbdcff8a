#include "app/status_text.h"

#include "app/solve_outcome.h"
#include "core/scene.h"

namespace {

// Places of the status block in the camera space: the mode title and lines 1 to 4 on the row
// y = -2.0; the O-mode, reset and abnormal-stop texts on the row y = -1.0.
constexpr double kRowY = -2.0;
constexpr double kTitleX = 4.4;
constexpr double kLineX[5] = {0.0, 4.7, 5.0, 5.3, 5.6};
constexpr double kNoticeY = -1.0;

// The block being chosen: one text per place. A later text for the same place replaces the
// earlier one, so that two texts are never drawn over each other.
struct Block {
    const char* title = nullptr;
    const char* line[5] = {};  // [1..4]

    StatusText finish() const {
        StatusText out;
        if (title) out.line[out.n++] = {kTitleX, kRowY, title};
        for (int k = 1; k <= 4; ++k)
            if (line[k]) out.line[out.n++] = {kLineX[k], kRowY, line[k]};
        return out;
    }
};

StatusText notice(const char* first, const char* second = nullptr) {
    StatusText out;
    out.line[out.n++] = {5.0, kNoticeY, first};
    if (second) out.line[out.n++] = {5.3, kNoticeY, second};
    return out;
}

bool allowable(int c) { return c == 2 || c == 4; }

// Mode 'A': the title and the first row of the table whose condition holds.
StatusText statusA(const Scene& s) {
    Block b;
    b.title = "(A) Slit Pass and Goal Positioning\n";
    const int T = s.sgnT, P = s.sgnP;
    auto rows = [&](const char* l1, const char* l2, const char* l3, const char* l4) {
        b.line[1] = l1;
        b.line[2] = l2;
        b.line[3] = l3;
        b.line[4] = l4;
    };
    if (s.nqss0 == 0) {
        rows("####No Work Positioning Solution. Change Work Goal####", nullptr, nullptr, nullptr);
    } else if (s.sgnAStall == 2 && s.sgnSOLAEnd != 1) {
        rows("####No final pose under the slit rule####\n", "Hit 'N' for a numeric final pose and a planned path\n",
             "Hit '1,4','2,5','3,6' to Move Goal Position to +-(x,y,z)\n", nullptr);
    } else if (s.sgnAStall == 1 && s.sgnSOLAEnd != 1) {
        rows("####No final pose from this start pose; Space for the next####\n", nullptr, nullptr, nullptr);
    } else if (s.sgnPS < 0) {
        rows("####Slit Pass Impossible. Change RobotType('F') or Obstacle('O')####", nullptr, nullptr, nullptr);
    } else if (P == 0 && T == 0) {
        rows("####No Slit Pass/Positioning Solution\n", "Stop Calcul and Change Goal, or to 'O' or 'F'\n",
             "or If Change Initial Pose, Hit SP key\n",
             "Hit '1,4','2,5','3,6' to Move Goal Position to +-(x,y,z)\n");
    } else if (s.sgnBtoA == 1 && s.sgnMColl < 0) {
        rows("####Wall/Floor/Self Interference Unavoidable.####\n", "####If Change Initial Pose, Hit SP key\n",
             "####Hit '1,4','2,5','3,6' to Move Goal Position to +-(x,y,z)\n", nullptr);
    } else if (T != 0 && P == 0) {
        rows("##No Position/Orientation Inverse Solution##\n", "Continue Calcul by Hit 'b' for Slit-Pass Solution\n",
             "If Change Initial Pose, Hit SP key\n", "Hit '1,4','2,5','3,6' to Move Goal Position to +-(x,y,z)\n");
    } else if (T == 0 && P != 0) {
        rows("#No Slit Pass Solution#\n", "#Continue A-Calcul by Hit 'a' for Positioning\n",
             "If Change Initial Pose, Hit SP key\n", "#Or Change Goal or SlitPosition\n");
    } else if (T == 1 && P == 1) {
        rows("#Arm Not Passes Through Wall Slit, and #P-Error Still Large\n", "Continue Calcul by Hit 'a'  or  'b'\n",
             "If Change Initial Pose, Hit SP key\n", "Hit '1,4','2,5','3,6' to Move Goal Position to +-(x,y,z)\n");
    } else if (T == 1 && allowable(P)) {
        rows("#Arm Not Passes Through Wall Slit, while *Positioning is Correct\n",
             "Continue Calcul by Hit 'a'  or  'b'\n", "If Change Initial Pose, Hit SP key\n",
             "Or Change Goal or SlitPosition\n");
    } else if (allowable(T) && P == 1) {
        rows("*Arm Passes Wall Slit, but #P-Error Still Large\n", "Continue Calcul by Hit  'a'  or  'b'\n",
             "If Change Initial Pose, Hit SP key\n", "#Or Change Goal or SlitPosition\n");
    } else if (T == 2 && P == 2) {
        rows("**Final Solution of Slit-Pass and Positioning Obtained**\n",
             "**Hit 'B' for Path Generation from Goal to Start**\n", nullptr, nullptr);
    } else if ((allowable(T) && P == 4) || (T == 4 && allowable(P))) {
        rows("**Final Solution Error is Sufficiently Small**\n", "**Hit 'B' for Path Generation from Goal to Start**\n",
             "**Hit 'a', 'b' for more Error Elimination\n", nullptr);
    }
    return b.finish();
}

// Mode 'B': evaluated step by step; "stop" returns the block as it stands.
StatusText statusB(const Scene& s) {
    Block b;
    const char* const hitA = "#### Hit 'A' to Find Another Final Pose.####\n";
    const char* const hitS = "Hit  's'  to Continue Motion\n";
    if (s.cntBTrial == 1) b.title = "(B) Path Generation from Goal to Initial : 1st Trial(Left Motion)\n";
    if (s.cntBTrial == 2) b.title = "(B) Path Generation from Goal to Initial : 2nd Trial(Up Motion)\n";
    if (s.cntBTrial >= 3) {
        b.title = "(B) Path Generation from Goal to Initial : Over Trial####\n";
        b.line[1] = hitA;
        return b.finish();
    }
    if (s.sgnSOLAEnd < 1) {
        if (s.sgnP < 2 || s.sgnT < 2) b.line[1] = "####Final Pose has still Error. Hit 'A' to Goal Calculation####\n";
        if (s.sgnMColl == -1 || s.sgnMColl == -2) {
            b.line[1] = "#### Joint/Work-Wall/Floor Interference Unavoidable.####\n";
            b.line[2] = hitA;
            return b.finish();
        }
        if (s.sgnMColl == -3) {
            b.line[1] = "#### Self Interference Unavoidable.####\n";
            b.line[2] = hitA;
            return b.finish();
        }
    }
    if (s.sgnNMAX == 'O') {
        b.line[1] = "#### Path Data Overflow.####\n";
        b.line[2] = "#### Hit 'B' for Another Trial, or Hit 'A'.####\n";
        return b.finish();
    }
    if ((s.keyLast == 'B' && (s.cntBTrial == 1 || s.cntBTrial == 2) && s.sgnMColl > 0) ||
        s.sgnPATH == PhaseWristMotion) {
        b.line[1] = "(1)Wrist Motion\n";
        b.line[2] = hitS;
        return b.finish();
    }
    if (s.sgnPATH == PhaseSlitPassOut) b.line[1] = "(2)Slit Pass Motion\n";
    if (inFreeSpacePhase(s.sgnPATH)) b.line[1] = "(3)Free Space Motion\n";
    if (s.sgnPATH == PhaseLastMotion) b.line[1] = "(4)Last Motion to Initial Pose\n";
    if (s.sgnPATHEnd == 0 && s.sgnMColl >= 1) {
        b.line[2] = hitS;
        return b.finish();
    }
    if (s.sgnMColl < 0 && s.cntBTrial <= 1) {
        b.line[2] = "#### Wall/Floor or Self Interference UnAvoidable.####\n";
    } else if (s.sgnPATH == PhaseSlitPassOut && s.sgnMColl == 0) {
        b.line[2] = "#### Arm Cannot Move Through Hole.####\n";
    } else if (s.sgnPATH >= PhaseFreeSpaceAway && s.sgnMColl == 0) {
        b.line[2] = "#### No Solution In Free Space.####\n";
    } else if (pathComplete(s)) {
        b.line[1] = "Path Generation Finished\n";
        b.line[2] = "Go to Path Motion by Hit 'C'\n";
        return b.finish();
    }
    if (s.cntBTrial < 2) {
        b.line[3] = "#### Hit 'B' to Find Another Path Root.####\n";
    } else {
        b.line[3] = "#### Two Trials of Pass Through Hole Repeated.####\n";
        b.line[4] = "#### Go to A or Goal or Obstacle Resetting by Hit 'A'  'G'  'O'\n";
    }
    return b.finish();
}

// The outcome of key 'N', or nothing.
const char* autoSolveLine(const Scene& s) {
    switch (s.sgnAutoSolve) {
        case kAutoSolveByKeys: return "'N': Path by the A and B Calculations\n";
        case kAutoSolvePlanned: return "'N': Final Pose by A, Path by the Sampling Planner\n";
        case kAutoSolveNumericPose: return "'N': Numeric Final Pose, Path by the Sampling Planner\n";
        case kAutoSolveNoPath: return "####'N': No Path Found (see the console)####\n";
        default: return nullptr;
    }
}

StatusText statusC(const Scene& s) {
    Block b;
    b.line[3] = autoSolveLine(s);
    if (pathComplete(s))
        b.line[1] = s.sgnPlayShort ? "(C) Shortened Motion from Initial to Goal (H)\n" : "(C) Robot Motion from Initial to Goal\n";
    if (s.sgnPATHEnd != 0) {
        if (s.sgnMOVE == 'M') b.line[2] = "Hit  's'   to Move Robot\n";
        if (s.sgnMOVE == 'E') b.line[2] = "**Reached Goal by Pass Through thick Slit**\n";
    } else {
        b.line[1] = "(C) Path Generation not Finished yet. Hit 's' to Continue B-Calculation\n";
    }
    return b.finish();
}

}  // namespace

StatusText chooseStatusLines(const Scene& s) {
    if (s.sgnAutoSolve == kAutoSolveNoPath && (s.sgnCAL == 'A' || s.sgnCAL == 'B')) {
        // The failure of 'N' takes the place of line 4 of the block it left.
        StatusText out = s.sgnCAL == 'A' ? statusA(s) : statusB(s);
        int k = 0;
        while (k < out.n && out.line[k].x != kLineX[4]) ++k;
        if (k == out.n && out.n < STATUS_MAX) ++out.n;
        if (k < out.n) out.line[k] = {kLineX[4], kRowY, autoSolveLine(s)};
        return out;
    }
    switch (s.sgnCAL) {
        case 'F':
            return StatusText{};
        case 'O':
            return notice("(O) Hit (1,2,3) to +, or (4,5,6) to -[x,y,z]\n",
                          s.sgnOBSTACLE == 0 ? "###Wall is too Far. Set it Nearer.###\n" : nullptr);
        case 'C':
            return statusC(s);
        case '0':
            return notice("Begin from A-calcul\n");
        case 'A':
            return statusA(s);
        case 'B':
            return statusB(s);
        default:
            return notice("####Abnormal Stop. Start from B Again###\n");
    }
}
