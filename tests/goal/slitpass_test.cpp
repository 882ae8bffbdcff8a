// Placing joints on the alpha-plane, the slit-pass search and the stepped move.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "goal/goal.h"
#include "goal/goal_common.h"
#include "model/kinematics.h"
#include "support/capture.h"
#include "support/test_scene.h"

namespace {

double planeX(Scene& s, const double* q, int i) {
    forwardKinematics(s, q);
    return s.J[i][0] - s.rhx;
}

// Roots of x(J[i]) - rhx as joint j turns through a full turn, found by sign changes on a dense
// grid and bisection; y of J[i] at each root is written to ys. Returns the number of roots.
int rootsByScan(Scene& s, const double* q, int j, int i, double* ys, int cap) {
    double t[JV];
    for (int k = 0; k < JV; ++k) t[k] = q[k];
    const int n = 7200;
    auto f = [&](double a) {
        t[j] = a;
        return planeX(s, t, i);
    };
    int count = 0;
    double a0 = -PI_C, f0 = f(a0);
    for (int k = 1; k <= n; ++k) {
        double a1 = -PI_C + TWO_PI_C * k / n, f1 = f(a1);
        if ((f0 < 0) != (f1 < 0)) {
            double lo = a0, hi = a1, flo = f0;
            for (int it = 0; it < 60; ++it) {
                double mid = 0.5 * (lo + hi), fm = f(mid);
                if ((fm < 0) == (flo < 0))
                    lo = mid, flo = fm;
                else
                    hi = mid;
            }
            t[j] = 0.5 * (lo + hi);
            forwardKinematics(s, t);
            if (count < cap) ys[count] = s.J[i][1];
            ++count;
        }
        a0 = a1, f0 = f1;
    }
    return count;
}

}  // namespace

TEST(PutJMSlitPlaneA, SolutionsPutTheJointOnThePlaneAndMatchADenseScan) {
    auto s = makeScene();
    int checked = 0;
    for (int c = 0; c < s->nqss0; ++c) {
        const double* q = s->qss0[c];
        for (int L = 1; L <= 3; ++L)
            for (int M = L + 1; M <= 5; ++M) {
                double o1[JV], o2[JV];
                int Mq = 0;
                const int n = PutJMSlitPlaneA(*s, L, M, q, o1, o2, &Mq);
                EXPECT_EQ(Mq, s->JRTYPE[M] == 'R' ? M + 1 : M);
                if (L >= Mq || (L == Mq - 1 && s->JRTYPE[L] == 'R')) {
                    EXPECT_EQ(n, 0);
                    continue;
                }
                double ys[8];
                const int scan = rootsByScan(*s, q, L, Mq, ys, 8);
                EXPECT_EQ(n, scan) << "L=" << L << " M=" << M;
                const double* outs[2] = {o1, o2};
                for (int k = 0; k < n; ++k) {
                    EXPECT_NEAR(planeX(*s, outs[k], Mq), 0.0, 1e-9);
                    for (int i = 0; i < JV; ++i)
                        if (i != L) {
                            EXPECT_EQ(outs[k][i], q[i]);
                        }
                    EXPECT_GE(outs[k][L], -PI_C);
                    EXPECT_LT(outs[k][L], PI_C);
                }
                ++checked;
            }
    }
    EXPECT_GT(checked, 10);
}

TEST(PutJMSlitPlaneA, JointAlreadyOnThePlaneIsOneSolutionUnchanged) {
    auto s = makeScene();
    double q[JV], o1[JV], o2[JV];
    int Mq = 0;
    ASSERT_GE(PutJMSlitPlaneA(*s, 2, 3, s->qr, q, o2, &Mq), 1);
    EXPECT_EQ(PutJMSlitPlaneA(*s, 1, 3, q, o1, o2, &Mq), 1);
    for (int i = 0; i < JV; ++i) EXPECT_EQ(o1[i], q[i]);
}

TEST(PutJMHSlitPlaneA, NextJointOnThePlaneAtTheLargerY) {
    auto s = makeScene();
    int placed = 0;
    for (int c = 0; c < s->nqss0; ++c)
        for (int L = 1; L <= 2; ++L) {
            const int M = 3;  // a 'P' joint of F21
            double o[2][JV];
            int Mq = 0;
            const int n = PutJMSlitPlaneA(*s, L, M, s->qss0[c], o[0], o[1], &Mq);
            for (int k = 0; k < n; ++k) {
                double out[JV];
                int MM = 0;
                if (PutJMHSlitPlaneA(*s, M, M + 1, o[k], out, &MM) != 1 || MM != M) continue;
                const int MH = (s->JRTYPE[M + 1] == 'R') ? M + 2 : M + 1;
                EXPECT_NEAR(planeX(*s, out, M), 0.0, 1e-9);
                EXPECT_NEAR(planeX(*s, out, MH), 0.0, 1e-9);
                // Among all turns of joint M that put J[MH] on the plane, the one chosen has the
                // largest y.
                double ys[8];
                const int roots = rootsByScan(*s, out, M, MH, ys, 8);
                ASSERT_GE(roots, 1);
                forwardKinematics(*s, out);
                for (int r = 0; r < roots && r < 8; ++r) EXPECT_GE(s->J[MH][1], ys[r] - 1e-6);
                ++placed;
            }
        }
    EXPECT_GT(placed, 0);
}

