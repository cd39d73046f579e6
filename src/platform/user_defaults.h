#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/plist_value.h"

namespace calyxa {

// The program's own persistent settings, by key. Failures of the store are reported by the
// setters' results and otherwise swallowed, as the callers expect.
class UserDefaults {
 public:
  virtual ~UserDefaults() = default;

  virtual std::optional<PlistValue> object(std::string_view key) const = 0;
  virtual bool setObject(std::string_view key, PlistValue value) = 0;
  virtual bool removeObject(std::string_view key) = 0;
  // Writes are immediate in every backend; kept so that callers can say where they need it.
  virtual bool synchronize() { return true; }
  // False while what the store holds is unknown (its file cannot be read or parsed): an absent
  // value may then be there after all.
  virtual bool isReadable() const { return true; }

  // Absent reads as false; numbers are true when non-zero, strings when they say yes.
  bool boolForKey(std::string_view key) const;
  std::optional<PlistData> dataForKey(std::string_view key) const;
  std::optional<PlistDictionary> dictionaryForKey(std::string_view key) const;

  bool setBool(std::string_view key, bool value) { return setObject(key, PlistValue(value)); }
  bool setData(std::string_view key, PlistData value) {
    return setObject(key, PlistValue(std::move(value)));
  }
  bool setDictionary(std::string_view key, PlistDictionary value) {
    return setObject(key, PlistValue(std::move(value)));
  }
};

}  // namespace calyxa
