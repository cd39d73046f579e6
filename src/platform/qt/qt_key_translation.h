#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "platform/event_monitors.h"

class QKeyEvent;

namespace calyxa {

// A key press as the overlay reads it: the program's key code and modifier flags, and the
// characters the key types with no modifier but Shift applied.
struct TranslatedKey {
  std::optional<std::uint16_t> keyCode;  // nothing for keys the program has no code for
  std::uint64_t modifierFlags = 0;
  QString charactersIgnoringModifiers;

  std::optional<KeyDownEvent> keyDown() const {
    if (!keyCode) return std::nullopt;
    return KeyDownEvent{*keyCode, modifierFlags};
  }
};

// Reads the key from the native scan code where the platform gives one (an X11 or Wayland
// key code is the kernel's code plus 8), else from Qt's key. Caps Lock comes from the native
// modifiers, which are the X11 and xkb modifier state.
TranslatedKey translateQtKeyEvent(const QKeyEvent& event);

// The X11 and xkb modifier bit of Caps Lock.
inline constexpr std::uint32_t kNativeLockMask = 0x2;

}  // namespace calyxa
