#pragma once

#include <QImage>
#include <QObject>
#include <functional>

#include "platform/image.h"

namespace calyxa {

// Decoded icons by content and pixel size.
class IconRasterCache {
 public:
  static IconRasterCache& shared();
  // The decoded icon, or null while it decodes; `onReady` then runs on the main thread while
  // `receiver` lives.
  QImage image(const Image& icon, int pixelSize, QObject* receiver, std::function<void()> onReady);
  QImage imageNow(const Image& icon, int pixelSize);
  void waitUntilIdle();
};

}  // namespace calyxa
