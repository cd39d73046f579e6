#include "platform/posix/file_io.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <string>
#include <system_error>

namespace calyxa {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() { close(); }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  bool close() {
    if (fd_ < 0) return true;
    const bool ok = ::close(fd_) == 0;
    fd_ = -1;
    return ok;
  }

 private:
  int fd_;
};

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

void syncDirectory(const std::filesystem::path& directory) {
  FileDescriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.valid()) ::fsync(dir.get());
}

// Removes the temporaries "<prefix><pid>.XXXXXX" in `directory` whose writer no longer runs: a
// writer killed between creating its temporary and renaming it leaves one behind, and a
// launcher that crashes now and then must not fill its folder with them.
void removeAbandonedTemporaries(const std::filesystem::path& directory, std::string_view prefix) {
  std::error_code error;
  for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = it->path().filename().native();
    if (!name.starts_with(prefix)) continue;
    const std::string_view rest = std::string_view(name).substr(prefix.size());
    const std::size_t dot = rest.find('.');
    if (dot == std::string_view::npos || rest.size() - dot - 1 != 6) continue;
    pid_t pid = 0;
    const auto [digitsEnd, status] = std::from_chars(rest.data(), rest.data() + dot, pid);
    if (status != std::errc() || digitsEnd != rest.data() + dot || pid <= 0 || pid == ::getpid()) {
      continue;
    }
    if (::kill(pid, 0) == 0 || errno != ESRCH) continue;  // alive, or not ours to judge
    ::unlink(it->path().c_str());
  }
}

// The file a path finally names, following symbolic links (a dangling one to the file it would
// create), so that replacing it keeps the links; the path itself when the links loop.
std::filesystem::path linkTarget(const std::filesystem::path& path) {
  std::filesystem::path current = path;
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code error;
    if (!std::filesystem::is_symlink(current, error)) return current;
    const std::filesystem::path target = std::filesystem::read_symlink(current, error);
    if (error) return current;
    current = target.is_absolute() ? target : current.parent_path() / target;
  }
  return path;
}

}  // namespace

FileReadResult readFileBytes(const std::filesystem::path& path, std::size_t maxBytes) {
  return readFileBytesAt(AT_FDCWD, path.c_str(), maxBytes);
}

FileReadResult readFileBytesAt(int directory, const char* path, std::size_t maxBytes) {
  FileDescriptor fd(::openat(directory, path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd.valid()) {
    return {errno == ENOENT || errno == ENOTDIR ? ReadStatus::missing : ReadStatus::unreadable, {}};
  }
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return {ReadStatus::unreadable, {}};
  if (static_cast<std::size_t>(info.st_size) > maxBytes) return {ReadStatus::tooLarge, {}};

  FileReadResult result{ReadStatus::ok, {}};
  result.bytes.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      return {ReadStatus::unreadable, {}};
    }
    if (got == 0) break;
    // The file may have grown since fstat.
    if (result.bytes.size() + static_cast<std::size_t>(got) > maxBytes) {
      return {ReadStatus::tooLarge, {}};
    }
    result.bytes.append(buffer, static_cast<std::size_t>(got));
  }
  return result;
}

void removeStaleTemporaryFiles(const std::filesystem::path& link) {
  const std::filesystem::path path = linkTarget(link);
  std::string prefix = ".";  // appended: see writeFileAtomically
  prefix += path.filename().native();
  prefix += '.';
  constexpr std::size_t kSuffix = 6;  // mkostemp's XXXXXX
  const auto isSuffix = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  };
  const auto staleBefore = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(1);
  std::error_code error;
  const std::filesystem::path folder =
      path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.size() != prefix.size() + kSuffix || !name.starts_with(prefix)) continue;
    if (!std::all_of(name.end() - kSuffix, name.end(), isSuffix)) continue;
    std::error_code ignored;
    if (!it->is_regular_file(ignored) || it->is_symlink(ignored)) continue;
    if (std::filesystem::last_write_time(it->path(), ignored) >= staleBefore || ignored) continue;
    std::filesystem::remove(it->path(), ignored);
  }
  // Temporaries named with their writer's process id go as soon as that process is gone.
  removeAbandonedTemporaries(folder, prefix);
}

bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  return writeFileAtomically(path, bytes, {});
}

bool writeFileAtomically(const std::filesystem::path& link, std::string_view bytes,
                         const std::function<void()>& beforeRename) {
  const std::filesystem::path path = linkTarget(link);
  const std::filesystem::path directory =
      path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  // ".<name>.<pid>.XXXXXX": the writer's process id tells a crashed writer's leftover from a
  // write still under way in another process. Built by appending: GCC 12 at -O3 reports a false
  // -Wrestrict overlap for "." + name.
  std::string prefix = ".";
  prefix += path.filename().native();
  prefix += '.';
  removeAbandonedTemporaries(directory, prefix);
  std::string temporary = (directory / prefix).string();
  temporary += std::to_string(::getpid());
  temporary += ".XXXXXX";
  FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
  if (!fd.valid()) return false;

  // Keep the permissions of the file being replaced; a new file gets the usual 0644.
  struct stat existing {};
  const mode_t mode = ::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
  bool ok = ::fchmod(fd.get(), mode) == 0 && writeAll(fd.get(), bytes) && ::fsync(fd.get()) == 0 &&
            fd.close();
  if (ok && beforeRename) beforeRename();
  ok = ok && ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    fd.close();
    ::unlink(temporary.c_str());
    return false;
  }
  syncDirectory(directory);
  return true;
}

}  // namespace calyxa
