#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/qt/property_observer.h"
#include "views/animation/frame_driver.h"
#include "views/grid/grid_metrics.h"
#include "views/grid/item_context_menu.h"
#include "views/grid/launch_item_cell.h"

namespace calyxa {

class TilewellStore;

// The pages of the shown slots side by side, one page width each: the content of the pager
// strip. Cells exist only for the pages that can be seen (and those they left a moment ago);
// when the arrangement changes, each cell moves from its old slot to its new one with the
// animation of the change.
class PagedGridContent final : public QWidget {
 public:
  PagedGridContent(TilewellStore& store, ItemMenuActions actions, FrameDriver& driver,
                   QWidget* parent = nullptr);
  ~PagedGridContent() override;

  void setPageSize(QSizeF page);
  QSizeF pageSize() const { return metrics_.page; }
  const PageGridMetrics& metrics() const { return metrics_; }

  // The frame of shown slot `index` (page, row and column), in this widget's coordinates.
  QRectF slotFrame(int index) const;
  LaunchItemCell* cellFor(const std::string& id) const;
  // Cells that show an item now, in slot order.
  std::vector<LaunchItemCell*> cells() const;
  // Whether a cell still moves towards its slot.
  bool isMoving() const;

 protected:
  void moveEvent(QMoveEvent* event) override;

 private:
  struct Entry;
  void reload(const Transaction& transaction);
  void ensureVisibleCells();
  void pruneHiddenCells();
  std::pair<int, int> visiblePages() const;
  void retire(LaunchItemCell* cell);
  bool onFrame(double now);

  TilewellStore& store_;
  ItemMenuActions actions_;
  FrameDriver& driver_;
  PageGridMetrics metrics_;
  std::vector<LaunchItem> shown_;
  std::unordered_map<std::string, std::unique_ptr<Entry>> entries_;
  FrameDriver::Client frames_;
};

}  // namespace calyxa
