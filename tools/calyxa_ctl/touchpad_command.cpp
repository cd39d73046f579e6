// calyxa-ctl touchpad: recorded and live contact frames through the real pinch recogniser.
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "commands.h"
#include "gestures/contact_frame_file.h"
#include "gestures/multitouch_pinch_monitor.h"
#include "platform/platform_services.h"
#include "platform/posix/evdev_contact_frame_source.h"
#include "platform/posix/file_io.h"
#include "platform/posix/run_loop.h"
#include "platform/utf8.h"

namespace calyxa::ctl {
namespace {

int usage() {
  std::fprintf(stderr,
               "usage: calyxa-ctl touchpad replay FILE\n"
               "       calyxa-ctl touchpad record FILE\n"
               "       calyxa-ctl touchpad watch\n");
  return EX_USAGE;
}

// Runs frames one at a time through the shared monitor and its main queue, and prints each
// recognised event with the timestamp of the frame that caused it.
class FrameReplay {
 public:
  static std::optional<FrameReplay> make() {
    auto loop = std::dynamic_pointer_cast<RunLoop>(PlatformServices::shared().mainQueue);
    if (!loop) return std::nullopt;
    return FrameReplay(std::move(loop));
  }

  void step(const RecordedFrame& frame) {
    *frameTime_ = frame.timestamp;
    globalMultitouchCallback(0, frame.records.empty() ? nullptr : frame.records.data(),
                             static_cast<std::int32_t>(frame.records.size()), frame.timestamp,
                             frameNumber_++);
    loop_->runPending();
  }

 private:
  explicit FrameReplay(std::shared_ptr<RunLoop> loop) : loop_(std::move(loop)) {
    auto& monitor = MultitouchPinchMonitor::shared();
    monitor.onPinchIn = printer("pinch-in");
    monitor.onPinchOut = printer("pinch-out");
    monitor.onGestureRelease = printer("release");
  }

  std::function<void()> printer(const char* name) const {
    return [name, time = frameTime_] {
      std::printf("%s %s\n", name, formatTimestamp(*time).c_str());
      std::fflush(stdout);
    };
  }

