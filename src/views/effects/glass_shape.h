#pragma once

#include <QPainterPath>
#include <QRectF>

namespace calyxa {

// The shapes glass surfaces take: a rounded rectangle (circular or continuous corners) or a
// capsule. Insetting shrinks the outline evenly, corners included, so that a stroke of the inset
// shape stays inside the original edge.
class GlassShape {
 public:
  enum class CornerStyle { circular, continuous };

  static GlassShape roundedRectangle(double cornerRadius,
                                     CornerStyle style = CornerStyle::circular) {
    return GlassShape(Kind::roundedRectangle, cornerRadius, style, 0.0);
  }
  static GlassShape capsule() { return GlassShape(Kind::capsule, 0.0, CornerStyle::circular, 0.0); }

  GlassShape inset(double amount) const {
    return GlassShape(kind_, cornerRadius_, style_, inset_ + amount);
  }
  QPainterPath path(const QRectF& rect) const;

  bool isCapsule() const { return kind_ == Kind::capsule; }
  bool operator==(const GlassShape&) const = default;
  double cornerRadius() const { return cornerRadius_; }

 private:
  enum class Kind { roundedRectangle, capsule };
  GlassShape(Kind kind, double radius, CornerStyle style, double inset)
      : kind_(kind), cornerRadius_(radius), style_(style), inset_(inset) {}

  Kind kind_;
  double cornerRadius_;
  CornerStyle style_;
  double inset_;
};

}  // namespace calyxa
