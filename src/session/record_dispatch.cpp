// The record dispatcher: record-type bytes to the terminal's own records, screen runs and resets.
#include "session/record_dispatch.h"

#include <cstddef>

#include "session/responses.h"
#include "session/wire_format.h"

namespace vantor {

void DispatchRecord(DispatchTarget& target, RecordBytes record) {
  const std::size_t size = record.size();
  const std::uint8_t* data = record.data();
  std::size_t at = 0;
  while (at < size) {
    const std::uint8_t byte = data[at];
    if (TerminatorAt(data + at, data + size)) {
      // A terminator no record type consumed: answered with the bare terminator.
      target.SendOwnRecord("", false);
      at += 1;
    } else if (byte == 'A') {
      target.SendOwnRecord(kIdentifyRecord, true);
      at += 2;
    } else if (byte == 'H') {
      target.SendOwnRecord(kScreenReceivedRecord, true);
      target.InterpretScreen(data + at + 1, data + size);
      at = size;
    } else if (byte == 'I') {
      target.ResetScreen();
      at += 1;
    } else {
      at += 1;
    }
  }
}

}  // namespace vantor
