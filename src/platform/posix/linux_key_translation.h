#pragma once

#include <cstdint>
#include <optional>

#include "platform/event_monitors.h"

namespace calyxa {

// Modifier keys held down (and the Caps Lock state) on the keyboards, by their Linux meaning.
struct LinuxModifiers {
  bool shift = false;
  bool control = false;
  bool alt = false;
  bool super = false;
  bool capsLockOn = false;
};

// The program's key code for a Linux key code, as the Mac keyboard has the key at the same place
// (Insert is Help, Num Lock is the keypad's Clear, the launcher key is 131). Nothing for keys the
// Mac has no code for.
std::optional<std::uint16_t> macKeyCodeForLinuxKey(unsigned linuxKeyCode);

// Shift, Control, Alt, Super and Caps Lock: the keys that change the modifier flags rather than
// press a key.
bool isLinuxModifierKey(unsigned linuxKeyCode);

// The modifier flags as the Mac reports them: Ctrl is Command, Super is Control, Alt is Option;
// keypad and arrow keys add the numeric-pad flag, function and navigation keys the Fn flag.
std::uint64_t macModifierFlags(const LinuxModifiers& modifiers, unsigned linuxKeyCode);

// A press or repeat of `linuxKeyCode` as the program's key-down event; nothing for modifier
// keys and keys without a code.
std::optional<KeyDownEvent> translateLinuxKeyDown(unsigned linuxKeyCode,
                                                  const LinuxModifiers& modifiers);

}  // namespace calyxa
