#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/user_defaults.h"

namespace calyxa {

class PlistDocument;

// User defaults kept as one property-list file per domain, rewritten atomically on each change,
// in the file's own format (XML for a new file), with every entry the change does not touch
// written back exactly as it was. A file that cannot be read is never replaced; a malformed one
// is kept aside before the first write, so that nothing it held is lost.
class PlistUserDefaults final : public UserDefaults {
 public:
  using Change = std::pair<std::string, std::optional<PlistValue>>;  // nothing: remove

  PlistUserDefaults(std::filesystem::path directory, std::string domain);

  std::optional<PlistValue> object(std::string_view key) const override;
  bool setObject(std::string_view key, PlistValue value) override;
  bool removeObject(std::string_view key) override;
  bool isReadable() const override;

  // Several entries from one read of the file, in the order of `keys`.
  std::vector<std::optional<PlistValue>> objects(const std::vector<std::string>& keys) const;
  // Several changes in one rewrite; true when the file holds them all afterwards.
  bool applyChanges(const std::vector<Change>& changes);

  const std::filesystem::path& filePath() const { return file_; }

 private:
  enum class State { ok, missing, unreadable, malformed };
  struct Loaded;
  Loaded load() const;

  std::filesystem::path directory_;
  std::filesystem::path file_;
};

}  // namespace calyxa
