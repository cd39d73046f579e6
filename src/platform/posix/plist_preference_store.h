#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/preference_store.h"

namespace calyxa {

// Preference domains as property-list files: <directory>/<domain>.plist for any host and
// <directory>/ByHost/<domain>.<host id>.plist for the current host; the global domain is
// ".GlobalPreferences". Each change rewrites its file atomically, in its own format and with
// every other value as it was; a damaged file reads as empty and is kept aside before it is
// first replaced (as the user defaults do). A symbolic link is written through, to its target.
class PlistPreferenceStore final : public PreferenceStore {
 public:
  PlistPreferenceStore(std::filesystem::path directory, std::string hostIdentifier);

  std::optional<PlistValue> copyValue(std::string_view key, std::string_view domain,
                                      std::string_view host) const override;
  void setValue(std::string_view key, const std::optional<PlistValue>& value,
                std::string_view domain, std::string_view host) override;
  std::vector<std::optional<PlistValue>> copyValues(const std::vector<std::string>& keys,
                                                    std::string_view domain,
                                                    std::string_view host) const override;
  bool setValues(const std::vector<Change>& changes, std::string_view domain,
                 std::string_view host) override;
  bool synchronize(std::string_view domain, std::string_view host) override;

  // The file that holds a domain for a host scope; nothing for names that are not a domain or
  // not a host scope.
  std::optional<std::filesystem::path> fileFor(std::string_view domain,
                                               std::string_view host) const;

 private:
  std::filesystem::path directory_;
  std::string hostIdentifier_;
};

// Identifies this machine in the names of current-host files: the system's machine id, else the
// host name, else "localhost".
std::string currentHostIdentifier();

}  // namespace calyxa
