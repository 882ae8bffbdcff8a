// Slit pass-out: candidates judged by independent joint points, filter stages, step rule, cycle rules.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "model/wall_goal.h"
#include "goal/goal_check.h"
#include "path/path_clearance.h"
#include "path/slit_candidates.h"
#include "path/slit_pass_out.h"
#include "path/slit_select.h"
#include "path_check.h"
#include "support/test_scene.h"

namespace {

void startPhase2(Scene& s, const double* q) {
    for (int i = 0; i < JV; ++i) s.qr[i] = s.qs[i] = s.qIPATH[0][i] = s.qIPATHth[0][i] = q[i];
    s.NPATH = s.NPATHth = 0;
    s.sgnPATH = 2, s.sgnMColl = 1, s.sgnNMAX = 'U';
}

// A final pose of the A keys clear of wall, floor and self.
bool clearFinalPose(Scene& s) {
    return solveFinalPose(s, [](Scene& t) {
        double bw[JV], bf[JV], bs[JV];
        int Jb = 0;
        return judgeFinalPose(t, t.qr).why.empty() && calArmClearance(t, 2, t.Nw, t.qr, bw, bf, bs, Jb) == 0;
    });
}

// F21 with the arm in front of the wall: joint 3 leans the upper arm toward -y by 0.5 rad.
std::unique_ptr<Scene> leaningScene(double* q0) {
    auto s = makeScene();
    for (int i = 0; i < JV; ++i) q0[i] = 0;
    for (double sg : {1.0, -1.0}) {
        q0[3] = 0.5 * sg;
        Vec3 P[JV];
        independentJointPoints(*s, q0, P);
        if (P[6][1] < P[3][1]) break;
    }
    startPhase2(*s, q0);
    return s;
}

double wristAt(const Scene& s, const double* q, int k) {
    Vec3 P[JV];
    independentJointPoints(s, q, P);
    return P[s.N - 2][k];
}

}  // namespace

TEST(SlitCandidates, ThreadedCandidatesKeepTheWallJointsOnThePlane) {
    int total = 0;
    for (int rb : {21, 22, 31, 32, 41, 42}) {
        auto sp = makeSceneWithRobot(rb / 10, rb % 10);
        Scene& s = *sp;
        if (!clearFinalPose(s)) continue;
        double q0[JV];
        for (int i = 0; i < JV; ++i) q0[i] = s.qr[i];
        startPhase2(s, q0);
        const int n = SlitPassB5(s, 'L', q0, 0.02, s.qCand);
        ASSERT_LE(n, NSOLMAX);
        for (int c = 0; c < n; ++c) {
            const int k = s.kLM[c][0], L = s.kLM[c][1];
            if (k == L) continue;  // the rolling candidate keeps the distances of q0
            ++total;
            const double* q = s.qCand[c];
            Vec3 P[JV];
            independentJointPoints(s, q, P);
            bool beyond = false;
            for (int i = 1; i <= s.Nw && !beyond; ++i) {
                const double y = P[i][1];
                // Joints inside the wall, and the first one at or past the far face.
                if (y > s.rhy1) {
                    EXPECT_NEAR(P[i][0], s.rhx, 1e-5) << "F" << rb << " cand " << c << " joint " << i;
                }
                beyond = y >= s.rhy2;
            }
            EXPECT_LT(std::fabs(q[k] - q0[k]), 1.0);
            for (int i = 2; i <= L; ++i) EXPECT_GE(P[i][2] - Margin, -tolFine);
        }
    }
    EXPECT_GT(total, 10);
}

