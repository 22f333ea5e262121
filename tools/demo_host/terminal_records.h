// The demo host's side of the link: cutting the terminal's byte stream into records, and reading the
// terminal's responses (keys, field changes, prompt answers).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor::demo {

// One record of the terminal's: its terminal id prefix and what follows, terminator cut off.
struct TerminalRecord {
  std::string terminalId;  // the leading decimal digits; empty for the bare terminator
  std::string body;
};

TerminalRecord SplitTerminalId(std::string_view record);

// Cuts received bytes into records at the terminator 0xFF 0xEF, also when the terminator or a record
// is split between reads. A record that grows beyond the limit is dropped up to its terminator, so a
// terminal that never ends a record cannot exhaust the host's memory.
class RecordSplitter {
 public:
  static constexpr std::size_t kDefaultLimit = 64 * 1024;
  explicit RecordSplitter(std::size_t limit = kDefaultLimit) : limit_(limit) {}

  // Appends the bytes and returns the records they completed (terminators cut off).
  std::vector<std::string> Feed(std::string_view bytes);
  // Records dropped for their size so far.
  int Dropped() const { return dropped_; }

 private:
  std::size_t limit_;
  std::string pending_;
  bool discarding_ = false;
  int dropped_ = 0;
};

// One changed field of a response: its number and its text as sent (8-bit).
struct FieldValue {
  int field = 0;
  std::string text;
};

enum class ResponseKind { Key, FieldChange, PromptReply };

struct Response {
  ResponseKind kind = ResponseKind::Key;
  int code = 0;         // function code (Key); 0 Enter, n function key n
  int focusField = -1;  // Key and FieldChange; -1 none
  std::vector<FieldValue> fields;
  std::string reply;  // PromptReply
};

// Reads "RF", "R%" and "R?" responses; none for anything else or for malformed bytes (never reads
// outside the body).
std::optional<Response> ParseResponse(std::string_view body);

}  // namespace vantor::demo
