// The path record: subdivision of a move, the full record, the closing motion, the smoothing
// against averages computed here, and the playback steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/keyboard.h"
#include "model/kinematics.h"

#include "path/path_record.h"
#include "support/capture.h"
#include "support/test_scene.h"

namespace {

// Weighted size of the move a -> b: arm joints as they are, the last three joints one fifth;
// roll joints the short way round.
double weighted(const Scene& s, const double* a, const double* b) {
    double d = 0;
    for (int i = 1; i <= s.N; ++i) {
        double x = b[i] - a[i];
        if (s.JRTYPE[i] == 'R') x = std::remainder(x, 2 * M_PI);
        d = std::fmax(d, std::fabs(x) / (i >= s.N - 2 ? 5.0 : 1.0));
    }
    return d;
}

void resetRecord(Scene& s, const double* q0) {
    s.NPATH = 0;
    s.sgnNMAX = 'U';
    for (int i = 0; i < JV; ++i) s.qIPATH[0][i] = q0[i];
}

}  // namespace

TEST(PathAppend, SubdivisionCountsAndShortWayRound) {
    auto s = makeScene();  // F21: joint 1 is a roll joint, joint 3 is not
    struct Case { int joint; double from, to; int rows; } cases[] = {
        {3, 0.5, 0.5, 0}, {3, 0.5, 0.52, 1}, {7, 0.0, 0.1, 1}, {3, 0.24, 0.34, 4}, {1, 3.1, -3.1, 4}, {2, 0, 0.3, 12}};
    for (const Case& c : cases) {
        double q0[JV] = {}, q1[JV] = {};
        q0[c.joint] = c.from;
        q1[c.joint] = c.to;
        resetRecord(*s, q0);
        EXPECT_EQ(appendPathSegment(*s, s->qIPATH[0], q1), c.rows) << c.joint << " " << c.from;
        EXPECT_EQ(s->NPATH, c.rows);
        for (int k = 1; k <= s->NPATH; ++k) EXPECT_LE(weighted(*s, s->qIPATH[k - 1], s->qIPATH[k]), 0.025 + 1e-12);
        if (c.rows > 0) {
            EXPECT_NEAR(weighted(*s, s->qIPATH[s->NPATH], q1), 0, 1e-15);
        }
    }
    // The roll joint crosses pi: every row stays near +-pi, none passes through 0.
    double q0[JV] = {}, q1[JV] = {};
    q0[1] = 3.1;
    q1[1] = -3.1;
    resetRecord(*s, q0);
    appendPathSegment(*s, s->qIPATH[0], q1);
    for (int k = 1; k <= s->NPATH; ++k) EXPECT_GT(std::fabs(s->qIPATH[k][1]), 3.09);
}

TEST(PathAppend, FullRecordWritesNothingAndStops) {
    auto s = makeScene();
    double q0[JV] = {}, q1[JV] = {};
    q1[3] = 0.1;  // four rows wanted
    resetRecord(*s, q0);
    s->NPATH = 2996;
    for (int i = 0; i < JV; ++i) s->qIPATH[2996][i] = s->qIPATH[2999][i] = 0;
    s->qIPATH[2999][3] = 42.0;  // sentinel: row 2999 is never written
    s->sgnMColl = 1;
    TraceCapture cap(*s);
    EXPECT_EQ(appendPathSegment(*s, s->qIPATH[2996], q1), 2);
    EXPECT_EQ(s->NPATH, 2998);
    EXPECT_EQ(s->sgnNMAX, 'O');
    EXPECT_EQ(s->sgnMColl, 0);
    EXPECT_EQ(s->qIPATH[2999][3], 42.0);
    EXPECT_NE(cap.text().find("\n〓〓データ数容量を超えた NPATH=2999 NMAX=3000→停止"), std::string::npos);
    q1[3] = 0.3;
    EXPECT_EQ(appendPathSegment(*s, s->qIPATH[2998], q1), 0);
    EXPECT_EQ(s->NPATH, 2998);
    // The closing motion on a full record: not reported complete.
    s->sgnPATH = 6;
    s->qr[2] = 1.0;
    calBLASTMOTION(*s);
    EXPECT_EQ(s->sgnPATHEnd, 0);
    EXPECT_NE(s->sgnPATH, 7);
    EXPECT_EQ(s->sgnMColl, 0);
}

