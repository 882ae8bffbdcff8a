#include "app/ompl_planner.h"

#include <ompl/base/MotionValidator.h>
#include <ompl/base/SpaceInformation.h>
#include <ompl/base/StateValidityChecker.h>
#include <ompl/base/spaces/RealVectorStateSpace.h>
#include <ompl/geometric/PathGeometric.h>
#include <ompl/geometric/PathSimplifier.h>
#include <ompl/geometric/SimpleSetup.h>
#include <ompl/geometric/planners/kpiece/BKPIECE1.h>
#include <ompl/geometric/planners/kpiece/KPIECE1.h>
#include <ompl/geometric/planners/rrt/BiTRRT.h>
#include <ompl/geometric/planners/rrt/RRTConnect.h>
#include <ompl/util/Console.h>
#include <ompl/util/RandomNumbers.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/scene.h"
#include "model/joints.h"
#include "model/kinematics.h"
#include "model/angles.h"
#include "model/vecops.h"
#include "path/row_gate.h"

namespace ob = ompl::base;
namespace og = ompl::geometric;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// Limit of joint i by the joint-limit rule, infinite for an unlimited joint.
double limitOf(const Scene& s, int i) {
    const double l = jointLimit(s, i);
    return l > 0 ? l : INFINITY;
}

bool wraps(const Scene& s, int i) { return s.JRTYPE[i] == 'R'; }

// Joints 1..N in dimensions 0..N-1. Differences are those of the gate (jointDiff: 'R' joints
// the short way), so that the planner's straight motion is the motion the gate judges and the
// path record writes.
class JointSpace : public ob::RealVectorStateSpace {
public:
    JointSpace(Scene& s, bool depth) : ob::RealVectorStateSpace(s.N), s_(s), depth_(depth) {
        ob::RealVectorBounds b(s.N);
        for (int i = 1; i <= s.N; ++i) {
            const double lim = limitOf(s, i);
            b.setLow(i - 1, std::isfinite(lim) ? -lim : -PI_C);
            b.setHigh(i - 1, std::isfinite(lim) ? lim : PI_C);
        }
        setBounds(b);
        setName("Joints");
    }

    Scene& scene() const { return s_; }

    void toJoints(const ob::State* st, double* q) const {
        const double* v = st->as<StateType>()->values;
        q[0] = 0;
        for (int i = 1; i <= s_.N; ++i) q[i] = v[i - 1];
        for (int i = s_.N + 1; i < JV; ++i) q[i] = 0;
    }
    void fromJoints(const double* q, ob::State* st) const {
        double w[JV] = {};
        for (int i = 1; i <= s_.N; ++i) w[i] = q[i];
        wrapJointVector(s_.N, w, w);
        double* v = st->as<StateType>()->values;
        for (int i = 1; i <= s_.N; ++i) v[i - 1] = wraps(s_, i) ? w[i] : q[i];
    }

    double distance(const ob::State* a, const ob::State* b) const override {
        const double* x = a->as<StateType>()->values;
        const double* y = b->as<StateType>()->values;
        double sum = 0;
        for (int i = 1; i <= s_.N; ++i) {
            const double d = jointDiff(s_, i, x[i - 1], y[i - 1]);
            sum += d * d;
        }
        return std::sqrt(sum);
    }
    void interpolate(const ob::State* from, const ob::State* to, double t, ob::State* out) const override {
        const double* x = from->as<StateType>()->values;
        const double* y = to->as<StateType>()->values;
        double* v = out->as<StateType>()->values;
        for (int i = 1; i <= s_.N; ++i) v[i - 1] = x[i - 1] + t * jointDiff(s_, i, y[i - 1], x[i - 1]);
        wrapWrapped(v);
    }
    void enforceBounds(ob::State* st) const override {
        double* v = st->as<StateType>()->values;
        wrapWrapped(v);
        for (int i = 1; i <= s_.N; ++i) v[i - 1] = std::clamp(v[i - 1], bounds_.low[i - 1], bounds_.high[i - 1]);
    }
    bool satisfiesBounds(const ob::State* st) const override {
        const double* v = st->as<StateType>()->values;
        for (int i = 1; i <= s_.N; ++i)
            if (!(v[i - 1] >= bounds_.low[i - 1] - 1e-12 && v[i - 1] <= bounds_.high[i - 1] + 1e-12)) return false;
        return true;
    }
    double getMaximumExtent() const override {
        double sum = 0;
        for (int i = 1; i <= s_.N; ++i) {
            const double span = wraps(s_, i) && !std::isfinite(limitOf(s_, i)) ? PI_C : bounds_.high[i - 1] - bounds_.low[i - 1];
            sum += span * span;
        }
        return std::sqrt(sum);
    }
    ob::StateSamplerPtr allocDefaultStateSampler() const override;
    void registerProjections() override;

    // Wrapped joints into [-pi, pi).
    void wrapWrapped(double* v) const {
        for (int i = 1; i <= s_.N; ++i) {
            if (!wraps(s_, i)) continue;
            v[i - 1] = wrapPassesHalfOpen(v[i - 1], 4);
        }
    }

private:
    Scene& s_;
    bool depth_;
};

