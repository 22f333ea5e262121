// What the operator can do on the terminal, as actions that either happen or say why they cannot.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/function_keys.h"

namespace vantor {

class Field;
class HeadlessView;
class Terminal;

// A key by its name: a virtual key with its modifiers and the character it makes (0: none), or a
// toolbar button (toolbar >= 0: its place in the bar).
struct NamedKey {
  unsigned virtualKey = 0;
  KeyModifiers modifiers;
  char16_t character = 0;
  int toolbar = -1;
};

// Enter, Tab, BackTab, Space, Backspace, Escape, Up, Down, Left, Right, Home, End, Delete, F1..F24,
// Shift+F1.., Ctrl+F1.., Ctrl+0..Ctrl+9 and the toolbar's SAVE, BACK, EXIT, NEXT, CLEAR, in any case
// of letters. None for any other name.
std::optional<NamedKey> ParseKeyName(std::string_view name);

// Every action returns an empty string when it was carried out, else the reason it was refused.
class Operator {
 public:
  Operator(Terminal& terminal, HeadlessView& view) : terminal_(terminal), view_(view) {}

  // Types each character into the control with the focus, as the keyboard would.
  std::string Type(std::u16string_view text);
  std::string Key(std::string_view name);
  // A tap into a control that takes the focus.
  std::string Focus(int id);
  // A tap on a push button, select button, check box or radio button.
  std::string Tap(int id);
  // One message from the serial scanner, as the port delivered it.
  std::string Scan(std::string_view bytes);
  // The open prompt answered with OK; Cancel on the open dialog; OK on the open message.
  std::string Answer(std::u16string_view text);
  std::string Cancel();
  std::string Ok();

 private:
  // Why keys and typing cannot reach the terminal now; empty when they can.
  std::string Blocked() const;
  Field* TappableField(int id, std::string& why) const;

  Terminal& terminal_;
  HeadlessView& view_;
};

}  // namespace vantor
