#include "platform/posix/plist_io.h"

#include <plist/plist.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/posix/binary_plist_writer.h"
#include "platform/posix/file_io.h"
#include "platform/posix/plist_limits.h"
#include "platform/posix/plist_nodes.h"

namespace calyxa {
namespace {

// Nesting deeper than this is hostile input, not a property list.
constexpr int kMaxDepth = 256;

constexpr std::uint64_t kLargestSigned = std::numeric_limits<std::int64_t>::max();

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
      if (value > kLargestSigned && isUnsignedInteger(node, value)) {
        return PlistValue(PlistUnsignedInteger{value});
      }
      // The format stores signed integers as two's complement.
      return PlistValue(static_cast<std::int64_t>(value));
    }
    case PLIST_REAL: {
      double value = 0;
      plist_get_real_val(node, &value);
      return PlistValue(value);
    }
    case PLIST_STRING:
      return PlistValue(wholeString(node));
    case PLIST_DATA: {
      char* bytes = nullptr;
      std::uint64_t length = 0;
      plist_get_data_val(node, &bytes, &length);
      PlistData data(reinterpret_cast<const std::uint8_t*>(bytes),
                     reinterpret_cast<const std::uint8_t*>(bytes) + (bytes ? length : 0));
      std::free(bytes);
      return PlistValue(std::move(data));
    }
    case PLIST_DATE:
      return PlistValue(PlistDate{exactDate(node)});
    case PLIST_UID: {
      std::uint64_t value = 0;
      plist_get_uid_val(node, &value);
      return PlistValue(PlistUid{value});
    }
    case PLIST_ARRAY: {
      PlistArray array;
      array.reserve(plist_array_get_size(node));
      bool ok = true;
      forEachElement(node, [&](plist_t item) {
        auto element = ok ? fromNode(item, depth + 1) : std::nullopt;
        ok = element.has_value();
        if (ok) array.push_back(std::move(*element));
      });
      if (!ok) return std::nullopt;
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
    plist_t operator()(const PlistDate& v) const { return dateNode(v.secondsSinceReferenceDate); }
    plist_t operator()(const PlistUid& v) const { return plist_new_uid(v.value); }
    plist_t operator()(const PlistUnsignedInteger& v) const { return unsignedIntegerNode(v.value); }
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
  if (looksBinary(bytes)) {
    plist_from_bin(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &root);
  } else {
    // The XML reader scans for a terminator, so hand it a terminated copy.
    const std::string terminated = xmlWithDecimalIntegers(bytes).value_or(std::string(bytes));
    plist_from_xml(terminated.c_str(), static_cast<std::uint32_t>(terminated.size()), &root);
  }
  return PlistHandle(root);
}

// A dictionary with each repeated key's last entry only, the entry every reader here takes;
// nothing when no key repeats.
PlistHandle lastOfRepeatedKeys(plist_t dictionary) {
  std::vector<std::pair<std::string, plist_t>> entries;
  std::unordered_map<std::string, std::size_t> position;
  bool repeated = false;
  forEachEntry(dictionary, [&](const char* key, plist_t item) {
    const auto [at, fresh] = position.try_emplace(key, entries.size());
    if (fresh) {
      entries.emplace_back(key, item);
    } else {
      entries[at->second].second = item;
      repeated = true;
    }
  });
  if (!repeated) return nullptr;
  PlistHandle rebuilt(plist_new_dict());
  for (const auto& [key, item] : entries)
    plist_dict_set_item(rebuilt.get(), key.c_str(), plist_copy(item));
  return rebuilt;
}

// libplist keeps every entry of a dictionary that repeats a key, and its lookups find the first
// of them while a whole read takes the last; a rewrite would carry both. Keep the last only, at
// every level, so what is read, set and written back is one and the same entry.
void dropRepeatedKeys(PlistHandle& root) {
  if (plist_get_node_type(root.get()) == PLIST_DICT) {
    if (PlistHandle rebuilt = lastOfRepeatedKeys(root.get())) root = std::move(rebuilt);
  }
  std::vector<plist_t> pending{root.get()};
  while (!pending.empty()) {
    const plist_t node = pending.back();
    pending.pop_back();
    if (plist_get_node_type(node) == PLIST_ARRAY) {
      std::vector<plist_t> elements;
      forEachElement(node, [&](plist_t item) { elements.push_back(item); });
      for (std::size_t i = 0; i < elements.size(); ++i) {
        if (plist_get_node_type(elements[i]) == PLIST_DICT) {
          if (PlistHandle rebuilt = lastOfRepeatedKeys(elements[i])) {
            elements[i] = rebuilt.get();
            plist_array_set_item(node, rebuilt.release(), static_cast<std::uint32_t>(i));
          }
        }
        pending.push_back(elements[i]);
      }
    } else if (plist_get_node_type(node) == PLIST_DICT) {
      std::vector<std::pair<std::string, plist_t>> entries;
      forEachEntry(node, [&](const char* key, plist_t item) { entries.emplace_back(key, item); });
      for (auto& [key, item] : entries) {
        if (plist_get_node_type(item) == PLIST_DICT) {
          if (PlistHandle rebuilt = lastOfRepeatedKeys(item)) {
            item = rebuilt.get();
            plist_dict_set_item(node, key.c_str(), rebuilt.release());
          }
        }
        pending.push_back(item);
      }
    }
  }
}

bool sameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

// Whether two trees hold the same values, to the bit: what a rewrite must keep.
bool sameTree(plist_t a, plist_t b) {
  const plist_type type = plist_get_node_type(a);
  if (type != plist_get_node_type(b)) return false;
  switch (type) {
    case PLIST_STRING:
      return wholeString(a) == wholeString(b);
    case PLIST_DATA: {
      std::uint64_t lengthA = 0, lengthB = 0;
      const char* bytesA = plist_get_data_ptr(a, &lengthA);
      const char* bytesB = plist_get_data_ptr(b, &lengthB);
      return lengthA == lengthB && (lengthA == 0 || std::memcmp(bytesA, bytesB, lengthA) == 0);
    }
    case PLIST_UINT: {
      // The width matters only where it tells an unsigned value from a negative one: a small
      // number stored in sixteen bytes is written back in eight, the same number.
      std::uint64_t valueA = 0, valueB = 0;
      plist_get_uint_val(a, &valueA);
      plist_get_uint_val(b, &valueB);
      return valueA == valueB && (valueA <= kLargestSigned ||
                                  isUnsignedInteger(a, valueA) == isUnsignedInteger(b, valueB));
    }
    case PLIST_REAL: {
      double realA = 0, realB = 0;
      plist_get_real_val(a, &realA);
      plist_get_real_val(b, &realB);
      return sameBits(realA, realB);
    }
    case PLIST_ARRAY: {
      if (plist_array_get_size(a) != plist_array_get_size(b)) return false;
      std::vector<plist_t> elements;
      forEachElement(b, [&](plist_t item) { elements.push_back(item); });
      std::size_t i = 0;
      bool same = true;
      forEachElement(a, [&](plist_t item) {
        same = same && i < elements.size() && sameTree(item, elements[i]);
        ++i;
      });
      return same && i == elements.size();
    }
    case PLIST_DICT: {
      if (plist_dict_get_size(a) != plist_dict_get_size(b)) return false;
      plist_dict_iter iterA = nullptr, iterB = nullptr;
      plist_dict_new_iter(a, &iterA);
      plist_dict_new_iter(b, &iterB);
      bool same = iterA && iterB;
      while (same) {
        char* keyA = nullptr;
        char* keyB = nullptr;
        plist_t itemA = nullptr, itemB = nullptr;
        plist_dict_next_item(a, iterA, &keyA, &itemA);
        plist_dict_next_item(b, iterB, &keyB, &itemB);
        if (!itemA || !itemB) {
          same = !itemA && !itemB;
        } else {
          same = keyA && keyB && std::strcmp(keyA, keyB) == 0 && sameTree(itemA, itemB);
        }
        std::free(keyA);
        std::free(keyB);
        if (!itemA || !itemB) break;
      }
      std::free(iterA);
      std::free(iterB);
      return same;
    }
    default:  // booleans, dates, uids
      return plist_compare_node_value(a, b) != 0;
  }
}

// The signs of the zero reals in document order.
void collectZeroSigns(plist_t node, std::vector<bool>& negative) {
  switch (plist_get_node_type(node)) {
    case PLIST_REAL: {
      double value = 0;
      plist_get_real_val(node, &value);
      if (value == 0.0) negative.push_back(std::signbit(value));
      return;
    }
    case PLIST_ARRAY:
      forEachElement(node, [&](plist_t item) { collectZeroSigns(item, negative); });
      return;
    case PLIST_DICT: {
      plist_dict_iter iterator = nullptr;
      plist_dict_new_iter(node, &iterator);
      for (plist_t item = nullptr; iterator;) {
        plist_dict_next_item(node, iterator, nullptr, &item);
        if (!item) break;
        collectZeroSigns(item, negative);
      }
      std::free(iterator);
      return;
    }
    default:
      return;
  }
}

// libplist's XML writer drops the sign of a negative zero; every zero real is written as this.
void restoreNegativeZeros(plist_t root, std::string& xml) {
  std::vector<bool> negative;
  collectZeroSigns(root, negative);
  if (std::find(negative.begin(), negative.end(), true) == negative.end()) return;
  constexpr std::string_view kZero = "<real>0.0</real>";
  std::size_t at = 0;
  for (const bool sign : negative) {
    at = xml.find(kZero, at);
    if (at == std::string::npos) return;  // the check that follows refuses the bytes
    if (sign) xml.insert(at + 6, 1, '-');
    at += kZero.size();
  }
}

std::optional<std::string> serializeNode(plist_t root, PlistFormat format) {
  char* bytes = nullptr;
  std::uint32_t length = 0;
  if (format == PlistFormat::xml) {
    plist_to_xml(root, &bytes, &length);
    if (!bytes) return std::nullopt;
    std::string result(bytes, length);
    plist_to_xml_free(bytes);
    restoreNegativeZeros(root, result);
    return result;
  }
  return writeBinaryPlist(root);
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
  return wholeString(item);
}

std::optional<PlistValue> readPlistFile(const std::filesystem::path& path) {
  const FileReadResult file = readFileBytes(path, kMaxPlistFileBytes);
  if (file.status != ReadStatus::ok) return std::nullopt;
  return parsePlist(file.bytes);
}

std::optional<std::string> serializePlist(const PlistValue& value, PlistFormat format) {
  const PlistHandle root(toNode(value));
  if (!root) return std::nullopt;
  return serializeNode(root.get(), format);
}

struct PlistDocument::Root {
  PlistHandle node;
};

PlistDocument::PlistDocument()
    : root_(std::make_unique<Root>(Root{PlistHandle(plist_new_dict())})) {}
PlistDocument::PlistDocument(std::unique_ptr<Root> root, PlistFormat format)
    : root_(std::move(root)), format_(format) {}
PlistDocument::~PlistDocument() = default;
PlistDocument::PlistDocument(PlistDocument&&) noexcept = default;
PlistDocument& PlistDocument::operator=(PlistDocument&&) noexcept = default;

std::optional<PlistDocument> PlistDocument::parseDictionary(std::string_view bytes) {
  PlistHandle root = parseNode(bytes);
  if (!root || plist_get_node_type(root.get()) != PLIST_DICT) return std::nullopt;
  dropRepeatedKeys(root);
  return PlistDocument(std::make_unique<Root>(Root{std::move(root)}),
                       looksBinary(bytes) ? PlistFormat::binary : PlistFormat::xml);
}

std::optional<PlistValue> PlistDocument::value(std::string_view key) const {
  const plist_t item = plist_dict_get_item(root_->node.get(), std::string(key).c_str());
  if (!item) return std::nullopt;
  return fromNode(item, 1);
}

void PlistDocument::set(std::string_view key, const std::optional<PlistValue>& value) {
  const std::string name(key);
  if (value) {
    plist_dict_set_item(root_->node.get(), name.c_str(), toNode(*value));
  } else if (plist_dict_get_item(root_->node.get(), name.c_str())) {
    plist_dict_remove_item(root_->node.get(), name.c_str());
  }
}

std::optional<std::string> PlistDocument::serialize() const {
  auto bytes = serializeNode(root_->node.get(), format_);
  if (!bytes) return std::nullopt;
  const PlistHandle again = parseNode(*bytes);
  if (!again || !sameTree(root_->node.get(), again.get())) return std::nullopt;
  return bytes;
}

bool writePlistFile(const std::filesystem::path& path, const PlistValue& value,
                    PlistFormat format) {
  const auto bytes = serializePlist(value, format);
  return bytes && writeFileAtomically(path, *bytes);
}

}  // namespace calyxa
