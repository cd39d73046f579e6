#pragma once

#include <optional>
#include <string_view>

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
  // Makes changes of the domain durable and picks up changes made by others. True on success.
  virtual bool synchronize(std::string_view domain, std::string_view host) = 0;
};

}  // namespace calyxa
