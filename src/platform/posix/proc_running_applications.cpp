#include "platform/posix/proc_running_applications.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <set>

#include "platform/posix/bundle_info.h"

namespace calyxa {
namespace {

struct DirectoryCloser {
  void operator()(DIR* directory) const { ::closedir(directory); }
};

bool isProcessEntry(const char* name) {
  if (!*name) return false;
  for (; *name; ++name) {
    if (!std::isdigit(static_cast<unsigned char>(*name))) return false;
  }
  return true;
}

std::optional<std::filesystem::path> executableOf(const std::filesystem::path& process) {
  char target[4096];
  const ssize_t length = ::readlink((process / "exe").c_str(), target, sizeof target);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target) return std::nullopt;
  const std::string_view path(target, static_cast<std::size_t>(length));
  // A replaced or removed executable: its bundle may be gone or hold another version.
  if (path.ends_with(" (deleted)")) return std::nullopt;
  return std::filesystem::path(path);
}

// The name the application goes by while running: translated first, then as declared.
std::optional<std::string> localizedNameOf(BundleReader& bundles, const std::string& bundlePath) {
  for (const auto& dictionary :
       {bundles.localizedInfoDictionary(bundlePath), bundles.infoDictionary(bundlePath)}) {
    if (!dictionary) continue;
    for (const char* key : {"CFBundleDisplayName", "CFBundleName"}) {
      if (auto name = stringEntry(*dictionary, key); name && !name->empty()) return name;
    }
  }
  return std::nullopt;
}

}  // namespace

ProcRunningApplications::ProcRunningApplications(SystemRoot root,
                                                 std::shared_ptr<BundleReader> bundles,
                                                 std::shared_ptr<Workspace> workspace,
                                                 std::filesystem::path proc, uid_t user)
    : root_(std::move(root)),
      bundles_(std::move(bundles)),
      workspace_(std::move(workspace)),
      proc_(std::move(proc)),
      user_(user) {}

std::optional<std::filesystem::path> enclosingBundle(const std::filesystem::path& executable) {
  std::optional<std::filesystem::path> innermost;
  std::filesystem::path prefix;
  const std::filesystem::path folder = executable.parent_path();
  for (const auto& component : folder) {
    prefix /= component;
    const std::string name = component.string();
    if (name.size() > 4 && name.ends_with(".app")) innermost = prefix;
  }
  return innermost;
}

std::vector<RunningApplication> ProcRunningApplications::runningApplications() {
  std::vector<RunningApplication> applications;
  const std::unique_ptr<DIR, DirectoryCloser> directory(::opendir(proc_.c_str()));
  if (!directory) return applications;
  std::set<std::string> seen;
  while (const dirent* entry = ::readdir(directory.get())) {
    if (!isProcessEntry(entry->d_name)) continue;
    const std::filesystem::path process = proc_ / entry->d_name;
    struct stat info {};
    if (::stat(process.c_str(), &info) != 0 || info.st_uid != user_) continue;
    const auto executable = executableOf(process);
    if (!executable) continue;
    const auto bundle = enclosingBundle(*executable);
    if (!bundle) continue;
    auto bundlePath = root_.systemPathOf(*bundle);
    if (!bundlePath || !seen.insert(*bundlePath).second) continue;
    RunningApplication application;
    application.localizedName = localizedNameOf(*bundles_, *bundlePath);
    application.bundleIdentifier = bundles_->bundleIdentifier(*bundlePath);
    application.icon = workspace_->iconForFile(*bundlePath);
    application.bundlePath = std::move(bundlePath);
    applications.push_back(std::move(application));
  }
  return applications;
}

}  // namespace calyxa
