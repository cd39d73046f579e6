#pragma once

#include <QAbstractButton>
#include <QWidget>
#include <functional>

#include "views/effects/glass_pointer_tracker.h"
#include "views/effects/vantorel_modifier.h"

class QLineEdit;

namespace calyxa {

class TilewellStore;

// A plain button that paints itself through `paint` (its content over whatever glass it draws).
class PaintedButton final : public QAbstractButton {
 public:
  using Painter = std::function<void(QPainter&, const QRectF&, const GlassInteraction&)>;
  PaintedButton(Painter paint, QWidget* parent);
  void setSize(QSize size) {
    size_ = size;
    resize(size);
  }
  QSize sizeHint() const override { return size_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Painter paint_;
  QSize size_;
  GlassPointerTracker tracker_;
};

// The search capsule: magnifier, the text field bound to the store's search text, and while
// there is a search, the number of results and a clear button.
class SearchCapsule final : public QWidget {
 public:
  static constexpr double kWidth = 250.0;
  static constexpr double kPaddingX = 14.0;
  static constexpr double kPaddingY = 7.0;

  SearchCapsule(TilewellStore& store, QWidget* parent);

  QLineEdit* field() const { return field_; }
  PaintedButton* clearButton() const { return clear_; }
  bool isFocused() const { return focused_; }
  // The counter's text; empty while there is no search.
  QString counterText() const;
  QSize sizeHint() const override;
  // Return in the field.
  std::function<void()> onSubmit;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void sync();
  void layoutChildren();
  QRectF counterFrame() const;

  TilewellStore& store_;
  QLineEdit* field_;
  PaintedButton* clear_;
  bool focused_ = false;
  VantorelCache glass_;
};

// The band at the top of the overlay: the search capsule in the middle, the settings button at
// the trailing edge.
class SearchBar final : public QWidget {
 public:
  static constexpr double kSettingsTrailing = 32.0;

  SearchBar(TilewellStore& store, QWidget* parent);

  SearchCapsule* capsule() const { return capsule_; }
  PaintedButton* settingsButton() const { return settings_; }
  // Lays the rows out in a band of `width`, below `topInset`.
  void setBand(double width, double topInset);

 private:
  TilewellStore& store_;
  SearchCapsule* capsule_;
  PaintedButton* settings_;
  VantorelCache settingsGlass_;
  double topInset_ = 28;
};

}  // namespace calyxa
