#include "platform/posix/plist_io.h"

#include <plist/plist.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/posix/file_io.h"
#include "platform/posix/plist_limits.h"

namespace calyxa {
namespace {

struct PlistDeleter {
  void operator()(plist_t node) const { plist_free(node); }
};
using PlistHandle = std::unique_ptr<void, PlistDeleter>;

// Nesting deeper than this is hostile input, not a property list.
constexpr int kMaxDepth = 256;

std::optional<PlistValue> fromNode(plist_t node, int depth) {
  if (!node || depth > kMaxDepth) return std::nullopt;
  switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
      std::uint8_t value = 0;
      plist_get_bool_val(node, &value);
      return PlistValue(value != 0);
    }
    case PLIST_UINT: {
      std::uint64_t value = 0;
      plist_get_uint_val(node, &value);
      // The format stores signed integers as two's complement.
      return PlistValue(static_cast<std::int64_t>(value));
    }
    case PLIST_REAL: {
      double value = 0;
      plist_get_real_val(node, &value);
      return PlistValue(value);
    }
    case PLIST_STRING: {
      char* value = nullptr;
      plist_get_string_val(node, &value);
      std::string text = value ? value : "";
      std::free(value);
      return PlistValue(std::move(text));
    }
    case PLIST_DATA: {
      char* bytes = nullptr;
      std::uint64_t length = 0;
      plist_get_data_val(node, &bytes, &length);
      PlistData data(reinterpret_cast<const std::uint8_t*>(bytes),
                     reinterpret_cast<const std::uint8_t*>(bytes) + (bytes ? length : 0));
      std::free(bytes);
      return PlistValue(std::move(data));
    }
    case PLIST_DATE: {
      std::int32_t seconds = 0;
      std::int32_t microseconds = 0;
      plist_get_date_val(node, &seconds, &microseconds);
      return PlistValue(PlistDate{seconds + microseconds / 1e6});
    }
    case PLIST_UID: {
      std::uint64_t value = 0;
      plist_get_uid_val(node, &value);
      return PlistValue(PlistUid{value});
    }
    case PLIST_ARRAY: {
      PlistArray array;
      const std::uint32_t count = plist_array_get_size(node);
      array.reserve(count);
      for (std::uint32_t i = 0; i < count; ++i) {
        auto element = fromNode(plist_array_get_item(node, i), depth + 1);
        if (!element) return std::nullopt;
        array.push_back(std::move(*element));
      }
      return PlistValue(std::move(array));
    }
    case PLIST_DICT: {
      PlistDictionary dictionary;
      plist_dict_iter iterator = nullptr;
      plist_dict_new_iter(node, &iterator);
      if (!iterator) return std::nullopt;
      bool ok = true;
      for (;;) {
        char* key = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, iterator, &key, &item);
        if (!item) {
          std::free(key);
          break;
        }
        auto value = fromNode(item, depth + 1);
        if (!value || !key) {
          std::free(key);
          ok = false;
          break;
        }
        dictionary.insert_or_assign(key, std::move(*value));
        std::free(key);
      }
      std::free(iterator);
      if (!ok) return std::nullopt;
      return PlistValue(std::move(dictionary));
    }
    default:
      return std::nullopt;
  }
}

plist_t toNode(const PlistValue& value) {
  struct Visitor {
    plist_t operator()(bool v) const { return plist_new_bool(v ? 1 : 0); }
    plist_t operator()(std::int64_t v) const {
      return plist_new_uint(static_cast<std::uint64_t>(v));
    }
    plist_t operator()(double v) const { return plist_new_real(v); }
    plist_t operator()(const std::string& v) const { return plist_new_string(v.c_str()); }
    plist_t operator()(const PlistData& v) const {
      return plist_new_data(reinterpret_cast<const char*>(v.data()), v.size());
    }
    plist_t operator()(const PlistDate& v) const {
      const double whole =
          static_cast<double>(static_cast<std::int64_t>(v.secondsSinceReferenceDate));
      const auto micros = static_cast<std::int32_t>((v.secondsSinceReferenceDate - whole) * 1e6);
      return plist_new_date(static_cast<std::int32_t>(whole), micros);
    }
    plist_t operator()(const PlistUid& v) const { return plist_new_uid(v.value); }
    plist_t operator()(const PlistArray& v) const {
      plist_t array = plist_new_array();
      for (const auto& element : v)
        plist_array_append_item(array, toNode(element));
      return array;
    }
    plist_t operator()(const PlistDictionary& v) const {
      plist_t dictionary = plist_new_dict();
      for (const auto& [key, element] : v)
        plist_dict_set_item(dictionary, key.c_str(), toNode(element));
      return dictionary;
    }
  };
  return std::visit(Visitor{}, value.storage);
}

bool looksBinary(std::string_view bytes) {
  return bytes.starts_with("bplist00");
}

PlistHandle parseNode(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > kMaxPlistFileBytes) return nullptr;
  if (!plistWithinParserLimits(bytes)) return nullptr;
  plist_t root = nullptr;
  const auto length = static_cast<std::uint32_t>(bytes.size());
  if (looksBinary(bytes)) {
    plist_from_bin(bytes.data(), length, &root);
  } else {
    // The XML reader scans for a terminator, so hand it a terminated copy.
    const std::string terminated(bytes);
    plist_from_xml(terminated.c_str(), length, &root);
  }
  return PlistHandle(root);
}

}  // namespace

std::optional<PlistValue> parsePlist(std::string_view bytes) {
  const PlistHandle root = parseNode(bytes);
  return fromNode(root.get(), 0);
}

std::optional<std::string> plistDictionaryString(std::string_view bytes, const char* key) {
  const PlistHandle root = parseNode(bytes);
  if (!root || plist_get_node_type(root.get()) != PLIST_DICT) return std::nullopt;
  const plist_t item = plist_dict_get_item(root.get(), key);
  if (!item || plist_get_node_type(item) != PLIST_STRING) return std::nullopt;
  char* value = nullptr;
  plist_get_string_val(item, &value);
  if (!value) return std::nullopt;
  std::string text(value);
  std::free(value);
  return text;
}

std::optional<PlistValue> readPlistFile(const std::filesystem::path& path) {
  const FileReadResult file = readFileBytes(path, kMaxPlistFileBytes);
  if (file.status != ReadStatus::ok) return std::nullopt;
  return parsePlist(file.bytes);
}

std::optional<std::string> serializePlist(const PlistValue& value, PlistFormat format) {
  PlistHandle root(toNode(value));
  if (!root) return std::nullopt;
  char* bytes = nullptr;
  std::uint32_t length = 0;
  if (format == PlistFormat::xml) {
    plist_to_xml(root.get(), &bytes, &length);
    if (!bytes) return std::nullopt;
    std::string result(bytes, length);
    plist_to_xml_free(bytes);
    return result;
  }
  plist_to_bin(root.get(), &bytes, &length);
  if (!bytes) return std::nullopt;
  std::string result(bytes, length);
  plist_to_bin_free(bytes);
  return result;
}

bool writePlistFile(const std::filesystem::path& path, const PlistValue& value,
                    PlistFormat format) {
  const auto bytes = serializePlist(value, format);
  return bytes && writeFileAtomically(path, *bytes);
}

}  // namespace calyxa
