#pragma once

#include <QColor>
#include <QFont>

namespace calyxa {

// The interface's font at `points` (device-independent pixels, as the views measure everything)
// in `weight`: a CJK sans-serif, since most of the texts are Chinese.
QFont systemFont(double points, QFont::Weight weight = QFont::Normal);

// An sRGB colour from components 0 to 1.
inline QColor srgb(double r, double g, double b, double opacity = 1.0) {
  return QColor::fromRgbF(static_cast<float>(r), static_cast<float>(g), static_cast<float>(b),
                          static_cast<float>(opacity));
}
inline QColor white(double opacity) {
  return srgb(1, 1, 1, opacity);
}

// The named colours the views tint glass with.
inline QColor cyanTint() {
  return srgb(0.0, 0.75, 1.0);
}
inline QColor greenTint() {
  return srgb(0.2, 0.78, 0.35);
}
inline QColor redTint() {
  return srgb(1.0, 0.23, 0.19);
}

}  // namespace calyxa
