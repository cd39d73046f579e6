#pragma once

class QImage;
class QPaintEvent;
class QWidget;

namespace calyxa {

// Copies the part of a prepared image (at its own device pixel ratio) that `event` exposes,
// replacing what was there: opaque layers need no blending.
void paintExposedImage(QWidget& widget, const QPaintEvent& event, const QImage& image);

}  // namespace calyxa
