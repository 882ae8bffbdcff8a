// Start-up sequence and the wall geometry derived from the slit base point.
#pragma once
struct Scene;

// Steps 1..14 of the start-up sequence (everything before the window opens).
void startUp(Scene& s);
// Derives rhx, rhy, rhy1, rhy2, the margin planes, the planar dJ1rh and sgnJ1Alpha from rh.
void setWallGeometry(Scene& s);
// setWallGeometry, then decides sgnOBSTACLE and the initial Mpass.
void checkObstacleReach(Scene& s);
// dJ1rh as the distance in the x-y plane between J[1] and rh.
void setPlanarSlitDistance(Scene& s);
// wristp = rwp - Lw * (z column of EwG).
void setWristGoal(Scene& s);
// 'I' when the point lies on the alpha-plane within 1e-6, else 'O'.
char alphaSide(const Scene& s, const double* p);
// Key '0'.
void resetAll(Scene& s);
// One step of the joint spin animation; leaves sgnSpin = 0 when the turn is complete.
void spinStep(Scene& s);
