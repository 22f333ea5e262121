// Function key code numbering: F-keys with Shift and Ctrl, Ctrl+digit as F1..F10, keys 240..245, Enter.
#include "model/function_keys.h"

namespace vantor {

KeyAction FunctionKeyAction(unsigned virtualKey, KeyModifiers modifiers, bool enterSendsKey, KeyOrigin origin) {
  const bool ctrl = modifiers.ctrl, shift = modifiers.shift, alt = modifiers.alt;
  // Ctrl with a digit (no Alt, no Shift) stands for F1..F9, and 0 for F10, with Ctrl still down.
  if (ctrl && !alt && !shift && virtualKey >= '0' && virtualKey <= '9') {
    virtualKey = virtualKey == '0' ? kVkF1 + 9 : kVkF1 + (virtualKey - '1');
  }
  if (virtualKey == kVkReturn) {
    if (enterSendsKey) return {KeyAction::Code, 0};
    if (origin == KeyOrigin::Control) return {KeyAction::Navigate, 0};
    return {};
  }
  if (virtualKey >= kVkF1 && virtualKey <= kVkF24) {
    const int key = static_cast<int>(virtualKey);
    if (ctrl) return {KeyAction::Code, key - 91};
    if (shift) return {KeyAction::Code, key - 101};
    return {KeyAction::Code, key - 111};
  }
  if (virtualKey >= 240 && virtualKey <= 245) return {KeyAction::Code, static_cast<int>(virtualKey) - 215};
  return {};
}

}  // namespace vantor
