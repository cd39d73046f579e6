#include "catalogue/layout_file.h"

#include <unistd.h>

#include <nlohmann/json.hpp>
#include <system_error>

#include "platform/posix/file_io.h"

namespace calyxa {
namespace {

void appendEscapedString(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out.push_back('"');
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      switch (c) {
        case '"':
          out += "\\\"";
          break;
        case '\\':
          out += "\\\\";
          break;
        case '/':
          out += "\\/";
          break;
        case '\b':
          out += "\\b";
          break;
        case '\f':
          out += "\\f";
          break;
        case '\n':
          out += "\\n";
          break;
        case '\r':
          out += "\\r";
          break;
        case '\t':
          out += "\\t";
          break;
        default:
          if (c < 0x20) {
            out += "\\u00";
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 0xF]);
          } else {
            out.push_back(static_cast<char>(c));
          }
      }
      ++i;
      continue;
    }
    // A well-formed multi-byte sequence is copied as it is; anything else becomes U+FFFD.
    std::size_t length = 0;
    std::uint32_t minimum = 0;
    if ((c & 0xE0) == 0xC0) {
      length = 2, minimum = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      length = 3, minimum = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      length = 4, minimum = 0x10000;
    }
    bool valid = length > 0 && i + length <= text.size();
    std::uint32_t codePoint = valid ? (c & (0x7F >> length)) : 0;
    for (std::size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      codePoint = (codePoint << 6) | (next & 0x3F);
    }
    valid = valid && codePoint >= minimum && codePoint <= 0x10FFFF &&
            !(codePoint >= 0xD800 && codePoint <= 0xDFFF);
    if (valid) {
      out.append(text.substr(i, length));
      i += length;
    } else {
      out += "\xEF\xBF\xBD";
      ++i;
    }
  }
  out.push_back('"');
}

// Null and absence are the same; any other value must be of the expected kind.
enum class Field { absent, present, wrongKind };

Field optionalString(const nlohmann::json& object, const char* key,
                     std::optional<std::string>& out) {
  const auto found = object.find(key);
  if (found == object.end() || found->is_null()) return Field::absent;
  if (!found->is_string()) return Field::wrongKind;
  out = found->get<std::string>();
  return Field::present;
}

Field optionalStringArray(const nlohmann::json& object, const char* key,
                          std::optional<std::vector<std::string>>& out) {
  const auto found = object.find(key);
  if (found == object.end() || found->is_null()) return Field::absent;
  if (!found->is_array()) return Field::wrongKind;
  std::vector<std::string> values;
  values.reserve(found->size());
  for (const auto& element : *found) {
    if (!element.is_string()) return Field::wrongKind;
    values.push_back(element.get<std::string>());
  }
  out = std::move(values);
  return Field::present;
}

nlohmann::json parse(std::string_view bytes) {
  return nlohmann::json::parse(bytes.begin(), bytes.end(), nullptr, /*allow_exceptions=*/false);
}

}  // namespace

std::string encodeLayoutDocument(const std::vector<SavedLayoutItem>& records) {
  std::string out;
  out.reserve(records.size() * 96 + 2);
  out.push_back('[');
  for (std::size_t i = 0; i < records.size(); ++i) {
    const SavedLayoutItem& record = records[i];
    if (i > 0) out.push_back(',');
    out += "{\"type\":";
    appendEscapedString(out, record.type);
    out += ",\"id\":";
    appendEscapedString(out, record.id);
    if (record.name) {
      out += ",\"name\":";
      appendEscapedString(out, *record.name);
    }
    if (record.subAppIDs) {
      out += ",\"subAppIDs\":[";
      for (std::size_t k = 0; k < record.subAppIDs->size(); ++k) {
        if (k > 0) out.push_back(',');
        appendEscapedString(out, (*record.subAppIDs)[k]);
      }
      out.push_back(']');
    }
    out.push_back('}');
  }
  out.push_back(']');
  return out;
}

std::optional<std::vector<SavedLayoutItem>> decodeCurrentLayout(std::string_view bytes) {
  const nlohmann::json document = parse(bytes);
  if (!document.is_array()) return std::nullopt;
  std::vector<SavedLayoutItem> records;
  records.reserve(document.size());
  for (const auto& object : document) {
    if (!object.is_object()) return std::nullopt;
    SavedLayoutItem record;
    std::optional<std::string> type;
    std::optional<std::string> id;
    if (optionalString(object, "type", type) != Field::present ||
        optionalString(object, "id", id) != Field::present ||
        optionalString(object, "name", record.name) == Field::wrongKind ||
        optionalStringArray(object, "subAppIDs", record.subAppIDs) == Field::wrongKind) {
      return std::nullopt;
    }
    record.type = std::move(*type);
    record.id = std::move(*id);
    records.push_back(std::move(record));
  }
  return records;
}

std::optional<std::vector<std::string>> decodeLegacyLayout(std::string_view bytes) {
  const nlohmann::json document = parse(bytes);
  if (!document.is_array()) return std::nullopt;
  std::vector<std::string> ids;
  ids.reserve(document.size());
  for (const auto& element : document) {
    if (!element.is_string()) return std::nullopt;
    ids.push_back(element.get<std::string>());
  }
  return ids;
}

std::vector<SavedLayoutItem> readLayoutFile(const std::filesystem::path& path) {
  const FileReadResult file = readFileBytes(path, kMaxLayoutFileBytes);
  if (file.status != ReadStatus::ok) return {};
  if (auto records = decodeCurrentLayout(file.bytes); records && !records->empty()) {
    return std::move(*records);
  }
  std::vector<SavedLayoutItem> legacy;
  if (auto ids = decodeLegacyLayout(file.bytes)) {
    legacy.reserve(ids->size());
    for (auto& id : *ids)
      legacy.push_back({"app", std::move(id), std::nullopt, std::nullopt});
  }
  return legacy;
}

bool writeLayoutFile(const std::filesystem::path& path, const std::vector<SavedLayoutItem>& records,
                     const std::function<void()>& beforeRename) {
  return writeFileAtomically(path, encodeLayoutDocument(records), beforeRename);
}

std::filesystem::path resolveLayoutFileURL(
    const std::optional<std::filesystem::path>& developerDirectory,
    const std::filesystem::path& home) {
  if (developerDirectory && developerDirectory->is_absolute() &&
      ::access(developerDirectory->c_str(), W_OK) == 0) {
    return *developerDirectory / ".tilewell_layout.json";
  }
  const std::filesystem::path data = home / "CalyxaData";
  std::error_code ignored;
  std::filesystem::create_directories(data, ignored);
  return data / "tilewell_layout.json";
}

}  // namespace calyxa
