#pragma once

#include <QImage>
#include <QMenu>
#include <QWidget>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "catalogue/tilewell_store.h"

namespace calyxa {

// The applications of an open folder: five columns of icons and names that scroll inside the
// folder's panel. A click launches, the badge or the context menu takes an application out.
class FolderAppGrid final : public QWidget {
 public:
  static constexpr int kColumns = 5;
  static constexpr double kMinColumn = 95, kMaxColumn = 130, kColumnSpacing = 20;
  static constexpr double kRowSpacing = 24, kInset = 26, kIcon = 80, kNameWidth = 105;
  static constexpr double kMaxHeight = 420;

  FolderAppGrid(TilewellStore& store, QWidget* parent = nullptr);

  void setApps(std::vector<AppItem> apps);
  const std::vector<AppItem>& apps() const { return apps_; }

  std::function<void(const AppItem&)> onLaunch;
  std::function<void(const AppItem&)> onRemove;

  // The height of all rows for a grid `width` wide; the widget itself is at most kMaxHeight.
  double contentHeight(int width) const;
  double scrollOffset() const { return offset_; }
  double maxScrollOffset() const;
  void scrollTo(double offset);
  // In the widget's coordinates, after scrolling.
  QRectF entryRect(int index) const;
  QRectF badgeRect(int index) const;
  int entryAt(const QPointF& point) const;
  std::unique_ptr<QMenu> contextMenuFor(int index);
  // The tool tip at `point`: the badge's, or the application's full name.
  QString toolTipAt(const QPointF& point) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  double columnWidth() const;
  double entryHeight() const;
  QImage iconImage(const AppItem& app);

  TilewellStore& store_;
  std::vector<AppItem> apps_;
  double offset_ = 0;
  int pressed_ = -1;
  bool pressedBadge_ = false;
};

// The dark menu style of the overlay's menus.
void styleOverlayMenu(QMenu& menu);

}  // namespace calyxa
