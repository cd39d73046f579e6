#include "platform/posix/linux_key_translation.h"

#include <linux/input-event-codes.h>

#include <array>
#include <utility>

#include "platform/keyboard_codes.h"

namespace calyxa {
namespace {

// clang-format off
constexpr std::pair<unsigned, std::uint16_t> kKeyCodes[] = {
    {KEY_A, 0}, {KEY_S, 1}, {KEY_D, 2}, {KEY_F, 3},
    {KEY_H, 4}, {KEY_G, 5}, {KEY_Z, 6}, {KEY_X, 7},
    {KEY_C, 8}, {KEY_V, 9}, {KEY_102ND, 10}, {KEY_B, 11},
    {KEY_Q, 12}, {KEY_W, 13}, {KEY_E, 14}, {KEY_R, 15},
    {KEY_Y, 16}, {KEY_T, 17}, {KEY_1, 18}, {KEY_2, 19},
    {KEY_3, 20}, {KEY_4, 21}, {KEY_6, 22}, {KEY_5, 23},
    {KEY_EQUAL, 24}, {KEY_9, 25}, {KEY_7, 26}, {KEY_MINUS, 27},
    {KEY_8, 28}, {KEY_0, 29}, {KEY_RIGHTBRACE, 30}, {KEY_O, 31},
    {KEY_U, 32}, {KEY_LEFTBRACE, 33}, {KEY_I, 34}, {KEY_P, 35},
    {KEY_ENTER, 36}, {KEY_L, 37}, {KEY_J, 38}, {KEY_APOSTROPHE, 39},
    {KEY_K, 40}, {KEY_SEMICOLON, 41}, {KEY_BACKSLASH, 42}, {KEY_COMMA, 43},
    {KEY_SLASH, 44}, {KEY_N, 45}, {KEY_M, 46}, {KEY_DOT, 47},
    {KEY_TAB, 48}, {KEY_SPACE, 49}, {KEY_GRAVE, 50}, {KEY_BACKSPACE, 51},
    {KEY_ESC, 53}, {KEY_F17, 64}, {KEY_KPDOT, 65}, {KEY_KPASTERISK, 67},
    {KEY_KPPLUS, 69}, {KEY_NUMLOCK, 71}, {KEY_VOLUMEUP, 72}, {KEY_VOLUMEDOWN, 73},
    {KEY_MUTE, 74}, {KEY_KPSLASH, 75}, {KEY_KPENTER, 76}, {KEY_KPMINUS, 78},
    {KEY_F18, 79}, {KEY_F19, 80}, {KEY_KPEQUAL, 81}, {KEY_KP0, 82},
    {KEY_KP1, 83}, {KEY_KP2, 84}, {KEY_KP3, 85}, {KEY_KP4, 86},
    {KEY_KP5, 87}, {KEY_KP6, 88}, {KEY_KP7, 89}, {KEY_F20, 90},
    {KEY_KP8, 91}, {KEY_KP9, 92}, {KEY_YEN, 93}, {KEY_RO, 94},
    {KEY_KPCOMMA, 95}, {KEY_F5, 96}, {KEY_F6, 97}, {KEY_F7, 98},
    {KEY_F3, 99}, {KEY_F8, 100}, {KEY_F9, 101}, {KEY_MUHENKAN, 102},
    {KEY_F11, 103}, {KEY_HENKAN, 104}, {KEY_F13, 105}, {KEY_SYSRQ, 105},
    {KEY_F16, 106}, {KEY_F14, 107}, {KEY_SCROLLLOCK, 107}, {KEY_F10, 109},
    {KEY_F12, 111}, {KEY_F15, 113}, {KEY_PAUSE, 113}, {KEY_HELP, 114},
    {KEY_INSERT, 114}, {KEY_HOME, 115}, {KEY_PAGEUP, 116}, {KEY_DELETE, 117},
    {KEY_F4, keycode::kF4}, {KEY_END, 119}, {KEY_F2, 120}, {KEY_PAGEDOWN, 121},
    {KEY_F1, 122}, {KEY_LEFT, keycode::kLeftArrow},
    {KEY_RIGHT, keycode::kRightArrow}, {KEY_DOWN, keycode::kDownArrow},
    {KEY_UP, keycode::kUpArrow}, {KEY_ALL_APPLICATIONS, keycode::kLauncher},
};
// clang-format on

// Direct lookup by Linux code; the table above stays the readable source.
constexpr unsigned kLookupSize = KEY_ALL_APPLICATIONS + 1;
constexpr std::uint16_t kNoKey = 0xFFFF;

constexpr std::array<std::uint16_t, kLookupSize> makeLookup() {
  std::array<std::uint16_t, kLookupSize> lookup{};
  for (auto& entry : lookup)
    entry = kNoKey;
  for (const auto& [from, to] : kKeyCodes)
    lookup[from] = to;
  return lookup;
}
constexpr auto kLookup = makeLookup();

bool isKeypadKey(unsigned code) {
  switch (code) {
    case KEY_KP0:
    case KEY_KP1:
    case KEY_KP2:
    case KEY_KP3:
    case KEY_KP4:
    case KEY_KP5:
    case KEY_KP6:
    case KEY_KP7:
    case KEY_KP8:
    case KEY_KP9:
    case KEY_KPDOT:
    case KEY_KPASTERISK:
    case KEY_KPPLUS:
    case KEY_KPMINUS:
    case KEY_KPSLASH:
    case KEY_KPENTER:
    case KEY_KPEQUAL:
    case KEY_KPCOMMA:
    case KEY_NUMLOCK:
      return true;
    default:
      return false;
  }
}

bool isArrowKey(unsigned code) {
  return code == KEY_LEFT || code == KEY_RIGHT || code == KEY_UP || code == KEY_DOWN;
}

// The Mac counts the F keys and the navigation block as function keys.
bool isFunctionKey(unsigned code) {
  if ((code >= KEY_F1 && code <= KEY_F10) || code == KEY_F11 || code == KEY_F12 ||
      (code >= KEY_F13 && code <= KEY_F20)) {
    return true;
  }
  switch (code) {
    case KEY_HOME:
    case KEY_END:
    case KEY_PAGEUP:
    case KEY_PAGEDOWN:
    case KEY_DELETE:
    case KEY_INSERT:
    case KEY_HELP:
      return true;
    default:
      return isArrowKey(code);
  }
}

}  // namespace

std::optional<std::uint16_t> macKeyCodeForLinuxKey(unsigned linuxKeyCode) {
  if (linuxKeyCode >= kLookupSize || kLookup[linuxKeyCode] == kNoKey) return std::nullopt;
  return kLookup[linuxKeyCode];
}

bool isLinuxModifierKey(unsigned linuxKeyCode) {
  switch (linuxKeyCode) {
    case KEY_LEFTSHIFT:
    case KEY_RIGHTSHIFT:
    case KEY_LEFTCTRL:
    case KEY_RIGHTCTRL:
    case KEY_LEFTALT:
    case KEY_RIGHTALT:
    case KEY_LEFTMETA:
    case KEY_RIGHTMETA:
    case KEY_CAPSLOCK:
      return true;
    default:
      return false;
  }
}

std::uint64_t macModifierFlags(const LinuxModifiers& modifiers, unsigned linuxKeyCode) {
  std::uint64_t flags = 0;
  if (modifiers.capsLockOn) flags |= modifier::kCapsLock;
  if (modifiers.shift) flags |= modifier::kShift;
  if (modifiers.super) flags |= modifier::kControl;
  if (modifiers.alt) flags |= modifier::kOption;
  if (modifiers.control) flags |= modifier::kCommand;
  if (isKeypadKey(linuxKeyCode) || isArrowKey(linuxKeyCode)) flags |= modifier::kNumericPad;
  if (linuxKeyCode == KEY_HELP || linuxKeyCode == KEY_INSERT) flags |= modifier::kHelp;
  if (isFunctionKey(linuxKeyCode)) flags |= modifier::kFunction;
  return flags;
}

std::optional<KeyDownEvent> translateLinuxKeyDown(unsigned linuxKeyCode,
                                                  const LinuxModifiers& modifiers) {
  if (isLinuxModifierKey(linuxKeyCode)) return std::nullopt;
  const auto code = macKeyCodeForLinuxKey(linuxKeyCode);
  if (!code) return std::nullopt;
  return KeyDownEvent{*code, macModifierFlags(modifiers, linuxKeyCode)};
}

}  // namespace calyxa
