#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/plist_value.h"

namespace calyxa {

// The names the preference store gives the global domain and its two host scopes.
inline constexpr std::string_view kPreferencesAnyApplication = "kCFPreferencesAnyApplication";
inline constexpr std::string_view kPreferencesAnyHost = "kCFPreferencesAnyHost";
inline constexpr std::string_view kPreferencesCurrentHost = "kCFPreferencesCurrentHost";

// The current user's preferences of any application (domain), for all machines (any host) or
// only this one (current host). Failures are silent: an unreadable domain reads as empty.
class PreferenceStore {
 public:
  virtual ~PreferenceStore() = default;

  virtual std::optional<PlistValue> copyValue(std::string_view key, std::string_view domain,
                                              std::string_view host) const = 0;
  // Setting nothing deletes the key.
  virtual void setValue(std::string_view key, const std::optional<PlistValue>& value,
                        std::string_view domain, std::string_view host) = 0;

  // Several keys of one domain, read together (a domain's file is read once).
  virtual std::vector<std::optional<PlistValue>> copyValues(const std::vector<std::string>& keys,
                                                            std::string_view domain,
                                                            std::string_view host) const {
    std::vector<std::optional<PlistValue>> values;
    for (const auto& key : keys)
      values.push_back(copyValue(key, domain, host));
    return values;
  }
  using Change = std::pair<std::string, std::optional<PlistValue>>;  // nothing: delete
  // Several changes to one domain, written together. True only when the domain holds every one
  // of them afterwards, read back.
  virtual bool setValues(const std::vector<Change>& changes, std::string_view domain,
                         std::string_view host) {
    std::vector<std::string> keys;
    for (const auto& [key, value] : changes) {
      setValue(key, value, domain, host);
      keys.push_back(key);
    }
    const auto after = copyValues(keys, domain, host);
    for (std::size_t i = 0; i < changes.size(); ++i) {
      if (after[i] != changes[i].second) return false;
    }
    return true;
  }

  // Makes changes of the domain durable and picks up changes made by others. True on success.
  virtual bool synchronize(std::string_view domain, std::string_view host) = 0;
};

}  // namespace calyxa
