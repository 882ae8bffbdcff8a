// Placing joints on the alpha-plane, the slit-pass search, the work positioning and the stepped
// move.
#include "goal/plane_placement.h"
#include "goal/slit_passing.h"
#include "goal/step_frame.h"
#include "goal/work_positioning.h"
#include "goal_check.h"

namespace {

double planeX(Scene& s, const double* q, int i) {
    forwardKinematics(s, q);
    return s.J[i][0] - s.rhx;
}

// Roots of x(J[i]) - rhx as joint j turns through a full turn, found by sign changes on a dense
// grid and bisection; y of J[i] at each root goes to ys (room for 8). Returns the number of roots.
int rootsByScan(Scene& s, const double* q, int j, int i, double* ys) {
    double t[JV];
    std::memcpy(t, q, sizeof t);
    auto f = [&](double a) {
        t[j] = a;
        return planeX(s, t, i);
    };
    int count = 0;
    double a0 = -PI_C, f0 = f(a0);
    for (int k = 1; k <= 3600; ++k) {
        const double a1 = -PI_C + TWO_PI_C * k / 3600, f1 = f(a1);
        if ((f0 < 0) != (f1 < 0)) {
            double lo = a0, hi = a1;
            for (int it = 0; it < 60; ++it) {
                const double m = 0.5 * (lo + hi);
                ((f(m) < 0) == (f0 < 0) ? lo : hi) = m;
            }
            f(0.5 * (lo + hi));
            if (count < 8) ys[count] = s.J[i][1];
            ++count;
        }
        a0 = a1, f0 = f1;
    }
    return count;
}

}  // namespace

TEST(PutJMSlitPlaneA, SolutionsMatchADenseScanAndTheNextJointGoesToTheLargerY) {
    auto s = makeScene();
    int checked = 0, placed = 0;
    for (int c = 0; c < s->nqss0; ++c) {
        const double* q = s->qss0[c];
        for (int L = 1; L <= 3; ++L)
            for (int M = L + 1; M <= 5; ++M) {
                double o[2][JV], ys[8];
                int Mq = 0;
                const int n = PutJMSlitPlaneA(*s, L, M, q, o[0], o[1], &Mq);
                EXPECT_EQ(Mq, s->JRTYPE[M] == 'R' ? M + 1 : M);
                if (L >= Mq || (L == Mq - 1 && s->JRTYPE[L] == 'R')) {
                    EXPECT_EQ(n, 0);
                    continue;
                }
                EXPECT_EQ(n, rootsByScan(*s, q, L, Mq, ys)) << "L=" << L << " M=" << M;
                ++checked;
                for (int k = 0; k < n; ++k) {
                    EXPECT_NEAR(planeX(*s, o[k], Mq), 0.0, 1e-9);
                    for (int i = 0; i < JV; ++i)
                        if (i != L) { EXPECT_EQ(o[k][i], q[i]); }
                    EXPECT_GE(o[k][L], -PI_C);
                    EXPECT_LT(o[k][L], PI_C);
                    // A 'P' joint M on the plane: the next joint goes onto the plane too, by the
                    // turn of joint M that gives it the largest y.
                    double out[JV];
                    int MM = 0;
                    if (M != 3 || PutJMHSlitPlaneA(*s, M, M + 1, o[k], out, &MM) != 1 || MM != M) continue;
                    const int MH = (s->JRTYPE[M + 1] == 'R') ? M + 2 : M + 1;
                    EXPECT_NEAR(planeX(*s, out, M), 0.0, 1e-9);
                    EXPECT_NEAR(planeX(*s, out, MH), 0.0, 1e-9);
                    const double y = s->J[MH][1];
                    const int roots = rootsByScan(*s, out, M, MH, ys);
                    ASSERT_GE(roots, 1);
                    for (int r = 0; r < roots && r < 8; ++r) EXPECT_GE(y, ys[r] - 1e-6);
                    ++placed;
                }
            }
    }
    EXPECT_GT(checked, 10);
    EXPECT_GT(placed, 0);
    // A joint already on the plane is one solution, unchanged.
    double q[JV], o1[JV], o2[JV], out[JV];
    int Mq = 0, MM = 0;
    ASSERT_GE(PutJMSlitPlaneA(*s, 2, 3, s->qr, q, o2, &Mq), 1);
    EXPECT_EQ(PutJMSlitPlaneA(*s, 1, 3, q, o1, o2, &Mq), 1);
    EXPECT_TRUE(sameQ(o1, q));
    // The next joint is refused for a joint off the plane, or one of type 'R', or the wrist.
    ASSERT_GT(std::fabs(planeX(*s, s->qr, 3)), 1e-3);
    EXPECT_EQ(PutJMHSlitPlaneA(*s, 3, 4, s->qr, out, &MM), 0);
    EXPECT_TRUE(sameQ(out, s->qr));
    EXPECT_EQ(PutJMHSlitPlaneA(*s, 4, 5, s->qr, out, &MM), 0);  // joint 4 of F21 is 'R'
    EXPECT_EQ(PutJMHSlitPlaneA(*s, s->N - 2, s->N - 1, s->qr, out, &MM), 0);
}

