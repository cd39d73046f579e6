#pragma once

#include <QRectF>
#include <QTransform>

#include "views/animation/animated_value.h"

namespace calyxa {

// The wobble of an icon in position-edit mode. The cell that shows the icon owns one, tells it
// when it appears, disappears and when edit mode changes, and rotates its icon by angle().
// Neighbouring cells get neighbouring seeds: the direction alternates with the seed's parity
// and five durations keep the grid from swinging in step.
class JiggleModifier {
 public:
  static constexpr double kSwingDegrees = 1.8;
  static constexpr double kStopResponse = 0.25;
  static constexpr double kStopDampingFraction = 0.8;

  JiggleModifier(bool isJiggling, int seed) : isJiggling_(isJiggling), seed_(seed) {}

  // +1.8° for an even seed, −1.8° for an odd one.
  static double baseAngle(int seed) { return seed % 2 == 0 ? kSwingDegrees : -kSwingDegrees; }
  // One swing in seconds: 0.11 + 0.008 × (seed mod 5), the remainder taking the seed's sign.
  static double swingDuration(int seed) { return 0.11 + 0.008 * (seed % 5); }

  bool isJiggling() const { return isJiggling_; }
  int seed() const { return seed_; }

  // The content came on screen: a jiggling one starts afresh from −base.
  void appear(double now);
  // The content left the screen; its motion is forgotten.
  void disappear();
  // Edit mode changed: starting swings the icon, stopping springs it back to 0.
  void setJiggling(bool isJiggling, double now);

  // The rotation of the content in degrees.
  double angle(double now) const { return angle_.value(now); }
  // Rotation of `content` about its centre.
  QTransform transform(const QRectF& content, double now) const;
  const AnimatedValueBase& animation() const { return angle_; }

 private:
  void startJiggle(double now);

  bool isJiggling_;
  int seed_;
  bool isShown_ = false;
  Animated<double> angle_{0.0};
};

}  // namespace calyxa
