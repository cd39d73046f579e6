#pragma once

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QWidget>
#include <vector>

#include "views/animation/animated_value.h"
#include "views/animation/frame_driver.h"

namespace calyxa {

template <>
struct Animatable<QPointF> {
  static QPointF zero() { return {}; }
  static double lengthSquared(const QPointF& p) { return QPointF::dotProduct(p, p); }
};

// Repaints one view every frame while one of its animated values moves and the view is visible.
// A view holds one as a member declared after the values it tracks, retargets its values when
// the state it shows changes, then calls wake(). Hiding the view stops its frames; showing it
// again resumes them if something still moves.
class ViewAnimator final : public QObject {
 public:
  explicit ViewAnimator(QWidget* view, FrameDriver& driver = FrameDriver::shared());
  ~ViewAnimator() override;

  void track(const AnimatedValueBase& value) { tracked_.push_back(&value); }
  void wake();
  // The time to evaluate animated values at, in paint events and when retargeting.
  double now() const { return client_.driver().now(); }
  bool isAnimating() const;
  bool isReceivingFrames() const { return client_.isAwake(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool onFrame(double time);

  QPointer<QWidget> view_;
  std::vector<const AnimatedValueBase*> tracked_;
  FrameDriver::Client client_;
};

}  // namespace calyxa
