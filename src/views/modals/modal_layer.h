#pragma once

#include <QGraphicsEffect>
#include <QImage>
#include <QWidget>
#include <functional>

#include "platform/animation.h"
#include "views/animation/animated_value.h"
#include "views/animation/view_animator.h"
#include "views/effects/vantorel_modifier.h"

namespace calyxa {

// How a modal looks around its content.
struct ModalStyle {
  double dimOpacity = 0.46;
  double panelWidth = 540;
  VantorelModifier glass;
  double shadowOpacity = 0.45;
  double shadowRadius = 35;
  double shadowOffsetY = 15;
  // The panel's scale when it starts to appear and when it has gone (1: a plain fade).
  double startScale = 1.0;
};

// The raised white glass of the onboarding and settings panels, growing in as it appears.
ModalStyle raisedPanelStyle(double dimOpacity, double panelWidth);

// The glass panel of a modal; its owner paints the content between the glass and its border.
class ModalPanel final : public QWidget {
 public:
  ModalPanel(const VantorelModifier& glass, QWidget* parent);
  std::function<void(QPainter&)> paintContent;
  int glassRenders() const { return cache_.renders(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  VantorelModifier glass_;
  VantorelCache cache_;
};

// A modal over the whole overlay: a dimming layer and, centred on it, a glass panel with a soft
// shadow. It comes and goes with its presence, animated with the transaction that changed the
// state it shows: the dimming and the panel fade, and the panel grows from its start scale.
// While it goes, clicks pass through to what lies beneath. It fills its parent unless placed.
class ModalLayer : public QWidget {
 public:
  ModalLayer(ModalStyle style, QWidget* parent, FrameDriver& driver);

  // Shows or hides the modal with the transaction's animation.
  void setPresented(bool presented, const Transaction& transaction);
  bool isPresented() const { return presented_; }
  // 0 gone, 1 fully shown.
  double presence() const { return presence_.value(animator_.now()); }
  // The panel's scale now: from the start scale at presence 0 to 1.
  double panelScale() const;
  bool isAnimating() const { return animator_.isAnimating(); }

  ModalPanel& panel() { return *panel_; }
  const ModalStyle& style() const { return style_; }

  // A click on the dimming layer, outside the panel.
  std::function<void()> onDimmingClick;

 protected:
  // The panel's height for the layer's current size: the subclass lays its content out.
  virtual int layoutPanel(int width) = 0;
  // Lays the panel out again (content changed size).
  void relayout();

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  class Transition;
  const QImage& shadow();
  // Each frame while it comes or goes: the transition ends when it has arrived, and a layer
  // that has gone is hidden. False once there is nothing more to do.
  bool watchClosing();

  ModalStyle style_;
  ModalPanel* panel_;
  Transition* transition_;
  bool presented_ = false;
  Animated<double> presence_{0.0};
  ViewAnimator animator_;
  FrameDriver::Client closing_;
  QImage shadow_;
  // While the modal comes or goes, what lies beneath it, drawn once as the motion starts: a
  // frame then repaints the modal alone, not the grid under the dimming.
  QImage beneath_;
  void captureBeneath();
  void releaseBeneath();
};

}  // namespace calyxa