TEST(PathRecord, ClosingMotionEndsExactlyAtTheInitialPose) {
    auto s = makeScene();
    const double q0[JV] = {0, 0.7, -1.1, 0.3, 2.9, -0.4, 0.0, 1.3, -2.2};
    resetRecord(*s, q0);
    for (int i = 0; i < JV; ++i) s->qr[i] = q0[i];
    calBLASTMOTION(*s);
    EXPECT_EQ(s->sgnPATH, 7);
    EXPECT_EQ(s->sgnPATHEnd, 1);
    EXPECT_EQ(s->NPATHmax, s->NPATH);
    for (int i = 1; i <= s->N; ++i) {
        EXPECT_EQ(s->qr[i], 0.0) << i;
        EXPECT_EQ(s->qIPATH[s->NPATH][i], 0.0) << i;
    }
    for (int k = 1; k <= s->NPATH; ++k) EXPECT_LE(weighted(*s, s->qIPATH[k - 1], s->qIPATH[k]), 0.025 + 1e-12);
    EXPECT_GE(s->NPATH, 20);  // at least one row for each of the 20 steps
}

TEST(PathRecord, SmoothingAveragesTheRightJointsAndRows) {
    // Rows 0..20: the final pose of F32 (arm through the slit) with alternating noise; rows
    // 21..30: the upright pose (whole arm in front of the wall) with alternating noise.
    auto s = makeSceneWithRobot(3, 2);
    for (int n = 0; s->sgnSOLAEnd != 1 && n < 300; ++n) keyboard(*s, "aab"[n % 3]);
    ASSERT_EQ(s->sgnSOLAEnd, 1);
    int Mp = 0, Mw = 0, inWall[JV];
    classifyJointsByWall(*s, s->qAfinal, &Mp, inWall, &Mw);
    ASSERT_LT(Mw, s->N - 2);
    const int n = 30, N = s->N;
    for (int k = 0; k <= n; ++k)
        for (int i = 1; i <= N; ++i)
            s->qIPATH[k][i] = (k <= 20 ? s->qAfinal[i] : 0.0) + ((k * 7 + i * 3) % 5 - 2) * 0.001;
    s->NPATH = n;
    smoothPATH(*s);
    auto mean = [&](int k, int h, int i) {
        double sum = 0;
        for (int r = k - h; r <= k + h; ++r) sum += s->qIPATH[r][i];
        return sum / (2 * h + 1);
    };
    for (int k = 0; k <= n; ++k)
        for (int i = 1; i <= N; ++i) {
            double want = s->qIPATH[k][i];
            if (k >= 1 && k <= 15 && i >= Mw) want = mean(k, std::min(k, 5), i);  // stage 1, far joints
            if (k >= 22 && k <= n - 5) want = mean(k, std::min(k - 21, 5), i);    // stage 2, all joints
            EXPECT_NEAR(s->qSIPATH[k][i], want, 1e-12) << "row " << k << " joint " << i;
        }
    calCMOTION(*s);
    for (int k = 0; k <= n; ++k) EXPECT_EQ(s->qPATH[k][2], s->qSIPATH[n - k][2]);
}

TEST(PathRecord, PlaybackStepsByPathLengthAndClamps) {
    auto s = makeScene();
    for (int k = 0; k < NMAX; ++k) s->qPATH[k][1] = k;
    struct Case { int npath, step; } cases[] = {{400, 1}, {600, 2}, {900, 3}};
    for (const Case& c : cases) {
        s->NPATH = c.npath;
        s->nMOVE = 0;
        s->dirMOVE = 1;
        int presses = 0;
        while (s->sgnMOVE != 'E' || presses == 0) {
            const int before = s->nMOVE;
            stepMotion(*s);
            ++presses;
            EXPECT_EQ(s->nMOVE, std::min(before + c.step, c.npath));
            EXPECT_EQ(s->qr[1], s->nMOVE);
            ASSERT_LT(presses, 1000);
        }
        EXPECT_EQ(s->nMOVE, c.npath);
        s->dirMOVE = -1;
        stepMotion(*s);
        EXPECT_EQ(s->nMOVE, c.npath - 1);
        EXPECT_EQ(s->sgnMOVE, 'M');
    }
}
