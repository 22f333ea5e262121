// Where data from the serial scanner go: to the host as commands, or into the current page's serial input fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace vantor {

using SerialBytes = std::span<const std::uint8_t>;

inline constexpr int kNoSerialField = -1;

// What field mode fills; the terminal implements it over its screen.
class SerialInputTarget {
 public:
  virtual ~SerialInputTarget() = default;
  virtual bool KeyboardReady() const = 0;
  // The current page's first serial input field (the first in id order not yet modified, else the
  // last one), or kNoSerialField.
  virtual int FirstSerialInputField() = 0;
  virtual bool FieldHasWindow(int field) = 0;
  // Most characters the field holds.
  virtual int FieldLength(int field) = 0;
  // The field starts again, empty.
  virtual void ClearField(int field) = 0;
  // One character as the scanner typed it: a carriage return acts as Enter.
  virtual void FeedChar(int field, char16_t ch) = 0;
};

// Field mode: fills the current page's serial input fields, one after another, while characters
// remain and the keyboard is ready. Characters left when the fields run out are dropped.
void FeedSerialFields(std::u16string_view text, SerialInputTarget& target);

}  // namespace vantor