TEST(SlitPassA5, RowsPassTheWallAndTheCasesOfThePlane) {
    SlitSolution table[SLITSOL_MAX];
    {
        // F21: every row has J[M] on the plane and its Mp found from the y of the joints; joint 1
        // of type 'R' never tries M = 2.
        auto s = makeScene();
        TraceCapture cap(*s);
        const int n = SlitPassA5(*s, s->qr, table);
        ASSERT_GT(n, 0);
        for (int k = 0; k < n; ++k) {
            const SlitSolution& r = table[k];
            forwardKinematics(*s, r.q);
            int Mp = 1;
            for (int i = 1; i <= s->Nw && s->J[i][1] <= s->rhy1; ++i) Mp = i;
            EXPECT_EQ(r.Mp, Mp) << "row " << k;
            EXPECT_LT(r.L, r.M) << "row " << k;
            EXPECT_NEAR(s->J[r.M][0], s->rhx, 1e-9) << "row " << k;
        }
        EXPECT_EQ(cap.text().find("(kL,kM,kH)=(1 2 3)"), std::string::npos);
        EXPECT_NE(cap.text().find("(kL,kM,kH)=(1 3 4)"), std::string::npos);
    }
    {
        // F11: goal on x = 0.2, joint 1 at x = 0: the Case 3 pose is added, rows finite.
        auto s = makeSceneWithRobot(1, 1);
        ASSERT_EQ(s->sgnWrkAlpha, 'I');
        ASSERT_EQ(s->sgnJ1Alpha, 'O');
        TraceCapture cap(*s);
        const int n = SlitPassA5(*s, s->qr, table);
        EXPECT_NE(cap.text().find("SlitPassASpec3()始め"), std::string::npos);
        for (int k = 0; k < n; ++k) {
            EXPECT_LT(table[k].Mp, table[k].Mw);
            for (int i = 0; i <= s->N; ++i) EXPECT_TRUE(std::isfinite(table[k].q[i]));
        }
    }
    {
        // F31: joint 1 and the goal on x = 0: not Case 3.
        auto s = makeSceneWithRobot(3, 1);
        TraceCapture cap(*s);
        SlitPassA5(*s, s->qr, table);
        EXPECT_NE(cap.text().find("→J[1]がα面にあるケースは対象としない. 解なし．終了"), std::string::npos);
        EXPECT_EQ(cap.text().find("SlitPassASpec3()始め"), std::string::npos);
    }
}

