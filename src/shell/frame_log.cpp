#include "shell/frame_log.h"

#include <chrono>
#include <cstdlib>

#include "shell/app_delegate.h"

namespace calyxa {

std::unique_ptr<FrameLog> FrameLog::fromEnvironment() {
  const char* path = std::getenv("CALYXA_FRAME_LOG");
  if (!path || !*path) return nullptr;
  std::FILE* file = std::fopen(path, "a");
  if (!file) return nullptr;
  return std::unique_ptr<FrameLog>(new FrameLog(file));
}

FrameLog::~FrameLog() {
  std::fclose(file_);
}

void FrameLog::attach(AppDelegate& delegate) {
  // The window exists once start-up has built it; frames before that cannot be the overlay's.
  delegate.onWillShow = [this] { awaitingFrame_ = true; };
  delegate.onOverlayCreated = [this, &delegate](TilewellOverlayWindow& window) {
    window.onFramePainted = [this, &delegate] {
      if (!awaitingFrame_ || !delegate.isTilewellVisible()) return;
      awaitingFrame_ = false;
      note("frame");
    };
  };
}

void FrameLog::note(const char* what) {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  std::fprintf(file_, "%s %lld\n", what,
               static_cast<long long>(std::chrono::nanoseconds(now).count()));
  std::fflush(file_);
}

}  // namespace calyxa
