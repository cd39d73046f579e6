#pragma once

namespace calyxa {

// An ease curve: a cubic Bézier from (0, 0) to (1, 1) mapping elapsed fraction to progress.
class TimingCurve {
 public:
  constexpr TimingCurve(double x1, double y1, double x2, double y2)
      : x1_(x1), y1_(y1), x2_(x2), y2_(y2) {}

  static constexpr TimingCurve linear() { return {0.0, 0.0, 1.0, 1.0}; }
  static constexpr TimingCurve easeIn() { return {0.42, 0.0, 1.0, 1.0}; }
  static constexpr TimingCurve easeOut() { return {0.0, 0.0, 0.58, 1.0}; }
  static constexpr TimingCurve easeInOut() { return {0.42, 0.0, 0.58, 1.0}; }

  // Progress at elapsed fraction `x` (clamped to [0, 1]).
  double value(double x) const;
  // d progress / d elapsed fraction at `x`.
  double slope(double x) const;

 private:
  // The Bézier parameter at which the curve's x equals `x`.
  double parameterFor(double x) const;

  double x1_, y1_, x2_, y2_;
};

}  // namespace calyxa
