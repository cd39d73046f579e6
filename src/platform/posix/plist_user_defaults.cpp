#include "platform/posix/plist_user_defaults.h"

#include <system_error>

#include "platform/posix/file_io.h"
#include "platform/posix/plist_io.h"
#include "platform/posix/plist_limits.h"

namespace calyxa {

struct PlistUserDefaults::Loaded {
  State state;
  PlistDocument document;  // empty unless the state is ok
};

PlistUserDefaults::PlistUserDefaults(std::filesystem::path directory, std::string domain)
    : directory_(std::move(directory)), file_(directory_ / (domain + ".plist")) {}

PlistUserDefaults::Loaded PlistUserDefaults::load() const {
  FileReadResult file = readFileBytes(file_, kMaxPlistFileBytes);
  switch (file.status) {
    case ReadStatus::missing:
      return {State::missing, {}};
    case ReadStatus::unreadable:
    case ReadStatus::tooLarge:
      return {State::unreadable, {}};
    case ReadStatus::ok:
      break;
  }
  // Beyond what the reader takes in, a file is not damaged, only too much for this program.
  if (!plistWithinParserLimits(file.bytes)) return {State::unreadable, {}};
  auto document = PlistDocument::parseDictionary(file.bytes);
  file.bytes = {};
  if (!document) return {State::malformed, {}};
  return {State::ok, std::move(*document)};
}

std::optional<PlistValue> PlistUserDefaults::object(std::string_view key) const {
  return load().document.value(key);
}

std::vector<std::optional<PlistValue>> PlistUserDefaults::objects(
    const std::vector<std::string>& keys) const {
  const Loaded loaded = load();
  std::vector<std::optional<PlistValue>> values;
  for (const auto& key : keys)
    values.push_back(loaded.document.value(key));
  return values;
}

bool PlistUserDefaults::isReadable() const {
  const State state = load().state;
  return state == State::ok || state == State::missing;
}

bool PlistUserDefaults::applyChanges(const std::vector<Change>& changes) {
  Loaded loaded = load();
  if (loaded.state == State::unreadable) return false;
  bool changed = false;
  for (const auto& [key, value] : changes) {
    if (!value && !loaded.document.value(key)) continue;
    loaded.document.set(key, value);
    changed = true;
  }
  if (!changed) return true;
  // Bytes that would not read back as these values are never written.
  const auto bytes = loaded.document.serialize();
  if (!bytes) return false;
  std::error_code error;
  std::filesystem::create_directories(directory_, error);
  if (loaded.state == State::malformed) {
    // Keep the damaged file under a name no later save will take.
    std::filesystem::path aside;
    for (int n = 0;; ++n) {
      aside = file_;
      aside += n == 0 ? ".corrupt" : ".corrupt." + std::to_string(n);
      if (!std::filesystem::exists(aside, error)) break;
    }
    std::filesystem::rename(file_, aside, error);
    if (error) return false;
  }
  return writeFileAtomically(file_, *bytes);
}

bool PlistUserDefaults::setObject(std::string_view key, PlistValue value) {
  return applyChanges({{std::string(key), std::move(value)}});
}

bool PlistUserDefaults::removeObject(std::string_view key) {
  return applyChanges({{std::string(key), std::nullopt}});
}

}  // namespace calyxa