TEST(SlitSelect, FilterStagesOnHandMadeCandidates) {
    double q0[JV];
    auto sp = leaningScene(q0);
    Scene& s = *sp;
    double sols[3][JV], best[JV];
    int JColl = -9;
    auto set = [&](int r, int j, double d) {
        for (int i = 0; i < JV; ++i) sols[r][i] = q0[i];
        sols[r][j] += d;
    };
    // (1E): only poses within 0.0001 of q0.
    set(0, 1, 5e-5);
    set(1, 2, -5e-5);
    {
        TraceCapture cap(s);
        EXPECT_EQ(SelectSlitPassSolT(s, q0, 2, sols, best, JColl), 0);
        EXPECT_NE(cap.text().find("(1)解全てがq[]変わらない"), std::string::npos);
    }
    // (5D): a change of 0.31 rad in an arm joint goes even as the only survivor of (4G); 0.29
    // stays, and alone it is the result without the direction sort.
    set(0, 2, 0.31);
    EXPECT_EQ(SelectSlitPassSolT(s, q0, 1, sols, best, JColl), 0);
    EXPECT_EQ(JColl, 0);
    set(0, 2, 0.29);
    {
        TraceCapture cap(s);
        EXPECT_EQ(SelectSlitPassSolT(s, q0, 1, sols, best, JColl), 1);
        EXPECT_EQ(cap.text().find("(6LU)"), std::string::npos);
        EXPECT_DOUBLE_EQ(best[2], q0[2] + 0.29);
    }
    // (6LU): with the upper arm leaning toward -y, joint 3 back toward upright moves the wrist
    // +y and up (RU), the other way -y and down (LD); 'U' takes RU, 'L' takes LD.
    const double up = (q0[3] > 0) ? -0.05 : 0.05;
    set(0, 3, -up);
    set(1, 3, up);
    for (int k : {1, 2}) {
        ASSERT_GT(wristAt(s, sols[1], k), wristAt(s, q0, k)) << k;
        ASSERT_LT(wristAt(s, sols[0], k), wristAt(s, q0, k)) << k;
    }
    for (char dir : {'U', 'L'}) {
        s.sgnArmDir = dir;
        ASSERT_EQ(SelectSlitPassSolT(s, q0, 2, sols, best, JColl), 1);
        EXPECT_DOUBLE_EQ(best[3], sols[dir == 'U' ? 1 : 0][3]) << dir;
    }
}

TEST(SlitSelect, LinkSpanningTheWallOffTheSlitIsRejected) {
    // The upper arm leans over the wall so that the 2.0 link from J[3] to J[4] spans it with no
    // joint inside; the slit plane 0.3 beside the arm leaves every joint check clear.
    auto sp = makeScene();
    Scene& s = *sp;
    double q[JV] = {};
    Vec3 P[JV];
    q[3] = 1.2;
    independentJointPoints(s, q, P);
    if (P[4][1] < 0) q[3] = -1.2;
    independentJointPoints(s, q, P);
    const double ymid = 0.5 * (P[3][1] + P[4][1]);
    double q0[JV];
    for (int i = 0; i < JV; ++i) q0[i] = q[i] + (i == 1 ? 0.01 : 0.0);
    double sols[1][JV], best[JV];
    for (int i = 0; i < JV; ++i) sols[0][i] = q[i];
    for (double rhx : {0.3, 0.0}) {
        s.rh = Vec3{{rhx, ymid, 0}};
        setWallGeometry(s);
        startPhase2(s, q0);
        ASSERT_LT(P[3][1], s.rhy1M);
        ASSERT_GT(P[4][1], s.rhy2M);
        int JColl = 0;
        EXPECT_EQ(SelectSlitPassSolT(s, q0, 1, sols, best, JColl), rhx > 0 ? 0 : 1) << rhx;
        EXPECT_EQ(JColl, rhx > 0 ? 4 : 0);
    }
}

