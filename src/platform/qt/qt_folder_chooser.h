#pragma once

#include <functional>

#include "platform/folder_chooser.h"
#include "platform/system_root.h"

class QWidget;

namespace calyxa {

// A modal folder dialog over the overlay: the request's title, message and button text, opened
// at the request's folder. Answers with the chosen folder's system path; a folder outside the
// system root counts as cancelled.
class QtFolderChooser final : public FolderChooser {
 public:
  // `parent`: the window the dialog belongs to at the time of the request (may be none).
  QtFolderChooser(SystemRoot root, std::function<QWidget*()> parent);
  std::optional<std::string> chooseFolder(const FolderChooserRequest& request) override;

 private:
  SystemRoot root_;
  std::function<QWidget*()> parent_;
};

}  // namespace calyxa
