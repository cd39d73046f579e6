// One frame of an animated value: where a spring is, and whether it still moves.
#include <benchmark/benchmark.h>

#include "views/animation/animated_value.h"

namespace calyxa {
namespace {

constexpr double kFrame = 1.0 / 120.0;

void BM_SpringStep(benchmark::State& state) {
  Animated<double> value(0.0, 1e-12);
  value.setTarget(100.0, Animation::spring(0.35, 0.82), 0.0);
  double t = 0.0;
  for (auto _ : state) {
    t += kFrame;
    if (t > 2.0) t = kFrame;  // stay in flight
    benchmark::DoNotOptimize(value.value(t));
  }
}
BENCHMARK(BM_SpringStep);

void BM_SpringStepWithVelocityAndRestCheck(benchmark::State& state) {
  Animated<double> value(0.0, 1e-12);
  value.setTarget(100.0, Animation::spring(0.35, 0.82), 0.0);
  double t = 0.0;
  for (auto _ : state) {
    t += kFrame;
    if (t > 2.0) t = kFrame;
    benchmark::DoNotOptimize(value.value(t));
    benchmark::DoNotOptimize(value.velocity(t));
    benchmark::DoNotOptimize(value.isAnimating(t));
  }
}
BENCHMARK(BM_SpringStepWithVelocityAndRestCheck);

void BM_EaseInOutStep(benchmark::State& state) {
  Animated<double> value(-1.8);
  value.setTarget(1.8, Animation::easeInOut(0.126).repeatForever(), 0.0);
  double t = 0.0;
  for (auto _ : state) {
    t += kFrame;
    benchmark::DoNotOptimize(value.value(t));
  }
}
BENCHMARK(BM_EaseInOutStep);

}  // namespace
}  // namespace calyxa
