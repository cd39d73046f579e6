#include "catalogue/layout_file.h"

#include <unistd.h>

#include <array>
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

// Reads the current format straight into records, without building a document tree first (a
// layout of a few thousand slots decodes several times faster so). Null and absence are the
// same; any other value must be of the expected kind; keys other than the four are ignored
// whatever they hold; a repeated key counts as its last occurrence.
class CurrentLayoutReader {
 public:
  using json = nlohmann::json;

  std::vector<SavedLayoutItem> records;

  bool null() { return scalar(Kind::null, nullptr); }
  bool boolean(bool) { return scalar(Kind::other, nullptr); }
  bool number_integer(json::number_integer_t) { return scalar(Kind::other, nullptr); }
  bool number_unsigned(json::number_unsigned_t) { return scalar(Kind::other, nullptr); }
  bool number_float(json::number_float_t, const json::string_t&) {
    return scalar(Kind::other, nullptr);
  }
  bool binary(json::binary_t&) { return scalar(Kind::other, nullptr); }
  bool string(json::string_t& text) { return scalar(Kind::string, &text); }

  bool start_object(std::size_t) {
    if (skipping_ > 0) return ++skipping_, true;
    if (depth_ == 1) {  // a record
      depth_ = 2;
      fields_ = {};
      return true;
    }
    if (depth_ == 2) {
      fieldFor(key_).state = State::wrongKind;
    } else if (depth_ == 3) {
      fields_[kSubAppIDs].state = State::wrongKind;
    }
    if (depth_ == 0) return false;  // the document is not an array
    skipping_ = 1;
    return true;
  }

  bool start_array(std::size_t) {
    if (skipping_ > 0) return ++skipping_, true;
    if (depth_ == 0) return depth_ = 1, true;
    if (depth_ == 1) return false;  // an element that is not a record
    if (depth_ == 2 && key_ == kSubAppIDs) {
      depth_ = 3;
      fields_[kSubAppIDs] = {State::present, {}, {}};
      return true;
    }
    if (depth_ == 2) {
      fieldFor(key_).state = State::wrongKind;
    } else {
      fields_[kSubAppIDs].state = State::wrongKind;
    }
    skipping_ = 1;
    return true;
  }

  bool key(json::string_t& name) {
    if (skipping_ > 0) return true;
    key_ = kOther;
    for (int field = 0; field < kOther; ++field) {
      if (name == kKeys[field]) key_ = field;
    }
    return true;
  }

  bool end_object() {
    if (skipping_ > 0) return --skipping_, true;
    depth_ = 1;
    const Field& type = fields_[kType];
    const Field& id = fields_[kID];
    if (type.state != State::present || id.state != State::present ||
        fields_[kName].state == State::wrongKind || fields_[kSubAppIDs].state == State::wrongKind) {
      return false;
    }
    SavedLayoutItem record{type.text, id.text, std::nullopt, std::nullopt};
    if (fields_[kName].state == State::present) record.name = std::move(fields_[kName].text);
    if (fields_[kSubAppIDs].state == State::present) {
      record.subAppIDs = std::move(fields_[kSubAppIDs].list);
    }
    records.push_back(std::move(record));
    return true;
  }

