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
  return runProgramsTogether(program, {{arguments, environment, std::string(input)}}).front();
}

std::vector<CtlRun> runCalyxaCtlTogether(const std::vector<CtlInvocation>& invocations) {
  return runProgramsTogether(calyxaCtlPath(), invocations);
}

std::vector<CtlRun> runProgramsTogether(const std::string& program,
                                        const std::vector<CtlInvocation>& invocations) {
  std::vector<CtlRun> runs(invocations.size());
  if (program.empty()) return runs;

  const TempDir scratch;
  const auto file = [&](std::size_t i, const char* name) {
    return scratch / (std::to_string(i) + "." + name);
  };
  std::vector<pid_t> pids(invocations.size(), -1);
  for (std::size_t i = 0; i < invocations.size(); ++i) {
    const CtlInvocation& invocation = invocations[i];
    const auto in = scratch.write(std::to_string(i) + ".stdin", invocation.input);
    const auto out = file(i, "stdout");
    const auto err = file(i, "stderr");
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), invocation.arguments.begin(), invocation.arguments.end());
    std::vector<std::string> env;
    if (!invocation.environment.contains("PATH")) env.push_back("PATH=/usr/bin:/bin");
    // Never the machine's own desktop entries, unless the test names data folders itself.
    if (!invocation.environment.contains("XDG_DATA_DIRS"))
      env.push_back("XDG_DATA_DIRS=/nonexistent-calyxa-data");
    for (const auto& [name, value] : invocation.environment)
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
      pids[i] = pid;
    }
    posix_spawn_file_actions_destroy(&actions);
  }
  for (std::size_t i = 0; i < invocations.size(); ++i) {
    if (pids[i] < 0) continue;
    int status = 0;
    while (::waitpid(pids[i], &status, 0) < 0 && errno == EINTR) {
    }
    runs[i].status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    runs[i].out = readFileBytes(file(i, "stdout"), 1 << 24).bytes;
    runs[i].err = readFileBytes(file(i, "stderr"), 1 << 24).bytes;
  }
  return runs;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);)
    result.push_back(line);
  return result;
}

}  // namespace calyxa::testing
