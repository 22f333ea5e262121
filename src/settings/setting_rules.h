// Value rules shared by the settings setters and the options dialogs: clamps, text cuts, number reading.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantor {

// Lower limit first, then upper: a value below lo gives lo, above hi gives hi.
int ClampSetting(int value, int lo, int hi);

// At most maxUnits UTF-16 units of text; never leaves half of a surrogate pair at the end.
std::u16string CutText(std::u16string_view text, std::size_t maxUnits);

// The numeric-characters rule: walks at most maxUnits units of text, leaves out double quotes and any
// character already kept, keeps the rest in first-seen order.
std::u16string FilterNumericChars(std::u16string_view text, std::size_t maxUnits);

// The characters an edit box needs for the numbers 0..max.
constexpr int DecimalDigits(int max) {
  int digits = 1;
  for (; max >= 10; max /= 10) ++digits;
  return digits;
}

// Dialog edit text read as an unsigned decimal number: leading digits only, saturating at INT32_MAX;
// text that does not start with a digit reads as 0.
int ReadUnsignedDecimal(std::u16string_view text);

// C atoi over 8-bit text without its undefined cases: skips leading white space, takes an optional
// sign and the digits that follow; saturates at the int range; no digits gives 0.
int AsciiToInt(std::string_view text);

}  // namespace vantor
