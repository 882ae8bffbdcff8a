#include "model/kinematics.h"

#include "core/scene.h"
#include "model/vecops.h"

void forwardKinematics(Scene& s, const double* q) {
    const int N = s.N, Nw = s.Nw;
    for (int i = 1; i <= N; ++i) rotZMat3(s.Erel[i], q[i], s.Eq[i]);
    s.Eq[Nw] = s.Eq[N];
    for (int i = 1; i <= Nw; ++i) {
        mulMat3(s.EJ[i - 1], s.Erel[i], s.EA[i]);
        mulMat3(s.EJ[i - 1], s.Eq[i], s.EJ[i]);
    }
    Vec3 t;
    for (int i = 1; i <= Nw; ++i) {
        mulMat3Vec(s.EJ[i - 1], s.mm0[i], s.mm[i]);
        mulMat3Vec(s.EJ[i - 1], s.Lvec[i], t);
        addVec3(s.J[i - 1], t, s.J[i]);
    }
    mulMat3Vec(s.EJ[N], s.PwOffset, t);
    addVec3(s.J[N], t, s.rw);
    mulMat3(s.EJ[N], s.EwH, s.Ew);
    s.J[Nw] = s.rw;
    s.EJ[Nw] = s.Ew;
    for (int i = 0; i <= Nw; ++i) {
        transposeMat3(s.EJ[i], s.EJT[i]);
        transposeMat3(s.EA[i], s.EAT[i]);
    }
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
