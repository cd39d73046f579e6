#include "shell/termination_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>

namespace calyxa {
namespace {

constexpr std::array kSignals = {SIGTERM, SIGINT, SIGHUP};

// A signal handler can reach nothing but plain data: the write end of the pipe it wakes the
// main loop through.
volatile sig_atomic_t signalWriteFd = -1;

void forwardSignal(int signal) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(signal);
  if (signalWriteFd >= 0) [[maybe_unused]]
    auto written = ::write(signalWriteFd, &byte, 1);
  errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void(int)> onSignal)
    : onSignal_(std::move(onSignal)) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds_) != 0) return;
  signalWriteFd = fds_[1];
  struct sigaction action = {};
  action.sa_handler = forwardSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kSignals)
    ::sigaction(signal, &action, nullptr);
  notifier_ = std::make_unique<QSocketNotifier>(fds_[0], QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
    unsigned char byte = 0;
    while (::read(fds_[0], &byte, 1) == 1) {
      if (onSignal_) onSignal_(byte);
    }
  });
}

TerminationSignals::~TerminationSignals() {
  for (const int signal : kSignals)
    ::signal(signal, SIG_DFL);
  signalWriteFd = -1;
  notifier_.reset();
  for (const int fd : fds_) {
    if (fd >= 0) ::close(fd);
  }
}

}  // namespace calyxa
