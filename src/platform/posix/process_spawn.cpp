#include "platform/posix/process_spawn.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace calyxa {

bool spawnDetached(const std::filesystem::path& executable,
                   const std::vector<std::string>& arguments) {
  // Everything the children need is prepared before fork: after it only async-signal-safe calls.
  const std::string program = executable.string();
  std::vector<std::string> args = arguments.empty() ? std::vector<std::string>{program} : arguments;
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (auto& arg : args)
    argv.push_back(arg.data());
  argv.push_back(nullptr);

  // The exec-status pipe: closed by a successful exec, written with errno by a failed one.
  int status[2];
  if (::pipe2(status, O_CLOEXEC) != 0) return false;

  const pid_t child = ::fork();
  if (child < 0) {
    ::close(status[0]);
    ::close(status[1]);
    return false;
  }
  if (child == 0) {
    ::close(status[0]);
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild != 0) ::_exit(grandchild < 0 ? 1 : 0);
    const int devnull = ::open("/dev/null", O_RDWR);
    if (devnull >= 0) {
      ::dup2(devnull, STDIN_FILENO);
      ::dup2(devnull, STDOUT_FILENO);
      ::dup2(devnull, STDERR_FILENO);
      if (devnull > STDERR_FILENO) ::close(devnull);
    }
    ::execv(program.c_str(), argv.data());
    const int error = errno;
    [[maybe_unused]] const auto ignored = ::write(status[1], &error, sizeof error);
    ::_exit(127);
  }

  ::close(status[1]);
  int childStatus = 0;
  while (::waitpid(child, &childStatus, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t got;
  do {
    got = ::read(status[0], &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  ::close(status[0]);
  const bool forked = WIFEXITED(childStatus) && WEXITSTATUS(childStatus) == 0;
  return forked && got == 0;
}

}  // namespace calyxa
