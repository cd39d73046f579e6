#pragma once

#include <QAbstractButton>
#include <functional>

#include "views/effects/glass_pointer_tracker.h"

namespace calyxa {

// A plain button that paints itself through `paint` (its content over whatever glass it draws).
class PaintedButton final : public QAbstractButton {
 public:
  using Painter = std::function<void(QPainter&, const QRectF&, const GlassInteraction&)>;
  PaintedButton(Painter paint, QWidget* parent);
  void setSize(QSize size) {
    size_ = size;
    resize(size);
  }
  QSize sizeHint() const override { return size_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Painter paint_;
  QSize size_;
  GlassPointerTracker tracker_;
};

}  // namespace calyxa
