#include "support/ctl_runner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "platform/posix/file_io.h"
#include "support/temp_dir.h"

namespace calyxa::testing {
namespace {

std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> result;
  for (auto& s : strings)
    result.push_back(s.data());
  result.push_back(nullptr);
  return result;
}

}  // namespace

std::string calyxaCtlPath() {
  const char* path = std::getenv("CALYXA_CTL");
  return path ? path : "";
}

CtlRun runCalyxaCtl(const std::vector<std::string>& arguments,
                    const std::map<std::string, std::string>& environment, std::string_view input) {
  return runProgram(calyxaCtlPath(), arguments, environment, input);
}

CtlRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                  const std::map<std::string, std::string>& environment, std::string_view input) {
  CtlRun run;
  if (program.empty()) return run;

  const TempDir scratch;
  const auto in = scratch.write("stdin", input);
  const auto out = scratch / "stdout";
  const auto err = scratch / "stderr";

  std::vector<std::string> argv{program};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::vector<std::string> env;
  if (!environment.contains("PATH")) env.push_back("PATH=/usr/bin:/bin");
  // Never the machine's own desktop entries, unless the test names data folders itself.
  if (!environment.contains("XDG_DATA_DIRS"))
    env.push_back("XDG_DATA_DIRS=/nonexistent-calyxa-data");
  for (const auto& [name, value] : environment)
    env.push_back(name + "=" + value);
  auto args = pointers(argv);
  auto envp = pointers(env);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  if (::posix_spawn(&pid, program.c_str(), &actions, nullptr, args.data(), envp.data()) == 0) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  run.out = readFileBytes(out, 1 << 24).bytes;
  run.err = readFileBytes(err, 1 << 24).bytes;
  return run;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);)
    result.push_back(line);
  return result;
}

}  // namespace calyxa::testing
