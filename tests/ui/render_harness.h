#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <string>

namespace calyxa::testing {

// Renders `widget` (and its children) at `size` points and `devicePixelRatio` over
// `background`, the way it would appear on screen.
QImage renderWidget(QWidget& widget, QSize size, qreal devicePixelRatio = 1.0,
                    QColor background = Qt::transparent);

// What `paint` draws on an image of `size` points filled with `background`.
QImage renderPainting(QSize size, const std::function<void(QPainter&)>& paint,
                      QColor background = Qt::black, qreal devicePixelRatio = 1.0);

// Writes `image` as renders/<name>.png in the build tree, for a person to look at.
std::filesystem::path saveRender(const QImage& image, const std::string& name);

// The colour at a point given in points (device pixel ratio taken into account), unpremultiplied.
QColor colourAt(const QImage& image, QPointF point);

// Perceived brightness 0 to 1 of a colour composed over black.
double brightness(const QColor& colour);

// The largest difference of one channel between two images of one size (255 when the sizes
// differ).
int largestDifference(const QImage& a, const QImage& b);

// The brightest pixel in a rectangle given in points.
double maxBrightness(const QImage& image, const QRectF& area);

}  // namespace calyxa::testing
