// Which kind of control shows a field record, and whether it takes the keyboard focus.
#pragma once

#include "model/field.h"

namespace vantor {

enum class ControlKind { None, Entry, Fixed, System, Button, SelectButton, CheckBox, RadioButton };

// Mode 0 (and any type outside 0, 1, 3, 4, 5) gets no control; the system mode always the system
// line; display and input modes by type, type 0 being fixed text or an entry field.
ControlKind ControlKindFor(int mode, int type);
inline ControlKind ControlKindOf(const Field& field) { return ControlKindFor(field.Mode(), field.format.type); }

// Whether the control takes the focus when the terminal asks it to: buttons of every kind, and entry
// fields that the serial port does not feed. Fixed text and the system line never do.
bool TakesFocus(const Field& field);

}  // namespace vantor
