#pragma once

#include <QWidget>

#include "catalogue/launch_item.h"

class QMenu;

namespace calyxa {

class TilewellStore;

// The small controls over an icon in position-edit mode: a step left, a menu of pages ("移动")
// and a step right.
class EditModeArrows final : public QWidget {
 public:
  EditModeArrows(TilewellStore& store, QWidget* parent);

  void setItem(LaunchItem item) { item_ = std::move(item); }
  QSize sizeHint() const override;

  // The three controls' frames, in the widget's coordinates.
  QRectF leftFrame() const;
  QRectF menuFrame() const;
  QRectF rightFrame() const;

  // The page menu as it would open now: "移至第 N 页" for every page.
  void fillPageMenu(QMenu& menu) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  double menuWidth() const;

  TilewellStore& store_;
  LaunchItem item_ = LaunchItem::app({});
};

}  // namespace calyxa
