#include "model/wall_goal.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "model/vecops.h"

char alphaSide(const Scene& s, const double* p) {
    double x = s.nAlpha[0] * p[0] + s.nAlpha[1] * p[1] + s.nAlpha[2] * p[2];
    return std::fabs(x - s.rhx) < 1e-6 ? 'I' : 'O';
}

void setPlanarSlitDistance(Scene& s) {
    double dx = s.J[1][0] - s.rh[0], dy = s.J[1][1] - s.rh[1];
    s.dJ1rh = std::sqrt(dx * dx + dy * dy);
}

void setWallGeometry(Scene& s) {
    s.rhy = dotVec3(s.rh, s.nWall);
    s.rhy1 = s.rhy - s.Dwall / 2;
    s.rhy2 = s.rhy + s.Dwall / 2;
    s.rhx = dotVec3(s.rh, s.nAlpha);
    s.rhy1M = s.rhy1 - Margin;
    s.rhy1W = s.rhy1 - MarginW;
    s.rhy2M = s.rhy2 + Margin;
    s.rhy2W = s.rhy2 + MarginW;
    s.rhy1F = s.rhy1 - 2 * MarginW;
    setPlanarSlitDistance(s);
    s.sgnJ1Alpha = alphaSide(s, s.J[1].data());
}

void checkObstacleReach(Scene& s) {
    setWallGeometry(s);
    Vec3 d;
    subVec3(s.rh, s.Jstraight[1], d);
    s.dJ1rh = normVec3(d);
    s.Mpass = 10;
    double sum = 0;
    for (int i = 2; i <= s.N - 1; ++i) {
        sum += s.L[i + 1];
        if (s.dJ1rh <= sum) {
            s.Mpass = i;
            s.sgnOBSTACLE = 1;
            break;
        }
        s.sgnOBSTACLE = 0;
    }
    if (s.Mpass >= s.N - 3) s.sgnOBSTACLE = 0;
    if (s.sgnOBSTACLE == 0) tracef(s, "\nsgnOBSTACLE=%d 厚壁位置遠すぎる．設定し直し", 0);
}

void setWristGoal(Scene& s) {
    for (int k = 0; k < 3; ++k) s.wristp[k] = s.rwp[k] - s.Lw * s.EwG(k, 2);
}
