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

// A pixel's four 8-bit channels spread into 16-bit lanes, so that one 64-bit addition sums
// all four: a window of at most 257 pixels cannot overflow a lane.
inline std::uint64_t spread(std::uint32_t p) {
  return (p & 0xFFull) | ((p & 0xFF00ull) << 8) | ((p & 0xFF0000ull) << 16) |
         ((p & 0xFF000000ull) << 24);
}

// One pass of a box blur of radius `r` along rows (stride 1) or columns (stride = width),
// reading `in` and writing `out`, with repeated edge pixels.
void boxPass(const std::uint32_t* in, std::uint32_t* out, int lines, int length, int lineStride,
             int step, int r) {
  const std::uint32_t window = 2 * r + 1;
  // floor(x / window) as a multiplication, exact for every lane sum (x · window < 2³²).
  const std::uint64_t reciprocal = ((1ull << 32) + window - 1) / window;
  const auto lane = [&](std::uint64_t sum, int c) -> std::uint32_t {
    const std::uint64_t x = ((sum >> (16 * c)) & 0xFFFF) + window / 2;
    return static_cast<std::uint32_t>((x * reciprocal) >> 32);
  };
  for (int line = 0; line < lines; ++line) {
    const std::uint32_t* src = in + static_cast<std::ptrdiff_t>(line) * lineStride;
    std::uint32_t* dst = out + static_cast<std::ptrdiff_t>(line) * lineStride;
    const auto at = [&](int i) {
      return spread(src[static_cast<std::ptrdiff_t>(std::clamp(i, 0, length - 1)) * step]);
    };
    std::uint64_t sum = 0;
    for (int i = -r; i <= r; ++i)
      sum += at(i);
    for (int i = 0; i < length; ++i) {
      dst[static_cast<std::ptrdiff_t>(i) * step] =
          lane(sum, 0) | (lane(sum, 1) << 8) | (lane(sum, 2) << 16) | (lane(sum, 3) << 24);
      sum -= at(i - r);
      sum += at(i + r + 1);
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
      std::clamp(static_cast<int>(std::lround((std::sqrt(4.0 * s * s + 1.0) - 1.0) / 2.0)), 1, 128);
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
