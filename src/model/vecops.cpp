#include "model/vecops.h"

#include <cmath>

void copyVec3(const Vec3& a, Vec3& out) { out = a; }

void negVec3(const Vec3& a, Vec3& out) {
    for (int i = 0; i < 3; ++i) out[i] = -a[i];
}

void addVec3(const Vec3& a, const Vec3& b, Vec3& out) {
    for (int i = 0; i < 3; ++i) out[i] = a[i] + b[i];
}

void subVec3(const Vec3& a, const Vec3& b, Vec3& out) {
    for (int i = 0; i < 3; ++i) out[i] = a[i] - b[i];
}

double dotVec3(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void crossVec3(const Vec3& a, const Vec3& b, Vec3& out) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

double normVec3(const Vec3& a) { return std::sqrt(dotVec3(a, a)); }

void unitVec3(const Vec3& a, Vec3& out) {
    double n = normVec3(a);
    if (n == 0.0) {
        out = a;
        return;
    }
    for (int i = 0; i < 3; ++i) out[i] = a[i] / n;
}

void copyMat3(const Mat3& A, Mat3& out) { out = A; }

void transposeMat3(const Mat3& A, Mat3& out) {
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) out(r, c) = A(c, r);
}

void mulMat3(const Mat3& A, const Mat3& B, Mat3& out) {
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) out(r, c) = A(r, 0) * B(0, c) + A(r, 1) * B(1, c) + A(r, 2) * B(2, c);
}

void mulMat3TN(const Mat3& A, const Mat3& B, Mat3& out) {
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) out(r, c) = A(0, r) * B(0, c) + A(1, r) * B(1, c) + A(2, r) * B(2, c);
}

void mulMat3Vec(const Mat3& A, const Vec3& v, Vec3& out) {
    for (int r = 0; r < 3; ++r) out[r] = A(r, 0) * v[0] + A(r, 1) * v[1] + A(r, 2) * v[2];
}

void mulMat3TVec(const Mat3& A, const Vec3& v, Vec3& out) {
    for (int r = 0; r < 3; ++r) out[r] = A(0, r) * v[0] + A(1, r) * v[1] + A(2, r) * v[2];
}

void rotZMat3(const Mat3& A, double q, Mat3& out) {
    double c = std::cos(q), s = std::sin(q);
    for (int r = 0; r < 3; ++r) {
        double a0 = A(r, 0), a1 = A(r, 1);
        out(r, 0) = c * a0 + s * a1;
        out(r, 1) = -s * a0 + c * a1;
        out(r, 2) = A(r, 2);
    }
}

void chainMat3(int i0, int i1, const Mat3* mats, Mat3& out) {
    Mat3 acc = mats[i0], tmp;
    for (int i = i0 + 1; i <= i1; ++i) {
        mulMat3(acc, mats[i], tmp);
        acc = tmp;
    }
    out = acc;
}

Mat3 identityMat3() { return Mat3{{1, 0, 0, 0, 1, 0, 0, 0, 1}}; }

Vec3 colMat3(const Mat3& A, int c) { return Vec3{{A(0, c), A(1, c), A(2, c)}}; }

void copyJointVector(int n, const double* src, double* dst) {
    for (int i = 0; i <= n; ++i) dst[i] = src[i];
}

void addRange(int i0, int i1, const double* a, const double* b, double* out) {
    for (int i = i0; i <= i1; ++i) out[i] = a[i] + b[i];
}

void subRange(int i0, int i1, const double* a, const double* b, double* out) {
    for (int i = i0; i <= i1; ++i) out[i] = a[i] - b[i];
}

double normRange(int i0, int i1, const double* v) {
    double s = 0;
    for (int i = i0; i <= i1; ++i) s += v[i] * v[i];
    return std::sqrt(s);
}

double jointDistance(int i0, int i1, const double* a, const double* b) {
    double s = 0;
    for (int i = i0; i <= i1; ++i) s += (a[i] - b[i]) * (a[i] - b[i]);
    return std::sqrt(s);
}

char digitChar(int n) { return (n >= 0 && n <= 9) ? static_cast<char>('0' + n) : 'x'; }

int charToNum(char c) { return (c >= '0' && c <= '9') ? c - '0' : 100; }
