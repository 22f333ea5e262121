// Clamps, text cuts and number reading shared by the settings setters and the options dialogs.
#include "settings/setting_rules.h"

#include <climits>

namespace vantor {

int ClampSetting(int value, int lo, int hi) {
  if (value < lo) return lo;
  if (value > hi) return hi;
  return value;
}

std::u16string CutText(std::u16string_view text, std::size_t maxUnits) {
  if (text.size() <= maxUnits) return std::u16string(text);
  std::size_t n = maxUnits;
  // A high surrogate whose low half was cut off would be a broken character.
  if (n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
  return std::u16string(text.substr(0, n));
}

std::u16string FilterNumericChars(std::u16string_view text, std::size_t maxUnits) {
  std::u16string kept;
  const std::size_t walk = text.size() < maxUnits ? text.size() : maxUnits;
  for (std::size_t i = 0; i < walk; ++i) {
    const char16_t c = text[i];
    if (c == u'"' || kept.find(c) != std::u16string::npos) continue;
    kept.push_back(c);
  }
  return kept;
}

int ReadUnsignedDecimal(std::u16string_view text) {
  long long value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') break;
    value = value * 10 + (c - u'0');
    if (value > INT_MAX) return INT_MAX;
  }
  return static_cast<int>(value);
}

int AsciiToInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) break;  // saturated either way
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace vantor