TEST(PutJMHSlitPlaneA, RefusesAJointOffThePlaneOrOfTypeR) {
    auto s = makeScene();
    double out[JV];
    int MM = 0;
    ASSERT_GT(std::fabs(planeX(*s, s->qr, 3)), 1e-3);
    EXPECT_EQ(PutJMHSlitPlaneA(*s, 3, 4, s->qr, out, &MM), 0);
    for (int i = 0; i < JV; ++i) EXPECT_EQ(out[i], s->qr[i]);
    EXPECT_EQ(PutJMHSlitPlaneA(*s, 4, 5, s->qr, out, &MM), 0);  // joint 4 of F21 is 'R'
    EXPECT_EQ(PutJMHSlitPlaneA(*s, s->N - 2, s->N - 1, s->qr, out, &MM), 0);
}

TEST(SlitPassA5, RowsPassTheWallAndJointOneRNeverTriesM2) {
    auto s = makeScene();
    SlitSolution table[SLITSOL_MAX];
    TraceCapture cap(*s);
    const int n = SlitPassA5(*s, s->qr, table);
    ASSERT_GT(n, 0);
    for (int k = 0; k < n; ++k) {
        const SlitSolution& r = table[k];
        forwardKinematics(*s, r.q);
        // Its classification, found here from the y of the joints.
        int Mp = 1;
        for (int i = 1; i <= s->Nw && s->J[i][1] <= s->rhy1; ++i) Mp = i;
        EXPECT_EQ(r.Mp, Mp);
        EXPECT_LT(r.L, r.M);
        // J[M] on the plane: the search placed it there.
        EXPECT_NEAR(s->J[r.M][0], s->rhx, 1e-9) << "row " << k;
    }
    EXPECT_EQ(cap.text().find("(kL,kM,kH)=(1 2 3)"), std::string::npos);
    EXPECT_NE(cap.text().find("(kL,kM,kH)=(1 3 4)"), std::string::npos);
}

TEST(SlitPassA5, GoalOnThePlaneAddsTheCase3Pose) {
    auto s = makeSceneWithRobot(1, 1);  // F11: goal on x = 0.2, joint 1 at x = 0
    ASSERT_EQ(s->sgnWrkAlpha, 'I');
    ASSERT_EQ(s->sgnJ1Alpha, 'O');
    SlitSolution table[SLITSOL_MAX];
    TraceCapture cap(*s);
    const int n = SlitPassA5(*s, s->qr, table);
    EXPECT_NE(cap.text().find("SlitPassASpec3()始め"), std::string::npos);
    for (int k = 0; k < n; ++k) {
        EXPECT_LT(table[k].Mp, table[k].Mw);
        for (int i = 0; i <= s->N; ++i) EXPECT_TRUE(std::isfinite(table[k].q[i]));
    }
}

TEST(StepTowardPose, SplitsTheLargestChangeIntoStepsOfAtLeastATenth) {
    auto s = makeScene();
    double qs[JV] = {}, qT[JV] = {}, dqk[JV], q2[JV], dqH = 0;
    for (int i = 0; i < JV; ++i) qs[i] = qT[i] = 0.3;
    qT[2] = 0.3 + 0.25;
    qT[4] = 0.3 - 0.1;
    qT[7] = 1.0;  // wrist joints are not stepped
    EXPECT_EQ(stepTowardPose(*s, qs, qT, dqk, &dqH, q2), 2);
    EXPECT_NEAR(dqH, 0.25, 1e-15);
    EXPECT_NEAR(q2[2], 0.3 + 0.125, 1e-15);
    EXPECT_NEAR(q2[4], 0.3 - 0.05, 1e-15);
    EXPECT_EQ(q2[7], qs[7]);

    qT[2] = 0.3 + 0.09;
    qT[4] = 0.3;
    EXPECT_EQ(stepTowardPose(*s, qs, qT, dqk, &dqH, q2), 0);
    for (int i = 0; i < JV; ++i) EXPECT_EQ(q2[i], qT[i]) << "lands on the target, wrist included";

    for (int i = 0; i < JV; ++i) qs[i] = qT[i] = 0;
    qT[3] = 0.1;
    EXPECT_EQ(stepTowardPose(*s, qs, qT, dqk, &dqH, q2), 1);
    EXPECT_EQ(q2[3], 0.1);

    // A difference of exactly pi (either sign) is not wrapped; beyond it is.
    qs[1] = 0;
    qT[1] = PI_C;
    qT[3] = 0;
    stepTowardPose(*s, qs, qT, dqk, &dqH, q2);
    EXPECT_EQ(dqk[1], PI_C);
    qT[1] = -PI_C;
    stepTowardPose(*s, qs, qT, dqk, &dqH, q2);
    EXPECT_EQ(dqk[1], -PI_C);
    qT[1] = 3.5;
    stepTowardPose(*s, qs, qT, dqk, &dqH, q2);
    EXPECT_NEAR(dqk[1], 3.5 - TWO_PI_C, 1e-15);
}