// Uniform samples inside the bounds; samples near a state reach across the wrap of 'R' joints.
class JointSampler : public ob::StateSampler {
public:
    explicit JointSampler(const JointSpace* space) : ob::StateSampler(space), space_(space) {}
    void sampleUniform(ob::State* st) override {
        const ob::RealVectorBounds& b = space_->getBounds();
        double* v = st->as<ob::RealVectorStateSpace::StateType>()->values;
        for (unsigned i = 0; i < space_->getDimension(); ++i) v[i] = rng_.uniformReal(b.low[i], b.high[i]);
    }
    void sampleUniformNear(ob::State* st, const ob::State* near, double distance) override {
        const double* c = near->as<ob::RealVectorStateSpace::StateType>()->values;
        double* v = st->as<ob::RealVectorStateSpace::StateType>()->values;
        for (unsigned i = 0; i < space_->getDimension(); ++i) v[i] = c[i] + rng_.uniformReal(-distance, distance);
        space_->enforceBounds(st);
    }
    void sampleGaussian(ob::State* st, const ob::State* mean, double stdDev) override {
        const double* c = mean->as<ob::RealVectorStateSpace::StateType>()->values;
        double* v = st->as<ob::RealVectorStateSpace::StateType>()->values;
        for (unsigned i = 0; i < space_->getDimension(); ++i) v[i] = rng_.gaussian(c[i], stdDev);
        space_->enforceBounds(st);
    }

private:
    const JointSpace* space_;
};

ob::StateSamplerPtr JointSpace::allocDefaultStateSampler() const { return std::make_shared<JointSampler>(this); }

// KPIECE's exploration grid: how deep through the wall (y) two joints of the arm and the work
// point stand, the joint four before the last, the wrist joint N-2 and the work point. Leaving
// the slit is progress along these three; a grid over the joints themselves or the work point
// alone leaves the planner circling near the wall (README, "Beyond the A and B calculations").
class DepthProjection : public ob::ProjectionEvaluator {
public:
    explicit DepthProjection(const JointSpace* space) : ob::ProjectionEvaluator(space), space_(space) {}
    unsigned int getDimension() const override { return 3; }
    void defaultCellSizes() override { cellSizes_.assign(3, 0.1); }
    void project(const ob::State* st, Eigen::Ref<Eigen::VectorXd> out) const override {
        Scene& s = space_->scene();
        double q[JV];
        space_->toJoints(st, q);
        forwardKinematics(s, q);
        out[0] = s.J[s.N - 4][1];
        out[1] = s.J[s.N - 2][1];
        out[2] = s.rw[1];
    }

private:
    const JointSpace* space_;
};

void JointSpace::registerProjections() {
    if (depth_)
        registerDefaultProjection(std::make_shared<DepthProjection>(this));
    else
        ob::RealVectorStateSpace::registerProjections();
}

struct Counters {
    long poses = 0, motions = 0;
};

class GateValidity : public ob::StateValidityChecker {
public:
    GateValidity(const ob::SpaceInformationPtr& si, const JointSpace* space, Counters* c)
        : ob::StateValidityChecker(si), space_(space), c_(c) {}
    bool isValid(const ob::State* st) const override {
        double q[JV];
        space_->toJoints(st, q);
        ++c_->poses;
        return gatePose(space_->scene(), q).status == GateStatus::Accepted;
    }

private:
    const JointSpace* space_;
    Counters* c_;
};

// Motions judged by the gate itself (dense to its resolution) rather than by OMPL's sampling
// at a fraction of the extent. The partial check walks the motion in short stretches and
// reports the end of the last stretch the gate accepts.
class GateMotion : public ob::MotionValidator {
public:
    GateMotion(ob::SpaceInformation* si, const JointSpace* space, Counters* c)
        : ob::MotionValidator(si), space_(space), c_(c) {}
    bool checkMotion(const ob::State* a, const ob::State* b) const override {
        double q0[JV], q1[JV];
        space_->toJoints(a, q0);
        space_->toJoints(b, q1);
        ++c_->motions;
        const bool ok = gateMotion(space_->scene(), q0, q1).status == GateStatus::Accepted;
        (ok ? valid_ : invalid_)++;
        return ok;
    }
    bool checkMotion(const ob::State* a, const ob::State* b, std::pair<ob::State*, double>& lastValid) const override {
        if (checkMotion(a, b)) return true;
        Scene& s = space_->scene();
        double q0[JV], q1[JV];
        space_->toJoints(a, q0);
        space_->toJoints(b, q1);
        double dmax = 0;
        for (int i = 1; i <= s.N; ++i) dmax = std::max(dmax, std::fabs(jointDiff(s, i, q1[i], q0[i])));
        const int n = std::max(1, static_cast<int>(std::ceil(dmax / kStretch)));
        double tLast = 0;
        ob::State* p0 = si_->allocState();
        ob::State* p1 = si_->allocState();
        si_->copyState(p0, a);
        for (int k = 1; k <= n; ++k) {
            const double t = static_cast<double>(k) / n;
            space_->interpolate(a, b, t, p1);
            double x0[JV], x1[JV];
            space_->toJoints(p0, x0);
            space_->toJoints(p1, x1);
            ++c_->motions;
            if (gateMotion(s, x0, x1).status != GateStatus::Accepted) break;
            tLast = t;
            si_->copyState(p0, p1);
        }
        if (lastValid.first) si_->copyState(lastValid.first, p0);
        lastValid.second = tLast;
        si_->freeState(p0);
        si_->freeState(p1);
        return false;
    }

private:
    static constexpr double kStretch = 0.05;
    const JointSpace* space_;
    Counters* c_;
};

