// The button family's value and key rules: what a tap or a key does to a push button, select button,
// check box or radio button, apart from how it is drawn.
#pragma once

#include <string_view>
#include <vector>

#include "model/function_keys.h"

namespace vantor {

class Field;

enum class ButtonKind { Button, SelectButton, CheckBox, RadioButton };

// ---- value and labels ----------------------------------------------------------------------------

// "X" in the first character of the text means checked.
bool IsCheckedText(std::u16string_view text);
// What each kind shows: the whole text for push buttons; the text after the state character for
// the others; a radio button also passes over the 0x7F fill after it and shows at most `width`
// characters (cut at a NUL).
std::u16string_view LabelOf(ButtonKind kind, std::u16string_view text, int width);

// ---- operator rules ------------------------------------------------------------------------------

// Check box and select button: flips the value in the text's first character and marks the record
// modified. False (nothing changed) when the record has no room for a character.
bool ToggleValue(Field& field);
// Radio button: checks this one and clears every other checked radio button of its page. Returns
// the records that changed (this one first); empty when it was already checked or has no room.
std::vector<Field*> SelectRadio(Field& field);

// What a control reports to the main window, in order.
struct Notice {
  enum Kind { FieldChanged, Key, Navigate };
  Kind kind = Key;
  int value = 0;  // the field id, the key code, or the navigation direction
  bool operator==(const Notice&) const = default;
};
// After a change by the operator: with auto-send, the changed field then the key with code 0.
std::vector<Notice> ChangeNotices(const Field& field);

// The key handling of the four classes.
struct ButtonKeyResult {
  enum Act { None, Toggle, Select, Navigate, Key };
  Act act = None;
  int value = 0;  // direction for Navigate, code for Key
  bool operator==(const ButtonKeyResult&) const = default;
};
ButtonKeyResult ButtonKey(ButtonKind kind, bool inputMode, unsigned virtualKey, KeyModifiers modifiers,
                          bool enterSendsKey);

}  // namespace vantor
