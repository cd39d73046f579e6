#pragma once

#include <utility>
#include <vector>

namespace calyxa {

// How a change is to be animated by the views that show it.
struct Animation {
  enum class Curve { none, spring, easeIn, easeOut, easeInOut };

  Curve curve = Curve::none;
  double response = 0.0;         // spring: seconds
  double dampingFraction = 0.0;  // spring: 1 is critical damping
  double blendDuration = 0.0;    // spring
  double duration = 0.0;         // ease curves: seconds
  bool repeatsForever = false;
  bool autoreverses = false;

  static Animation none() { return {}; }
  static Animation spring(double response, double dampingFraction, double blendDuration = 0.0) {
    return {Curve::spring, response, dampingFraction, blendDuration};
  }
  static Animation easeIn(double duration) { return ease(Curve::easeIn, duration); }
  static Animation easeOut(double duration) { return ease(Curve::easeOut, duration); }
  static Animation easeInOut(double duration) { return ease(Curve::easeInOut, duration); }

  Animation repeatForever(bool reverses = true) const {
    Animation copy = *this;
    copy.repeatsForever = true;
    copy.autoreverses = reverses;
    return copy;
  }
  bool isNone() const { return curve == Curve::none; }
  bool operator==(const Animation&) const = default;

 private:
  static Animation ease(Curve curve, double duration) {
    Animation a;
    a.curve = curve;
    a.duration = duration;
    return a;
  }
};

// The context of a state change: which animation the views should use for it.
struct Transaction {
  Animation animation;
  bool disablesAnimations = false;
  // The change is one step of a continuous interaction (a finger drag).
  bool isContinuous = false;

  // The animation a view should run: none when animations are disabled.
  Animation effectiveAnimation() const {
    return disablesAnimations ? Animation::none() : animation;
  }
  static Transaction disabledContinuous() { return {Animation::none(), true, true}; }
  bool operator==(const Transaction&) const = default;
};

// The transaction in force on this thread: the innermost withAnimation/withTransaction, or a
// transaction without animation.
const Transaction& currentTransaction();

namespace detail {
class TransactionScope {
 public:
  explicit TransactionScope(Transaction transaction);
  ~TransactionScope();
  TransactionScope(const TransactionScope&) = delete;
  TransactionScope& operator=(const TransactionScope&) = delete;
};
}  // namespace detail

template <class Body>
decltype(auto) withTransaction(Transaction transaction, Body&& body) {
  detail::TransactionScope scope(std::move(transaction));
  return std::forward<Body>(body)();
}

template <class Body>
decltype(auto) withAnimation(Animation animation, Body&& body) {
  return withTransaction(Transaction{animation}, std::forward<Body>(body));
}

// A change the views show at once, whatever animation an enclosing block asked for.
template <class Body>
decltype(auto) withoutAnimation(Body&& body) {
  return withTransaction(Transaction{Animation::none(), true, false}, std::forward<Body>(body));
}

}  // namespace calyxa
