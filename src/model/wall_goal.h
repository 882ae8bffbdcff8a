// The wall geometry derived from the slit base point rh and the wrist point of the goal.
#pragma once
struct Scene;

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
