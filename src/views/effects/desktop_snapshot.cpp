#include "views/effects/desktop_snapshot.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace calyxa {
namespace {

// One pass of a box blur of radius `r` along rows (stride 1) or columns (stride = width),
// reading `in` and writing `out`, with repeated edge pixels.
void boxPass(const std::uint32_t* in, std::uint32_t* out, int lines, int length, int lineStride,
             int step, int r) {
  const int window = 2 * r + 1;
  for (int line = 0; line < lines; ++line) {
    const std::uint32_t* src = in + static_cast<std::ptrdiff_t>(line) * lineStride;
    std::uint32_t* dst = out + static_cast<std::ptrdiff_t>(line) * lineStride;
    const auto at = [&](int i) {
      return src[static_cast<std::ptrdiff_t>(std::clamp(i, 0, length - 1)) * step];
    };
    std::uint32_t sum[4] = {0, 0, 0, 0};
    for (int i = -r; i <= r; ++i) {
      const std::uint32_t p = at(i);
      for (int c = 0; c < 4; ++c)
        sum[c] += (p >> (8 * c)) & 0xFF;
    }
    for (int i = 0; i < length; ++i) {
      std::uint32_t value = 0;
      for (int c = 0; c < 4; ++c)
        value |= ((sum[c] + window / 2) / window) << (8 * c);
      dst[static_cast<std::ptrdiff_t>(i) * step] = value;
      const std::uint32_t leaving = at(i - r);
      const std::uint32_t entering = at(i + r + 1);
      for (int c = 0; c < 4; ++c)
        sum[c] += ((entering >> (8 * c)) & 0xFF) - ((leaving >> (8 * c)) & 0xFF);
    }
  }
}

}  // namespace

std::optional<QImage> captureDesktop(QScreen* screen, const QRect& area) {
  if (!screen || area.isEmpty()) return std::nullopt;
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return std::nullopt;
  const QRect local = area.translated(-screen->geometry().topLeft());
  const QPixmap grab = screen->grabWindow(0, local.x(), local.y(), local.width(), local.height());
  if (grab.isNull()) return std::nullopt;
  return grab.toImage();
}

QImage blurImage(const QImage& image, double sigma) {
  if (image.isNull()) return {};
  const QImage source = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  if (sigma < 0.5) return source;
  // Work at a reduced size where the kernel spans a few pixels: the result is as smooth and
  // the cost a fraction.
  const int factor = std::clamp(static_cast<int>(sigma / 3.0), 1, 16);
  const int w = std::max(1, source.width() / factor);
  const int h = std::max(1, source.height() / factor);
  QImage small = factor == 1 ? source
                             : source.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                   .convertToFormat(QImage::Format_ARGB32_Premultiplied);
  // Three box passes of width sqrt(4σ² + 1) approximate a Gaussian of deviation σ.
  const double s = sigma / factor;
  const int r =
      std::max(1, static_cast<int>(std::lround((std::sqrt(4.0 * s * s + 1.0) - 1.0) / 2.0)));
  const int stride = static_cast<int>(small.bytesPerLine() / 4);
  std::vector<std::uint32_t> scratch(static_cast<std::size_t>(stride) * h);
  auto* pixels = reinterpret_cast<std::uint32_t*>(small.bits());
  for (int pass = 0; pass < 3; ++pass) {
    boxPass(pixels, scratch.data(), h, w, stride, 1, r);
    boxPass(scratch.data(), pixels, w, h, 1, stride, r);
  }
  if (factor == 1) return small;
  return small.scaled(source.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace calyxa
