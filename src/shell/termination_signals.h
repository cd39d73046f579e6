#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace calyxa {

// Turns SIGTERM (a desktop logout), SIGINT and SIGHUP into a call on the main thread, so that
// they end the program the same orderly way as its Quit command. One instance a process.
class TerminationSignals {
 public:
  explicit TerminationSignals(std::function<void(int signal)> onSignal);
  ~TerminationSignals();
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

 private:
  std::function<void(int)> onSignal_;
  int fds_[2] = {-1, -1};
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace calyxa
