#include "views/effects/glass_shape.h"

#include <algorithm>

namespace calyxa {
namespace {

// A rounded rectangle whose corners ease into the straight edges: each corner is one cubic
// that starts 1.28 radii from the corner instead of 1, which removes the visible kink where a
// circular arc meets a line.
QPainterPath continuousRoundedRect(const QRectF& r, double radius) {
  const double half = std::min(r.width(), r.height()) / 2.0;
  const double reach = std::min(radius * 1.28, half);
  const double control = reach * (0.3 / 1.28);
  QPainterPath path;
  path.moveTo(r.left() + reach, r.top());
  path.lineTo(r.right() - reach, r.top());
  path.cubicTo(r.right() - control, r.top(), r.right(), r.top() + control, r.right(),
               r.top() + reach);
  path.lineTo(r.right(), r.bottom() - reach);
  path.cubicTo(r.right(), r.bottom() - control, r.right() - control, r.bottom(), r.right() - reach,
               r.bottom());
  path.lineTo(r.left() + reach, r.bottom());
  path.cubicTo(r.left() + control, r.bottom(), r.left(), r.bottom() - control, r.left(),
               r.bottom() - reach);
  path.lineTo(r.left(), r.top() + reach);
  path.cubicTo(r.left(), r.top() + control, r.left() + control, r.top(), r.left() + reach, r.top());
  path.closeSubpath();
  return path;
}

}  // namespace

QPainterPath GlassShape::path(const QRectF& rect) const {
  const QRectF r = rect.adjusted(inset_, inset_, -inset_, -inset_);
  QPainterPath path;
  if (r.width() <= 0 || r.height() <= 0) return path;
  const double half = std::min(r.width(), r.height()) / 2.0;
  const double radius =
      kind_ == Kind::capsule ? half : std::clamp(cornerRadius_ - inset_, 0.0, half);
  if (radius <= 0) {
    path.addRect(r);
  } else if (style_ == CornerStyle::continuous && kind_ != Kind::capsule) {
    path = continuousRoundedRect(r, radius);
  } else {
    path.addRoundedRect(r, radius, radius);
  }
  return path;
}

}  // namespace calyxa
