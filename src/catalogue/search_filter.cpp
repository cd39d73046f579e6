#include "catalogue/search_filter.h"

#include <unicode/bytestream.h>
#include <unicode/normalizer2.h>
#include <unicode/ucasemap.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>

namespace calyxa {
namespace {

bool isAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

UChar32 codePointAt(std::string_view text, std::size_t offset) {
  UChar32 c = 0;
  int32_t i = static_cast<int32_t>(offset);
  U8_NEXT(text.data(), i, static_cast<int32_t>(text.size()), c);
  return c;
}

// Whether `c` continues the user-perceived character before it (combining marks and the like).
bool extendsCharacter(UChar32 c) {
  return c >= 0 && (u_hasBinaryProperty(c, UCHAR_GRAPHEME_EXTEND) ||
                    u_getIntPropertyValue(c, UCHAR_GRAPHEME_CLUSTER_BREAK) == U_GCB_SPACING_MARK);
}

const icu::Normalizer2* nfc() {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* normalizer = icu::Normalizer2::getNFCInstance(status);
  return U_SUCCESS(status) ? normalizer : nullptr;
}

// Composes `text` into `out` unless it already is composed.
void composeInto(std::string_view text, std::string& out) {
  const icu::Normalizer2* normalizer = nfc();
  UErrorCode status = U_ZERO_ERROR;
  const icu::StringPiece piece(text.data(), static_cast<int32_t>(text.size()));
  if (!normalizer || normalizer->isNormalizedUTF8(piece, status) || U_FAILURE(status)) {
    out.assign(text);
    return;
  }
  std::string composed;
  icu::StringByteSink<std::string> sink(&composed, static_cast<int32_t>(text.size()));
  status = U_ZERO_ERROR;
  normalizer->normalizeUTF8(0, piece, sink, nullptr, status);
  if (U_SUCCESS(status)) {
    out = std::move(composed);
  } else {
    out.assign(text);
  }
}

}  // namespace

struct SearchMatcher::Folding {
  // Lower-casing and composition with reusable buffers: a filter folds thousands of fields.
  UCaseMap* caseMap = nullptr;
  mutable std::string lowered;
  mutable std::string composed;

  Folding() {
    UErrorCode status = U_ZERO_ERROR;
    caseMap = ucasemap_open("", 0, &status);
    if (U_FAILURE(status)) caseMap = nullptr;
  }
  ~Folding() {
    if (caseMap) ucasemap_close(caseMap);
  }

  // Lower-cased and composed `text`; the view stays valid until the next call.
  std::string_view fold(std::string_view text) const {
    if (isAscii(text)) {
      lowered.resize(text.size());
      std::transform(text.begin(), text.end(), lowered.begin(), [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
      });
      return lowered;
    }
    lowerInto(text, lowered);
    composeInto(lowered, composed);
    return composed;
  }

  void lowerInto(std::string_view text, std::string& out) const {
    if (!caseMap) {
      out.assign(text);
      return;
    }
    // Lower-casing can grow a string (İ becomes i plus a combining dot); retry with the size ICU
    // asks for.
    out.resize(text.size() + 8);
    for (int attempt = 0; attempt < 2; ++attempt) {
      UErrorCode status = U_ZERO_ERROR;
      const int32_t length =
          ucasemap_utf8ToLower(caseMap, out.data(), static_cast<int32_t>(out.size()), text.data(),
                               static_cast<int32_t>(text.size()), &status);
      if (status == U_BUFFER_OVERFLOW_ERROR) {
        out.resize(static_cast<std::size_t>(length));
        continue;
      }
      if (U_FAILURE(status)) break;
      out.resize(static_cast<std::size_t>(length));
      return;
    }
    out.assign(text);
  }
};

std::string trimWhitespaceAndNewlines(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size()) {
    int32_t next = static_cast<int32_t>(begin);
    UChar32 c = 0;
    U8_NEXT(text.data(), next, static_cast<int32_t>(text.size()), c);
    if (c < 0 || !u_isUWhiteSpace(c)) break;
    begin = static_cast<std::size_t>(next);
  }
  std::size_t end = text.size();
  while (end > begin) {
    int32_t previous = static_cast<int32_t>(end);
    UChar32 c = 0;
    U8_PREV(text.data(), static_cast<int32_t>(begin), previous, c);
    if (c < 0 || !u_isUWhiteSpace(c)) break;
    end = static_cast<std::size_t>(previous);
  }
  return std::string(text.substr(begin, end - begin));
}

std::string lowercased(std::string_view text) {
  const SearchMatcher::Folding folding;
  std::string result;
  folding.lowerInto(text, result);
  return result;
}

std::string makeSearchQuery(std::string_view searchText) {
  std::string composed;
  composeInto(lowercased(trimWhitespaceAndNewlines(searchText)), composed);
  return composed;
}

SearchMatcher::SearchMatcher(std::string query)
    : query_(std::move(query)), folding_(std::make_unique<Folding>()) {
  queryStartsWithMark_ = !query_.empty() && extendsCharacter(codePointAt(query_, 0));
}

SearchMatcher::~SearchMatcher() = default;

bool SearchMatcher::fieldMatches(std::string_view field) const {
  if (query_.empty()) return true;
  const std::string_view folded = folding_->fold(field);
  // Containment is by whole characters: "e" does not match inside "é" written as e plus a
  // combining accent.
  for (std::size_t at = folded.find(query_); at != std::string_view::npos;
       at = folded.find(query_, at + 1)) {
    const std::size_t end = at + query_.size();
    if (end < folded.size() && extendsCharacter(codePointAt(folded, end))) continue;
    if (queryStartsWithMark_ && at > 0) continue;
    return true;
  }
  return false;
}

bool SearchMatcher::appMatches(const AppItem& app) const {
  if (fieldMatches(app.name) || fieldMatches(app.englishName) ||
      fieldMatches(app.bundleIdentifier)) {
    return true;
  }
  return std::any_of(app.keywords.begin(), app.keywords.end(),
                     [&](const std::string& keyword) { return fieldMatches(keyword); });
}

std::vector<LaunchItem> filterItems(const std::vector<LaunchItem>& items,
                                    const std::string& query) {
  const SearchMatcher matcher(query);
  std::vector<LaunchItem> result;
  for (const auto& item : items) {
    if (const AppItem* app = item.asApp()) {
      if (matcher.appMatches(*app)) result.push_back(item);
      continue;
    }
    const LaunchFolder& folder = *item.asFolder();
    if (matcher.fieldMatches(folder.name)) {
      result.push_back(item);
      continue;
    }
    for (const auto& member : folder.apps) {
      if (matcher.appMatches(member)) result.push_back(LaunchItem::app(member));
    }
  }
  return result;
}

}  // namespace calyxa
