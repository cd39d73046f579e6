#include "platform/posix/binary_plist_writer.h"

#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "platform/posix/plist_nodes.h"

namespace calyxa {
namespace {

// Bytes needed for an unsigned number in the format's widths.
int widthFor(std::uint64_t value) {
  if (value <= 0xFF) return 1;
  if (value <= 0xFFFF) return 2;
  if (value <= 0xFFFFFFFF) return 4;
  return 8;
}

// libplist holds a date as whole seconds and microseconds and reads the stored double back by
// truncation, so the nearest double can come back a microsecond early: take the one next to it
// that reads back as this very date.
double dateReadBackExactly(plist_t node) {
  std::int32_t narrowSeconds = 0, microseconds = 0;
  plist_get_date_val(node, &narrowSeconds, &microseconds);  // the microseconds are exact
  const double exact = exactDate(node);
  // Beyond this the whole seconds overflow the conversions below (libplist narrows them anyway).
  if (!(std::fabs(exact) < 1e18)) return exact;
  const auto seconds = std::llround(exact - microseconds / 1e6);
  const auto readBack = [](double value) {
    const auto whole = static_cast<long long>(value);
    return std::make_pair(whole,
                          static_cast<long long>((value - static_cast<double>(whole)) * 1e6));
  };
  const std::pair<long long, long long> wanted{seconds, microseconds};
  double value = exact;
  for (int step = 0; step < 8 && readBack(value) != wanted; ++step)
    value = std::nextafter(value, readBack(value) < wanted ? HUGE_VAL : -HUGE_VAL);
  return readBack(value) == wanted ? value : exact;
}

class BinaryPlistWriter {
 public:
  std::optional<std::string> write(plist_t root) {
    add(root);
    refSize_ = widthFor(objects_.size());
    out_ = "bplist00";
    std::vector<std::uint64_t> offsets;
    offsets.reserve(objects_.size());
    for (const Object& object : objects_) {
      offsets.push_back(out_.size());
      if (!writeObject(object)) return std::nullopt;
    }
    const std::uint64_t table = out_.size();
    const int offsetSize = widthFor(table);
    for (const std::uint64_t offset : offsets)
      bigEndian(offset, offsetSize);
    out_.append(6, '\0');
    out_.push_back(static_cast<char>(offsetSize));
    out_.push_back(static_cast<char>(refSize_));
    bigEndian(objects_.size(), 8);
    bigEndian(0, 8);
    bigEndian(table, 8);
    return std::move(out_);
  }

 private:
  struct Object {
    plist_t node;     // none: a dictionary key
    std::string key;  // the key's text
    std::size_t firstRef = 0;
    std::size_t refCount = 0;  // a dictionary's keys, then its values
  };

  // Numbers the objects depth first, the root 0.
  std::size_t add(plist_t node) {
    const std::size_t id = objects_.size();
    objects_.push_back({node, {}, 0, 0});
    std::vector<std::size_t> children;
    switch (plist_get_node_type(node)) {
      case PLIST_ARRAY:
        forEachElement(node, [&](plist_t item) { children.push_back(add(item)); });
        break;
      case PLIST_DICT: {
        std::vector<std::size_t> values;
        forEachEntry(node, [&](const char* key, plist_t item) {
          children.push_back(objects_.size());
          objects_.push_back({nullptr, key, 0, 0});
          values.push_back(add(item));
        });
        children.insert(children.end(), values.begin(), values.end());
        break;
      }
      default:
        return id;
    }
    objects_[id].firstRef = refs_.size();
    objects_[id].refCount = children.size();
    refs_.insert(refs_.end(), children.begin(), children.end());
    return id;
  }

  void bigEndian(std::uint64_t value, int width) {
    for (int shift = 8 * (width - 1); shift >= 0; shift -= 8)
      out_.push_back(static_cast<char>((value >> shift) & 0xFF));
  }

