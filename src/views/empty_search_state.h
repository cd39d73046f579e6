#pragma once

#include <QWidget>

#include "views/effects/vantorel_modifier.h"

namespace calyxa {

class PaintedButton;
class TilewellStore;

// Shown in place of the pages when nothing matches: "未找到「…」" and a button that clears the
// search.
class EmptySearchState final : public QWidget {
 public:
  EmptySearchState(TilewellStore& store, QWidget* parent);

  QString message() const;
  PaintedButton* clearButton() const { return clear_; }
  // Sized to its content and centred in `area` (parent coordinates).
  void centreIn(const QRectF& area);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QSize contentSize() const;

  TilewellStore& store_;
  PaintedButton* clear_;
  VantorelCache glass_;
  VantorelCache buttonGlass_;
};

}  // namespace calyxa
