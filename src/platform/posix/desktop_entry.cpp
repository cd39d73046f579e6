#include "platform/posix/desktop_entry.h"

#include "platform/posix/file_io.h"
#include "platform/posix/glib_handles.h"
#include "platform/utf8.h"

namespace calyxa {

std::optional<std::string> desktopEntryExecArgument(std::string_view argument) {
  if (!isValidUtf8(argument)) return std::nullopt;
  // First the quoting of the Exec key, then the escapes of every string value on top of it: a
  // backslash inside the quotes ends up written as four.
  std::string quoted = "\"";
  for (const char c : argument) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted.push_back('\\');
    if (c == '%') quoted.push_back('%');  // a lone % would start a field code
    quoted.push_back(c);
  }
  quoted.push_back('"');

  std::string stored;
  stored.reserve(quoted.size() + 8);
  for (const char c : quoted) {
    switch (c) {
      case '\\':
        stored += "\\\\";
        break;
      case '\n':
        stored += "\\n";
        break;
      case '\t':
        stored += "\\t";
        break;
      case '\r':
        stored += "\\r";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return std::nullopt;
        stored.push_back(c);
    }
  }
  return stored;
}

namespace {

// An entry is a few kilobytes; its translations can make it a few hundred.
constexpr std::size_t kMaxEntryBytes = 4 * 1024 * 1024;

GKeyFilePtr loadKeyFile(std::string_view document) {
  GKeyFilePtr file(g_key_file_new());
  GError* error = nullptr;
  const bool loaded = g_key_file_load_from_data(file.get(), document.data(), document.size(),
                                                G_KEY_FILE_NONE, &error);
  const GErrorPtr owned(error);
  if (!loaded) return nullptr;
  return file;
}

}  // namespace

std::optional<std::string> desktopEntryValue(std::string_view document, std::string_view group,
                                             std::string_view key) {
  const GKeyFilePtr file = loadKeyFile(document);
  if (!file) return std::nullopt;
  return takeString(g_key_file_get_value(file.get(), std::string(group).c_str(),
                                         std::string(key).c_str(), nullptr));
}

std::optional<std::string> desktopEntryIcon(const std::filesystem::path& file) {
  const FileReadResult entry = readFileBytes(file, kMaxEntryBytes);
  if (entry.status != ReadStatus::ok) return std::nullopt;
  const GKeyFilePtr keys = loadKeyFile(entry.bytes);
  if (!keys) return std::nullopt;
  auto icon = takeString(g_key_file_get_string(keys.get(), kDesktopEntryGroup, "Icon", nullptr));
  if (!icon || icon->empty() || !isValidUtf8(*icon)) return std::nullopt;
  return icon;
}

}  // namespace calyxa
