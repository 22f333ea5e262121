// The response records sent to the host: key, field, prompt reply, serial input, status, goodbye.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace vantor {

class Field;
class FieldList;

// Where every outgoing record goes: the real one is the host link (HostLink::Send with the terminal
// id), tests capture the bytes. terminalId 0 means no prefix.
class RecordSender {
 public:
  virtual ~RecordSender() = default;
  virtual bool SendRecord(int terminalId, std::string_view data) = 0;
};

// Largest value of the long length form ('!', hi, lo: 207 * 208 + 207).
inline constexpr std::size_t kLongestReportedText = 43263;
// Largest payload of one serial input response (its length is one byte).
inline constexpr std::size_t kSerialInputChunk = 207;

// value + 48 as one byte (values 0..207).
void AppendShort(std::string& out, int value);
// One byte length + 48 up to 207, else '!', length / 208 + 48, length % 208 + 48.
void AppendLength(std::string& out, std::size_t length);
// Field number or focus field as one byte; no field (any negative number, or a number above 207
// that no field can have) is '/'.
char FieldNumberByte(int number);

// The text a changed field reports, after its edit prefix rules.
std::u16string ReportedText(const Field& field);

// Appends one item ('=', number, length, bytes) per modified field of the list in id order and
// clears their modified flags. A text longer than the long length form can carry is cut (at a
// character boundary). Returns the number of items. fields may be null (no page).
int AppendFieldData(std::string& out, FieldList* fields, CodePage page);

// "RF", code, focus field, field data.
std::string BuildKeyResponse(int functionCode, int focusField, FieldList* fields, CodePage page);
// "R%", focus field, field data.
std::string BuildFieldResponse(int focusField, FieldList* fields, CodePage page);
// "R?" length text, or "R?!" hi lo text when the converted text is longer than 207 bytes.
std::string BuildPromptReply(std::u16string_view reply, CodePage page);
// "R!" 0x82 '2' '1' '0', cols / 2 + 48, status byte, '@', stamp + 48.
std::string BuildStatusResponse(int screenCols, int screenRows, int stamp);
// Sent once a connection is made, and as goodbye when the host ends it.
inline constexpr std::string_view kIdentifyRecord = "I";
inline constexpr std::string_view kGoodbyeRecord = "&";

// Serial input: the data up to its first zero byte, in responses "R<" '1' length data of at most
// 207 bytes each, handed to send in order (one empty response for no data). Stops at the first send
// that fails; returns the number of responses sent.
int SendSerialInputResponses(std::string_view data, const std::function<bool(std::string_view record)>& send);

// The converted text cut to at most maxBytes without splitting a UTF-8 sequence.
std::string_view CutEncoded(std::string_view bytes, std::size_t maxBytes, CodePage page);

}  // namespace vantor
