// The serial feature's routing rules.
#include "session/serial_input.h"

#include <algorithm>

#include "platform/codepage.h"

namespace vantor {

std::vector<SerialBytes> SplitSerialCommand(SerialBytes data) {
  const auto zero = std::find(data.begin(), data.end(), std::uint8_t{0});
  data = data.first(static_cast<std::size_t>(zero - data.begin()));
  std::vector<SerialBytes> pieces;
  do {
    const std::size_t n = std::min(data.size(), kMaxSerialInputPiece);
    pieces.push_back(data.first(n));
    data = data.subspan(n);
  } while (!data.empty());
  return pieces;
}

void FeedSerialFields(std::u16string_view text, SerialInputTarget& target) {
  std::size_t next = 0;
  int previous = kNoSerialField;
  while (next < text.size() && target.KeyboardState() == 0) {
    const int field = target.FirstSerialInputField();
    // The same field twice means it was filled and nothing follows it (or it has no window).
    if (field == kNoSerialField || field == previous) break;
    previous = field;
    // A field without a window takes nothing, and the next pass would find it again.
    if (!target.FieldHasWindow(field)) break;
    target.ClearField(field);
    const int length = target.FieldLength(field);
    int fed = 0;
    for (; fed < length && next < text.size() && target.KeyboardState() == 0; ++fed) {
      target.FeedChar(field, text[next++]);
    }
    if (fed == 0) break;  // nothing taken: another pass could only find fields that take nothing
  }
}

void RouteSerialInput(SerialBytes message, bool commandMode, SerialInputTarget& target) {
  if (commandMode) {
    for (SerialBytes piece : SplitSerialCommand(message)) target.SendSerialInput(piece);
    return;
  }
  if (!target.HasCurrentPage()) return;
  const std::string_view bytes(reinterpret_cast<const char*>(message.data()), message.size());
  FeedSerialFields(DecodeText(bytes, CodePage::Ansi), target);
}

std::string SerialOutputForCommand(int mode, SerialBytes payload) {
  const auto zero = std::find(payload.begin(), payload.end(), std::uint8_t{0});
  const std::string_view text(reinterpret_cast<const char*>(payload.data()),
                              static_cast<std::size_t>(zero - payload.begin()));
  if (payload.empty()) return {};
  std::string out;
  out.reserve(text.size() + 2);
  if (mode == 2) out.push_back('\n');
  out.append(text);
  if (mode == 1 || mode == 2) out.push_back('\r');
  return out;
}

std::string SerialOutputForField(std::u16string_view text) { return EncodeText(text, CodePage::Ansi); }

std::vector<std::uint8_t> FrameSerialOutput(SerialBytes data, std::uint8_t prefix, std::uint8_t suffix) {
  std::vector<std::uint8_t> framed;
  framed.reserve(data.size() + 2);
  if (prefix != 0) framed.push_back(prefix);
  framed.insert(framed.end(), data.begin(), data.end());
  if (suffix != 0) framed.push_back(suffix);
  return framed;
}

}  // namespace vantor
