#include "platform/posix/xdg_autostart_login_items.h"

#include <system_error>

#include "platform/posix/desktop_entry.h"
#include "platform/posix/file_io.h"
#include "platform/posix/glib_handles.h"
#include "platform/posix/posix_paths.h"

namespace calyxa {
namespace {

constexpr const char* kGroup = kDesktopEntryGroup;
// An autostart entry is a few hundred bytes; a larger file is none of ours.
constexpr std::size_t kMaxEntryBytes = 64 * 1024;

// The boolean `key` of the entry; nothing when absent or not a boolean.
std::optional<bool> booleanValue(GKeyFile* entry, const char* key) {
  GError* error = nullptr;
  const bool value = g_key_file_get_boolean(entry, kGroup, key, &error);
  const GErrorPtr owned(error);
  if (error) return std::nullopt;
  return value;
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
  const GKeyFilePtr keys(g_key_file_new());
  if (!g_key_file_load_from_data(keys.get(), entry.bytes.data(), entry.bytes.size(),
                                 G_KEY_FILE_NONE, nullptr)) {
    return LoginItemStatus::enabled;
  }
  // Hidden=true is how a desktop records that the user deleted the entry; GNOME's own switch
  // for it is the second key.
  if (booleanValue(keys.get(), "Hidden") == true ||
      booleanValue(keys.get(), "X-GNOME-Autostart-enabled") == false) {
    return LoginItemStatus::notRegistered;
  }
  return LoginItemStatus::enabled;
}

bool XdgAutostartLoginItems::registerMainApp() {
  const auto executable = process_->mainExecutablePath();
  if (!executable || executable->empty()) return false;
  const auto command = loginCommand(*executable);
  if (!command) return false;

  const GKeyFilePtr keys(g_key_file_new());
  g_key_file_set_string(keys.get(), kGroup, "Type", "Application");
  g_key_file_set_string(keys.get(), kGroup, "Name", "Calyxa");
  // Already in the stored form: the Exec quoting and the string escapes on top of it.
  g_key_file_set_value(keys.get(), kGroup, "Exec", command->c_str());
  g_key_file_set_boolean(keys.get(), kGroup, "Terminal", false);
  g_key_file_set_boolean(keys.get(), kGroup, "X-GNOME-Autostart-enabled", true);
  gsize length = 0;
  const GCharPtr data(g_key_file_to_data(keys.get(), &length, nullptr));
  if (!data) return false;
  const std::string_view entry(data.get(), length);
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
