// The function key code numbering shared by the page, every control and the main window.
#pragma once

namespace vantor {

// Where the key went down: Enter behaves differently in a control, on the page and in the main window.
enum class KeyOrigin { Control, Page, MainWindow };

struct KeyAction {
  enum Kind { None, Code, Navigate };
  Kind kind = None;
  int code = 0;  // the function key code for Code (0 Enter, 1..44, 25..30 for keys 240..245)
  bool operator==(const KeyAction&) const = default;
};

inline constexpr unsigned kVkReturn = 13;
inline constexpr unsigned kVkF1 = 112;
inline constexpr unsigned kVkF24 = 135;

// From WM_KEYDOWN / WM_SYSKEYDOWN: the virtual key with the Ctrl, Shift and Alt states and the
// `fieldentertof0` setting to what the host must see: a key code (WM_VDX_KEY), a move to the next
// field (WM_VDX_NAVIGATE 1; Enter in a control with the setting off), or nothing.
KeyAction FunctionKeyAction(unsigned virtualKey, bool ctrl, bool shift, bool alt, bool enterSendsKey,
                            KeyOrigin origin);

}  // namespace vantor
