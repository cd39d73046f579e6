#include "platform/posix/strings_file.h"

#include <unicode/ustring.h>

#include <string>

#include "platform/posix/plist_io.h"

namespace calyxa {
namespace {

std::optional<std::u16string> fromUtf8(std::string_view bytes) {
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  u_strFromUTF8(nullptr, 0, &length, bytes.data(), static_cast<int32_t>(bytes.size()), &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return std::nullopt;
  std::u16string text(static_cast<std::size_t>(length), u'\0');
  status = U_ZERO_ERROR;
  u_strFromUTF8(text.data(), length, nullptr, bytes.data(), static_cast<int32_t>(bytes.size()),
                &status);
  if (U_FAILURE(status)) return std::nullopt;
  return text;
}

std::optional<std::string> toUtf8(std::u16string_view text) {
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  u_strToUTF8(nullptr, 0, &length, text.data(), static_cast<int32_t>(text.size()), &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(length), '\0');
  status = U_ZERO_ERROR;
  u_strToUTF8(bytes.data(), length, nullptr, text.data(), static_cast<int32_t>(text.size()),
              &status);
  if (U_FAILURE(status)) return std::nullopt;
  return bytes;
}

std::optional<std::u16string> fromUtf16(std::string_view bytes, bool bigEndian) {
  if (bytes.size() % 2 != 0) return std::nullopt;
  std::u16string text(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto first = static_cast<unsigned char>(bytes[2 * i]);
    const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
    text[i] = static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
  }
  return text;
}

// The text of the file. Without a byte-order mark, zero bytes give UTF-16 away.
std::optional<std::u16string> decodeText(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return fromUtf16(bytes.substr(2), false);
  if (bytes.starts_with("\xFE\xFF")) return fromUtf16(bytes.substr(2), true);
  if (bytes.starts_with("\xEF\xBB\xBF")) return fromUtf8(bytes.substr(3));
  if (bytes.size() >= 2 && bytes.find('\0') != std::string_view::npos) {
    return fromUtf16(bytes, bytes[0] == '\0');
  }
  return fromUtf8(bytes);
}

bool looksLikePropertyList(std::string_view bytes) {
  if (bytes.starts_with("bplist")) return true;
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  while (!bytes.empty() && (bytes.front() == ' ' || bytes.front() == '\t' ||
                            bytes.front() == '\r' || bytes.front() == '\n')) {
    bytes.remove_prefix(1);
  }
  return bytes.starts_with("<?xml") || bytes.starts_with("<!DOCTYPE") ||
         bytes.starts_with("<plist");
}

int hexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

bool isUnquotedCharacter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'_' || c == u'$' || c == u'+' || c == u'/' || c == u':' || c == u'.' || c == u'-';
}

// The text form: an optional pair of braces around `key = value;` entries, `key;` standing for
// `key = key;`, keys and values quoted with backslash escapes or bare words.
class Parser {
 public:
  explicit Parser(std::u16string_view text) : text_(text) {}

  std::optional<PlistDictionary> parse() {
    PlistDictionary entries;
    if (!skipSpace()) return std::nullopt;
    const bool braced = peek() == u'{';
    if (braced) ++at_;
    for (;;) {
      if (!skipSpace()) return std::nullopt;
      if (atEnd()) break;
      if (braced && peek() == u'}') {
        ++at_;
        if (!skipSpace() || !atEnd()) return std::nullopt;
        return entries;
      }
      auto key = word();
      if (!key || !skipSpace() || atEnd()) return std::nullopt;
      std::optional<std::u16string> value = key;
      if (peek() == u'=') {
        ++at_;
        if (!skipSpace()) return std::nullopt;
        value = word();
        if (!value || !skipSpace() || atEnd()) return std::nullopt;
      }
      if (peek() != u';') return std::nullopt;
      ++at_;
      auto keyText = toUtf8(*key);
      auto valueText = toUtf8(*value);
      if (!keyText || !valueText) return std::nullopt;
      entries.insert_or_assign(std::move(*keyText), PlistValue(std::move(*valueText)));
    }
    if (braced) return std::nullopt;  // the closing brace is missing
    return entries;
  }

 private:
  bool atEnd() const { return at_ >= text_.size(); }
  char16_t peek() const { return text_[at_]; }

  // Skips white space and comments; false on a comment that never ends.
  bool skipSpace() {
    while (!atEnd()) {
      const char16_t c = peek();
      if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f' || c == u'\v' ||
          c == 0xFEFF) {
        ++at_;
      } else if (text_.substr(at_).starts_with(u"//")) {
        const auto end = text_.find(u'\n', at_);
        at_ = end == std::u16string_view::npos ? text_.size() : end + 1;
      } else if (text_.substr(at_).starts_with(u"/*")) {
        const auto end = text_.find(u"*/", at_ + 2);
        if (end == std::u16string_view::npos) return false;
        at_ = end + 2;
      } else {
        break;
      }
    }
    return true;
  }

  std::optional<std::u16string> word() {
    if (atEnd()) return std::nullopt;
    if (peek() == u'"') return quoted();
    const std::size_t start = at_;
    while (!atEnd() && isUnquotedCharacter(peek()))
      ++at_;
    if (at_ == start) return std::nullopt;
    return std::u16string(text_.substr(start, at_ - start));
  }

  std::optional<std::u16string> quoted() {
    ++at_;  // the opening quote
    std::u16string out;
    while (!atEnd()) {
      const char16_t c = text_[at_++];
      if (c == u'"') return out;
      if (c != u'\\') {
        out.push_back(c);
        continue;
      }
      if (atEnd()) return std::nullopt;
      const char16_t e = text_[at_++];
      switch (e) {
        case u'n':
          out.push_back(u'\n');
          break;
        case u't':
          out.push_back(u'\t');
          break;
        case u'r':
          out.push_back(u'\r');
          break;
        case u'a':
          out.push_back(u'\a');
          break;
        case u'b':
          out.push_back(u'\b');
          break;
        case u'f':
          out.push_back(u'\f');
          break;
        case u'v':
          out.push_back(u'\v');
          break;
        case u'U':
        case u'u': {
          int value = 0;
          int digits = 0;
          for (; digits < 4 && !atEnd() && hexValue(peek()) >= 0; ++digits)
            value = value * 16 + hexValue(text_[at_++]);
          if (digits == 0) return std::nullopt;
          out.push_back(static_cast<char16_t>(value));
          break;
        }
        default:
          if (e >= u'0' && e <= u'7') {
            int value = e - u'0';
            for (int digits = 1; digits < 3 && !atEnd() && peek() >= u'0' && peek() <= u'7';
                 ++digits)
              value = value * 8 + (text_[at_++] - u'0');
            out.push_back(static_cast<char16_t>(value & 0xFF));
          } else {
            out.push_back(e);  // \" \\ \' and any other character stand for themselves
          }
      }
    }
    return std::nullopt;  // the closing quote is missing
  }

  std::u16string_view text_;
  std::size_t at_ = 0;
};

}  // namespace

std::optional<PlistDictionary> parseStringsFile(std::string_view bytes) {
  if (looksLikePropertyList(bytes)) {
    auto value = parsePlist(bytes);
    if (!value || !value->is<PlistDictionary>()) return std::nullopt;
    return std::get<PlistDictionary>(std::move(value->storage));
  }
  const auto text = decodeText(bytes);
  if (!text) return std::nullopt;
  return Parser(*text).parse();
}

}  // namespace calyxa
