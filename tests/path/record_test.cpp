// Path record: subdivision, full record, closing motion, smoothing against averages, playback.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "app/keyboard.h"
#include "model/kinematics.h"
#include "path/last_motion.h"
#include "path/path_append.h"
#include "path/path_record.h"
#include "path_check.h"
#include "support/test_scene.h"

namespace {

// Weighted move a -> b: the last three joints count one fifth, roll joints go the short way.
double weighted(const Scene& s, const double* a, const double* b) {
    double d = 0;
    for (int i = 1; i <= s.N; ++i) {
        const double x = s.JRTYPE[i] == 'R' ? std::remainder(b[i] - a[i], 2 * M_PI) : b[i] - a[i];
        d = std::fmax(d, std::fabs(x) / (i >= s.N - 2 ? 5.0 : 1.0));
    }
    return d;
}

void expectSmallSteps(const Scene& s) {
    EXPECT_LE(checkPath(s, s.qIPATH, s.NPATH + 1, nullptr, nullptr).maxStep, 0.025 + 1e-12);
}

}  // namespace

TEST(PathAppend, SubdivisionCountsAndShortWayRound) {
    auto s = makeScene();  // F21: joint 1 is a roll joint, joints 2 and 3 are not, joint 7 a wrist joint
    struct Case { int joint; double from, to; int rows; } cases[] = {
        {3, 0.5, 0.5, 0}, {3, 0.5, 0.52, 1}, {7, 0.0, 0.1, 1}, {3, 0.24, 0.34, 4}, {1, 3.1, -3.1, 4}, {2, 0, 0.3, 12}};
    for (const Case& c : cases) {
        double q1[JV] = {};
        q1[c.joint] = c.to;
        s->NPATH = 0;
        std::fill(s->qIPATH[0], s->qIPATH[0] + JV, 0.0);
        s->qIPATH[0][c.joint] = c.from;
        EXPECT_EQ(appendPathSegment(*s, s->qIPATH[0], q1), c.rows) << c.joint << " " << c.from;
        ASSERT_EQ(s->NPATH, c.rows);
        expectSmallSteps(*s);
        EXPECT_EQ(weighted(*s, s->qIPATH[s->NPATH], c.rows ? q1 : s->qIPATH[0]), 0.0);
        forwardKinematics(*s, s->qIPATH[s->NPATH]);  // the work point trail follows the rows
        for (int k = 0; k < 3 && c.rows; ++k) EXPECT_EQ(s->rwIPATH[s->NPATH][k], s->rw[k]) << c.joint;
    }
}

TEST(PathAppend, FullRecordWritesNothingAndStopsTheClosingMotion) {
    auto s = makeScene();
    double q1[JV] = {};
    q1[3] = 0.1;  // four rows wanted, two fit
    s->NPATH = 2996;
    std::fill(s->qIPATH[2996], s->qIPATH[2996] + JV, 0.0);
    s->qIPATH[2999][3] = 42.0;  // row 2999 is never written
    s->sgnMColl = 1;
    EXPECT_EQ(appendPathSegment(*s, s->qIPATH[2996], q1), 2);
    EXPECT_EQ(s->NPATH, 2998);
    EXPECT_EQ(s->sgnNMAX, 'O');
    EXPECT_EQ(s->sgnMColl, 0);
    EXPECT_EQ(s->qIPATH[2999][3], 42.0);
    q1[3] = 0.3;
    EXPECT_EQ(appendPathSegment(*s, s->qIPATH[2998], q1), 0);
    s->qr[2] = 1.0;
    calBLASTMOTION(*s);
    EXPECT_EQ(s->NPATH, 2998);
    EXPECT_EQ(s->sgnPATHEnd, 0);
    EXPECT_NE(s->sgnPATH, 7);
    EXPECT_EQ(s->sgnMColl, 0);
}

TEST(PathRecord, ClosingMotionEndsExactlyAtTheInitialPose) {
    auto s = makeScene();
    const double q0[JV] = {0, 0.7, -1.1, 0.3, 2.9, -0.4, 0.0, 1.3, -2.2};
    std::copy(q0, q0 + JV, s->qIPATH[0]);
    std::copy(q0, q0 + JV, s->qr);
    calBLASTMOTION(*s);
    EXPECT_EQ(s->sgnPATH, 7);
    EXPECT_EQ(s->sgnPATHEnd, 1);
    EXPECT_EQ(s->NPATHmax, s->NPATH);
    EXPECT_GE(s->NPATH, 20);
    for (int i = 1; i <= s->N; ++i) {
        EXPECT_EQ(s->qr[i], 0.0) << i;
        EXPECT_EQ(s->qIPATH[s->NPATH][i], 0.0) << i;
    }
    expectSmallSteps(*s);
}

