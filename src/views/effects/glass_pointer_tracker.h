#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "views/effects/vantorel_modifier.h"

namespace calyxa {

// Follows the pointer over one widget for its interactive glass: whether it hovers, whether a
// button is down, and where it is, in the widget's coordinates. The widget is repainted when
// any of it changes. Held by the widget as a member.
class GlassPointerTracker final : public QObject {
 public:
  explicit GlassPointerTracker(QWidget* widget);
  ~GlassPointerTracker() override;

  const GlassInteraction& interaction() const { return interaction_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void change(const GlassInteraction& next);

  QPointer<QWidget> widget_;
  GlassInteraction interaction_;
};

}  // namespace calyxa
