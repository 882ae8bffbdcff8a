#include "path/row_gate.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "collide/physical_model.h"
#include "core/console.h"
#include "core/scene.h"
#include "model/joints.h"

namespace {

GateStatus statusOf(ShapeContact c) {
    switch (c) {
        case ShapeContact::None: return GateStatus::Accepted;
        case ShapeContact::Limit: return GateStatus::Limit;
        case ShapeContact::Wall: return GateStatus::Wall;
        case ShapeContact::Floor:
        case ShapeContact::WorkFloor: return GateStatus::Floor;
        case ShapeContact::Work: return GateStatus::Work;
        case ShapeContact::Self: return GateStatus::Self;
    }
    return GateStatus::Limit;
}

// One judged pose: its verdict and the least clearances against fixed things (wall, floor) and
// between moving ones (box and links, links and links).
struct Judged {
    GateVerdict v;
    double fixed = 0, moving = 0;
    double shapeFixed[JV + 2], shapeMoving[JV + 2];  // per shape, as ShapeClearance
};

Judged judgeNew(Scene& s, const double* q);

bool sameScene(const Scene& s, const RowGateState::GateMemo& m) {
    return m.valid && m.robot == s.sgnROBOT[0] * 10 + s.sgnROBOT[1] && m.scene[0] == s.rhx && m.scene[1] == s.rhy1 && m.scene[2] == s.rhy2 &&
           m.scene[3] == s.rh[2];
}

Judged judge(Scene& s, const double* q) {
    for (const RowGateState::GateMemo& m : s.gateMemo)
        if (sameScene(s, m) && std::memcmp(m.q + 1, q + 1, sizeof(double) * s.N) == 0) {
            Judged j{GateVerdict{static_cast<GateStatus>(m.status), m.shape, m.other, m.depth}, m.fixed, m.moving, {}, {}};
            std::memcpy(j.shapeFixed, m.shapeFixed, sizeof j.shapeFixed);
            std::memcpy(j.shapeMoving, m.shapeMoving, sizeof j.shapeMoving);
            return j;
        }
    const Judged j = judgeNew(s, q);
    RowGateState::GateMemo& m = s.gateMemo[s.gateMemoNext];
    s.gateMemoNext ^= 1;
    std::memcpy(m.q, q, sizeof m.q);
    m.scene[0] = s.rhx, m.scene[1] = s.rhy1, m.scene[2] = s.rhy2, m.scene[3] = s.rh[2];
    m.robot = s.sgnROBOT[0] * 10 + s.sgnROBOT[1];
    m.status = static_cast<int>(j.v.status), m.shape = j.v.shape, m.other = j.v.other;
    m.depth = j.v.depth, m.fixed = j.fixed, m.moving = j.moving;
    std::memcpy(m.shapeFixed, j.shapeFixed, sizeof m.shapeFixed);
    std::memcpy(m.shapeMoving, j.shapeMoving, sizeof m.shapeMoving);
    m.valid = 1;
    return j;
}

Judged judgeNew(Scene& s, const double* q) {
    Judged j;
    for (int k = 0; k < JV + 2; ++k) j.shapeFixed[k] = j.shapeMoving[k] = -INFINITY;
    for (int i = 1; i <= s.N; ++i)
        if (!std::isfinite(q[i])) {
            j.v.status = GateStatus::Limit;
            j.v.shape = i;
            j.v.depth = INFINITY;
            return j;
        }
    ShapeClearance c;
    physicalClearance(s, q, c);
    double depth = 0;
    const ShapeContact kind = worstContact(c, depth);
    j.v.status = statusOf(kind);
    j.v.depth = depth;
    switch (kind) {
        case ShapeContact::Limit: j.v.shape = c.limitJoint; break;
        case ShapeContact::Wall: j.v.shape = c.wallShape, j.v.other = c.wallBlock; break;
        case ShapeContact::Floor: j.v.shape = c.floorShape; break;
        case ShapeContact::WorkFloor: j.v.shape = s.Nw + 1; break;
        case ShapeContact::Work: j.v.shape = s.Nw + 1, j.v.other = c.workLink; break;
        case ShapeContact::Self: j.v.shape = c.selfA, j.v.other = c.selfB; break;
        case ShapeContact::None: break;
    }
    j.fixed = std::min({c.wall, c.floor, c.workFloor});
    j.moving = std::min(c.work, c.self);
    std::memcpy(j.shapeFixed, c.shapeFixed, sizeof j.shapeFixed);
    std::memcpy(j.shapeMoving, c.shapeMoving, sizeof j.shapeMoving);
    return j;
}

void shapeName(const Scene& s, int k, char* out, int n) {
    if (k == s.Nw + 1) std::snprintf(out, n, "ワーク");
    else if (k == s.Nw) std::snprintf(out, n, "ハンド");
    else std::snprintf(out, n, "アームL[%d]", k);
}

}  // namespace

