// What a control asks of the terminal for the operator: keys, focus moves and changes.
#pragma once

#include "model/function_keys.h"

namespace vantor {

// The terminal implements it; a front end whose controls cannot reach the terminal directly carries
// the requests to it (and then cannot tell whether the terminal took them: it answers true).
class TerminalRequests {
 public:
  virtual ~TerminalRequests() = default;
  // A key for the host from the control of `field` (-1: the page); false when dropped (locked).
  virtual bool KeyPressed(int field, FunctionKey key) = 0;
  // Enter in an entry field: key 0 for the terminal's focus field when that names a field of the
  // current page, else for `field`; false when dropped.
  virtual bool EnterPressed(int field) = 0;
  // An auto-send field changed; false when dropped.
  virtual bool FieldChanged(int field) = 0;
  // A control took the focus.
  virtual void FieldFocused(int field) = 0;
  virtual void Navigate(Direction direction) = 0;
};

}  // namespace vantor
