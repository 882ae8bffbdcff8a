#include "goal/pass_feasibility.h"

#include <cmath>

#include "core/console.h"
#include "core/scene.h"
#include "goal/pose_errors.h"

int SP1(Scene& s) {
    setAlphaFlags(s);
    int result = 1;
    if (s.sgnJ1Alpha == 'O' && s.sgnWrkAlpha == 'O') {
        const char t1 = s.JRTYPE[1], t2 = s.JRTYPE[2], t3 = s.JRTYPE[3];
        bool blocked = false;
        if (t1 == 'R')
            blocked = (t2 == 'P' && (t3 == 'P' || t3 == 'R')) || (t2 == 'Q' && (t3 == 'Q' || t3 == 'R'));
        else if (t1 == 'P')
            blocked = t2 == 'R' || t2 == 'P' || (t2 == 'Q' && t3 == 'R');
        else if (t1 == 'Q')
            blocked = (t2 == 'Q' && (t3 == 'Q' || t3 == 'R')) || (t2 == 'P' && (t3 == 'Q' || t3 == 'R'));
        if (blocked) result = -1;
    }
    tracef(s,
           "\n〓========通り抜け可能性吟味SP1() ROBOT=%c%c%c =========================〓"
           "\n  sgnJ1Alpha=%c sgnWrkAlpha=%c sgnSP=%d%s",
           s.JRTYPE[1], s.JRTYPE[2], s.JRTYPE[3], s.sgnJ1Alpha, s.sgnWrkAlpha, result,
           result > 0 ? "→通り抜け可能" : "→通り抜け不可能");
    return result;
}

int SP2(Scene& s) {
    int result = 2;
    if (s.sgnJ1Alpha == 'O' && s.sgnWrkAlpha == 'O') {
        const char t1 = s.JRTYPE[1], t2 = s.JRTYPE[2];
        const double ax = std::fabs(s.rhx), ay = std::fabs(s.rhy2);
        const double* L = s.L;
        if (t1 == 'P' && t2 == 'Q') result = (ax <= L[3]) ? 2 : -2;
        if (t1 == 'Q' && t2 == 'P' && !(ax <= L[2] + L[3])) result = -2;
        if (t1 == 'Q' && t2 == 'Q' && !(ax <= L[2] + L[3] && ay <= L[3] + L[4])) result = -2;
        if (t1 == 'R' && !(ax <= L[3] && ay <= L[3] + L[4])) result = -2;
    }
    tracef(s,
           "\n〓===通り抜け可能性吟味SP2():ROBOT[]=%c%c%c L2=%5.2f L3=%5.2f L4=%5.2f=====〓"
           "\n  rhx=%6.3f rhy2=%6.3f sgnJ1Alpha=%c sgnWrkAlpha=%c sgnSP=%d%s",
           s.JRTYPE[1], s.JRTYPE[2], s.JRTYPE[3], s.L[2], s.L[3], s.L[4], s.rhx, s.rhy2, s.sgnJ1Alpha,
           s.sgnWrkAlpha, result, result < 1 ? "→壁・α面に届かない．通り抜け不可能" : "→通り抜け可能");
    return result;
}

bool passFeasible(Scene& s) {
    s.sgnPS = SP1(s);
    const bool bothOff = s.sgnJ1Alpha == 'O' && s.sgnWrkAlpha == 'O';
    if (bothOff && s.sgnPS < 0) return false;
    s.sgnPS = SP2(s);
    if (bothOff && s.sgnPS < 0) return false;
    if (!bothOff && s.sgnPS < 0) s.sgnPS = 0;
    return true;
}