  bool end_array() {
    if (skipping_ > 0) return --skipping_, true;
    if (depth_ == 3) {
      depth_ = 2;
    } else {
      depth_ = 0;  // the end of the document
    }
    return true;
  }

  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) {
    return false;
  }

 private:
  enum class Kind { null, string, other };
  enum class State { absent, present, wrongKind };
  struct Field {
    State state = State::absent;
    std::string text;
    std::vector<std::string> list;
  };
  static constexpr int kType = 0, kID = 1, kName = 2, kSubAppIDs = 3, kOther = 4;
  static constexpr const char* kKeys[] = {"type", "id", "name", "subAppIDs"};

  Field& fieldFor(int key) { return key == kOther ? ignored_ : fields_[key]; }

  bool scalar(Kind kind, json::string_t* text) {
    if (skipping_ > 0) return true;
    if (depth_ < 2) return false;  // a bare value where the document or a record belongs
    if (depth_ == 3) {
      if (kind != Kind::string) {
        fields_[kSubAppIDs].state = State::wrongKind;
      } else if (fields_[kSubAppIDs].state == State::present) {
        fields_[kSubAppIDs].list.push_back(std::move(*text));
      }
      return true;
    }
    Field& field = fieldFor(key_);
    if (kind == Kind::null) {
      field = {};
    } else if (kind == Kind::string && key_ != kSubAppIDs) {
      field = {State::present, std::move(*text), {}};
    } else {
      field.state = State::wrongKind;
    }
    return true;
  }

  int depth_ = 0;     // 0 outside, 1 in the document's array, 2 in a record, 3 in its subAppIDs
  int skipping_ = 0;  // depth inside a value that is ignored or already judged
  int key_ = kOther;
  std::array<Field, 4> fields_;
  Field ignored_;
};

// Reads the legacy format, an array of strings, straight into ids: anything else stops the
// parse at once, so that no document tree is built for a file that names nothing.
class LegacyLayoutReader {
 public:
  using json = nlohmann::json;

  std::vector<std::string> ids;

  bool null() { return false; }
  bool boolean(bool) { return false; }
  bool number_integer(json::number_integer_t) { return false; }
  bool number_unsigned(json::number_unsigned_t) { return false; }
  bool number_float(json::number_float_t, const json::string_t&) { return false; }
  bool binary(json::binary_t&) { return false; }
  bool string(json::string_t& text) {
    if (!inArray_) return false;
    ids.push_back(std::move(text));
    return true;
  }
  bool start_object(std::size_t) { return false; }
  bool key(json::string_t&) { return false; }
  bool end_object() { return false; }
  bool start_array(std::size_t) {
    if (inArray_) return false;
    inArray_ = true;
    return true;
  }
  bool end_array() { return true; }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) {
    return false;
  }

 private:
  bool inArray_ = false;
};

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
  CurrentLayoutReader reader;
  if (!nlohmann::json::sax_parse(bytes.begin(), bytes.end(), &reader)) return std::nullopt;
  return std::move(reader.records);
}

std::optional<std::vector<std::string>> decodeLegacyLayout(std::string_view bytes) {
  LegacyLayoutReader reader;
  if (!nlohmann::json::sax_parse(bytes.begin(), bytes.end(), &reader)) return std::nullopt;
  return std::move(reader.ids);
}

LayoutFileContents readLayoutFileContents(const std::filesystem::path& path) {
  const FileReadResult file = readFileBytes(path, kMaxLayoutFileBytes);
  if (file.status == ReadStatus::missing) return {};
  if (file.status != ReadStatus::ok) return {{}, true};
  auto records = decodeCurrentLayout(file.bytes);
  if (records && !records->empty()) return {std::move(*records), false};
  LayoutFileContents contents;
  auto ids = decodeLegacyLayout(file.bytes);
  contents.damaged = !records && !ids;
  if (ids) {
    contents.records.reserve(ids->size());
    for (auto& id : *ids)
      contents.records.push_back({"app", std::move(id), std::nullopt, std::nullopt});
  }
  return contents;
}

std::vector<SavedLayoutItem> readLayoutFile(const std::filesystem::path& path) {
  return readLayoutFileContents(path).records;
}

bool keepDamagedLayoutAside(const std::filesystem::path& path) {
  if (!readLayoutFileContents(path).damaged) return true;
  std::error_code error;
  for (int n = 0; n < 10000; ++n) {
    std::filesystem::path aside = path;
    aside += n == 0 ? ".corrupt" : ".corrupt." + std::to_string(n);
    if (std::filesystem::exists(std::filesystem::symlink_status(aside, error))) continue;
    std::filesystem::rename(path, aside, error);
    return !error;
  }
  return false;
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
