#include "platform/posix/xdg_autostart_login_items.h"

#include <system_error>

#include "platform/posix/desktop_entry.h"
#include "platform/posix/file_io.h"
#include "platform/posix/posix_paths.h"

namespace calyxa {
namespace {

constexpr const char* kGroup = "Desktop Entry";
// An autostart entry is a few hundred bytes; a larger file is none of ours.
constexpr std::size_t kMaxEntryBytes = 64 * 1024;

bool isTrue(const std::optional<std::string>& value) {
  return value && (*value == "true" || *value == "1");
}

bool isFalse(const std::optional<std::string>& value) {
  return value && (*value == "false" || *value == "0");
}

// The Exec value that starts `executable` with the login argument.
std::optional<std::string> loginCommand(const std::string& executable) {
  const auto program = desktopEntryExecArgument(executable);
  if (!program) return std::nullopt;
  // GLib looks the program up before it undoes the %% escapes, and so never finds a path with a
  // percent sign in it: such a path goes to the shell as an argument, where the escapes are undone.
  if (executable.find('%') != std::string::npos) {
    return "/bin/sh -c " + *desktopEntryExecArgument("exec \"$0\" --launched-at-login") + " " +
           *program;
  }
  return *program + " --launched-at-login";
}

}  // namespace

LoginItemStatus XdgAutostartLoginItems::status() {
  std::error_code error;
  if (!std::filesystem::exists(entryPath(), error)) return LoginItemStatus::notRegistered;
  const FileReadResult entry = readFileBytes(entryPath(), kMaxEntryBytes);
  if (entry.status != ReadStatus::ok) return LoginItemStatus::enabled;
  // Hidden=true is how a desktop records that the user deleted the entry; GNOME's own switch
  // for it is the second key.
  if (isTrue(desktopEntryValue(entry.bytes, kGroup, "Hidden")) ||
      isFalse(desktopEntryValue(entry.bytes, kGroup, "X-GNOME-Autostart-enabled"))) {
    return LoginItemStatus::notRegistered;
  }
  return LoginItemStatus::enabled;
}

bool XdgAutostartLoginItems::registerMainApp() {
  const auto executable = process_->mainExecutablePath();
  if (!executable || executable->empty()) return false;
  const auto command = loginCommand(*executable);
  if (!command) return false;

  const std::string entry =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Calyxa\n"
      "Exec=" +
      *command +
      "\n"
      "Terminal=false\n"
      "X-GNOME-Autostart-enabled=true\n";
  std::error_code error;
  std::filesystem::create_directories(directory_, error);
  if (error) return false;
  return writeFileAtomically(entryPath(), entry);
}

bool XdgAutostartLoginItems::unregisterMainApp() {
  std::error_code error;
  return std::filesystem::remove(entryPath(), error) && !error;
}

std::filesystem::path xdgAutostartDirectory() {
  return configHomeDirectory() / "autostart";
}

}  // namespace calyxa
