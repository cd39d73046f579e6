#include "views/animation/spring.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace calyxa {
namespace {

// Within this distance of critical damping the critical solution is used: the two other
// closed forms divide by a quantity that vanishes there.
constexpr double kCriticalBand = 1e-6;

}  // namespace

Spring::Spring(double response, double dampingFraction)
    : omega0_(2.0 * std::numbers::pi / response), zeta_(std::max(0.0, dampingFraction)) {
  if (std::fabs(zeta_ - 1.0) < kCriticalBand) {
    regime_ = Regime::critical;
  } else if (zeta_ < 1.0) {
    regime_ = Regime::under;
    alpha_ = zeta_ * omega0_;
    omegaD_ = omega0_ * std::sqrt(1.0 - zeta_ * zeta_);
  } else {
    regime_ = Regime::over;
    const double s = std::sqrt(zeta_ * zeta_ - 1.0);
    r1_ = -omega0_ * (zeta_ - s);
    r2_ = -omega0_ * (zeta_ + s);
  }
}

Spring::Propagator Spring::propagator(double t) const {
  switch (regime_) {
    case Regime::under: {
      const double e = std::exp(-alpha_ * t);
      const double cs = std::cos(omegaD_ * t);
      const double sn = std::sin(omegaD_ * t);
      const double k = alpha_ / omegaD_;
      return {e * (cs + k * sn), e * sn / omegaD_, -e * sn * omega0_ * omega0_ / omegaD_,
              e * (cs - k * sn)};
    }
    case Regime::critical: {
      const double w = omega0_;
      const double e = std::exp(-w * t);
      return {e * (1.0 + w * t), e * t, -w * w * t * e, e * (1.0 - w * t)};
    }
    case Regime::over: {
      const double e1 = std::exp(r1_ * t);
      const double e2 = std::exp(r2_ * t);
      const double span = r2_ - r1_;
      return {(r2_ * e1 - r1_ * e2) / span, (e2 - e1) / span, r1_ * r2_ * (e1 - e2) / span,
              (r2_ * e2 - r1_ * e1) / span};
    }
  }
  return {1.0, 0.0, 0.0, 1.0};
}

}  // namespace calyxa
