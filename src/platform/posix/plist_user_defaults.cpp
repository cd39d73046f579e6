#include "platform/posix/plist_user_defaults.h"

#include <system_error>

#include "platform/posix/file_io.h"
#include "platform/posix/plist_io.h"

namespace calyxa {

PlistUserDefaults::PlistUserDefaults(std::filesystem::path directory, std::string domain)
    : directory_(std::move(directory)), file_(directory_ / (domain + ".plist")) {}

PlistUserDefaults::Loaded PlistUserDefaults::load() const {
  const FileReadResult file = readFileBytes(file_, kMaxPlistFileBytes);
  switch (file.status) {
    case ReadStatus::missing:
      return {State::missing, {}};
    case ReadStatus::unreadable:
    case ReadStatus::tooLarge:
      return {State::unreadable, {}};
    case ReadStatus::ok:
      break;
  }
  auto parsed = parsePlist(file.bytes);
  if (!parsed || !parsed->is<PlistDictionary>()) return {State::malformed, {}};
  return {State::ok, std::get<PlistDictionary>(std::move(parsed->storage))};
}

std::optional<PlistValue> PlistUserDefaults::object(std::string_view key) const {
  Loaded loaded = load();
  auto found = loaded.values.find(std::string(key));
  if (found == loaded.values.end()) return std::nullopt;
  return std::move(found->second);
}

bool PlistUserDefaults::store(const Loaded& before, const PlistDictionary& values) {
  if (before.state == State::unreadable) return false;
  std::error_code error;
  std::filesystem::create_directories(directory_, error);
  if (before.state == State::malformed) {
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
  return writePlistFile(file_, PlistValue(values), PlistFormat::xml);
}

bool PlistUserDefaults::setObject(std::string_view key, PlistValue value) {
  Loaded loaded = load();
  PlistDictionary values = loaded.values;
  values.insert_or_assign(std::string(key), std::move(value));
  return store(loaded, values);
}

bool PlistUserDefaults::removeObject(std::string_view key) {
  Loaded loaded = load();
  PlistDictionary values = loaded.values;
  if (values.erase(std::string(key)) == 0) return loaded.state != State::unreadable;
  return store(loaded, values);
}

}  // namespace calyxa
