#pragma once

#include <QWidget>

#include "views/animation/animated_value.h"
#include "views/animation/view_animator.h"
#include "views/effects/vantorel_modifier.h"

namespace calyxa {

class TilewellStore;

// The status toast: a glass capsule 68 points above the bottom edge that rises from the edge
// and fades in while the store has a toast, and goes back the same way.
class StatusToastView final : public QWidget {
 public:
  static constexpr double kBottomDistance = 68.0;

  StatusToastView(TilewellStore& store, FrameDriver& driver, QWidget* parent);

  // The text shown (kept while the toast leaves).
  QString text() const { return text_; }
  // 1 when fully in, 0 when gone.
  double presence() const { return presence_.value(animator_.now()); }
  // The capsule's frame at rest, in this widget's coordinates.
  QRectF capsuleFrame() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void refresh(const Transaction& transaction);

  TilewellStore& store_;
  QString text_;
  Animated<double> presence_{0.0};
  VantorelCache glass_;
  ViewAnimator animator_;
};

}  // namespace calyxa
