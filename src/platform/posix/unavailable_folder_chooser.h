#pragma once

#include "platform/folder_chooser.h"

namespace calyxa {

// Without a toolkit there is no dialog to show: every request ends as if cancelled.
class UnavailableFolderChooser final : public FolderChooser {
 public:
  std::optional<std::string> chooseFolder(const FolderChooserRequest&) override {
    return std::nullopt;
  }
};

}  // namespace calyxa
