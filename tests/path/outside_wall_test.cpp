// Motions beyond the wall, from the final poses of the A keys; every appended row is judged by
// recomputing its joint points with forward kinematics.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "../goal/goal_check.h"
#include "collide/interference.h"
#include "model/vecops.h"
#include "app/scene_options.h"
#include "path/outside_internal.h"
#include "path/outside_wall.h"
#include "path_check.h"

namespace {

int countOf(const std::string& t, const char* key) {
    int n = 0;
    for (size_t p = t.find(key); p != std::string::npos; p = t.find(key, p + 1)) ++n;
    return n;
}

// The path record started on a final pose of the A keys that the B preparation accepts (robot
// side and far side joints clear, joints inside the wall above the floor margin); candidates
// are tried in turn. Null when none.
std::unique_ptr<Scene> startPath(int robot) {
    auto s = makeSceneWithRobot(robot / 10, robot % 10);
    s->trace = nullptr;
    for (int c = 0; c < s->nqss0; ++c) {
        if (c > 0) keyboard(*s, ' ');
        for (int n = 0; s->sgnSOLAEnd != 1 && n < 200; ++n) keyboard(*s, "aab"[n % 3]);
        if (s->sgnSOLAEnd != 1 || judgeFinalPose(*s, s->qr).overLimit) continue;
        wrapJointVector(JV - 1, s->qAfinal, s->qr);
        int inWall[JV], Mp, Mw;
        classifyJointsByWall(*s, s->qr, &Mp, inWall, &Mw);
        bool ok = true;
        for (int j = 2; j <= s->N; ++j) {
            double bw, bf, bs;
            int K, t1, t2;
            Vec3 P1, P2;
            if (j > Mp && j < Mw) {
                forwardKinematics(*s, s->qr);
                ok = ok && s->J[j][2] > Margin;
            } else {
                ok = ok && JntMCollCheck(*s, j <= Mp ? 'I' : 'O', j, s->qr, bw, bf, bs, K, P1, P2, t1, t2) == 0;
            }
        }
        if (!ok) continue;
        copyJointVector(JV - 1, s->qr, s->qs);
        copyJointVector(JV - 1, s->qr, s->qIPATH[0]);
        s->Mpass = Mp;
        s->MW = Mw;
        s->MpTrack = Mp;
        s->NPATH = 0;
        s->sgnNMAX = 'U';
        s->sgnPATH = 1;
        s->sgnMColl = 1;
        return s;
    }
    return nullptr;
}

}  // namespace

class OutsideWall : public ::testing::TestWithParam<int> {};

