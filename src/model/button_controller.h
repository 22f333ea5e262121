// What a key or a tap does on a control of the button family, for every front end: the value
// changes in the record, the window shows it, the terminal is asked for what follows.
#pragma once

#include "model/button_rules.h"
#include "model/function_keys.h"
#include "model/terminal_requests.h"

namespace vantor {

class Field;

// What a button's window offers its controller.
class ButtonWindow {
 public:
  virtual ~ButtonWindow() = default;
  // The value of a record's control changed (its own, or another radio button of its page that was
  // cleared): the control shows it.
  virtual void ValueChanged(Field& field) = 0;
  // A push button is held down by a tap, or springs back.
  virtual void ShowPressed(bool pressed) = 0;
};

class ButtonController {
 public:
  ButtonController(Field& field, ButtonKind kind, bool enterSendsKey, ButtonWindow& window, TerminalRequests& terminal)
      : field_(field), kind_(kind), enterSendsKey_(enterSendsKey), window_(window), terminal_(terminal) {}

  // The control took the keyboard focus: the terminal is told, except for a select button.
  void Focused();
  // A key going down on the control.
  void KeyDown(unsigned virtualKey, KeyModifiers modifiers);
  // A tap goes down on the control. In input mode a push button is held down (and counts as
  // changed); the others change their value. True when the control holds the pointer until the tap
  // ends. The record may be gone afterwards (the terminal was asked for a key).
  bool Press();
  // The tap ends: a push button in input mode springs back and acts as Enter on itself.
  void Release(KeyModifiers modifiers);

 private:
  // Check box and select button toggle the mark in the text's first character ("X" checked), a radio
  // button is selected and the others of its page cleared; the window shows each changed record, then
  // an auto-send field reports itself. False when nothing changed (no room for the mark, or a radio
  // button selected already).
  bool Change();

  Field& field_;
  ButtonKind kind_;
  bool enterSendsKey_;
  ButtonWindow& window_;
  TerminalRequests& terminal_;
};

}  // namespace vantor
