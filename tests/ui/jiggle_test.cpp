#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "views/effects/jiggle_modifier.h"

namespace calyxa {
namespace {

TEST(JiggleTest, SeedsChooseDirectionAndDurationAndTheIconSwingsForever) {
  const double durations[] = {0.11, 0.118, 0.126, 0.134, 0.142, 0.11};
  const double directions[] = {+1, -1, +1, -1, +1, -1};
  for (int seed = 0; seed <= 5; ++seed) {
    EXPECT_NEAR(JiggleModifier::swingDuration(seed), durations[seed], 1e-12) << seed;
    JiggleModifier jiggle(true, seed);
    const double start = 12.5;
    jiggle.appear(start);
    const double d = durations[seed];
    const double base = 1.8 * directions[seed];
    // From −base to +base over one duration, easing in and out, and back, forever.
    for (int swing = 0; swing < 40; ++swing) {
      const double t = start + swing * d;
      EXPECT_NEAR(jiggle.angle(t), swing % 2 == 0 ? -base : base, 1e-9) << seed << " " << swing;
      EXPECT_NEAR(jiggle.angle(t + d / 2), 0.0, 1e-9) << seed << " " << swing;
      // Easing: a quarter of the time covers less than a quarter of the way.
      const double quarter = jiggle.angle(t + d / 4) - (swing % 2 == 0 ? -base : base);
      EXPECT_LT(std::fabs(quarter), 0.25 * 2 * 1.8) << seed;
    }
    double extreme = 0.0;
    for (double t = start; t < start + 3.0; t += 0.0007)
      extreme = std::max(extreme, std::fabs(jiggle.angle(t)));
    EXPECT_LE(extreme, 1.8 + 1e-9) << seed;
    EXPECT_GT(extreme, 1.79) << seed;
    EXPECT_TRUE(jiggle.animation().isAnimating(start + 1000.0));
  }
}

TEST(JiggleTest, StoppingSpringsBackToZeroAndReappearingStartsAfresh) {
  JiggleModifier jiggle(false, 3);
  jiggle.appear(0.0);
  EXPECT_EQ(jiggle.angle(0.0), 0.0);
  EXPECT_FALSE(jiggle.animation().isAnimating(0.0));

  jiggle.setJiggling(true, 1.0);
  EXPECT_NEAR(jiggle.angle(1.0), 1.8, 1e-9) << "odd seed starts at +1.8 and swings to −1.8";

  // Stop in mid-swing: no jump, the spring of response 0.25 and damping 0.8 carries the angle
  // and its speed back to 0.
  const double stop = 1.0 + 0.134 * 3.3;
  const double before = jiggle.angle(stop);
  ASSERT_GT(std::fabs(before), 0.3);
  jiggle.setJiggling(false, stop);
  EXPECT_NEAR(jiggle.angle(stop), before, 1e-12);
  EXPECT_NEAR(jiggle.angle(stop + 1.0 / 120.0), before, 0.3) << "not abrupt";

  // The same motion as an undisturbed spring started from that angle and speed.
  Animated<double> swing(1.8);
  swing.setTarget(-1.8, Animation::easeInOut(0.134).repeatForever(), 1.0);
  const double w = 2 * std::numbers::pi / 0.25, zeta = 0.8, wd = w * std::sqrt(1 - zeta * zeta);
  const double x0 = swing.value(stop), v0 = swing.velocity(stop);
  for (double dt = 0.01; dt < 0.3; dt += 0.01) {
    const double e = std::exp(-zeta * w * dt);
    const double expected =
        e * (x0 * std::cos(wd * dt) + (v0 + zeta * w * x0) / wd * std::sin(wd * dt));
    EXPECT_NEAR(jiggle.angle(stop + dt), expected, 1e-9) << dt;
  }
  EXPECT_EQ(jiggle.angle(stop + 2.0), 0.0);
  EXPECT_FALSE(jiggle.animation().isAnimating(stop + 2.0));

  // Off screen, edit mode may start, but the wobble begins only when the cell is shown, and
  // from the start of a swing, whatever it was doing before it left.
  jiggle.setJiggling(true, 5.0);
  const double leaving = 5.0 + 0.134 * 1.4;
  EXPECT_NE(jiggle.angle(leaving), 1.8);
  jiggle.disappear();
  EXPECT_EQ(jiggle.angle(6.0), 0.0);
  jiggle.appear(7.0);
  EXPECT_NEAR(jiggle.angle(7.0), 1.8, 1e-9);
  EXPECT_NEAR(jiggle.angle(7.134), -1.8, 1e-9);

  JiggleModifier offscreen(false, 2);
  offscreen.setJiggling(true, 1.0);
  EXPECT_FALSE(offscreen.animation().isAnimating(1.5));
  offscreen.appear(2.0);
  EXPECT_NEAR(offscreen.angle(2.0), -1.8, 1e-9);
}

}  // namespace
}  // namespace calyxa
