#pragma once

#include <filesystem>
#include <memory>

#include "platform/login_item_service.h"
#include "platform/process_info.h"

namespace calyxa {

// The login item as an XDG autostart entry: a desktop entry in `directory` (normally
// <config home>/autostart) that starts the program's executable with "--launched-at-login".
// Enabled while the entry is there and the desktop has not been told to skip it; an entry that
// cannot be read or understood is taken to be enabled, and only switching off removes it.
class XdgAutostartLoginItems final : public LoginItemService {
 public:
  static constexpr const char* kEntryFileName = "com.vantorel.tilewell.desktop";

  XdgAutostartLoginItems(std::filesystem::path directory, std::shared_ptr<ProcessInfo> process)
      : directory_(std::move(directory)), process_(std::move(process)) {}

  LoginItemStatus status() override;
  // Writes the entry for the current executable, replacing one that is there.
  bool registerMainApp() override;
  bool unregisterMainApp() override;

  std::filesystem::path entryPath() const { return directory_ / kEntryFileName; }

 private:
  std::filesystem::path directory_;
  std::shared_ptr<ProcessInfo> process_;
};

// <config home>/autostart, where the desktop looks for the user's own autostart entries.
std::filesystem::path xdgAutostartDirectory();

}  // namespace calyxa