TEST(CalAb, SteppedMoveLandsOnTheChosenPose) {
    auto s = makeScene();
    s->trace = nullptr;
    ASSERT_EQ(s->sgnAbStep, 0);
    calAb(*s);
    ASSERT_EQ(s->sgnAbStep, 1);
    double target[JV];
    for (int i = 0; i < JV; ++i) target[i] = s->qAb[i];
    bool landed = false;
    for (int press = 0; press < 40 && !landed; ++press) {
        double before[JV];
        for (int i = 0; i < JV; ++i) before[i] = s->qr[i];
        calAb(*s);
        ASSERT_EQ(s->sgnAbStep, 1) << "large errors: no Newton correction yet";
        for (int i = 0; i < JV; ++i) EXPECT_EQ(s->qAb[i], target[i]) << "the target stays";
        double moved = 0;
        landed = true;
        for (int j = 1; j <= s->N - 3; ++j) {
            moved = std::fmax(moved, std::fabs(s->qr[j] - before[j]));
            if (s->qr[j] != target[j]) landed = false;
        }
        EXPECT_LE(moved, 0.2 + 1e-12);
    }
    EXPECT_TRUE(landed);
    // Pressed again on the target: nothing moves until 'a' is pressed.
    double at[JV];
    for (int i = 0; i < JV; ++i) at[i] = s->qr[i];
    calAb(*s);
    for (int j = 1; j <= s->N - 3; ++j) EXPECT_EQ(s->qr[j], at[j]);
}

TEST(SlitPassA5, BothOnThePlaneIsNotCase3) {
    auto s = makeSceneWithRobot(3, 1);  // F31: joint 1 and the goal on x = 0
    SlitSolution table[SLITSOL_MAX];
    TraceCapture cap(*s);
    SlitPassA5(*s, s->qr, table);
    EXPECT_NE(cap.text().find("→J[1]がα面にあるケースは対象としない. 解なし．終了"), std::string::npos);
    EXPECT_EQ(cap.text().find("SlitPassASpec3()始め"), std::string::npos);
}

TEST(AaWS, FirstTripleFreeOfLhAndMhPlacesTheWrist) {
    auto s = makeScene();
    // A start pose off the goal: the first candidate with joints 1 and 2 turned a little.
    double qs1[JV];
    for (int i = 0; i < JV; ++i) qs1[i] = s->qr[i];
    qs1[1] += 0.2;
    qs1[2] -= 0.1;
    struct Pair {
        int Lh, Mh;
    };
    int found = 0;
    for (Pair p : {Pair{1, 3}, Pair{2, 3}, Pair{1, 2}}) {
        double qP[JV];
        const int solPP = AaWS(*s, p.Lh, p.Mh, qs1, s->rwp, qP);
        if (solPP == 0) continue;
        ++found;
        const int t[3] = {s->Iinv, s->Jinv, s->Kinv};
        EXPECT_LT(t[0], t[1]);
        EXPECT_LT(t[1], t[2]);
        EXPECT_LE(t[2], s->N - 3);
        for (int j : t) {
            EXPECT_NE(j, p.Lh);
            EXPECT_NE(j, p.Mh);
        }
        // The arm joints outside the triple keep their angles; the wrist point is on its goal
        // and the hand points down.
        for (int i = 1; i <= s->N - 3; ++i)
            if (i != t[0] && i != t[1] && i != t[2]) {
                EXPECT_EQ(qP[i], qs1[i]) << "joint " << i;
            }
        forwardKinematics(*s, qP);
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(s->J[s->N - 2][k], s->wristp[k], 1e-6);
            EXPECT_NEAR(s->rw[k], s->rwp[k], 1e-6);
        }
        EXPECT_NEAR(s->Ew(2, 2), -1.0, 1e-9);
        for (int i = 0; i < JV; ++i) EXPECT_EQ(s->qr[i], qP[i]);
    }
    EXPECT_GT(found, 0);
}
