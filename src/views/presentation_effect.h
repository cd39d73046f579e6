#pragma once

#include <QGraphicsEffect>

namespace calyxa {

// A layer coming and going: at presence 0 it is scaled to `hiddenScale` about its centre,
// blurred by `hiddenBlur` points and transparent; at 1 it is drawn as it is. The overlay's
// content enters with 0.92 and 14, the modals with 0.95 and no blur.
class PresentationEffect final : public QGraphicsEffect {
 public:
  PresentationEffect(double hiddenScale, double hiddenBlur, QObject* parent = nullptr)
      : QGraphicsEffect(parent), hiddenScale_(hiddenScale), hiddenBlur_(hiddenBlur) {}

  void setPresence(double presence);
  double presence() const { return presence_; }
  double scale() const { return hiddenScale_ + (1.0 - hiddenScale_) * presence_; }
  double blurRadius() const { return hiddenBlur_ * (1.0 - presence_); }
  double opacity() const { return presence_; }

 protected:
  void draw(QPainter* painter) override;

 private:
  double hiddenScale_;
  double hiddenBlur_;
  double presence_ = 1.0;
};

}  // namespace calyxa