ob::PlannerPtr makePlanner(const ob::SpaceInformationPtr& si, const PlanOptions& o) {
    switch (o.kind) {
        case PlannerKind::KPIECE1: {
            auto p = std::make_shared<og::KPIECE1>(si);
            if (o.range > 0) p->setRange(o.range);
            if (o.goalBias >= 0) p->setGoalBias(o.goalBias);
            return p;
        }
        case PlannerKind::RRTConnect: {
            auto p = std::make_shared<og::RRTConnect>(si);
            if (o.range > 0) p->setRange(o.range);
            return p;
        }
        case PlannerKind::BiTRRT: {
            auto p = std::make_shared<og::BiTRRT>(si);
            if (o.range > 0) p->setRange(o.range);
            return p;
        }
        case PlannerKind::BKPIECE1: {
            auto p = std::make_shared<og::BKPIECE1>(si);
            if (o.range > 0) p->setRange(o.range);
            return p;
        }
    }
    return nullptr;
}

}  // namespace

bool plannerAvailable() { return true; }

PlanResult planJointPath(Scene& s, const double* q0, const double* q1, const PlanOptions& o) {
    PlanResult r;
    ompl::msg::setLogLevel(ompl::msg::LOG_NONE);
    // Every generator the search creates from here on draws its seed from this one: the same
    // scene and options give the same search.
    ompl::RNG::setSeed(o.seed > 0 ? o.seed : 1);
    Counters counters;
    auto space = std::make_shared<JointSpace>(s, o.depthProjection);
    auto si = std::make_shared<ob::SpaceInformation>(space);
    si->setStateValidityChecker(std::make_shared<GateValidity>(si, space.get(), &counters));
    si->setMotionValidator(std::make_shared<GateMotion>(si.get(), space.get(), &counters));
    si->setup();
    og::SimpleSetup ss(si);
    ob::ScopedState<> start(space), goal(space);
    space->fromJoints(q0, start.get());
    space->fromJoints(q1, goal.get());
    ss.setStartAndGoalStates(start, goal);
    ss.setPlanner(makePlanner(si, o));
    ss.setup();
    const auto t0 = Clock::now();
    const ob::PlannerStatus status = ss.solve(ob::timedPlannerTerminationCondition(o.seconds));
    r.millis = msSince(t0);
    std::snprintf(r.status, sizeof r.status, "%s", status.asString().c_str());
    r.poseChecks = counters.poses;
    r.motionChecks = counters.motions;
    if (status != ob::PlannerStatus::EXACT_SOLUTION) return r;
    og::PathGeometric& path = ss.getSolutionPath();
    if (o.reduce) {
        const auto t1 = Clock::now();
        og::PathSimplifier simplifier(si);
        simplifier.reduceVertices(path);
        r.millisReduce = msSince(t1);
    }
    r.solved = 1;
    r.waypoints.resize(path.getStateCount());
    for (size_t k = 0; k < path.getStateCount(); ++k) space->toJoints(path.getState(k), r.waypoints[k].q);
    // The ends are the poses asked for, exactly (as wrapped values).
    space->toJoints(start.get(), r.waypoints.front().q);
    space->toJoints(goal.get(), r.waypoints.back().q);
    for (size_t k = 1; k < r.waypoints.size(); ++k)
        r.length += jointDiffNorm(s, 1, s.N, r.waypoints[k].q, r.waypoints[k - 1].q);
    r.poseChecks = counters.poses;
    r.motionChecks = counters.motions;
    return r;
}

double plannerDistance(Scene& s, const double* a, const double* b) {
    auto space = std::make_shared<JointSpace>(s, false);
    ob::ScopedState<> x(space), y(space);
    space->fromJoints(a, x.get());
    space->fromJoints(b, y.get());
    return space->distance(x.get(), y.get());
}

void plannerInterpolate(Scene& s, const double* a, const double* b, double t, double* out) {
    auto space = std::make_shared<JointSpace>(s, false);
    ob::ScopedState<> x(space), y(space), z(space);
    space->fromJoints(a, x.get());
    space->fromJoints(b, y.get());
    space->interpolate(x.get(), y.get(), t, z.get());
    space->toJoints(z.get(), out);
}

bool plannerInBounds(Scene& s, const double* q) {
    auto space = std::make_shared<JointSpace>(s, false);
    ob::ScopedState<> x(space);
    double* v = x.get()->as<ob::RealVectorStateSpace::StateType>()->values;
    for (int i = 1; i <= s.N; ++i) v[i - 1] = q[i];
    return space->satisfiesBounds(x.get());
}
