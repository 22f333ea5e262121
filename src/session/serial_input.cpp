// Field mode of the serial feature: scanned characters into the serial input fields.
#include "session/serial_input.h"

namespace vantor {

void FeedSerialFields(std::u16string_view text, SerialInputTarget& target) {
  std::size_t next = 0;
  int previous = kNoSerialField;
  while (next < text.size() && target.KeyboardReady()) {
    const int field = target.FirstSerialInputField();
    // The same field twice means it was filled and nothing follows it (or it has no window).
    if (field == kNoSerialField || field == previous) break;
    previous = field;
    // A field without a window takes nothing, and the next pass would find it again.
    if (!target.FieldHasWindow(field)) break;
    target.ClearField(field);
    const int length = target.FieldLength(field);
    int fed = 0;
    for (; fed < length && next < text.size() && target.KeyboardReady(); ++fed) {
      target.FeedChar(field, text[next++]);
    }
    if (fed == 0) break;  // nothing taken: another pass could only find fields that take nothing
  }
}

}  // namespace vantor
