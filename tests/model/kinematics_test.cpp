// Forward kinematics against an independent product-of-rotations computation (and the path
// check's joint points against both), and the sorting of joints by the wall faces.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "core/scene.h"
#include "model/kinematics.h"
#include "path_check.h"
#include "support/test_scene.h"

namespace {

struct M3 {
    double a[3][3];
};

M3 mul(const M3& A, const M3& B) {
    M3 C{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k) C.a[r][c] += A.a[r][k] * B.a[k][c];
    return C;
}

// Rodrigues' rotation about the unit axis u by angle q.
M3 rot(const double u[3], double q) {
    double c = std::cos(q), s = std::sin(q), v = 1 - c;
    double x = u[0], y = u[1], z = u[2];
    return M3{{{c + x * x * v, x * y * v - z * s, x * z * v + y * s},
               {y * x * v + z * s, c + y * y * v, y * z * v - x * s},
               {z * x * v - y * s, z * y * v + x * s, c + z * z * v}}};
}

// The catalogue written out independently: joint letters and straight-pose heights.
struct Robot {
    const char* letters;  // joints 1..8
    double z[10];         // base, joints 1..8, work point
};
Robot robotOf(int lower, int upper) {
    static const char* lowL[4] = {"RPP", "RQP", "PQP", "PQQ"};
    static const char* upL[2] = {"RP", "QP"};
    static std::string store[4][2];
    std::string& l = store[lower - 1][upper - 1];
    l = std::string(lowL[lower - 1]) + upL[upper - 1] + "RPR";
    Robot r{l.c_str(), {}};
    double zl[3] = {0, 1, 3};
    if (lower >= 3) zl[0] = 1, zl[1] = 2, zl[2] = 3;
    double z[10] = {0, zl[0], zl[1], zl[2], 5, 6, 7, 7, 7, 7.4};
    for (int i = 0; i < 10; ++i) r.z[i] = z[i];
    return r;
}

void axisOf(char letter, double u[3]) {
    u[0] = letter == 'P';
    u[1] = letter == 'Q';
    u[2] = letter == 'R';
}

// Independent joint positions (base, joints 1..8, work point) and world frames.
void independentFK(const Robot& r, const double* q, double pos[10][3], M3 frame[10]) {
    M3 R = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    for (int k = 0; k < 3; ++k) pos[0][k] = 0;
    frame[0] = R;
    for (int i = 1; i <= 9; ++i) {
        double d[3] = {0, 0, r.z[i] - r.z[i - 1]};
        for (int k = 0; k < 3; ++k)
            pos[i][k] = pos[i - 1][k] + R.a[k][0] * d[0] + R.a[k][1] * d[1] + R.a[k][2] * d[2];
        if (i <= 8) {
            double u[3];
            axisOf(r.letters[i - 1], u);
            R = mul(R, rot(u, q[i]));
            // Straight-pose frame of the joint: its z column is the joint axis.
            char L = r.letters[i - 1];
            M3 E = L == 'P' ? M3{{{0, 0, 1}, {1, 0, 0}, {0, 1, 0}}}
                 : L == 'Q' ? M3{{{0, 1, 0}, {0, 0, 1}, {1, 0, 0}}}
                            : M3{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
            frame[i] = mul(R, E);
        } else {
            frame[i] = R;
        }
    }
}

}  // namespace

TEST(ForwardKinematics, AgreesWithIndependentRotationsForEveryRobot) {
    std::mt19937_64 rng(12345);
    std::uniform_real_distribution<double> angle(-4.0, 4.0);
    for (int lower = 1; lower <= 4; ++lower) {
        for (int upper = 1; upper <= 2; ++upper) {
            auto s = makeSceneWithRobot(lower, upper);
            Robot r = robotOf(lower, upper);
            ASSERT_EQ(std::string(s->JRTYPE + 1, 8), std::string(r.letters));
            for (int trial = 0; trial < 1500; ++trial) {
                double q[JV] = {};
                for (int i = 1; i <= 8; ++i) q[i] = angle(rng);
                forwardKinematics(*s, q);
                double pos[10][3];
                M3 frame[10];
                independentFK(r, q, pos, frame);
                // The path check's own joint points, a third computation, agree as well.
                Vec3 P[JV];
                independentJointPoints(*s, q, P);
                for (int i = 0; i <= 9; ++i) {
                    for (int k = 0; k < 3; ++k) {
                        ASSERT_NEAR(s->J[i][k], pos[i][k], 1e-12) << "F" << lower << upper << " J" << i;
                        ASSERT_NEAR(P[i][k], pos[i][k], 1e-9) << "path check J" << i;
                        for (int c = 0; c < 3; ++c)
                            ASSERT_NEAR(s->EJ[i](k, c), frame[i].a[k][c], 1e-12) << "EJ" << i;
                    }
                }
                for (int k = 0; k < 3; ++k) ASSERT_EQ(s->rw[k], s->J[9][k]);
                // The axis of each joint is the z column of its frame before its rotation.
                for (int i = 1; i <= 8; ++i)
                    for (int k = 0; k < 3; ++k) ASSERT_NEAR(s->EA[i](k, 2), frame[i].a[k][2], 1e-12);
                // Link directions point from joint to joint where the link has length.
                for (int i = 1; i <= 9; ++i) {
                    if (s->L[i] < 1e-6) continue;
                    for (int k = 0; k < 3; ++k)
                        ASSERT_NEAR(s->mm[i][k], (pos[i][k] - pos[i - 1][k]) / s->L[i], 1e-12);
                }
            }
        }
    }
}

TEST(ClassifyJointsByWall, FaceRulesAndRuns) {
    auto s = makeScene();  // F21: J1 at origin, J2 (0,0,1), J3 (0,0,3) straight
    double q[JV] = {};
    q[3] = -PI_C / 2;  // joint 3 is 'P' (axis world x): the arm from J3 on leans along +y
    forwardKinematics(*s, q);
    const double y4 = s->J[4][1], y5 = s->J[5][1];
    ASSERT_TRUE(y4 > 1.0 && y5 > y4);
    // Near face exactly on J4: J4 counts as before the wall; far face exactly on J5: beyond it.
    // A thicker wall: J5 inside, J6.. beyond. Joint 1 already past the near face still reports
    // Mp = 1 (joints 2..9 all between the faces).
    const struct {
        double rhy1, rhy2;
        int Mp, Mw, n, first;
    } cases[] = {{y4, y5, 4, 5, 0, 0}, {y4, y5 + 0.5, 4, 6, 1, 5}, {-1.0, 100.0, 1, 10, 8, 2}};
    for (const auto& c : cases) {
        s->rhy1 = c.rhy1, s->rhy2 = c.rhy2;
        int Mp = 0, Mw = 0, in[JV] = {};
        const int n = classifyJointsByWall(*s, q, &Mp, in, &Mw);
        EXPECT_TRUE(Mp == c.Mp && Mw == c.Mw && n == c.n && (n == 0 || in[0] == c.first))
            << c.rhy1 << " " << c.rhy2 << ": " << Mp << " " << Mw << " " << n;
    }
}
