#pragma once

#include <functional>

#include "platform/animation.h"
#include "views/animation/animated_value.h"
#include "views/animation/view_animator.h"
#include "views/controls/glass_control.h"

namespace calyxa {

// An on/off switch. It shows what its owner says (setOn) and never changes itself: a click,
// Space or Return asks the owner to change to the other value through `onToggle`, and the owner
// answers with the value that holds now. So the switch always shows the state it controls, also
// when the change failed.
class GlassSwitch final : public GlassControl {
  Q_OBJECT

 public:
  static constexpr QSize kSize{42, 24};

  GlassSwitch(QColor tint, std::function<void(bool requested)> onToggle, QWidget* parent = nullptr,
              FrameDriver& driver = FrameDriver::shared());

  bool isOn() const { return on_; }
  // Shows `on`, the knob moving with the transaction's animation.
  void setOn(bool on, const Transaction& transaction);
  // Where the knob is: 0 off, 1 on.
  double knobPosition() const { return knob_.value(animator_.now()); }

  bool isCheckable() const override { return true; }
  bool isChecked() const override { return on_; }
  void activate() override;
  QSize sizeHint() const override { return kSize; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor tint_;
  std::function<void(bool)> onToggle_;
  bool on_ = false;
  Animated<double> knob_{0.0};
  ViewAnimator animator_;
};

}  // namespace calyxa