TEST(StepTowardPose, SplitsTheLargestChangeIntoStepsOfAtLeastATenth) {
    auto s = makeScene();
    double qs[JV], qT[JV], dqk[JV], q2[JV], dqH = 0;
    std::fill(qs, qs + JV, 0.3);
    std::fill(qT, qT + JV, 0.3);
    qT[2] += 0.25, qT[4] -= 0.1, qT[7] = 1.0;  // wrist joints are not stepped
    EXPECT_EQ(stepTowardPose(*s, qs, qT, dqk, &dqH, q2), 2);
    EXPECT_NEAR(dqH, 0.25, 1e-15);
    EXPECT_LT(std::fabs(q2[2] - 0.425), 1e-15);
    EXPECT_LT(std::fabs(q2[4] - 0.25), 1e-15);
    EXPECT_EQ(q2[7], qs[7]);
    qT[2] = 0.39, qT[4] = 0.3;
    EXPECT_EQ(stepTowardPose(*s, qs, qT, dqk, &dqH, q2), 0);
    EXPECT_TRUE(sameQ(q2, qT)) << "lands on the target, wrist included";
    // A change of exactly a tenth is one step; a difference of exactly pi (either sign) is not
    // wrapped, beyond it is.
    std::fill(qs, qs + JV, 0.0);
    std::fill(qT, qT + JV, 0.0);
    qT[3] = 0.1;
    EXPECT_EQ(stepTowardPose(*s, qs, qT, dqk, &dqH, q2), 1);
    EXPECT_EQ(q2[3], 0.1);
    for (double d : {PI_C, -PI_C, 3.5}) {
        std::fill(qT, qT + JV, 0.0);
        qT[1] = d;
        stepTowardPose(*s, qs, qT, dqk, &dqH, q2);
        EXPECT_NEAR(dqk[1], d == 3.5 ? d - TWO_PI_C : d, 1e-15);
    }
}

TEST(CalAb, SteppedMoveLandsOnTheChosenPose) {
    auto s = makeScene();
    ASSERT_EQ(s->sgnAbStep, 0);
    calAb(*s);
    ASSERT_EQ(s->sgnAbStep, 1);
    double target[JV], before[JV];
    std::memcpy(target, s->qAb, sizeof target);
    bool landed = false;
    for (int press = 0; press < 40 && !landed; ++press) {
        std::memcpy(before, s->qr, sizeof before);
        calAb(*s);
        ASSERT_EQ(s->sgnAbStep, 1) << "large errors: no Newton correction yet";
        EXPECT_TRUE(sameQ(s->qAb, target)) << "the target stays";
        landed = true;
        for (int j = 1; j <= s->N - 3; ++j) {
            EXPECT_LE(std::fabs(s->qr[j] - before[j]), 0.2 + 1e-12);
            landed = landed && s->qr[j] == target[j];
        }
    }
    EXPECT_TRUE(landed);
    // Pressed again on the target: nothing moves until 'a' is pressed.
    std::memcpy(before, s->qr, sizeof before);
    calAb(*s);
    for (int j = 1; j <= s->N - 3; ++j) EXPECT_EQ(s->qr[j], before[j]);
}

TEST(AaWS, FirstTripleFreeOfLhAndMhPlacesTheWrist) {
    auto s = makeScene();
    // A start pose off the goal: the first candidate with joints 1 and 2 turned a little.
    double qs1[JV], qP[JV];
    std::memcpy(qs1, s->qr, sizeof qs1);
    qs1[1] += 0.2, qs1[2] -= 0.1;
    int found = 0;
    for (auto lm : {std::pair<int, int>{1, 3}, {2, 3}, {1, 2}}) {
        if (AaWS(*s, lm.first, lm.second, qs1, s->rwp, qP) == 0) continue;
        ++found;
        const int t[3] = {s->Iinv, s->Jinv, s->Kinv};
        EXPECT_LT(t[0], t[1]);
        EXPECT_LT(t[1], t[2]);
        EXPECT_LE(t[2], s->N - 3);
        // The arm joints outside the triple keep their angles; the wrist point is on its goal
        // and the hand points down.
        for (int j : t) {
            EXPECT_NE(j, lm.first);
            EXPECT_NE(j, lm.second);
        }
        for (int i = 1; i <= s->N - 3; ++i)
            if (i != t[0] && i != t[1] && i != t[2]) { EXPECT_EQ(qP[i], qs1[i]) << "joint " << i; }
        forwardKinematics(*s, qP);
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(s->J[s->N - 2][k], s->wristp[k], 1e-6);
            EXPECT_NEAR(s->rw[k], s->rwp[k], 1e-6);
        }
        EXPECT_NEAR(s->Ew(2, 2), -1.0, 1e-9);
        EXPECT_TRUE(sameQ(s->qr, qP));
    }
    EXPECT_GT(found, 0);
}
