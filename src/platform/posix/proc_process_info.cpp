#include "platform/posix/proc_process_info.h"

#include <string_view>
#include <system_error>

#include "platform/posix/file_io.h"

namespace calyxa {
namespace {

// Command lines are limited by the kernel to far less.
constexpr std::size_t kMaxCommandLineBytes = 4 * 1024 * 1024;
constexpr std::string_view kDeletedSuffix = " (deleted)";

}  // namespace

std::optional<std::string> ProcProcessInfo::mainExecutablePath() {
  std::error_code error;
  const std::filesystem::path target = std::filesystem::read_symlink(self_ / "exe", error);
  if (error || target.empty()) return std::nullopt;
  std::string path = target.string();
  // The kernel marks an executable that was replaced after the start; the new file at the old
  // path is the program to start next time.
  if (path.ends_with(kDeletedSuffix) && !std::filesystem::exists(path, error)) {
    const std::string original = path.substr(0, path.size() - kDeletedSuffix.size());
    if (std::filesystem::exists(original, error)) return original;
  }
  return path;
}

std::vector<std::string> ProcProcessInfo::arguments() {
  const FileReadResult file = readFileBytes(self_ / "cmdline", kMaxCommandLineBytes);
  std::vector<std::string> result;
  if (file.status != ReadStatus::ok) return result;
  std::string_view rest = file.bytes;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\0');
    result.emplace_back(rest.substr(0, end));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return result;
}

}  // namespace calyxa
