#pragma once

#include <filesystem>
#include <string_view>

namespace calyxa::testing {

// A fresh folder under the system's temporary directory, removed with everything in it.
class TempDir {
 public:
  TempDir();
  // The folder inside `parent` instead.
  explicit TempDir(const std::filesystem::path& parent);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view relative) const { return path_ / relative; }

  // Writes `bytes` to `relative`, creating folders on the way; returns the full path.
  std::filesystem::path write(std::string_view relative, std::string_view bytes) const;

 private:
  std::filesystem::path path_;
};

}  // namespace calyxa::testing
