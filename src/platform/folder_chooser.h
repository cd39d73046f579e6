#pragma once

#include <optional>
#include <string>

namespace calyxa {

// What a modal folder chooser shows and allows.
struct FolderChooserRequest {
  std::string title;
  std::string message;
  std::string confirmButtonText;
  std::string startDirectory;  // a system path
  bool canChooseFiles = false;
  bool canChooseDirectories = true;
  bool allowsMultipleSelection = false;
};

class FolderChooser {
 public:
  virtual ~FolderChooser() = default;
  // Runs the chooser modally; the chosen folder's system path, or nothing when the user cancels.
  virtual std::optional<std::string> chooseFolder(const FolderChooserRequest& request) = 0;
};

}  // namespace calyxa
