// Value operations on Vec3, Mat3 and joint vectors. Nothing here allocates or keeps state.
#pragma once
#include "core/types.h"

void copyVec3(const Vec3& a, Vec3& out);
void negVec3(const Vec3& a, Vec3& out);
void addVec3(const Vec3& a, const Vec3& b, Vec3& out);
void subVec3(const Vec3& a, const Vec3& b, Vec3& out);
double dotVec3(const Vec3& a, const Vec3& b);
void crossVec3(const Vec3& a, const Vec3& b, Vec3& out);  // out must not alias a or b
double normVec3(const Vec3& a);
void unitVec3(const Vec3& a, Vec3& out);  // zero vector stays zero

void copyMat3(const Mat3& A, Mat3& out);
void transposeMat3(const Mat3& A, Mat3& out);
void mulMat3(const Mat3& A, const Mat3& B, Mat3& out);
void mulMat3TN(const Mat3& A, const Mat3& B, Mat3& out);
void mulMat3Vec(const Mat3& A, const Vec3& v, Vec3& out);
void mulMat3TVec(const Mat3& A, const Vec3& v, Vec3& out);
void rotZMat3(const Mat3& A, double q, Mat3& out);
void chainMat3(int i0, int i1, const Mat3* mats, Mat3& out);
Mat3 identityMat3();
Vec3 colMat3(const Mat3& A, int c);

void copyJointVector(int n, const double* src, double* dst);
void addRange(int i0, int i1, const double* a, const double* b, double* out);
void subRange(int i0, int i1, const double* a, const double* b, double* out);
double normRange(int i0, int i1, const double* v);
double jointDistance(int i0, int i1, const double* a, const double* b);

char digitChar(int n);
int charToNum(char c);
