#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "views/animation/animated_value.h"
#include "views/animation/timing_curve.h"

namespace calyxa {
namespace {

constexpr double kPi = std::numbers::pi;

struct Motion {
  double x;  // displacement from the target
  double v;
};

// The oscillator x'' = -k x - c x' integrated with classical Runge-Kutta in fine steps: an
// independent account of what the closed form must produce.
class Oscillator {
 public:
  Oscillator(double response, double fraction, Motion start)
      : k_(std::pow(2 * kPi / response, 2)), c_(4 * kPi * fraction / response), state_(start) {}

  void advance(double duration) {
    const double h = 2e-5;
    for (double left = duration; left > 1e-12; left -= h)
      step(std::min(h, left));
  }
  const Motion& state() const { return state_; }
  void retarget(double response, double fraction, double shift) {
    k_ = std::pow(2 * kPi / response, 2);
    c_ = 4 * kPi * fraction / response;
    state_.x += shift;
  }

 private:
  Motion derivative(const Motion& s) const { return {s.v, -k_ * s.x - c_ * s.v}; }
  void step(double h) {
    const Motion a = derivative(state_);
    const Motion b = derivative({state_.x + h / 2 * a.x, state_.v + h / 2 * a.v});
    const Motion c = derivative({state_.x + h / 2 * b.x, state_.v + h / 2 * b.v});
    const Motion d = derivative({state_.x + h * c.x, state_.v + h * c.v});
    state_.x += h / 6 * (a.x + 2 * b.x + 2 * c.x + d.x);
    state_.v += h / 6 * (a.v + 2 * b.v + 2 * c.v + d.v);
  }
  double k_, c_;
  Motion state_;
};

// Compares the animated value with the integration at `samples` times `interval` apart; the
// integration's displacement is measured from `target`.
void expectFollows(const Animated<double>& value, Oscillator& reference, double target, double from,
                   int samples, double interval, const std::string& label) {
  for (int i = 1; i <= samples; ++i) {
    reference.advance(interval);
    const double t = from + i * interval;
    const Motion& m = reference.state();
    if (!value.isAnimating(t)) {
      // At rest: the integration agrees to within the rest threshold.
      EXPECT_EQ(value.value(t), target) << label << " t=" << t;
      EXPECT_LT(std::fabs(m.x), 2e-3) << label << " t=" << t;
      continue;
    }
    EXPECT_NEAR(value.value(t), target + m.x, 1e-6) << label << " t=" << t;
    EXPECT_NEAR(value.velocity(t), m.v, 1e-5) << label << " t=" << t;
  }
}

TEST(SpringTest, ClosedFormMatchesNumericalIntegrationAndContinuesThroughRetargets) {
  struct Case {
    double response, fraction;
  };
  // Under-damped, lightly and firmly; critically damped; over-damped.
  for (const Case& c : {Case{0.3, 0.45}, Case{0.25, 0.8}, Case{0.5, 1.0}, Case{0.4, 1.6}}) {
    const std::string label =
        "response " + std::to_string(c.response) + " fraction " + std::to_string(c.fraction);
    const double start = 7.25;  // an arbitrary media-clock time
    Animated<double> value(0.0, 1e-9);
    value.setTarget(100.0, Animation::spring(c.response, c.fraction), start);
    Oscillator reference(c.response, c.fraction, {-100.0, 0.0});
    expectFollows(value, reference, 100.0, start, 19, 0.0107, label);

    // Mid-flight, a new target and a different spring: position and velocity carry over.
    const double retargetAt = start + 19 * 0.0107;
    const double before = value.value(retargetAt);
    const double speed = value.velocity(retargetAt);
    value.setTarget(-40.0, Animation::spring(0.2, 0.6), retargetAt);
    EXPECT_NEAR(value.value(retargetAt), before, 1e-9) << label;
    EXPECT_NEAR(value.velocity(retargetAt), speed, 1e-9) << label;
    reference.retarget(0.2, 0.6, 140.0);
    expectFollows(value, reference, -40.0, retargetAt, 120, 0.0131, label + " retargeted");
  }
}

TEST(SpringTest, EaseMotionHandsItsVelocityToASpring) {
  Animated<double> value(0.0, 1e-9);
  value.setTarget(50.0, Animation::easeInOut(0.4), 1.0);
  const double at = 1.13;
  const double position = value.value(at);
  const double speed = value.velocity(at);
  ASSERT_GT(speed, 0.0);
  value.setTarget(10.0, Animation::spring(0.35, 0.7), at);
  Oscillator reference(0.35, 0.7, {position - 10.0, speed});
  expectFollows(value, reference, 10.0, at, 80, 0.0093, "ease then spring");
}

// Time from a unit step until the spring's distance from rest, sqrt(x² + (v/ω)²), falls below
// `threshold`, found by bisection on the integration's own closed form for critical damping.
double criticalSettlingTime(double response, double threshold) {
  const double w = 2 * kPi / response;
  const auto distance = [w](double t) {
    const double x = -(1 + w * t) * std::exp(-w * t);
    const double v = w * w * t * std::exp(-w * t);
    return std::hypot(x, v / w);
  };
  double low = 0.0, high = 20.0 * response;
  for (int i = 0; i < 200; ++i) {
    const double mid = (low + high) / 2;
    (distance(mid) < threshold ? high : low) = mid;
  }
  return high;
}

double frameOfRest(Animated<double>& value, double frame) {
  double t = 0.0;
  while (value.isAnimating(t) && t < 60.0)
    t += frame;
  return t;
}

TEST(SpringTest, SettlingTimeFollowsTheResponse) {
  const double frame = 1.0 / 240.0;
  std::vector<double> ratios;
  for (double response : {0.15, 0.25, 0.5, 1.0}) {
    Animated<double> value(0.0, 1e-3);
    value.setTarget(1.0, Animation::spring(response, 1.0), 0.0);
    const double rest = frameOfRest(value, frame);
    const double expected = criticalSettlingTime(response, 1e-3);
    EXPECT_GE(rest, expected - 1e-9) << response;
    EXPECT_LT(rest, expected + frame + 1e-9) << response;
    ratios.push_back(rest / response);
    EXPECT_EQ(value.value(rest), 1.0);
    EXPECT_EQ(value.velocity(rest), 0.0);
  }
  // A spring twice as slow takes twice as long: settling scales with the response alone.
  for (double ratio : ratios)
    EXPECT_NEAR(ratio, ratios.front(), 0.04);

  // Less damping rings longer at the same response.
  Animated<double> bouncy(0.0, 1e-3);
  bouncy.setTarget(1.0, Animation::spring(0.25, 0.5), 0.0);
  EXPECT_GT(frameOfRest(bouncy, frame), 0.25 * ratios.front() * 1.3);
}

// Progress at elapsed fraction x of a Bézier timing curve, by dense sampling of the curve: an
// account independent of the solver under test.
double sampledCurve(double x1, double y1, double x2, double y2, double x) {
  double best = 0.0, bestError = 2.0;
  for (int i = 0; i <= 200000; ++i) {
    const double s = i / 200000.0, u = 1 - s;
    const double bx = 3 * u * u * s * x1 + 3 * u * s * s * x2 + s * s * s;
    if (std::fabs(bx - x) < bestError) {
      bestError = std::fabs(bx - x);
      best = 3 * u * u * s * y1 + 3 * u * s * s * y2 + s * s * s;
    }
  }
  return best;
}

TEST(EaseCurveTest, EndsMiddleAndShape) {
  const TimingCurve in = TimingCurve::easeIn();
  const TimingCurve out = TimingCurve::easeOut();
  const TimingCurve inOut = TimingCurve::easeInOut();
  for (const TimingCurve& curve : {in, out, inOut}) {
    EXPECT_EQ(curve.value(0.0), 0.0);
    EXPECT_EQ(curve.value(1.0), 1.0);
    double previous = 0.0;
    for (int i = 1; i <= 100; ++i) {
      const double y = curve.value(i / 100.0);
      EXPECT_GE(y, previous);
      previous = y;
    }
  }
  EXPECT_NEAR(inOut.value(0.5), 0.5, 1e-9);
  EXPECT_NEAR(inOut.slope(0.0), 0.0, 1e-9);
  EXPECT_NEAR(inOut.slope(1.0), 0.0, 1e-9);
  EXPECT_NEAR(in.slope(0.0), 0.0, 1e-9);
  EXPECT_NEAR(out.slope(1.0), 0.0, 1e-9);
  for (double x : {0.1, 0.25, 0.5, 0.75, 0.9}) {
    EXPECT_NEAR(in.value(x), sampledCurve(0.42, 0, 1, 1, x), 1e-4) << x;
    EXPECT_NEAR(out.value(x), sampledCurve(0, 0, 0.58, 1, x), 1e-4) << x;
    EXPECT_NEAR(inOut.value(x), sampledCurve(0.42, 0, 0.58, 1, x), 1e-4) << x;
    EXPECT_NEAR(in.value(x), 1.0 - out.value(1.0 - x), 1e-9) << x;
  }
  EXPECT_LT(in.value(0.5), 0.4);
  EXPECT_GT(out.value(0.5), 0.6);

  // Slopes are the derivatives of the values, ends included (where a curve's x stands still,
  // the slope is the limit from inside).
  const double h = 1e-5;
  for (const TimingCurve& curve : {in, out, inOut}) {
    for (double x = 0.05; x < 0.96; x += 0.05) {
      EXPECT_NEAR(curve.slope(x), (curve.value(x + h) - curve.value(x - h)) / (2 * h), 1e-4) << x;
    }
    EXPECT_NEAR(curve.slope(1.0), (1.0 - curve.value(1.0 - h)) / h, 1e-3);
    EXPECT_NEAR(curve.slope(0.0), curve.value(h) / h, 1e-3);
  }
  EXPECT_NEAR(in.slope(1.0), 1.0 / 0.58, 1e-3);
}

TEST(AnimatedValueTest, EaseRepeatForeverAndJumps) {
  Animated<double> value(10.0);
  value.setTarget(20.0, Animation::easeOut(0.5), 3.0);
  EXPECT_EQ(value.value(3.0), 10.0);
  EXPECT_NEAR(value.value(3.25), 10.0 + 10.0 * TimingCurve::easeOut().value(0.5), 1e-9);
  EXPECT_TRUE(value.isAnimating(3.49));
  EXPECT_FALSE(value.isAnimating(3.5));
  EXPECT_EQ(value.value(3.5), 20.0);

  // Repeating with reversal swings between the two ends forever.
  value.setTarget(30.0, Animation::easeInOut(0.2).repeatForever(true), 4.0);
  for (int cycle = 0; cycle < 50; ++cycle) {
    const double t = 4.0 + cycle * 0.2;
    EXPECT_NEAR(value.value(t), cycle % 2 == 0 ? 20.0 : 30.0, 1e-9) << cycle;
    EXPECT_NEAR(value.value(t + 0.1), 25.0, 1e-9) << cycle;
    EXPECT_EQ(value.velocity(t + 0.1) > 0, cycle % 2 == 0) << cycle;
    EXPECT_TRUE(value.isAnimating(t + 0.05));
  }
  // Without reversal it starts over from the same end.
  Animated<double> restarting(0.0);
  restarting.setTarget(1.0, Animation::easeIn(0.1).repeatForever(false), 0.0);
  EXPECT_NEAR(restarting.value(0.1 * 7 + 0.05), TimingCurve::easeIn().value(0.5), 1e-9);

  // A transaction that disables animations jumps, even from the middle of a motion.
  value.setTarget(-5.0, Transaction::disabledContinuous(), 4.37);
  EXPECT_EQ(value.value(4.37), -5.0);
  EXPECT_FALSE(value.isAnimating(4.37));
  value.setTarget(8.0, Transaction{Animation::none()}, 5.0);
  EXPECT_EQ(value.value(5.0), 8.0);

  // The same target again leaves a running spring alone rather than restarting it.
  value.setTarget(16.0, Animation::spring(0.3, 1.0), 6.0);
  const double midway = value.value(6.1);
  value.setTarget(16.0, Animation::easeIn(5.0), 6.1);
  EXPECT_EQ(value.value(6.1), midway);
  EXPECT_FALSE(value.isAnimating(7.5));
}

}  // namespace
}  // namespace calyxa
