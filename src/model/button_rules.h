// The button family's value rules: what a push button, select button, check box or radio button
// shows, and how its value changes.
#pragma once

#include <string_view>
#include <vector>

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

}  // namespace vantor
