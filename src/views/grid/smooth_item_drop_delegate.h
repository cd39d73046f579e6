#pragma once

#include <QPointF>
#include <QSizeF>

#include "catalogue/launch_item.h"

namespace calyxa {

class TilewellStore;

// Turns the drop events over one cell into the store's drag operations. Made afresh for every
// event; the drag's state lives in the store. Positions are in the cell's own coordinates.
struct SmoothItemDropDelegate {
  LaunchItem targetItem;
  QSizeF cellSize;
  TilewellStore& store;

  // Every drop is accepted.
  bool validateDrop() const { return true; }
  void dropEntered(QPointF location) const;
  // Always proposes a move, also with nothing dragged.
  void dropUpdated(QPointF location) const;
  void dropExited() const;
  // True when an item was being dragged.
  bool performDrop() const;
};

}  // namespace calyxa
