#pragma once

#include <QWidget>

namespace calyxa {

class TilewellStore;

// A tall strip at one side of the overlay while an item is dragged: dropping the item on it
// moves the item to the first slot of the neighbouring page. Hovering does not turn the page.
class PageEdgeDropZone final : public QWidget {
 public:
  static constexpr double kWidth = 44.0;

  PageEdgeDropZone(bool isLeft, TilewellStore& store, QWidget* parent = nullptr);

  bool isLeft() const { return isLeft_; }
  bool isTargeted() const { return isTargeted_; }
  // The page a drop would move the dragged item to.
  int targetPage() const;
  // A drop: false (refused, nothing changed) when no item is being dragged.
  bool performDrop();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void setTargeted(bool targeted);

  bool isLeft_;
  TilewellStore& store_;
  bool isTargeted_ = false;
};

}  // namespace calyxa
