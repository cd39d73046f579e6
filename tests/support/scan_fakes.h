#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/bookmarks.h"
#include "platform/folder_chooser.h"
#include "platform/posix/posix_file_system.h"
#include "platform/running_applications.h"
#include "platform/user_database.h"

namespace calyxa::testing {

// Paths whose listing fails whatever the disk says: an unreadable folder, also when the tests
// run as root, for whom permission bits do not stop reading.
struct FileSystemFaults {
  std::set<std::string> unlistable;
  int listings = 0;  // listings asked for, failed or not
};

// The real file system under a test's root, with faults on top.
class TestFileSystem final : public FileSystem {
 public:
  TestFileSystem(SystemRoot root, std::shared_ptr<FileSystemFaults> faults)
      : real_(std::move(root)), faults_(std::move(faults)) {}

  std::optional<std::vector<std::string>> contentsOfDirectory(const std::string& path) override {
    ++faults_->listings;
    if (faults_->unlistable.contains(path)) return std::nullopt;
    return real_.contentsOfDirectory(path);
  }
  bool fileExists(const std::string& path) override { return real_.fileExists(path); }
  bool isDirectory(const std::string& path) override { return real_.isDirectory(path); }

 private:
  PosixFileSystem real_;
  std::shared_ptr<FileSystemFaults> faults_;
};

class FakeRunningApplications final : public RunningApplicationSource {
 public:
  std::vector<RunningApplication> runningApplications() override { return applications; }
  std::vector<RunningApplication> applications;
};

class FakeUserDatabase final : public UserDatabase {
 public:
  std::optional<std::string> currentUserHomeDirectory() override { return home; }
  std::optional<std::string> home = "/Users/tester";
};

// Bookmarks that hold the path in plain text; a path listed in `vanished` no longer resolves.
class FakeBookmarks final : public Bookmarks {
 public:
  std::optional<PlistData> createBookmark(const std::string& path) override;
  std::optional<std::string> resolveBookmark(const PlistData& data) override;
  bool startAccessing(const std::string& path) override {
    accessed.push_back(path);
    return true;
  }

  std::set<std::string> vanished;
  std::vector<std::string> accessed;
};

// Answers every request with `answer` (nothing: the user cancels) and keeps the requests.
class FakeFolderChooser final : public FolderChooser {
 public:
  std::optional<std::string> chooseFolder(const FolderChooserRequest& request) override {
    requests.push_back(request);
    return answer;
  }
  std::optional<std::string> answer;
  std::vector<FolderChooserRequest> requests;
};

}  // namespace calyxa::testing
