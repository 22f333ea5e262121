// The button family's value rules: what a push button, select button, check box or radio button
// shows.
#pragma once

#include <string_view>

namespace vantor {

enum class ButtonKind { Button, SelectButton, CheckBox, RadioButton };

// "X" in the first character of the text means checked.
bool IsCheckedText(std::u16string_view text);
// What each kind shows: the whole text for push buttons; the text after the state character for
// the others; a radio button also passes over the 0x7F fill after it and shows at most `width`
// characters (cut at a NUL).
std::u16string_view LabelOf(ButtonKind kind, std::u16string_view text, int width);

}  // namespace vantor
