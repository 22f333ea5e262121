// The records the terminal sends to the host (key, field, prompt reply, serial input, status, identify,
// goodbye): building them, and reading them back into plain data.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"
#include "session/wire_format.h"

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

// Largest value of the long length form.
inline constexpr std::size_t kLongestReportedText = kLongestLength;
// Largest payload of one serial input response (its length is one byte).
inline constexpr std::size_t kSerialInputChunk = 207;

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
// Sent once a connection is made and as the answer to an identify request, as the answer to a screen
// record, and as goodbye when the host ends the connection.
inline constexpr std::string_view kIdentifyRecord = "I";
inline constexpr std::string_view kScreenReceivedRecord = "H";
inline constexpr std::string_view kGoodbyeRecord = "&";

// Serial input: the data up to its first zero byte, in responses "R<" '1' length data of at most
// 207 bytes each, handed to send in order (one empty response for no data). Stops at the first send
// that fails; returns the number of responses sent.
int SendSerialInputResponses(std::string_view data, const std::function<bool(std::string_view record)>& send);

// The converted text cut to at most maxBytes without splitting a UTF-8 sequence.
std::string_view CutEncoded(std::string_view bytes, std::size_t maxBytes, CodePage page);

enum class TerminalRecordKind {
  Empty,  // the bare terminator
  Identify,
  ScreenReceived,
  Goodbye,
  Key,
  FieldChange,
  PromptReply,
  SerialInput,
  Status,
  Unknown,
};

// Why reading a response stopped before its end; what was read before stays.
enum class ReadProblem {
  None,
  Cut,            // the record ends before the next part of the response
  TextCut,        // the record ends inside a text: the last text holds the bytes there are
  NotAFieldItem,  // bytes where a field item ('=') should begin
  BadLength,      // a length with a byte below '0'
  LeftOver,       // bytes after the end of the response
};

// One changed field of a key or field response, its text as sent.
struct ReportedField {
  int field = -1;  // -1: no field
  std::string text{};
  friend bool operator==(const ReportedField&, const ReportedField&) = default;
};

// One record of the terminal's, read.
struct TerminalRecord {
  TerminalRecordKind kind = TerminalRecordKind::Unknown;
  std::string terminalId{};              // its decimal prefix, "" when it has none
  std::optional<int> functionCode{};     // Key
  std::optional<int> focusField{};       // Key, FieldChange; -1 for none
  std::vector<ReportedField> fields{};   // Key, FieldChange
  std::string text{};                    // PromptReply: the reply; SerialInput: the data
  int columns = 0, rows = 0, stamp = 0;  // Status
  ReadProblem problem = ReadProblem::None;
  // The bytes not read from the part that could not be read on (after NotAFieldItem, BadLength and
  // LeftOver), or the whole body of an Unknown record.
  std::string rest{};
  bool Whole() const { return problem == ReadProblem::None && kind != TerminalRecordKind::Unknown; }
  friend bool operator==(const TerminalRecord&, const TerminalRecord&) = default;
};

// Reads one record of the terminal's, its terminator left on or not; never reads outside it.
TerminalRecord ReadTerminalRecord(std::string_view record);

}  // namespace vantor
