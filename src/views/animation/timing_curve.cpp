#include "views/animation/timing_curve.h"

#include <algorithm>
#include <cmath>

namespace calyxa {
namespace {

// One coordinate of a cubic Bézier whose end points are 0 and 1.
double bezier(double p1, double p2, double s) {
  const double u = 1.0 - s;
  return 3.0 * u * u * s * p1 + 3.0 * u * s * s * p2 + s * s * s;
}

double bezierDerivative(double p1, double p2, double s) {
  const double u = 1.0 - s;
  return 3.0 * u * u * p1 + 6.0 * u * s * (p2 - p1) + 3.0 * s * s * (1.0 - p2);
}

}  // namespace

double TimingCurve::parameterFor(double x) const {
  // Newton's method converges in a few steps on these gentle curves; bisection catches the
  // places where the derivative is flat.
  double s = x;
  for (int i = 0; i < 8; ++i) {
    const double error = bezier(x1_, x2_, s) - x;
    if (std::fabs(error) < 1e-12) return s;
    const double derivative = bezierDerivative(x1_, x2_, s);
    if (std::fabs(derivative) < 1e-9) break;
    s = std::clamp(s - error / derivative, 0.0, 1.0);
  }
  double low = 0.0;
  double high = 1.0;
  s = x;
  for (int i = 0; i < 60; ++i) {
    const double current = bezier(x1_, x2_, s);
    if (std::fabs(current - x) < 1e-12) break;
    (current < x ? low : high) = s;
    s = 0.5 * (low + high);
  }
  return s;
}

double TimingCurve::value(double x) const {
  if (x <= 0.0) return 0.0;
  if (x >= 1.0) return 1.0;
  return bezier(y1_, y2_, parameterFor(x));
}

double TimingCurve::slope(double x) const {
  double s = parameterFor(std::clamp(x, 0.0, 1.0));
  // Where the curve's x stops moving (an end whose control point lies on it) the slope is the
  // limit from inside, not 0 / 0.
  if (std::fabs(bezierDerivative(x1_, x2_, s)) < 1e-9) s += s > 0.5 ? -1e-7 : 1e-7;
  const double dx = bezierDerivative(x1_, x2_, s);
  const double dy = bezierDerivative(y1_, y2_, s);
  if (std::fabs(dx) < 1e-12) return 0.0;
  return dy / dx;
}

}  // namespace calyxa
