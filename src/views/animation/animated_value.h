#pragma once

#include <cmath>
#include <optional>
#include <utility>

#include "platform/animation.h"
#include "views/animation/spring.h"
#include "views/animation/timing_curve.h"

namespace calyxa {

// What the engine needs of a quantity beyond + - and scaling by a double: its squared length,
// to decide when a spring has come to rest. Specialised for each type the views animate.
template <class T>
struct Animatable;

template <>
struct Animatable<double> {
  static double zero() { return 0.0; }
  static double lengthSquared(double v) { return v * v; }
};

// Lets a frame driver ask whether anything still moves, whatever the value's type.
class AnimatedValueBase {
 public:
  virtual ~AnimatedValueBase() = default;
  virtual bool isAnimating(double now) const = 0;
};

// A value a view shows, retargeted whenever the state it shows changes, with the animation of
// the change's transaction. Time is passed in (seconds of the media clock), so the value is a
// pure function of it: two calls at the same time agree.
template <class T>
class Animated final : public AnimatedValueBase {
 public:
  // `restThreshold`: a spring whose distance from rest (displacement and velocity over the
  // natural frequency, combined) falls below it has arrived.
  explicit Animated(T initial = Animatable<T>::zero(), double restThreshold = 1e-3)
      : target_(initial), restThresholdSquared_(restThreshold * restThreshold) {}

  const T& target() const { return target_; }
  T value(double now) const { return sample(now).value; }
  T velocity(double now) const { return sample(now).velocity; }
  bool isAnimating(double now) const override {
    return motion_ != Motion::resting && !sample(now).atRest;
  }

  // Retargets with the animation of `transaction` (a jump when it disables animations).
  void setTarget(T target, const Transaction& transaction, double now) {
    setTarget(std::move(target), transaction.effectiveAnimation(), now);
  }

  // A spring starts from the current value and velocity; an ease curve from the current value;
  // no animation jumps. A target equal to the current one leaves a running motion alone.
  void setTarget(T target, const Animation& animation, double now) {
    if (animation.isNone() || !isPlayable(animation)) {
      jump(std::move(target));
      return;
    }
    if (target == target_) return;
    const Sample current = sample(now);
    start_ = now;
    if (animation.curve == Animation::Curve::spring) {
      motion_ = Motion::spring;
      spring_.emplace(animation.response, animation.dampingFraction);
      displacement_ = current.value - target;
      startVelocity_ = current.velocity;
    } else {
      motion_ = Motion::curve;
      curve_ = curveOf(animation.curve);
      duration_ = animation.duration;
      repeats_ = animation.repeatsForever;
      autoreverses_ = animation.autoreverses;
      from_ = current.value;
    }
    target_ = std::move(target);
  }

  // Shows `value` at once and stops any motion.
  void jump(T value) {
    target_ = std::move(value);
    motion_ = Motion::resting;
  }

 private:
  enum class Motion { resting, spring, curve };
  struct Sample {
    T value;
    T velocity;
    bool atRest;
  };

  static bool isPlayable(const Animation& animation) {
    if (animation.curve == Animation::Curve::spring) return animation.response > 0.0;
    return animation.duration > 0.0;
  }

  static TimingCurve curveOf(Animation::Curve curve) {
    switch (curve) {
      case Animation::Curve::easeIn:
        return TimingCurve::easeIn();
      case Animation::Curve::easeOut:
        return TimingCurve::easeOut();
      default:
        return TimingCurve::easeInOut();
    }
  }

  Sample rest() const { return {target_, Animatable<T>::zero(), true}; }

  Sample sample(double now) const {
    const double elapsed = now > start_ ? now - start_ : 0.0;
    switch (motion_) {
      case Motion::resting:
        return rest();
      case Motion::spring: {
        const Spring::Propagator p = spring_->propagator(elapsed);
        const T x = displacement_ * p.a + startVelocity_ * p.b;
        const T v = displacement_ * p.c + startVelocity_ * p.d;
        // The oscillator's energy never grows, so once this holds it holds for good.
        const double omega = spring_->naturalFrequency();
        const double distanceSquared =
            Animatable<T>::lengthSquared(x) + Animatable<T>::lengthSquared(v) / (omega * omega);
        if (distanceSquared < restThresholdSquared_) return rest();
        return {target_ + x, v, false};
      }
      case Motion::curve: {
        const double progress = elapsed / duration_;
        if (!repeats_ && progress >= 1.0) return rest();
        const double cycle = std::floor(progress);
        double x = progress - cycle;
        double direction = 1.0;
        if (autoreverses_ && static_cast<long long>(cycle) % 2 == 1) {
          x = 1.0 - x;
          direction = -1.0;
        }
        const T span = target_ - from_;
        return {from_ + span * curve_.value(x), span * (direction * curve_.slope(x) / duration_),
                false};
      }
    }
    return rest();
  }

  T target_;
  double restThresholdSquared_;
  Motion motion_ = Motion::resting;
  double start_ = 0.0;
  // Spring: displacement from the target and velocity when it started.
  std::optional<Spring> spring_;
  T displacement_ = Animatable<T>::zero();
  T startVelocity_ = Animatable<T>::zero();
  // Ease curve.
  TimingCurve curve_ = TimingCurve::linear();
  double duration_ = 0.0;
  bool repeats_ = false;
  bool autoreverses_ = false;
  T from_ = Animatable<T>::zero();
};

}  // namespace calyxa
