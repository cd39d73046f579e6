#pragma once

#include <QFont>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "views/effects/vantorel_modifier.h"

namespace calyxa {

// The small capsule after a row's title that says whether something is on or granted.
struct StatusBadge {
  QColor dot;
  QString text;
  QFont font;
  QColor textColor;
  QColor fill;
  QColor border;

  // Granted / not granted, as the permission rows show it.
  static StatusBadge permission(bool granted);
  // On / off, as the launch-at-login row shows it.
  static StatusBadge loginItem(bool enabled);

  QSizeF size() const;
  void paint(QPainter& painter, const QPointF& topLeft) const;
};

// A settings or permission row: an icon in a square, a title (and badge) over a wrapped
// description, and controls at the trailing edge, on glass in a rounded rectangle.
class GlassRow : public QWidget {
 public:
  struct Content {
    std::string symbol;
    double symbolPoints = 21;
    QColor symbolColor = Qt::white;
    QString title;
    std::optional<StatusBadge> badge;
    QString description;
    double textSpacing = 4;
  };

  explicit GlassRow(QWidget* parent = nullptr);

  void setContent(Content content);
  const Content& content() const { return content_; }
  // Controls at the trailing edge, left to right in the order added, centred vertically.
  void addTrailing(QWidget* control);
  // Places the trailing controls again (one was shown or hidden).
  void placeTrailing();

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  // Where the title, the badge and the description are drawn, for checking the layout.
  struct Geometry {
    QRectF icon, title, badge, description;
    double textRight;
  };
  Geometry geometryFor(int width) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  double trailingWidth() const;

  Content content_;
  std::vector<QWidget*> trailing_;
  VantorelCache cache_;
};

}  // namespace calyxa
