#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "views/animation/animated_value.h"
#include "views/animation/frame_driver.h"

namespace calyxa {

class PresentationEffect;

// A place in the overlay's stack for one modal: while the store asks for it, the widget made by
// the factory fills the content area; it comes and goes with a fade and a scale from 0.95, and
// is destroyed once gone. Without a factory the place stays empty.
class ModalSlot {
 public:
  using Factory = std::function<QWidget*(QWidget* parent)>;

  ModalSlot(QWidget* host, FrameDriver& driver);
  ~ModalSlot();
  ModalSlot(const ModalSlot&) = delete;
  ModalSlot& operator=(const ModalSlot&) = delete;

  void setFactory(Factory factory) { factory_ = std::move(factory); }
  // Shows or hides the modal with the transaction's animation. A new `key` (another folder)
  // makes the widget anew.
  void setPresent(bool present, const Transaction& transaction, const QString& key = {});
  QWidget* widget() const { return widget_; }
  void setGeometry(const QRect& area);

 private:
  bool onFrame(double now);

  QWidget* host_;
  FrameDriver& driver_;
  Factory factory_;
  QPointer<QWidget> widget_;
  QPointer<PresentationEffect> effect_;
  QString key_;
  QRect area_;
  bool present_ = false;
  Animated<double> presence_{0.0};
  FrameDriver::Client frames_;
};

}  // namespace calyxa