TEST(PathRecord, SmoothingAveragesTheRightJointsAndRows) {
    // Rows 0..20: final pose of F32 (through the slit), 21..30: upright pose; both with noise.
    auto s = makeSceneWithRobot(3, 2);
    ASSERT_TRUE(solveFinalPose(*s));
    int Mp = 0, Mw = 0, inWall[JV];
    classifyJointsByWall(*s, s->qAfinal, &Mp, inWall, &Mw);
    ASSERT_LT(Mw, s->N - 2);
    const int n = 30, N = s->N;
    for (int k = 0; k <= n; ++k)
        for (int i = 1; i <= N; ++i) s->qIPATH[k][i] = (k <= 20 ? s->qAfinal[i] : 0.0) + ((k * 7 + i * 3) % 5 - 2) * 0.001;
    s->NPATH = n, s->sgnPATH = 7;
    smoothPATH(*s);
    auto mean = [&](int k, int h, int i) {
        return std::accumulate(&s->qIPATH[k - h], &s->qIPATH[k + h + 1], 0.0, [i](double a, const double* r) { return a + r[i]; }) / (2 * h + 1);
    };
    for (int k = 0; k <= n; ++k)
        for (int i = 1; i <= N; ++i) {
            double want = s->qIPATH[k][i];
            // Stage 1 (far joints only) ends at row 16, its windows narrowing towards it.
            if (k >= 1 && k <= 15 && i >= Mw) want = mean(k, std::min({k, 5, 16 - k}), i);
            if (k >= 22 && k <= n - 5) want = mean(k, std::min(k - 21, 5), i);    // stage 2: all joints
            EXPECT_NEAR(s->qSIPATH[k][i], want, 1e-12) << "row " << k << " joint " << i;
        }
    // A smoothed row that pulls a joint in the wall off the slit plane, or that makes a step
    // beyond the append bound, gives way to its raw row; the rest stay smoothed.
    keyboard(*s, 'B');
    keyboard(*s, 's');  // phase 1: the work lifted, a sound pose through the slit
    ASSERT_EQ(s->sgnPATH, 2);
    double base[JV];
    for (int i = 0; i < JV; ++i) base[i] = s->qr[i];
    s->NPATH = n, s->sgnPATH = 7;
    for (int k = 0; k <= n; ++k)
        for (int i = 1; i <= N; ++i) s->qIPATH[k][i] = s->qSIPATH[k][i] = base[i];
    s->qSIPATH[5][1] += 0.2;   // turns the arm about its base: joints in the wall leave the plane
    s->qSIPATH[9][5] += 0.03;  // joint 5 is beyond the wall: clear, but 0.03 from its neighbours
    s->qSIPATH[12][5] += 0.001;
    keepSmoothingSound(*s);
    EXPECT_EQ(s->qSIPATH[5][1], s->qIPATH[5][1]);
    EXPECT_EQ(s->qSIPATH[9][5], s->qIPATH[9][5]);
    EXPECT_NE(s->qSIPATH[12][5], s->qIPATH[12][5]);
}

TEST(PathRecord, PlaybackStepsByPathLengthAndClamps) {
    auto s = makeScene();
    for (int k = 0; k < NMAX; ++k) s->qPATH[k][1] = k;
    for (int npath : {400, 600, 900}) {
        const int step = 1 + (npath > 500) + (npath > 800);
        s->NPATH = npath;
        s->nMOVE = 0, s->dirMOVE = 1;
        for (int presses = 1; presses <= npath / step + 1; ++presses) {
            stepMotion(*s);
            EXPECT_EQ(s->nMOVE, std::min(presses * step, npath)) << npath << " " << presses;
            EXPECT_EQ(s->qr[1], s->nMOVE) << npath << " " << presses;
            EXPECT_EQ(s->sgnMOVE, (presses * step > npath ? 'E' : 'M')) << npath << " " << presses;
        }
        s->dirMOVE = -1;
        stepMotion(*s);
        EXPECT_EQ(s->nMOVE, npath - 1);
        EXPECT_EQ(s->sgnMOVE, 'M');
    }
}
