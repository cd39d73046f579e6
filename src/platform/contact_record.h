#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace calyxa {

// One contact of a touch-surface frame, in the multitouch framework's record layout. Only the
// state and the normalised position are meaningful to the program; every other byte is zero in
// the records it builds and ignored in the records it reads.
inline constexpr std::size_t kContactRecordSize = 96;
inline constexpr std::size_t kContactStateOffset = 20;
inline constexpr std::size_t kContactXOffset = 32;
inline constexpr std::size_t kContactYOffset = 36;

// A finger resting on or moving over the surface.
inline constexpr std::int32_t kContactStateTouching = 4;

struct alignas(8) ContactRecord {
  std::array<std::byte, kContactRecordSize> bytes{};

  static ContactRecord make(std::int32_t state, float x, float y) {
    ContactRecord record;
    std::memcpy(record.bytes.data() + kContactStateOffset, &state, sizeof state);
    std::memcpy(record.bytes.data() + kContactXOffset, &x, sizeof x);
    std::memcpy(record.bytes.data() + kContactYOffset, &y, sizeof y);
    return record;
  }
};
static_assert(sizeof(ContactRecord) == kContactRecordSize);

// Field readers over raw record memory; the records need not be aligned.
inline std::int32_t contactState(const std::byte* record) {
  std::int32_t state;
  std::memcpy(&state, record + kContactStateOffset, sizeof state);
  return state;
}
inline float contactX(const std::byte* record) {
  float x;
  std::memcpy(&x, record + kContactXOffset, sizeof x);
  return x;
}
inline float contactY(const std::byte* record) {
  float y;
  std::memcpy(&y, record + kContactYOffset, sizeof y);
  return y;
}

}  // namespace calyxa