GateVerdict gatePose(Scene& s, const double* q) { return judge(s, q).v; }

GateVerdict gateMotion(Scene& s, const double* q0, const double* q1) {
    const int N = s.N;
    double dq[JV] = {};
    double dmax = 0;
    for (int i = 1; i <= N; ++i) {
        dq[i] = jointDiff(s, i, q1[i], q0[i]);
        dmax = std::max(dmax, std::fabs(dq[i]));
    }
    const Judged a = judge(s, q0);
    if (a.v.status != GateStatus::Accepted) return a.v;
    const Judged b = judge(s, q1);
    if (b.v.status != GateStatus::Accepted) return b.v;
    if (!std::isfinite(dmax)) return GateVerdict{GateStatus::Limit, 0, 0, INFINITY};
    // A long motion is probed at eighths first: a stretch that cuts the wall or the arm is
    // usually refused there, before the halving goes deep into its first half.
    if (dmax > 8 * kGateResolution) {
        for (int k : {4, 2, 6, 1, 3, 5, 7}) {
            double q[JV] = {};
            for (int i = 1; i <= N; ++i) q[i] = q0[i] + dq[i] * (k / 8.0);
            const Judged m = judge(s, q);
            if (m.v.status != GateStatus::Accepted) return m.v;
        }
    }
    // Per shape, how far its points can move over the whole motion; two moving shapes approach
    // each other at most by the sum of their bounds.
    const int nShapes = s.Nw + 1;
    double sweep[JV + 2];
    shapeSweepBounds(s, dq, sweep);
    double sweepMax = 0;
    for (int k = 1; k <= nShapes; ++k) sweepMax = std::max(sweepMax, sweep[k]);
    // Stretches still to show clear: parameters and the clearances judged at their ends. Each
    // halving leaves one stretch pending, so the depth of the halving bounds the stack.
    struct Stretch {
        double t0, t1;
        const Judged* a;
        const Judged* b;
        int depth;
    };
    // The judged middle of a stretch at depth d is kept in middles[d + 1]: when the next
    // stretch of that depth is halved, the one before it and all below it are done.
    Judged ends[2] = {a, b};
    Judged middles[64];
    Stretch stack[64];
    int top = 0;
    stack[top++] = Stretch{0, 1, &ends[0], &ends[1], 0};
    while (top > 0) {
        const Stretch st = stack[--top];
        const double span = st.t1 - st.t0;
        if (dmax * span <= kGateResolution) continue;
        bool clear = true;
        for (int k = 1; k <= nShapes && clear; ++k)
            clear = st.a->shapeFixed[k] + st.b->shapeFixed[k] >= sweep[k] * span &&
                    st.a->shapeMoving[k] + st.b->shapeMoving[k] >= (sweep[k] + sweepMax) * span;
        if (clear) continue;
        if (st.depth + 1 >= 64 || top + 2 > 64) return GateVerdict{GateStatus::Limit, 0, 0, INFINITY};  // unreachable
        const double tm = 0.5 * (st.t0 + st.t1);
        double q[JV] = {};
        for (int i = 1; i <= N; ++i) q[i] = q0[i] + dq[i] * tm;
        Judged& m = middles[st.depth + 1];
        m = judge(s, q);
        if (m.v.status != GateStatus::Accepted) return m.v;
        stack[top++] = Stretch{st.t0, tm, st.a, &m, st.depth + 1};
        stack[top++] = Stretch{tm, st.t1, &m, st.b, st.depth + 1};
    }
    return GateVerdict{};
}

