// Console tables of the joint positions J[i] and centres mm[i], marked where the wall begins
// and ends.
#pragma once
struct Scene;

// The table of the pose q (runs forwardKinematics(q)).
void printJointTable(Scene& s, const double* q);
// The tables of qa and qb side by side (forwardKinematics of qb last).
void printJointTable2(Scene& s, const double* qa, const double* qb);
