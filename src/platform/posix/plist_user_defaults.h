#pragma once

#include <filesystem>
#include <string>

#include "platform/user_defaults.h"

namespace calyxa {

// User defaults kept as one property-list file per domain, rewritten atomically on each change.
// A file that cannot be read is never replaced; a malformed one is kept aside before the first
// write, so that nothing it held is lost.
class PlistUserDefaults final : public UserDefaults {
 public:
  PlistUserDefaults(std::filesystem::path directory, std::string domain);

  std::optional<PlistValue> object(std::string_view key) const override;
  bool setObject(std::string_view key, PlistValue value) override;
  bool removeObject(std::string_view key) override;

  const std::filesystem::path& filePath() const { return file_; }

 private:
  enum class State { ok, missing, unreadable, malformed };
  struct Loaded {
    State state;
    PlistDictionary values;
  };
  Loaded load() const;
  bool store(const Loaded& before, const PlistDictionary& values);

  std::filesystem::path directory_;
  std::filesystem::path file_;
};

}  // namespace calyxa