  // A type marker with its count, the count following as an integer object when it is large.
  void marker(int type, std::uint64_t count) {
    if (count < 15) {
      out_.push_back(static_cast<char>((type << 4) | static_cast<int>(count)));
      return;
    }
    out_.push_back(static_cast<char>((type << 4) | 0xF));
    integer(count);
  }

  void integer(std::uint64_t value) {
    const int width = widthFor(value);
    out_.push_back(static_cast<char>(0x10 | (width == 1   ? 0
                                             : width == 2 ? 1
                                             : width == 4 ? 2
                                                          : 3)));
    bigEndian(value, width);
  }

  void doubleBits(int markerByte, double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    out_.push_back(static_cast<char>(markerByte));
    bigEndian(bits, 8);
  }

  bool string(std::string_view text) {
    const auto eightBit = [&] {
      marker(0x5, text.size());
      out_.append(text);
      return true;
    };
    bool ascii = true;
    for (const char c : text)
      ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return eightBit();
    std::vector<std::uint16_t> units;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    for (std::int32_t i = 0; i < length;) {
      UChar32 c = 0;
      U8_NEXT(bytes, i, length, c);
      // Not UTF-8: an 8-bit string read from a file, written back byte for byte as it was.
      if (c < 0) return eightBit();
      if (c <= 0xFFFF) {
        units.push_back(static_cast<std::uint16_t>(c));
      } else {
        units.push_back(static_cast<std::uint16_t>(U16_LEAD(c)));
        units.push_back(static_cast<std::uint16_t>(U16_TRAIL(c)));
      }
    }
    marker(0x6, units.size());
    for (const std::uint16_t unit : units)
      bigEndian(unit, 2);
    return true;
  }

  bool writeObject(const Object& object) {
    if (!object.node) return string(object.key);
    const plist_t node = object.node;
    switch (plist_get_node_type(node)) {
      case PLIST_BOOLEAN: {
        std::uint8_t value = 0;
        plist_get_bool_val(node, &value);
        out_.push_back(value ? '\x09' : '\x08');
        return true;
      }
      case PLIST_UINT: {
        std::uint64_t value = 0;
        plist_get_uint_val(node, &value);
        if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
          if (isUnsignedInteger(node, value)) {
            out_.push_back('\x14');  // sixteen bytes, the high half zero
            bigEndian(0, 8);
          } else {
            out_.push_back('\x13');  // negative: eight bytes of two's complement
          }
          bigEndian(value, 8);
          return true;
        }
        integer(value);
        return true;
      }
      case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        doubleBits(0x23, value);
        return true;
      }
      case PLIST_DATE:
        doubleBits(0x33, dateReadBackExactly(node));
        return true;
      case PLIST_STRING:
        return string(wholeString(node));
      case PLIST_DATA: {
        std::uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        marker(0x4, length);
        if (length > 0) out_.append(bytes, length);
        return true;
      }
      case PLIST_UID: {
        std::uint64_t value = 0;
        plist_get_uid_val(node, &value);
        const int width = widthFor(value);
        out_.push_back(static_cast<char>(0x80 | (width - 1)));
        bigEndian(value, width);
        return true;
      }
      case PLIST_ARRAY:
      case PLIST_DICT: {
        const bool dictionary = plist_get_node_type(node) == PLIST_DICT;
        marker(dictionary ? 0xD : 0xA, dictionary ? object.refCount / 2 : object.refCount);
        for (std::size_t k = 0; k < object.refCount; ++k)
          bigEndian(refs_[object.firstRef + k], refSize_);
        return true;
      }
      default:
        return false;
    }
  }

  std::vector<Object> objects_;
  std::vector<std::size_t> refs_;
  int refSize_ = 1;
  std::string out_;
};

}  // namespace

std::optional<std::string> writeBinaryPlist(plist_t root) {
  if (!root) return std::nullopt;
  return BinaryPlistWriter().write(root);
}

}  // namespace calyxa
