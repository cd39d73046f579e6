#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace calyxa {

struct PlistValue;
using PlistArray = std::vector<PlistValue>;
using PlistDictionary = std::map<std::string, PlistValue>;
using PlistData = std::vector<std::uint8_t>;

// A date as property lists store it: seconds since 2001-01-01 00:00:00 UTC.
struct PlistDate {
  double secondsSinceReferenceDate = 0.0;
  bool operator==(const PlistDate&) const = default;
};

// A keyed-archive reference; kept only so that such files survive a rewrite unchanged.
struct PlistUid {
  std::uint64_t value = 0;
  bool operator==(const PlistUid&) const = default;
};

// An integer above the largest signed 64-bit one, which property lists store unsigned. Only such
// values take this form; every other integer is a std::int64_t.
struct PlistUnsignedInteger {
  std::uint64_t value = 0;
  bool operator==(const PlistUnsignedInteger&) const = default;
};

// One property-list value of any kind.
struct PlistValue {
  using Storage = std::variant<bool, std::int64_t, double, std::string, PlistData, PlistDate,
                               PlistUid, PlistArray, PlistDictionary, PlistUnsignedInteger>;
  Storage storage;

  PlistValue() : storage(false) {}
  PlistValue(bool v) : storage(v) {}
  PlistValue(int v) : storage(std::int64_t{v}) {}
  PlistValue(std::int64_t v) : storage(v) {}
  PlistValue(double v) : storage(v) {}
  PlistValue(const char* v) : storage(std::string(v)) {}
  PlistValue(std::string v) : storage(std::move(v)) {}
  PlistValue(PlistData v) : storage(std::move(v)) {}
  PlistValue(PlistDate v) : storage(v) {}
  PlistValue(PlistUid v) : storage(v) {}
  PlistValue(PlistUnsignedInteger v) : storage(v) {}
  PlistValue(PlistArray v) : storage(std::move(v)) {}
  PlistValue(PlistDictionary v) : storage(std::move(v)) {}

  template <class T>
  bool is() const {
    return std::holds_alternative<T>(storage);
  }
  template <class T>
  const T* as() const {
    return std::get_if<T>(&storage);
  }
  // Booleans, integers and reals: the kinds a preference store calls numbers.
  bool isNumber() const {
    return is<bool>() || is<std::int64_t>() || is<double>() || is<PlistUnsignedInteger>();
  }

  bool operator==(const PlistValue&) const = default;
};

}  // namespace calyxa