int gateCode(GateStatus status) {
    switch (status) {
        case GateStatus::Wall: return -1;
        case GateStatus::Floor: return -2;
        case GateStatus::Self:
        case GateStatus::Work:
        case GateStatus::Limit: return -3;
        case GateStatus::Accepted:
        case GateStatus::RecordFull: return 0;
    }
    return 0;
}

const char* gateStatusName(GateStatus status) {
    switch (status) {
        case GateStatus::Accepted: return "accepted";
        case GateStatus::Wall: return "wall";
        case GateStatus::Floor: return "floor";
        case GateStatus::Self: return "self";
        case GateStatus::Work: return "work";
        case GateStatus::Limit: return "limit";
        case GateStatus::RecordFull: return "record full";
    }
    return "?";
}

int gateRow(Scene& s, const double* from, const double* q) {
    // The motion accepted last, in the same scene (the slit or the robot may have changed since).
    bool same = s.gateCached != 0 && s.gateCachedScene[0] == s.rhx && s.gateCachedScene[1] == s.rhy1 &&
                s.gateCachedScene[2] == s.rhy2 && s.gateCachedScene[3] == s.rh[2] &&
                s.gateCachedRobot == s.sgnROBOT[0] * 10 + s.sgnROBOT[1];
    for (int i = 1; i <= s.N && same; ++i) same = from[i] == s.gateFrom[i] && q[i] == s.gateTo[i];
    if (same) return 0;
    const GateVerdict v = gateMotion(s, from, q);
    s.gateStatus = v.status;
    s.gateShape = v.shape;
    s.gateOther = v.other;
    s.gateDepth = v.depth;
    if (v.status == GateStatus::Accepted) {
        for (int i = 0; i < JV; ++i) s.gateFrom[i] = from[i], s.gateTo[i] = q[i];
        s.gateCachedScene[0] = s.rhx, s.gateCachedScene[1] = s.rhy1, s.gateCachedScene[2] = s.rhy2;
        s.gateCachedScene[3] = s.rh[2];
        s.gateCachedRobot = s.sgnROBOT[0] * 10 + s.sgnROBOT[1];
        s.gateCached = 1;
        return 0;
    }
    ++s.gateRefusals;
    char who[32], what[32];
    shapeName(s, v.shape, who, sizeof who);
    switch (v.status) {
        case GateStatus::Wall: std::snprintf(what, sizeof what, "壁ブロック(%cx側)", v.other == 0 ? '+' : '-'); break;
        case GateStatus::Floor: std::snprintf(what, sizeof what, "床"); break;
        case GateStatus::Self:
        case GateStatus::Work: std::snprintf(what, sizeof what, "アームL[%d]", v.other); break;
        default: std::snprintf(what, sizeof what, "関節限界"); break;
    }
    if (v.status == GateStatus::Limit)
        tracef(s, "\n〓行ゲート: 関節J[%d]が関節限界を超える→行を追加しない sgnPATH=%d", v.shape, s.sgnPATH);
    else
        tracef(s, "\n〓行ゲート: %sが%sに%.4f入る→行を追加しない sgnPATH=%d", who, what, v.depth, s.sgnPATH);
    return gateCode(v.status);
}

PathClearance pathClearance(Scene& s, const double (*rows)[JV], int n) {
    PathClearance least;
    auto take = [&](const double* q) {
        ShapeClearance c;
        physicalClearance(s, q, c);
        least.wall = std::min(least.wall, c.wall);
        least.floor = std::min(least.floor, c.floor);
        least.workFloor = std::min(least.workFloor, c.workFloor);
        least.work = std::min(least.work, c.work);
        least.self = std::min(least.self, c.self);
    };
    for (int k = 0; k < n; ++k) {
        take(rows[k]);
        if (k + 1 >= n) break;
        double d[JV] = {}, dmax = 0;
        for (int i = 1; i <= s.N; ++i) {
            d[i] = jointDiff(s, i, rows[k + 1][i], rows[k][i]);
            dmax = std::max(dmax, std::fabs(d[i]));
        }
        const int m = std::isfinite(dmax) ? static_cast<int>(std::ceil(dmax / kGateResolution)) : 0;
        for (int t = 1; t < m; ++t) {
            double q[JV] = {};
            for (int i = 1; i <= s.N; ++i) q[i] = rows[k][i] + d[i] * t / m;
            take(q);
        }
    }
    return least;
}
