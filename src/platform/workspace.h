#pragma once

#include <functional>
#include <string>

#include "platform/image.h"

namespace calyxa {

// Told whether a requested start worked: true once the program runs (or a running copy was asked
// to come forward). Runs on the main queue.
using LaunchCompletion = std::function<void(bool started)>;

// The desktop's services for applications and files. Paths are the system's own paths; a
// backend resolves them under the system root where it touches the file system.
class Workspace {
 public:
  virtual ~Workspace() = default;

  // Starts the application bundle at `bundlePath`, bringing it to the front when `activates`.
  // Never waits for the program: `completion` (if any) is told the outcome later, on the main
  // queue; a missing or broken bundle is a failed start.
  virtual void openApplication(const std::string& bundlePath, bool activates,
                               LaunchCompletion completion) = 0;

  // Shows the file at `path` selected in the desktop's file browser. Never waits.
  virtual void revealInFileBrowser(const std::string& path) = 0;

  // The icon the file browser shows for `path`; always an image, generic where nothing better
  // exists. Decoding waits until the image is drawn.
  virtual Image iconForFile(const std::string& path) = 0;
};

}  // namespace calyxa
