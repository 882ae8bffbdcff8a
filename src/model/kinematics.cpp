#include "model/kinematics.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/scene.h"
#include "model/vecops.h"

namespace {

// out = A Rz(q) with c = cos q, s = sin q: only the first two columns change.
inline void rotZ(const Mat3& A, double c, double s, Mat3& out) {
    for (int r = 0; r < 3; ++r) {
        const double a0 = A.m[r * 3], a1 = A.m[r * 3 + 1];
        out.m[r * 3] = c * a0 + s * a1;
        out.m[r * 3 + 1] = -s * a0 + c * a1;
        out.m[r * 3 + 2] = A.m[r * 3 + 2];
    }
}

inline void mul(const Mat3& A, const Mat3& B, Mat3& out) {
    for (int r = 0; r < 3; ++r) {
        const double a0 = A.m[r * 3], a1 = A.m[r * 3 + 1], a2 = A.m[r * 3 + 2];
        for (int c = 0; c < 3; ++c) out.m[r * 3 + c] = a0 * B.m[c] + a1 * B.m[3 + c] + a2 * B.m[6 + c];
    }
}

inline bool sameBits(double a, double b) {
    std::uint64_t x, y;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x == y;
}

inline void mulVec(const Mat3& A, const Vec3& v, Vec3& out) {
    for (int r = 0; r < 3; ++r) out.v[r] = A.m[r * 3] * v.v[0] + A.m[r * 3 + 1] * v.v[1] + A.m[r * 3 + 2] * v.v[2];
}

}  // namespace

// The frame of joint i after its turn is the frame before it turned by q[i] about its z axis,
// EJ[i] = EA[i] Rz(q[i]), so each joint costs one full product and one turn.
// The frames of the joints before the first changed value are those of the last call, and a
// joint whose value did not change keeps its sine and cosine: calculations that move a few
// joints at a time (line searches, the gate's halvings) pay only for what moved.
void forwardKinematics(Scene& s, const double* q) {
    const int N = s.N, Nw = s.Nw;
    int i0 = 1;
    if (s.fkValid) {
        // Bit for bit, so that 0.0 and -0.0 are not taken for one another.
        while (i0 <= N && sameBits(s.qFK[i0], q[i0])) ++i0;
        if (i0 > N) return;
    }
    for (int i = i0; i <= N; ++i) {
        double c = s.cosFK[i], sn = s.sinFK[i];
        if (!s.fkValid || !sameBits(s.qFK[i], q[i])) {
            // Taken together, so that one call gives both.
            c = std::cos(q[i]);
            sn = std::sin(q[i]);
            s.cosFK[i] = c;
            s.sinFK[i] = sn;
        }
        mul(s.EJ[i - 1], s.Erel[i], s.EA[i]);
        rotZ(s.EA[i], c, sn, s.EJ[i]);
        mulVec(s.EJ[i - 1], s.mm0[i], s.mm[i]);
        // The link vector is the link direction times its length (zero for a zero-length link).
        for (int k = 0; k < 3; ++k) s.J[i].v[k] = s.J[i - 1].v[k] + s.L[i] * s.mm[i].v[k];
    }
    // The work point: its frame is the hand frame EwH carried by joint N.
    mul(s.EJ[N], s.Erel[Nw], s.EA[Nw]);
    mulVec(s.EJ[N], s.mm0[Nw], s.mm[Nw]);
    Vec3 t;
    mulVec(s.EJ[N], s.PwOffset, t);
    for (int k = 0; k < 3; ++k) s.rw.v[k] = s.J[N].v[k] + t.v[k];
    mul(s.EJ[N], s.EwH, s.Ew);
    s.J[Nw] = s.rw;
    s.EJ[Nw] = s.Ew;
    std::memcpy(s.qFK + 1, q + 1, sizeof(double) * N);
    s.fkValid = 1;
}

Mat3 turnedFrame(const Scene& s, int i) {
    const int j = i > s.N ? s.N : i;
    Mat3 out;
    rotZ(s.Erel[j], std::cos(s.qFK[j]), std::sin(s.qFK[j]), out);
    return out;
}

int classifyJointsByWall(Scene& s, const double* q, int* MpOut, int* inWall, int* MwOut) {
    forwardKinematics(s, q);
    const int Nw = s.Nw;
    *MpOut = 1;
    *MwOut = Nw + 1;
    for (int i = 0; i <= s.N; ++i) inWall[i] = 0;
    int count = 0;
    for (int i = 1; i <= Nw; ++i) {
        if (dotVec3(s.J[i], s.nWall) <= s.rhy1)
            *MpOut = i;
        else
            break;
    }
    for (int i = *MpOut + 1; i <= Nw; ++i) {
        double y = dotVec3(s.J[i], s.nWall);
        if (y > s.rhy1 && y < s.rhy2) {
            // The list holds N+1 entries; joints 1..Nw past Mp cannot exceed that.
            if (count <= s.N) inWall[count] = i;
            ++count;
        } else if (y >= s.rhy2) {
            *MwOut = i;
            return count;
        }
    }
    return count;
}
