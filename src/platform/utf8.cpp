#include "platform/utf8.h"

#include <unicode/utf8.h>

#include <algorithm>
#include <climits>
#include <cstdint>

namespace calyxa {

bool isValidUtf8(std::string_view text) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(text.size());
  if (static_cast<std::size_t>(length) != text.size()) return false;
  std::int32_t i = 0;
  while (i < length) {
    if (bytes[i] < 0x80) {
      ++i;
      continue;
    }
    UChar32 c = 0;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) return false;
  }
  return true;
}

std::string printableText(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
  std::string out;
  out.reserve(text.size());
  std::int32_t i = 0;
  while (i < length) {
    const std::uint8_t byte = bytes[i];
    if (byte < 0x80) {
      ++i;
      switch (byte) {
        case '\\':
          out += "\\\\";
          break;
        case '\n':
          out += "\\n";
          break;
        case '\t':
          out += "\\t";
          break;
        case '\r':
          out += "\\r";
          break;
        default:
          if (byte < 0x20 || byte == 0x7f) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
          } else {
            out += static_cast<char>(byte);
          }
      }
      continue;
    }
    const std::int32_t start = i;
    UChar32 c = 0;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) {  // one stray byte; the next one starts afresh
      i = start + 1;
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    } else if (c < 0xA0) {
      out += "\\u00";
      out += kHex[(c >> 4) & 0xF];
      out += kHex[c & 0xF];
    } else {
      out.append(text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(i - start)));
    }
  }
  return out;
}

}  // namespace calyxa
