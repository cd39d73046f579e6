#pragma once

#include <string>

#include "platform/image.h"

namespace calyxa {

// The desktop's services for applications and files. Paths are the system's own paths; a
// backend resolves them under the system root where it touches the file system.
class Workspace {
 public:
  virtual ~Workspace() = default;

  // Starts the application bundle at `bundlePath`, bringing it to the front when `activates`.
  // Fire and forget: a missing or broken bundle fails silently.
  virtual void openApplication(const std::string& bundlePath, bool activates) = 0;

  // The icon the file browser shows for `path`; always an image, generic where nothing better
  // exists. Decoding waits until the image is drawn.
  virtual Image iconForFile(const std::string& path) = 0;
};

}  // namespace calyxa
