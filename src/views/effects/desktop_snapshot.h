#pragma once

#include <QImage>
#include <QRect>
#include <optional>

class QScreen;

namespace calyxa {

// A picture of the desktop in `area` (global coordinates, points) of `screen`, in device
// pixels. Only the X11 platform can take one: under Wayland, offscreen or anywhere a grab
// fails, nothing.
std::optional<QImage> captureDesktop(QScreen* screen, const QRect& area);

// A soft blur of `image` with a Gaussian-like kernel of standard deviation `sigma` pixels: the
// picture is reduced, box-blurred three times and enlarged back to its size. Edges repeat their
// pixels, so the borders do not darken.
QImage blurImage(const QImage& image, double sigma);

}  // namespace calyxa
