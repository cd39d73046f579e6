#pragma once

#include <cstdint>

// The program's key codes and modifier flags: the Mac's hardware key codes and event modifier
// flags, whatever keyboard and system the key came from.
namespace calyxa::keycode {

inline constexpr std::uint16_t kReturn = 36;
inline constexpr std::uint16_t kL = 37;
inline constexpr std::uint16_t kSpace = 49;
inline constexpr std::uint16_t kDelete = 51;
inline constexpr std::uint16_t kEscape = 53;
inline constexpr std::uint16_t kF4 = 118;
inline constexpr std::uint16_t kLeftArrow = 123;
inline constexpr std::uint16_t kRightArrow = 124;
inline constexpr std::uint16_t kDownArrow = 125;
inline constexpr std::uint16_t kUpArrow = 126;
// The launcher key of the keyboard.
inline constexpr std::uint16_t kLauncher = 131;

}  // namespace calyxa::keycode

namespace calyxa::modifier {

inline constexpr std::uint64_t kCapsLock = 0x10000;
inline constexpr std::uint64_t kShift = 0x20000;
inline constexpr std::uint64_t kControl = 0x40000;
inline constexpr std::uint64_t kOption = 0x80000;
inline constexpr std::uint64_t kCommand = 0x100000;
inline constexpr std::uint64_t kNumericPad = 0x200000;
inline constexpr std::uint64_t kHelp = 0x400000;
inline constexpr std::uint64_t kFunction = 0x800000;
// The flags that do not depend on the device; the low half carries device-specific bits.
inline constexpr std::uint64_t kDeviceIndependentMask = 0xFFFF0000;

}  // namespace calyxa::modifier
