#pragma once

#include <QAccessible>
#include <QWidget>
#include <functional>

namespace calyxa {

// What the painted controls share: reachable with Tab, operated with Space or Return as with a
// click, a focus ring while the keyboard put them in focus, and a role and a name that
// assistive technology reads (the name is the widget's accessibleName).
class GlassControl : public QWidget {
  Q_OBJECT

 public:
  explicit GlassControl(QWidget* parent, QAccessible::Role role);

  QAccessible::Role accessibleRole() const { return role_; }
  void setAccessibleRole(QAccessible::Role role) { role_ = role; }
  // A switch is checkable; the state assistive technology reports.
  virtual bool isCheckable() const { return false; }
  virtual bool isChecked() const { return false; }
  // What a click, Space, Return or an assistive "press" does.
  virtual void activate() = 0;

  bool isPressed() const { return pressed_; }
  bool showsFocusRing() const { return hasFocus() && keyboardFocus_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  // The ring around `outline` when showsFocusRing().
  void paintFocusRing(QPainter& painter, const QPainterPath& outline) const;

 private:
  QAccessible::Role role_;
  bool pressed_ = false;
  bool keyboardFocus_ = false;
};

}  // namespace calyxa
