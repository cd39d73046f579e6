#include "platform/user_defaults.h"

namespace calyxa {

bool UserDefaults::boolForKey(std::string_view key) const {
  const auto value = object(key);
  if (!value) return false;
  if (const auto* b = value->as<bool>()) return *b;
  if (const auto* i = value->as<std::int64_t>()) return *i != 0;
  if (const auto* d = value->as<double>()) return *d != 0.0;
  if (const auto* s = value->as<std::string>()) {
    return *s == "YES" || *s == "yes" || *s == "true" || *s == "TRUE" || *s == "1";
  }
  return false;
}

std::optional<PlistData> UserDefaults::dataForKey(std::string_view key) const {
  auto value = object(key);
  if (!value || !value->is<PlistData>()) return std::nullopt;
  return std::get<PlistData>(std::move(value->storage));
}

std::optional<PlistDictionary> UserDefaults::dictionaryForKey(std::string_view key) const {
  auto value = object(key);
  if (!value || !value->is<PlistDictionary>()) return std::nullopt;
  return std::get<PlistDictionary>(std::move(value->storage));
}

}  // namespace calyxa