TEST(SlitStep, ReductionAndTrialValues) {
    int cnt = 0;
    double step = 0.02;
    EXPECT_FALSE(slitStepAccept(0.4, cnt, step));
    EXPECT_DOUBLE_EQ(step, 0.01);
    EXPECT_FALSE(slitStepAccept(0.4, cnt, step));
    EXPECT_FALSE(slitStepAccept(0.4, cnt, step));
    EXPECT_EQ(cnt, 3);
    EXPECT_TRUE(slitStepAccept(0.4, cnt, step));  // after three reductions, whatever the size
    EXPECT_TRUE(slitStepAccept(0.2, cnt = 0, step));
    // Trial values of a joint that is not of type 'R' (F21 joint 2).
    auto s = makeScene();
    double v = 9;
    EXPECT_TRUE(slitTrialValue(*s, 2, 0.0, 0.02, &v));
    EXPECT_EQ(v, 0.02);  // not snapped back: it leaves 0
    EXPECT_TRUE(slitTrialValue(*s, 2, 0.015, -0.02, &v));
    EXPECT_EQ(v, 0.0);
    EXPECT_TRUE(slitTrialValue(*s, 2, 1.56, 0.02, &v));
    EXPECT_EQ(v, 1.5707963278);
    EXPECT_FALSE(slitTrialValue(*s, 2, s->qLimit, 0.02, &v));
}

TEST(SlitCycle, ContinuationIsAppendedOnlyWhenClear) {
    double q0[JV];
    auto sp = leaningScene(q0);
    Scene& s = *sp;
    // Every candidate lies inside a wide envelope of the newest cycle, so no pass-out is found
    // and the previous change is continued once more.
    struct Case {
        int joint;
        double change;
        bool clear;
    };
    for (Case c : {Case{1, 0.01, true}, Case{3, 2.4, false}}) {
        startPhase2(s, q0);
        for (int i = 0; i < JV; ++i) {
            s.qIPATHth[1][i] = s.qIPATHth[2][i] = q0[i];
            s.qPassMax[2][i] = 10;
            s.qPassMin[2][i] = -10;
        }
        s.qIPATHth[1][c.joint] -= c.change;
        s.NPATHth = 2;
        double qOut[JV], bw[JV], bf[JV], bs[JV];
        int JColl = 0;
        const int r = SlitPassWOutMotion(s, q0, qOut, bw, bf, bs, JColl);
        if (c.clear) {
            EXPECT_EQ(r, 1);
            EXPECT_NEAR(s.qr[1], q0[1] + 0.01, 1e-12);
            EXPECT_EQ(s.NPATHth, 3);
            EXPECT_GT(s.NPATH, 0);
            for (int i = 1; i <= s.N; ++i) EXPECT_NEAR(s.qIPATH[s.NPATH][i], s.qr[i], 1e-9);
        } else {
            EXPECT_LT(r, 0);
            EXPECT_NE(JColl, 0);
            EXPECT_TRUE(sameQ(s.qr, q0));
            EXPECT_TRUE(sameQ(qOut, q0));
            EXPECT_EQ(s.NPATH, 0);
            EXPECT_EQ(s.NPATHth, 2);
        }
    }
}

TEST(SlitCycle, FirstCycleClearsRowZeroAndAFullHistoryEndsTheCycle) {
    double q0[JV];
    auto sp = leaningScene(q0);
    Scene& s = *sp;
    for (int i = 0; i < JV; ++i) s.dqIPATHth[0][i] = 7;
    double qOut[JV], bw[JV], bf[JV], bs[JV];
    int JColl = 0;
    SlitPassWOutMotion(s, q0, qOut, bw, bf, bs, JColl);
    for (int i = 0; i < JV; ++i) EXPECT_EQ(s.dqIPATHth[0][i], 0.0);
    startPhase2(s, q0);
    s.NPATHth = NMAX - 2;
    EXPECT_EQ(SlitPassWOutMotion(s, q0, qOut, bw, bf, bs, JColl), 0);
    EXPECT_TRUE(sameQ(s.qr, q0));
    EXPECT_EQ(s.NPATH, 0);
    EXPECT_EQ(s.NPATHth, NMAX - 2);
}
