#include "platform/posix/desktop_entry.h"

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

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

}  // namespace

std::optional<std::string> desktopEntryValue(std::string_view document, std::string_view group,
                                             std::string_view key) {
  bool inGroup = false;
  while (!document.empty()) {
    const std::size_t end = document.find('\n');
    std::string_view line = trimBlanks(document.substr(0, end));
    document.remove_prefix(end == std::string_view::npos ? document.size() : end + 1);

    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      inGroup = line.size() >= 2 && line.back() == ']' && line.substr(1, line.size() - 2) == group;
      continue;
    }
    if (!inGroup) continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    if (trimBlanks(line.substr(0, equals)) != key) continue;
    return std::string(trimBlanks(line.substr(equals + 1)));
  }
  return std::nullopt;
}

}  // namespace calyxa
