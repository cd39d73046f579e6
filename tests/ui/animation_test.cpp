#include <gtest/gtest.h>

#include <QWidget>
#include <cmath>
#include <numbers>

#include "support/manual_scheduler.h"
#include "views/animation/animated_value.h"
#include "views/animation/frame_driver.h"
#include "views/animation/view_animator.h"
#include "views/effects/jiggle_modifier.h"

namespace calyxa {
namespace {

constexpr double kPi = std::numbers::pi;

struct Motion {
  double x, v;  // displacement from the target, velocity
};

// Compares `value` every `interval` after `from` with x'' = -k x - c x' integrated from `m` by
// classical Runge-Kutta in fine steps, an account independent of the closed form.
Motion follow(const Animated<double>& value, double response, double fraction, double target,
              double from, Motion m, int samples, double interval) {
  const double k = std::pow(2 * kPi / response, 2), c = 4 * kPi * fraction / response;
  const double h = interval / 500;
  const auto a = [&](double x, double v) { return -k * x - c * v; };
  for (int i = 1; i <= samples; ++i) {
    for (int step = 0; step < 500; ++step) {
      const double x1 = m.v, v1 = a(m.x, m.v), x2 = m.v + h / 2 * v1, v2 = a(m.x + h / 2 * x1, x2);
      const double x3 = m.v + h / 2 * v2, v3 = a(m.x + h / 2 * x2, x3);
      const double x4 = m.v + h * v3, v4 = a(m.x + h * x3, x4);
      m = {m.x + h / 6 * (x1 + 2 * x2 + 2 * x3 + x4), m.v + h / 6 * (v1 + 2 * v2 + 2 * v3 + v4)};
    }
    const double t = from + i * interval;
    if (!value.isAnimating(t)) {  // at rest: the integration agrees to within the threshold
      EXPECT_EQ(value.value(t), target) << t;
      EXPECT_LT(std::fabs(m.x), 2e-3) << t;
    } else {
      EXPECT_NEAR(value.value(t), target + m.x, 1e-6) << t;
      EXPECT_NEAR(value.velocity(t), m.v, 1e-5) << t;
    }
  }
  return m;
}

TEST(SpringTest, ClosedFormMatchesNumericalIntegrationThroughRetargetsAndRestsOnTime) {
  // Under-damped lightly and firmly, critically damped, over-damped; then retargeted mid-flight.
  for (const auto& [response, fraction] :
       {std::pair{0.3, 0.45}, std::pair{0.25, 0.8}, std::pair{0.5, 1.0}, std::pair{0.4, 1.6}}) {
    SCOPED_TRACE(::testing::Message() << response << " " << fraction);
    Animated<double> value(0.0, 1e-9);
    value.setTarget(100.0, Animation::spring(response, fraction), 7.0);
    const Motion m = follow(value, response, fraction, 100.0, 7.0, {-100.0, 0.0}, 19, 0.0107);
    value.setTarget(-40.0, Animation::spring(0.2, 0.6), 7.0 + 19 * 0.0107);
    follow(value, 0.2, 0.6, -40.0, 7.0 + 19 * 0.0107, {m.x + 140.0, m.v}, 120, 0.0131);
  }
  // Critically damped after a unit step, the distance from rest sqrt(x² + (v/ω)²) is
  // e^(-ωt) hypot(1 + ωt, ωt): the spring rests on the first frame where it is below 1e-3.
  const double frame = 1.0 / 240.0;
  for (double response : {0.15, 0.25, 0.5, 1.0}) {
    const double w = 2 * kPi / response;
    const auto distance = [w](double t) { return std::exp(-w * t) * std::hypot(1 + w * t, w * t); };
    Animated<double> value(0.0, 1e-3);
    value.setTarget(1.0, Animation::spring(response, 1.0), 0.0);
    double rest = 0.0;
    while (value.isAnimating(rest) && rest < 60.0)
      rest += frame;
    EXPECT_LT(distance(rest), 1e-3) << response;
    EXPECT_GE(distance(rest - frame), 1e-3) << response;
  }
}

TEST(EaseCurveTest, EndsMiddleShapeAndSlopes) {
  const struct {
    TimingCurve curve;
    double x1, x2, startSlope, endSlope;
  } curves[] = {{TimingCurve::easeIn(), 0.42, 1.0, 0.0, 1 / 0.58},
                {TimingCurve::easeOut(), 0.0, 0.58, 1 / 0.58, 0.0},
                {TimingCurve::easeInOut(), 0.42, 0.58, 0.0, 0.0}};
  for (const auto& [curve, x1, x2, startSlope, endSlope] : curves) {
    EXPECT_EQ(curve.value(0.0), 0.0);
    EXPECT_EQ(curve.value(1.0), 1.0);
    EXPECT_NEAR(curve.slope(0.0), startSlope, 1e-6);
    EXPECT_NEAR(curve.slope(1.0), endSlope, 1e-6);
    // Points of the Bézier (y1 = 0, y2 = 1) lie on the curve, and slopes are its derivative.
    for (double s = 0.05; s < 0.96; s += 0.05) {
      const double u = 1 - s, x = 3 * u * u * s * x1 + 3 * u * s * s * x2 + s * s * s, h = 1e-5;
      EXPECT_NEAR(curve.value(x), 3 * u * s * s + s * s * s, 1e-9) << x;
      EXPECT_NEAR(curve.slope(x), (curve.value(x + h) - curve.value(x - h)) / (2 * h), 1e-4) << x;
    }
  }
}

TEST(AnimatedValueTest, EaseEndsReversesJumpsAndKeepsAMotionToTheSameTarget) {
  Animated<double> value(10.0);
  value.setTarget(20.0, Animation::easeOut(0.5), 3.0);
  EXPECT_TRUE(value.isAnimating(3.49));
  EXPECT_FALSE(value.isAnimating(3.5));
  EXPECT_EQ(value.value(3.5), 20.0);
  value.setTarget(30.0, Animation::easeIn(0.2).repeatForever(true), 4.0);
  const double t = 4.25, h = 1e-6;  // on an odd cycle, reversed
  EXPECT_NEAR(value.value(t), 20.0 + 10.0 * TimingCurve::easeIn().value(0.75), 1e-9);
  EXPECT_NEAR(value.velocity(t), (value.value(t + h) - value.value(t - h)) / (2 * h), 1e-3);
  value.setTarget(-5.0, Transaction::disabledContinuous(), 4.37);
  EXPECT_EQ(value.value(4.37), -5.0) << "a transaction without animations jumps";
  EXPECT_FALSE(value.isAnimating(4.37));
  value.setTarget(16.0, Animation::spring(0.3, 1.0), 6.0);
  const double midway = value.value(6.1);
  value.setTarget(16.0, Animation::easeIn(5.0), 6.1);
  EXPECT_EQ(value.value(6.1), midway) << "the same target leaves a running spring alone";
  EXPECT_FALSE(value.isAnimating(7.5));
}

TEST(JiggleTest, SeedsChooseDirectionAndDurationAndStoppingSpringsBackToZero) {
  // Seconds per swing and the first swing's direction for seeds 0 to 5.
  const std::pair<double, double> swings[] = {{0.11, +1},  {0.118, -1}, {0.126, +1},
                                              {0.134, -1}, {0.142, +1}, {0.11, -1}};
  const double w = 2 * kPi / 0.25, zeta = 0.8, wd = w * std::sqrt(1 - zeta * zeta);
  for (int seed = 0; seed <= 5; ++seed) {
    const double d = swings[seed].first, base = 1.8 * swings[seed].second, start = 12.5;
    JiggleModifier jiggle(true, seed);
    jiggle.appear(start);
    // From −base to +base in one duration, easing in and out, and back, forever.
    for (int swing = 0; swing < 40; ++swing) {
      const double t = start + swing * d, from = swing % 2 == 0 ? -base : base;
      EXPECT_NEAR(jiggle.angle(t), from, 1e-9) << seed << " " << swing;
      EXPECT_NEAR(jiggle.angle(t + d / 2), 0.0, 1e-9) << seed << " " << swing;
      EXPECT_LT(std::fabs(jiggle.angle(t + d / 4) - from), 0.25 * 3.6) << seed << " " << swing;
    }
    EXPECT_TRUE(jiggle.animation().isAnimating(start + 1000.0)) << seed;
    // Stopped mid-swing, the spring (0.25, 0.8) carries the angle and its speed back to 0.
    Animated<double> swing(-base);
    swing.setTarget(base, Animation::easeInOut(d).repeatForever(), start);
    const double stop = start + d * 3.3, x0 = swing.value(stop), v0 = swing.velocity(stop);
    jiggle.setJiggling(false, stop);
    for (double t = 0.0; t < 0.3; t += 0.01) {
      const double spring = x0 * std::cos(wd * t) + (v0 + zeta * w * x0) / wd * std::sin(wd * t);
      EXPECT_NEAR(jiggle.angle(stop + t), std::exp(-zeta * w * t) * spring, 1e-9)
          << seed << " " << t;
    }
    EXPECT_EQ(jiggle.angle(stop + 2.0), 0.0) << seed;
    EXPECT_FALSE(jiggle.animation().isAnimating(stop + 2.0)) << seed;
  }
}

TEST(FrameDriverTest, TicksOnlyWhileAVisibleViewMoves) {
  const auto scheduler = testing::ManualScheduler::make();
  FrameDriver driver(scheduler->clock(), scheduler->mainQueue());
  const auto timers = [&] { return scheduler->pendingCount(testing::ManualScheduler::Lane::main); };
  QWidget view;
  Animated<double> offset(0.0), wobble(0.0);
  ViewAnimator animator(&view, driver);
  animator.track(offset);
  animator.track(wobble);
  offset.setTarget(50.0, Animation::spring(0.3, 1.0), animator.now());
  animator.wake();
  EXPECT_EQ(timers(), 0) << "hidden views get no frames";
  view.show();
  EXPECT_EQ(timers(), 1) << "showing resumes a motion in progress";
  scheduler->advance(3.0);
  EXPECT_EQ(timers(), 0) << "nothing moves: no work is scheduled";
  wobble.setTarget(2.0, Animation::easeInOut(0.12).repeatForever(), animator.now());
  animator.wake();
  const auto before = driver.framesTicked();
  scheduler->advance(1.0);
  EXPECT_GE(driver.framesTicked() - before, 59u);
  view.hide();
  scheduler->advance(0.05);
  EXPECT_EQ(timers(), 0) << "a hidden view costs nothing, even one that moves forever";
  auto doomed = std::make_unique<FrameDriver::Client>(driver, [](double) { return true; });
  FrameDriver::Client killer(driver, [&](double) { return doomed.reset(), false; });
  doomed->wake();
  killer.wake();
  EXPECT_EQ(timers(), 1) << "one timer for every client";
  scheduler->advance(0.1);
  EXPECT_EQ(timers(), 0) << "a client destroyed mid-frame by another counts as asleep";
}

}  // namespace
}  // namespace calyxa
