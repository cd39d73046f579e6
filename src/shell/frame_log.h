#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace calyxa {

class AppDelegate;

// With CALYXA_FRAME_LOG naming a file, appends "frame NANOSECONDS" (wall clock) when the first
// frame after each showing of the overlay has been painted, and "request NANOSECONDS" for each
// remote Toggle or Show, so that a benchmark can time start-up and toggling from outside.
class FrameLog {
 public:
  static std::unique_ptr<FrameLog> fromEnvironment();
  ~FrameLog();

  void attach(AppDelegate& delegate);
  void note(const char* what);

 private:
  explicit FrameLog(std::FILE* file) : file_(file) {}
  std::FILE* file_;
  bool awaitingFrame_ = false;
};

}  // namespace calyxa
