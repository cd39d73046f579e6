#pragma once

#include <QFont>
#include <QMargins>
#include <functional>
#include <optional>
#include <string>

#include "views/controls/glass_control.h"
#include "views/effects/glass_pointer_tracker.h"
#include "views/effects/vantorel_modifier.h"
#include "views/symbols/symbol_glyph.h"

namespace calyxa {

// A plain button of the overlay: a symbol and a text on glass, on a round fill, or bare.
class GlassButton final : public GlassControl {
  Q_OBJECT

 public:
  struct Look {
    QString text;
    std::string symbol;         // none when empty
    double symbolPoints = 0.0;  // the text's size when 0
    SymbolWeight symbolWeight = SymbolWeight::regular;
    bool symbolAfterText = false;
    QFont font;
    QColor textColor = Qt::white;
    double spacing = 6.0;
    // Space around the label, points: horizontal, vertical.
    double insetX = 14.0;
    double insetY = 7.0;
    std::optional<VantorelModifier> glass;
    // A round fill instead of glass (the close button).
    std::optional<QColor> roundFill;
  };

  GlassButton(Look look, std::function<void()> action, QWidget* parent = nullptr);

  const Look& look() const { return look_; }
  void setLook(Look look);
  QString text() const { return look_.text; }
  void setAction(std::function<void()> action) { action_ = std::move(action); }

  QSize sizeHint() const override;
  void activate() override;
  int glassRenders() const { return cache_.renders(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Look look_;
  std::function<void()> action_;
  GlassPointerTracker pointer_{this};
  VantorelCache cache_;
};

}  // namespace calyxa
