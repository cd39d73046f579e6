#include "catalogue/default_order.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstdlib>

namespace calyxa {
namespace {

std::string_view environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string_view(value) : std::string_view();
}

icu::UnicodeString unicode(std::string_view text) {
  return icu::UnicodeString::fromUTF8(
      icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

std::unique_ptr<icu::Collator> makeCollator(const std::string& locale) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Collator> collator(
      icu::Collator::createInstance(icu::Locale(locale.c_str()), status));
  if (U_FAILURE(status) || !collator) {
    status = U_ZERO_ERROR;
    collator.reset(icu::Collator::createInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status)) return nullptr;
  }
  // Secondary strength: "a" and "A" are equal, "a" and "á" are not.
  collator->setStrength(icu::Collator::SECONDARY);
  status = U_ZERO_ERROR;
  collator->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);
  return collator;
}

}  // namespace

std::string userCollationLocale() {
  std::string_view locale = environment("LC_ALL");
  if (locale.empty()) locale = environment("LC_COLLATE");
  if (locale.empty()) locale = environment("LANG");
  locale = locale.substr(0, locale.find_first_of(".@"));
  if (locale.empty() || locale == "C" || locale == "POSIX") return {};
  return std::string(locale);
}

NameCollator::NameCollator(const std::string& locale) : collator_(makeCollator(locale)) {}

NameCollator::~NameCollator() = default;

int NameCollator::compare(std::string_view a, std::string_view b) const {
  if (!collator_) return a.compare(b);
  UErrorCode status = U_ZERO_ERROR;
  const UCollationResult result =
      collator_->compareUTF8(icu::StringPiece(a.data(), static_cast<int32_t>(a.size())),
                             icu::StringPiece(b.data(), static_cast<int32_t>(b.size())), status);
  if (U_FAILURE(status)) return a.compare(b);
  return result;
}

std::string NameCollator::sortKey(std::string_view name) const {
  if (!collator_) return std::string(name);
  const icu::UnicodeString text = unicode(name);
  std::string key(64, '\0');
  for (;;) {
    const int32_t needed = collator_->getSortKey(text, reinterpret_cast<uint8_t*>(key.data()),
                                                 static_cast<int32_t>(key.size()));
    if (needed <= 0) return std::string(name);
    if (static_cast<std::size_t>(needed) <= key.size()) {
      key.resize(static_cast<std::size_t>(needed) - 1);  // without the terminating zero
      return key;
    }
    key.resize(static_cast<std::size_t>(needed));
  }
}

void sortInDefaultOrder(std::vector<AppItem>& apps, const NameCollator& collator) {
  // One key per application instead of one collation per comparison.
  struct Keyed {
    bool isSystem;
    std::string key;
    AppItem* app;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(apps.size());
  for (auto& app : apps)
    keyed.push_back({app.isSystemApp, collator.sortKey(app.name), &app});
  std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    if (a.isSystem != b.isSystem) return !a.isSystem;
    return a.key < b.key;
  });
  std::vector<AppItem> sorted;
  sorted.reserve(apps.size());
  for (const auto& entry : keyed)
    sorted.push_back(std::move(*entry.app));
  apps = std::move(sorted);
}

}  // namespace calyxa
