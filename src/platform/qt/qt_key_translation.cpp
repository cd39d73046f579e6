#include "platform/qt/qt_key_translation.h"

#include <linux/input-event-codes.h>

#include <QKeyEvent>
#include <utility>

#include "platform/posix/linux_key_translation.h"

namespace calyxa {
namespace {

// Qt keys of platforms without native codes (offscreen, tests) to the kernel's codes.
unsigned linuxCodeForQtKey(int key) {
  static constexpr unsigned kLetters[] = {
      KEY_A, KEY_B, KEY_C, KEY_D, KEY_E, KEY_F, KEY_G, KEY_H, KEY_I, KEY_J, KEY_K, KEY_L, KEY_M,
      KEY_N, KEY_O, KEY_P, KEY_Q, KEY_R, KEY_S, KEY_T, KEY_U, KEY_V, KEY_W, KEY_X, KEY_Y, KEY_Z};
  static constexpr unsigned kDigits[] = {KEY_0, KEY_1, KEY_2, KEY_3, KEY_4,
                                         KEY_5, KEY_6, KEY_7, KEY_8, KEY_9};
  static constexpr unsigned kFunctionKeys[] = {KEY_F1, KEY_F2, KEY_F3, KEY_F4,  KEY_F5,  KEY_F6,
                                               KEY_F7, KEY_F8, KEY_F9, KEY_F10, KEY_F11, KEY_F12};
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return kLetters[key - Qt::Key_A];
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return kDigits[key - Qt::Key_0];
  if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return kFunctionKeys[key - Qt::Key_F1];
  static constexpr std::pair<int, unsigned> kOthers[] = {
      {Qt::Key_Escape, KEY_ESC},        {Qt::Key_Return, KEY_ENTER},
      {Qt::Key_Enter, KEY_KPENTER},     {Qt::Key_Backspace, KEY_BACKSPACE},
      {Qt::Key_Delete, KEY_DELETE},     {Qt::Key_Tab, KEY_TAB},
      {Qt::Key_Space, KEY_SPACE},       {Qt::Key_Left, KEY_LEFT},
      {Qt::Key_Right, KEY_RIGHT},       {Qt::Key_Up, KEY_UP},
      {Qt::Key_Down, KEY_DOWN},         {Qt::Key_Home, KEY_HOME},
      {Qt::Key_End, KEY_END},           {Qt::Key_PageUp, KEY_PAGEUP},
      {Qt::Key_PageDown, KEY_PAGEDOWN}, {Qt::Key_Comma, KEY_COMMA},
      {Qt::Key_Period, KEY_DOT},        {Qt::Key_Minus, KEY_MINUS}};
  for (const auto& [qtKey, code] : kOthers) {
    if (qtKey == key) return code;
  }
  return KEY_RESERVED;
}

// What the key types with Shift as the only modifier applied: Qt's text where it is printable,
// else (Ctrl turns letters into control characters) the key's own letter or digit.
QString charactersIgnoringModifiers(const QKeyEvent& event) {
  const QString text = event.text();
  if (!text.isEmpty() && text.front().unicode() >= 0x20 && text.front().unicode() != 0x7F) {
    return text;
  }
  const int key = event.key();
  if (key >= Qt::Key_A && key <= Qt::Key_Z) {
    const QChar letter(u'a' + (key - Qt::Key_A));
    return (event.modifiers() & Qt::ShiftModifier) ? QString(letter.toUpper()) : QString(letter);
  }
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return QString(QChar(u'0' + (key - Qt::Key_0)));
  return {};
}

}  // namespace

TranslatedKey translateQtKeyEvent(const QKeyEvent& event) {
  const quint32 scanCode = event.nativeScanCode();
  const unsigned linuxCode = scanCode > 8 ? scanCode - 8 : linuxCodeForQtKey(event.key());

  LinuxModifiers held;
  const Qt::KeyboardModifiers modifiers = event.modifiers();
  held.shift = modifiers & Qt::ShiftModifier;
  held.control = modifiers & Qt::ControlModifier;
  held.alt = modifiers & Qt::AltModifier;
  held.super = modifiers & Qt::MetaModifier;
  held.capsLockOn = (event.nativeModifiers() & kNativeLockMask) != 0;

  TranslatedKey key;
  key.keyCode = macKeyCodeForLinuxKey(linuxCode);
  key.modifierFlags = macModifierFlags(held, linuxCode);
  key.charactersIgnoringModifiers = charactersIgnoringModifiers(event);
  return key;
}

}  // namespace calyxa