  std::shared_ptr<RunLoop> loop_;
  std::shared_ptr<double> frameTime_ = std::make_shared<double>(0.0);
  std::int32_t frameNumber_ = 0;
};

RecordedFrame copyFrame(const void* records, std::int32_t count, double timestamp) {
  RecordedFrame frame{timestamp, {}};
  if (records && count > 0) {
    const auto* first = static_cast<const ContactRecord*>(records);
    frame.records.assign(first, first + count);
  }
  return frame;
}

// Interrupts are taken by sigwait, not by a handler: blocked here, before the reader thread
// starts, so that it inherits the mask.
sigset_t blockInterrupts() {
  sigset_t interrupts;
  sigemptyset(&interrupts);
  sigaddset(&interrupts, SIGINT);
  sigaddset(&interrupts, SIGTERM);
  sigaddset(&interrupts, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &interrupts, nullptr);
  return interrupts;
}

int noTouchpad() {
  std::fprintf(stderr,
               "calyxa-ctl: no touchpad could be opened in /dev/input (none there, or no "
               "permission to read it: is the user in the \"input\" group?)\n");
  return EX_UNAVAILABLE;
}

// The frame file open for reading, or why not.
struct FrameFileHandle {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file{nullptr, &std::fclose};
  const char* problem = nullptr;
};

FrameFileHandle openFrameFile(const std::string& path) {
  // Non-blocking, so that a FIFO in FILE's place cannot hang the open.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return {{nullptr, &std::fclose}, errno == ENOENT ? "no such file" : "cannot be read"};
  struct stat info {};
  // Read twice (checked, then replayed): only a regular file reads the same both times.
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return {{nullptr, &std::fclose}, "cannot be read"};
  }
  std::FILE* file = ::fdopen(fd, "r");
  if (!file) ::close(fd);
  return {{file, &std::fclose}, file ? nullptr : "cannot be read"};
}

int replay(const std::string& path) {
  const std::string shown = printableText(path);
  const auto cannotRead = [&](const char* reason) {
    std::fprintf(stderr, "calyxa-ctl: %s: %s\n", shown.c_str(), reason);
    return EX_NOINPUT;
  };
  FrameFileHandle handle = openFrameFile(path);
  if (!handle.file) return cannotRead(handle.problem);
  // A malformed file replays nothing: the whole file is checked first, one line at a time.
  {
    FrameFileReader check(handle.file.get());
    while (check.next()) {
    }
    if (check.readFailed()) return cannotRead("cannot be read");
    if (check.error()) {
      std::fprintf(stderr, "calyxa-ctl: %s:%zu: %s\n", shown.c_str(), check.error()->line,
                   check.error()->message.c_str());
      return EX_DATAERR;
    }
  }
  if (std::fseek(handle.file.get(), 0, SEEK_SET) != 0) return cannotRead("cannot be read");
  auto replay = FrameReplay::make();
  if (!replay) return EX_SOFTWARE;
  FrameFileReader frames(handle.file.get());
  while (const RecordedFrame* frame = frames.next())
    replay->step(*frame);
  // The file changed under us: what was replayed stands, the rest is reported.
  if (frames.readFailed() || frames.error()) return cannotRead("changed while it was replayed");
  return 0;
}

int record(const std::string& path) {
  const std::filesystem::path target(path);
  const auto folder = target.has_parent_path() ? target.parent_path() : ".";
  if (::access(folder.c_str(), W_OK) != 0) {
    std::fprintf(stderr, "calyxa-ctl: %s: cannot write in %s\n", printableText(path).c_str(),
                 printableText(folder.string()).c_str());
    return EX_CANTCREAT;
  }
  const sigset_t interrupts = blockInterrupts();
  std::mutex mutex;
  std::string text = "# calyxa touchpad frames: timestamp count, then state x y per contact\n";
  std::size_t frames = 0;
  EvdevContactFrameSource source;
  auto started = source.start(
      [&](std::int32_t, const void* records, std::int32_t count, double timestamp, std::int32_t) {
        std::string line = formatFrameLine(timestamp, records, count);
        std::lock_guard lock(mutex);
        text += line;
        text += '\n';
        ++frames;
      });
  if (!started.session) return noTouchpad();
  std::fprintf(stderr, "recording %zu touchpad(s) to %s; Ctrl+C ends\n", started.devices.size(),
               path.c_str());
  int signal = 0;
  sigwait(&interrupts, &signal);
  started.session.reset();

  if (!writeFileAtomically(target, text)) {
    std::fprintf(stderr, "calyxa-ctl: %s: cannot be written\n", path.c_str());
    return EX_CANTCREAT;
  }
  std::fprintf(stderr, "%zu frames written to %s\n", frames, path.c_str());
  return 0;
}

int watch() {
  const sigset_t interrupts = blockInterrupts();
  auto replay = FrameReplay::make();
  if (!replay) return EX_SOFTWARE;
  std::mutex mutex;
  std::deque<RecordedFrame> pending;
  EvdevContactFrameSource source;
  auto started = source.start(
      [&](std::int32_t, const void* records, std::int32_t count, double timestamp, std::int32_t) {
        RecordedFrame frame = copyFrame(records, count, timestamp);
        std::lock_guard lock(mutex);
        pending.push_back(std::move(frame));
      });
  if (!started.session) return noTouchpad();
  std::fprintf(stderr, "watching %zu touchpad(s); Ctrl+C ends\n", started.devices.size());
  for (;;) {
    std::deque<RecordedFrame> frames;
    {
      std::lock_guard lock(mutex);
      frames.swap(pending);
    }
    for (const auto& frame : frames)
      replay->step(frame);
    const timespec wait{0, 20'000'000};
    if (sigtimedwait(&interrupts, nullptr, &wait) > 0) break;
  }
  started.session.reset();
  return 0;
}

}  // namespace

int runTouchpad(const std::vector<std::string>& arguments) {
  if (arguments.size() == 2 && arguments[0] == "replay") return replay(arguments[1]);
  if (arguments.size() == 2 && arguments[0] == "record") return record(arguments[1]);
  if (arguments.size() == 1 && arguments[0] == "watch") return watch();
  return usage();
}

}  // namespace calyxa::ctl
