#include "views/modal_slot.h"

#include "views/presentation_effect.h"

namespace calyxa {

ModalSlot::ModalSlot(QWidget* host, FrameDriver& driver)
    : host_(host), driver_(driver), frames_(driver, [this](double now) { return onFrame(now); }) {}

ModalSlot::~ModalSlot() = default;

void ModalSlot::setGeometry(const QRect& area) {
  area_ = area;
  if (widget_) widget_->setGeometry(area);
}

void ModalSlot::setPresent(bool present, const Transaction& transaction, const QString& key) {
  if (present && widget_ && key != key_) {
    widget_->deleteLater();
    widget_ = nullptr;
  }
  present_ = present;
  key_ = key;
  if (present && !widget_ && factory_) {
    widget_ = factory_(host_);
    if (widget_) {
      effect_ = new PresentationEffect(0.95, 0.0, widget_);  // owned by the modal
      effect_->setPresence(0.0);
      widget_->setGraphicsEffect(effect_);
      widget_->setGeometry(area_);
      widget_->show();
      presence_.jump(0.0);
    }
  }
  presence_.setTarget(present ? 1.0 : 0.0, transaction, driver_.now());
  onFrame(driver_.now());
  if (presence_.isAnimating(driver_.now())) frames_.wake();
}

bool ModalSlot::onFrame(double now) {
  if (!widget_) return false;
  const double presence = presence_.value(now);
  if (effect_) {
    effect_->setPresence(presence);
    effect_->setEnabled(presence < 1.0);
  }
  const bool moving = presence_.isAnimating(now);
  if (!present_ && !moving) {
    widget_->hide();
    widget_->deleteLater();
    widget_ = nullptr;
  }
  return moving;
}

}  // namespace calyxa
