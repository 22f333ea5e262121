// Keys as the operator presses them and as the host sees them: virtual key numbers and function key codes.
#pragma once

#include <cstdint>

namespace vantor {

// The host's number for a key: 0 Enter; F1..F24 give 1..24, with Shift 11..34, with Ctrl 21..44;
// keys 240..245 give 25..30; the toolbar's keys carry the code their label is bound to.
enum class FunctionKey : std::uint8_t { Enter = 0 };
constexpr FunctionKey FunctionKeyFromCode(int code) { return static_cast<FunctionKey>(code & 0xFF); }
constexpr int CodeOf(FunctionKey key) { return static_cast<int>(key); }

// Virtual key numbers the terminal acts on (as the window system numbers them).
inline constexpr unsigned kVkTab = 0x09;
inline constexpr unsigned kVkClear = 0x0C;
inline constexpr unsigned kVkReturn = 0x0D;
inline constexpr unsigned kVkSpace = 0x20;
inline constexpr unsigned kVkEnd = 0x23;
inline constexpr unsigned kVkHome = 0x24;
inline constexpr unsigned kVkLeft = 0x25;
inline constexpr unsigned kVkUp = 0x26;
inline constexpr unsigned kVkRight = 0x27;
inline constexpr unsigned kVkDown = 0x28;
inline constexpr unsigned kVkDelete = 0x2E;
inline constexpr unsigned kVkF1 = 0x70;
inline constexpr unsigned kVkF24 = 0x87;

// Where the focus goes: to the next or the previous input field, or back to the focus field.
enum class Direction { Refocus = 0, Next = 1, Previous = -1 };

struct KeyModifiers {
  bool ctrl = false;
  bool shift = false;
  bool alt = false;
};

// Where the key went down: Enter behaves differently in a control, on the page and in the main window.
enum class KeyOrigin { Control, Page, MainWindow };

struct KeyAction {
  enum Kind { None, Code, Navigate };
  Kind kind = None;
  int code = 0;  // the function key code for Code (0 Enter, 1..44, 25..30 for keys 240..245)
  bool operator==(const KeyAction&) const = default;
};

// A key going down, with the Ctrl, Shift and Alt states and the `fieldentertof0` setting, to what the
// host must see: a key code, a move to the next field (Enter in a control with the setting off), or
// nothing.
KeyAction FunctionKeyAction(unsigned virtualKey, KeyModifiers modifiers, bool enterSendsKey, KeyOrigin origin);

}  // namespace vantor
