#include "goal/pose_errors.h"

#include <cmath>

#include "core/scene.h"
#include "model/vecops.h"

double alphaDist(const Scene& s, const Vec3& p) { return dotVec3(s.nAlpha, p) - s.rhx; }

bool onAlpha(const Scene& s, const Vec3& p) { return std::fabs(alphaDist(s, p)) < tolExact; }

int errorClass(double e) {
    int c = (e < tolExact) ? 2 : 1;
    if (e >= tolExact && e < tolAllow) c = 4;
    return c;
}

Vec3 baseJ1(const Scene& s) {
    Vec3 t, j1;
    Mat3 E0 = identityMat3();
    mulMat3Vec(E0, s.Lvec[1], t);
    addVec3(s.J[0], t, j1);
    return j1;
}

void setAlphaFlags(Scene& s) {
    s.sgnJ1Alpha = onAlpha(s, baseJ1(s)) ? 'I' : 'O';
    s.sgnWrkAlpha = onAlpha(s, s.rwp) ? 'I' : 'O';
}

const Vec3& jointAt(const Scene& s, int i) {
    if (i < 0) i = 0;
    if (i > JV - 1) i = JV - 1;
    return s.J[i];
}

double slitError(const Scene& s, int Mp, int Mw) {
    return std::fabs(alphaDist(s, jointAt(s, Mp))) + std::fabs(alphaDist(s, jointAt(s, Mw)));
}

double distVec3(const Vec3& a, const Vec3& b) {
    Vec3 d;
    subVec3(a, b, d);
    return normVec3(d);
}

double sumAbsDiff(const Vec3& a, const Vec3& b) {
    return std::fabs(a[0] - b[0]) + std::fabs(a[1] - b[1]) + std::fabs(a[2] - b[2]);
}

double wristError(const Scene& s) { return distVec3(s.J[s.N - 2], s.wristp); }

void copyQ(const double* src, double* dst) {
    for (int i = 0; i < JV; ++i) dst[i] = src[i];
}
