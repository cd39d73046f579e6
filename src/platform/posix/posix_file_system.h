#pragma once

#include "platform/file_system.h"
#include "platform/system_root.h"

namespace calyxa {

class PosixFileSystem final : public FileSystem {
 public:
  explicit PosixFileSystem(SystemRoot root) : root_(std::move(root)) {}

  std::optional<std::vector<std::string>> contentsOfDirectory(const std::string& path) override;
  bool fileExists(const std::string& path) override;
  bool isDirectory(const std::string& path) override;

 private:
  SystemRoot root_;
};

}  // namespace calyxa
