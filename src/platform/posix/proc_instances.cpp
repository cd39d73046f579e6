#include "platform/posix/proc_instances.h"

#include <signal.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>
#include <system_error>
#include <thread>

#include "platform/posix/bundle_info.h"
#include "platform/posix/proc_running_applications.h"

namespace calyxa {
namespace {

constexpr std::size_t kMaxProcFileBytes = 256 * 1024;

// Files of /proc report no size: read until the end, within a bound.
std::optional<std::string> readSmallFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::string bytes(kMaxProcFileBytes, '\0');
  file.read(bytes.data(), std::streamsize(bytes.size()));
  bytes.resize(std::size_t(file.gcount()));
  return bytes;
}

std::optional<pid_t> parsePid(std::string_view text) {
  pid_t pid = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), pid);
  if (error != std::errc() || end != text.data() + text.size() || pid <= 0) return std::nullopt;
  return pid;
}

// The real user id of the "Uid:" line of /proc/PID/status.
std::optional<uid_t> realUserOf(const std::filesystem::path& process) {
  const auto status = readSmallFile(process / "status");
  if (!status) return std::nullopt;
  std::istringstream lines(*status);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("Uid:", 0) != 0) continue;
    std::istringstream fields(line.substr(4));
    unsigned long uid = 0;
    if (fields >> uid) return static_cast<uid_t>(uid);
  }
  return std::nullopt;
}

// NUL-separated fields, as in cmdline and environ.
std::vector<std::string> splitNul(const std::string& bytes) {
  std::vector<std::string> fields;
  std::string_view rest = bytes;
  while (!rest.empty()) {
    const auto end = rest.find('\0');
    fields.emplace_back(rest.substr(0, end));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return fields;
}

std::map<std::string, std::string> environmentOf(const std::filesystem::path& process) {
  std::map<std::string, std::string> values;
  const auto environ = readSmallFile(process / "environ");
  if (!environ) return values;
  for (const auto& entry : splitNul(*environ)) {
    const auto equals = entry.find('=');
    if (equals != std::string::npos)
      values.emplace(entry.substr(0, equals), entry.substr(equals + 1));
  }
  return values;
}

bool matchesIdentity(const std::filesystem::path& process, const InstanceIdentity& identity) {
  std::error_code error;
  const auto executable = std::filesystem::read_symlink(process / "exe", error);
  if (!error) {
    if (const auto bundle = enclosingBundle(executable)) {
      if (const auto info = readBundleInfoDictionary(*bundle)) {
        if (stringEntry(*info, "CFBundleIdentifier") == identity.bundleIdentifier) return true;
      }
    }
  }
  if (auto name = readSmallFile(process / "comm")) {
    if (!name->empty() && name->back() == '\n') name->pop_back();
    if (*name == identity.name) return true;
  }
  return !error && executable.filename() == identity.executableName;
}

bool sameSession(const std::filesystem::path& process, const InstanceSearch& search) {
  const auto theirs = environmentOf(process);
  return std::all_of(search.sessionVariables.begin(), search.sessionVariables.end(),
                     [&](const std::string& name) {
                       const auto mine = search.ownEnvironment.find(name);
                       const auto other = theirs.find(name);
                       const bool mineSet = mine != search.ownEnvironment.end();
                       const bool otherSet = other != theirs.end();
                       return mineSet == otherSet && (!mineSet || mine->second == other->second);
                     });
}

bool isBusyWithOneOffJob(const std::filesystem::path& process, const InstanceSearch& search) {
  const auto cmdline = readSmallFile(process / "cmdline");
  if (!cmdline) return false;
  const auto arguments = splitNul(*cmdline);
  return std::any_of(arguments.begin() + std::min<std::size_t>(1, arguments.size()),
                     arguments.end(), [&](const std::string& argument) {
                       return std::find(search.oneOffArguments.begin(),
                                        search.oneOffArguments.end(),
                                        argument) != search.oneOffArguments.end();
                     });
}

bool exists(pid_t pid, const std::filesystem::path& proc) {
  std::error_code error;
  return std::filesystem::exists(proc / std::to_string(pid), error);
}

}  // namespace

std::vector<pid_t> findOtherInstances(const InstanceSearch& search) {
  std::vector<pid_t> found;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(search.proc, error)) {
    const auto pid = parsePid(entry.path().filename().native());
    if (!pid || *pid == search.self) continue;
    if (realUserOf(entry.path()) != search.user) continue;
    if (!matchesIdentity(entry.path(), search.identity)) continue;
    if (!sameSession(entry.path(), search) || isBusyWithOneOffJob(entry.path(), search)) continue;
    found.push_back(*pid);
  }
  std::sort(found.begin(), found.end());
  return found;
}

void terminateProcesses(const std::vector<pid_t>& pids, std::chrono::milliseconds grace,
                        const std::filesystem::path& proc) {
  for (const pid_t pid : pids)
    ::kill(pid, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + grace;
  const auto anyLeft = [&] {
    return std::any_of(pids.begin(), pids.end(), [&](pid_t pid) { return exists(pid, proc); });
  };
  while (anyLeft() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  for (const pid_t pid : pids) {
    if (exists(pid, proc)) ::kill(pid, SIGKILL);
  }
}

std::map<std::string, std::string> environmentValues(const std::vector<std::string>& names) {
  std::map<std::string, std::string> values;
  for (const auto& name : names) {
    if (const char* value = std::getenv(name.c_str())) values.emplace(name, value);
  }
  return values;
}

}  // namespace calyxa
