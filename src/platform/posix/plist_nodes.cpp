#include "platform/posix/plist_nodes.h"

#include <cstring>
#include <limits>

namespace calyxa {
namespace {
constexpr std::uint64_t kLargestSigned = std::numeric_limits<std::int64_t>::max();
}  // namespace

bool isUnsignedInteger(plist_t node, std::uint64_t value) {
  // The comparison looks at the stored width, the getter does not.
  const PlistHandle signedForm(plist_new_uint(value));
  return !plist_compare_node_value(node, signedForm.get());
}

plist_t unsignedIntegerNode(std::uint64_t value) {
  if (value <= kLargestSigned) return plist_new_uint(value);
  const std::string xml = "<plist><integer>" + std::to_string(value) + "</integer></plist>";
  plist_t node = nullptr;
  plist_from_xml(xml.c_str(), static_cast<std::uint32_t>(xml.size()), &node);
  return node;
}

// Dates as the binary format stores them, a big-endian double after the marker 0x33: libplist's
// binary reader and writer keep them whole, its date getter and maker do not.
double exactDate(plist_t node) {
  char* bytes = nullptr;
  std::uint32_t length = 0;
  plist_to_bin(node, &bytes, &length);
  double seconds = 0;
  if (bytes && length >= 17 && static_cast<unsigned char>(bytes[8]) == 0x33) {
    std::uint64_t bits = 0;
    for (int k = 0; k < 8; ++k)
      bits = (bits << 8) | static_cast<unsigned char>(bytes[9 + k]);
    std::memcpy(&seconds, &bits, sizeof seconds);
  } else {
    std::int32_t whole = 0, microseconds = 0;
    plist_get_date_val(node, &whole, &microseconds);
    seconds = whole + microseconds / 1e6;
  }
  if (bytes) plist_to_bin_free(bytes);
  return seconds;
}

plist_t dateNode(double seconds) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &seconds, sizeof bits);
  std::string bytes = "bplist00\x33";
  const auto bigEndian = [&](std::uint64_t value) {
    for (int shift = 56; shift >= 0; shift -= 8)
      bytes.push_back(static_cast<char>((value >> shift) & 0xFF));
  };
  bigEndian(bits);
  bytes += std::string("\x08\0\0\0\0\0\0\x01\x01", 9);  // offset table, trailer sizes
  bigEndian(1);                                         // objects
  bigEndian(0);                                         // top object
  bigEndian(17);                                        // offset table
  plist_t node = nullptr;
  plist_from_bin(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &node);
  return node;
}

std::string wholeString(plist_t node) {
  std::uint64_t length = 0;
  const char* text = plist_get_string_ptr(node, &length);
  return text ? std::string(text, length) : std::string();
}

}  // namespace calyxa
