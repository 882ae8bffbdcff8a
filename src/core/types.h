// Value types shared by every part of the simulator.
#pragma once

// World frame: right-handed, z up, floor z = 0, robot base at the origin.
struct Vec3 {
    double v[3];
    double& operator[](int i) { return v[i]; }
    const double& operator[](int i) const { return v[i]; }
    const double* data() const { return v; }
    double* data() { return v; }
};

// Row-major 3x3; its columns are the axes of a frame in parent coordinates.
struct Mat3 {
    double m[9];
    double& operator()(int r, int c) { return m[r * 3 + c]; }
    double operator()(int r, int c) const { return m[r * 3 + c]; }
};

// The decimal angle constants used everywhere (exact pi is never used).
constexpr double PI_C = 3.1415926536;
constexpr double TWO_PI_C = 6.2831853072;

// Every joint vector and every per-joint table has 20 entries; element 0 is the base.
constexpr int JV = 20;

// Error-class tolerances and clearances.
constexpr double tolExact = 1e-6;
constexpr double tolAllow = 0.01;
constexpr double tolFine = 0.001;
constexpr double tolNewton = 0.2;
constexpr double Margin = 0.15;
constexpr double MarginW = 0.2;
// Clearance the wrist must keep in front of the wall.
constexpr double MarginWrist = 0.3;
