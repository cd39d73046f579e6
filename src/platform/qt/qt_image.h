#pragma once

#include <QImage>

#include "platform/image.h"

namespace calyxa {

// Between the toolkit-neutral raster (premultiplied ARGB words) and QImage.
QImage toQImage(const RasterImage& raster);
RasterImage toRasterImage(const QImage& image);

// An image's pixels for a device of `devicePixelRatio`, tagged with that ratio so that a
// painter draws it at its size in points.
QImage renderForDisplay(const Image& image, qreal devicePixelRatio);

}  // namespace calyxa
