// The record dispatcher: acts on the record-type bytes of one host record.
#pragma once

#include <cstdint>
#include <string_view>

#include "session/connection_port.h"

namespace vantor {

// What the dispatcher acts on: implemented by the terminal.
class DispatchTarget {
 public:
  virtual ~DispatchTarget() = default;
  // Sends one record of the terminal's own ("I", "H", or "" for the bare terminator) with the
  // terminal id prefix (none for the bare terminator) and the terminator.
  virtual void SendOwnRecord(std::string_view record, bool withPrefix) = 0;
  // Runs the screen command interpreter over [begin, end).
  virtual void InterpretScreen(const std::uint8_t* begin, const std::uint8_t* end) = 0;
  // The I record's screen reset.
  virtual void ResetScreen() = 0;
};

// Scans the record (terminator included) from its first byte:
//   terminator the empty record is sent (no prefix); advance 1, so its second byte is passed over
//   'A'        the "I" record is sent; advance 2
//   'H'        the "H" record is sent, then the screen interpreter runs over the rest of the record
//   'I'        the screen is reset; advance 1
//   others     nothing ('Q', 'R' included); advance 1
void DispatchRecord(DispatchTarget& target, RecordBytes record);

}  // namespace vantor