TEST_P(OutsideWall, WorkLiftThenFarJointsKeepClearOfWallAndFloor) {
    auto s = startPath(GetParam());
    if (!s) GTEST_SKIP() << "no final pose that the B preparation accepts";
    const int N = s->N, Nw = s->Nw;
    forwardKinematics(*s, s->qs);
    const Vec3 v0 = s->mm[Nw];
    double q1[JV];
    std::string lift;
    {
        TraceCapture cap(*s);
        const int r = WOutWorkLift(*s, s->qs, q1);
        lift = cap.text();
        ASSERT_TRUE(r == 1 || r == 2);
        // Unless the work stopped it or joint N-1 reached its limit: 20 steps, joint N unwound
        // and the work turned half round (pointing opposite to where it started).
        if (r == 2 && std::fabs(q1[N - 1]) < s->qLimitWrist - 1e-9) {
            EXPECT_EQ(countOf(lift, "▼8:k="), 20);
            EXPECT_NEAR(q1[N], 0.0, 1e-9);
            forwardKinematics(*s, q1);
            for (int k = 0; k < 3; ++k) EXPECT_NEAR(s->mm[Nw][k], -v0[k], 1e-5);
        }
    }
    for (int k = 1; k <= s->NPATH; ++k) {
        forwardKinematics(*s, s->qIPATH[k]);
        const Vec3 w = s->J[Nw];
        EXPECT_TRUE(w[1] >= s->rhy2 + 0.2 - 1e-9 || w[2] > MarginW) << "row " << k;
        EXPECT_NEAR(s->rwIPATH[k][1], w[1], 1e-9);
    }

    // The far joints after the lift, as phase 1 calls them.
    copyJointVector(JV - 1, q1, s->qr);
    forwardKinematics(*s, q1);
    double h[JV] = {};
    for (int i = 1; i <= Nw; ++i) h[i] = s->J[i][2];
    int inWall[JV], Mp, Mw, MColl = 0;
    classifyJointsByWall(*s, q1, &Mp, inWall, &Mw);
    const int n0 = s->NPATH;
    double q2[JV];
    const int r = WOutApart7(*s, Mw, q1, q1, h, q2, MColl);
    EXPECT_GE(r, -3);
    EXPECT_LE(r, 1);
    for (int i = 1; i <= N; ++i) EXPECT_EQ(q2[i], s->qr[i]);
    for (int k = n0 + 1; k <= s->NPATH; ++k) {
        forwardKinematics(*s, s->qIPATH[k]);
        for (int j = 2; j <= Nw; ++j) {
            const Vec3 J = s->J[j];
            EXPECT_GT(J[2], 0.0) << "row " << k << " joint " << j << " below the floor";
            if (J[1] < s->rhy2) continue;
            const double face = j == Nw ? s->rhy2W : s->rhy2M;
            EXPECT_TRUE(J[1] >= face - 1e-9 || std::fabs(J[0] - s->rhx) <= 0.01)
                << "row " << k << " joint " << j << " in the wall band";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Robots, OutsideWall, ::testing::Values(11, 12, 21, 22, 31, 32, 41, 42),
                         [](const ::testing::TestParamInfo<int>& i) { return "F" + std::to_string(i.param); });

TEST(OutsideWall, WorkMotionTurnsTheWorkUpInSixStepsAndEndsUp) {
    // Arm upright in front of the wall, the work tilted 0.3 rad by joint N-1: only the work
    // turns, so 0.3 / 0.05 = 6 steps; the last row keeps the work up.
    auto s = makeSceneWithRobot(2, 1);
    s->trace = nullptr;
    double q[JV] = {};
    q[s->N - 1] = 0.3;
    copyJointVector(JV - 1, q, s->qIPATH[0]);
    s->NPATH = 0;
    s->sgnNMAX = 'U';
    s->sgnPATH = 2;
    double qOut[JV];
    int MColl = -9;
    TraceCapture cap(*s);
    EXPECT_EQ(WOutWorkLargeMotion7(*s, s->Nw, q, q, 0.0, qOut, MColl), 1);
    EXPECT_EQ(MColl, 0);
    EXPECT_EQ(countOf(cap.text(), "▽W15:"), 6);
    forwardKinematics(*s, s->qIPATH[s->NPATH]);
    EXPECT_NEAR(s->mm[s->Nw][2], 1.0, 1e-5);
}

TEST(OutsideWall, FullFoldBackIsSaturatedToTheLimitAngle) {
    // Target straight back along the link before it: the angle is pi (beyond the limit), so the
    // direction is replaced by one at the limit angle from that link.
    auto s = makeSceneWithRobot(2, 1);
    s->trace = nullptr;
    double q[JV] = {0, 0.2, 0.3, 0.4, 0, 0.5, 0, 0.4, 0};
    forwardKinematics(*s, q);
    const int M = 6, MF = 5;
    const Vec3 mf = s->mm[MF];
    Vec3 back;
    negVec3(mf, back);
    Vec3 eOut;
    EXPECT_EQ(WOutChangeArmDir(*s, s->Nw, M, q, s->mm[M], back, eOut), 1);
    EXPECT_NEAR(std::acos(dotVec3(eOut, mf)), s->qLimit, 1e-6);
}

TEST(OutsideWall, FarStepRefusesWallFaultsTheJointChecksMiss) {
    // Steps once appended: F32, link 5 crossing the far face 0.104 off the slit plane; F11 (slit
    // 0.1 left), the work folded back into the near face's band. The path check confirms each.
    const double q[2][JV] = {{0, -0.4469, 0, 0.1218, 0.7352, -1.9539, 2.6048, 2.1255, 0},
                             {0, -0.0466, -0.11, -2.3359, -0.0014, 2.4257, -2.006, -0.9783, 0}};
    for (int c = 0; c < 2; ++c) {
        auto s = makeSceneWithRobot(c ? 1 : 3, c ? 1 : 2);
        std::string err;
        ASSERT_TRUE(moveSlitByKeys(*s, Vec3{{s->rh[0] - 0.1 * c, s->rh[1], s->rh[2]}}, err));
        EXPECT_FALSE(checkPath(*s, &q[c], 1, nullptr, nullptr).ok);
        double qa[JV];
        int Mbad = 0, collType = 0;
        EXPECT_EQ(checkFarStep(*s, c ? 9 : 4, q[c], qa, Mbad, collType), -1);
        EXPECT_EQ(Mbad, c ? 9 : 5);
    }
}
