#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "catalogue/launch_item.h"
#include "views/animation/animated_value.h"
#include "views/animation/frame_driver.h"
#include "views/animation/view_animator.h"
#include "views/effects/jiggle_modifier.h"
#include "views/grid/item_context_menu.h"

namespace calyxa {

class EditModeArrows;
class TilewellStore;

// One slot of the grid: an application's icon or a folder's tile with its name below, with the
// hover, selection, drag, merge-target, launch and edit-mode looks, clicks, the context menu,
// and the slot's side of drag and drop.
class LaunchItemCell final : public QWidget {
 public:
  static constexpr double kLabelSize = 12.5;
  static constexpr double kStackSpacing = 8.0;
  static constexpr double kEditControlsRaise = 8.0;

  LaunchItemCell(TilewellStore& store, LaunchItem item, int indexSeed, QSizeF cellSize,
                 ItemMenuActions actions, QWidget* parent, FrameDriver& driver);
  ~LaunchItemCell() override;

  const LaunchItem& item() const { return item_; }
  void setItem(LaunchItem item);
  void setIndexSeed(int seed);
  int indexSeed() const { return indexSeed_; }
  void setCellSize(QSizeF size);

  // What the cell shows now.
  double iconSide() const;
  QRectF iconFrame() const;   // at rest, unscaled
  QRectF labelFrame() const;  // at rest, unscaled
  QString labelText() const;
  bool isBeingDragged() const;
  bool isPotentialFolderTarget() const;
  bool isKeyboardSelected() const;
  bool isLaunching() const;
  bool isHovered() const { return hovered_; }
  EditModeArrows* editControls() const { return arrows_; }
  // The icon area's scale about its centre, after the running animations.
  double iconAreaScale() const;

  // The drag source's part: a drag from this cell is running.
  bool isDragSource() const { return dragSource_; }
  // Called when a drag from this cell ends (after the store was told).
  std::function<void()> onDragFinished;

  // The entries the cell's context menu has now.
  void fillContextMenu(QMenu& menu);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void refreshState(const Transaction& transaction);
  void placeEditControls();
  bool contentContains(QPointF point) const;
  void startDrag();
  void click();
  QImage iconImage();
  const QImage& labelImage();
  QImage dragPixmapImage();

  TilewellStore& store_;
  LaunchItem item_;
  int indexSeed_;
  QSizeF cellSize_;
  ItemMenuActions actions_;
  FrameDriver& driver_;

  bool hovered_ = false;
  bool folderTarget_ = false;
  bool selected_ = false;
  bool launching_ = false;
  bool dragged_ = false;
  bool dragSource_ = false;
  QPointF pressPoint_;
  bool pressed_ = false;

  Animated<double> hoverScale_{1.0};
  Animated<double> targetAmount_{0.0};
  Animated<double> selectionAmount_{0.0};
  Animated<double> launchAmount_{0.0};
  Animated<double> dragAmount_{0.0};
  JiggleModifier jiggle_;

  QImage icon_;
  QImage label_;
  QString labelKey_;
  QString iconKey_;
  EditModeArrows* arrows_ = nullptr;
  ViewAnimator animator_;
};

}  // namespace calyxa
