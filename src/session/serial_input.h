// Where serial data go: received messages to the host or into serial input fields, host data out of the port.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

using SerialBytes = std::span<const std::uint8_t>;

// Most data bytes one serial-input response carries: its length is one byte, length + 48.
inline constexpr std::size_t kMaxSerialInputPiece = 207;
inline constexpr int kNoSerialField = -1;

// What the serial input delivery acts on. Implemented by the main window; every call is made on the
// user-interface thread, where the session's records may be touched.
class SerialInputTarget {
 public:
  virtual ~SerialInputTarget() = default;
  // Sends one serial-input response ("R<") of at most kMaxSerialInputPiece bytes, whatever the
  // keyboard state.
  virtual void SendSerialInput(SerialBytes piece) = 0;
  virtual bool HasCurrentPage() const = 0;
  virtual int KeyboardState() const = 0;
  // The current page's first serial input field (the first in id order not yet modified, else the
  // last one), or kNoSerialField.
  virtual int FirstSerialInputField() = 0;
  virtual bool FieldHasWindow(int field) = 0;
  // Most characters the field holds.
  virtual int FieldLength(int field) = 0;
  // Empties the field's text.
  virtual void ClearField(int field) = 0;
  // WM_VDX_FEED_CHAR (ch, 1) to the field's window: taken as typed, a carriage return acts as Enter.
  virtual void FeedChar(int field, char16_t ch) = 0;
};

// Command mode's pieces: the data up to the first zero byte (a response record cannot hold one), in
// order, at most kMaxSerialInputPiece bytes each; empty data give one empty piece.
std::vector<SerialBytes> SplitSerialCommand(SerialBytes data);

// Field mode: fills the current page's serial input fields, one after another, while characters
// remain and the keyboard is ready. Characters left when the fields run out are dropped.
void FeedSerialFields(std::u16string_view text, SerialInputTarget& target);

// One received message. commandMode is the `serialcommand` setting. Field mode decodes the bytes with
// the system code page.
void RouteSerialInput(SerialBytes message, bool commandMode, SerialInputTarget& target);

// Bytes of the host's serial output command: mode 2 LF + payload + CR, mode 1 payload + CR, else the
// payload; the payload ends at its first zero byte. Empty payload: nothing to send.
std::string SerialOutputForCommand(int mode, SerialBytes payload);

// Bytes of a serial display field's text: the system code page, one byte count for what is sent.
std::string SerialOutputForField(std::u16string_view text);

// What the port receives for one queued message: prefix (when set), data, suffix (when set).
std::vector<std::uint8_t> FrameSerialOutput(SerialBytes data, std::uint8_t prefix, std::uint8_t suffix);

}  // namespace vantor
