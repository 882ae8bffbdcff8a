// Clearance summary of a pose and the height order of its joints, read by every phase.
#include "path/path_clearance.h"
#include "path/wall_sides.h"

#include <cmath>

#include "core/scene.h"
#include "collide/interference.h"
#include "model/kinematics.h"

int calArmClearance(Scene& s, int j1, int j2, const double* q, double* bw, double* bf, double* bs, int& Jbad) {
    if (j2 > s.Nw) j2 = s.Nw;
    if (j1 < 1) j1 = 1;
    int Mp = 0, Mw = 0;
    classifyWallSides(s, q, Mp, Mw);
    int first = 0;
    Jbad = 0;
    for (int j = j1; j <= j2; ++j) {
        double w = 0, f = 0, b = 0;
        int K = 0, t1 = 0, t2 = 0;
        Vec3 P1, P2;
        const int code =
            JntMCollCheck(s, j < Mw ? 'I' : 'O', j, q, s.sgnPATH >= 2 ? WorkFloor::Judged : WorkFloor::Exempt, w, f, b,
                          K, P1, P2, t1, t2);
        bw[j] = w;
        bf[j] = f;
        bs[j] = b;
        if (code < 0 && first == 0) {
            first = code;
            Jbad = j;
        }
    }
    forwardKinematics(s, q);
    return first;
}

namespace {

WorkFloor phaseWorkFloor(const Scene& s) { return s.sgnPATH >= 2 ? WorkFloor::Judged : WorkFloor::Exempt; }

}  // namespace

int phaseCollCheck(Scene& s, char side, int M, const double* q, double& bw, double& bf, double& bs, int& K, Vec3& P1,
                   Vec3& P2, int& t1, int& t2) {
    return JntMCollCheck(s, side, M, q, phaseWorkFloor(s), bw, bf, bs, K, P1, P2, t1, t2);
}

int phaseCollAvoid(Scene& s, char side, int M, const double* q, double& bw, double& bf, double& bs, double* qout) {
    bool stepped = false;
    const int r = JntMCollAvoid(s, side, M, q, phaseWorkFloor(s), bw, bf, bs, qout, stepped);
    if (stepped) s.JColl = 0;
    if (r < 0) s.sgnMColl = r;
    return r;
}

int foldCollCode(int code) {
    if (code == -4 || code == -5 || code == -7) return kMCollWall;
    if (code == -6) return kMCollFloor;
    return code;
}

int jointHeightOrder(Scene& s, const double* q) {
    forwardKinematics(s, q);
    double ref = s.J[1][2];
    int order = 1;
    for (int i = 2; i <= s.N - 2; ++i) {
        if (s.L[i] < tolFine) continue;
        bool ordered;
        if (i == 2 && s.JRTYPE[1] == 'R') {
            ordered = true;
        } else {
            const int before = (s.JRTYPE[i - 1] == 'R') ? i - 2 : i - 1;
            ordered = s.J[i][2] >= ref && before >= 1 && std::fabs(q[before]) < 1.5707963278;
        }
        if (!ordered) order = -1;
        ref = s.J[i][2];
    }
    return order;
}
