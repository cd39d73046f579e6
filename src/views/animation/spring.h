#pragma once

namespace calyxa {

// A damped oscillator of unit mass, given the way the views speak of springs: `response` is the
// period of the undamped oscillation in seconds, `dampingFraction` the damping ratio (1 is
// critical). Stiffness (2π / response)², damping 4π × fraction / response.
class Spring {
 public:
  Spring(double response, double dampingFraction);

  double stiffness() const { return omega0_ * omega0_; }
  double damping() const { return 2.0 * zeta_ * omega0_; }
  double naturalFrequency() const { return omega0_; }
  double dampingRatio() const { return zeta_; }

  // How a displacement x0 from the rest point and a velocity v0 evolve over `t` seconds:
  // x(t) = a x0 + b v0 and v(t) = c x0 + d v0. The oscillator is linear, so one propagator moves
  // every component of a vector-valued quantity.
  struct Propagator {
    double a, b, c, d;
  };
  Propagator propagator(double t) const;

 private:
  enum class Regime { under, critical, over };
  double omega0_;
  double zeta_;
  Regime regime_;
  double alpha_ = 0.0;   // under-damped: decay rate ζω0
  double omegaD_ = 0.0;  // under-damped: damped frequency
  double r1_ = 0.0;      // over-damped: the two real roots, r1 the slower
  double r2_ = 0.0;
};

}  // namespace calyxa
