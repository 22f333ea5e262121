// The record dispatcher: acts on the record-type bytes of one host record, on the UI thread.
#pragma once

#include "session/session_port.h"

namespace vantor {

// Scans the record (terminator included) from its first byte:
//   0xFF 0xEF  the empty record is sent (no prefix); advance 1, so the 0xEF is passed over
//   'A'        the "I" record is sent; advance 2
//   'H'        the "H" record is sent, then the screen interpreter runs over the rest of the record
//   'I'        the screen is reset; advance 1
//   others     nothing ('Q', 'R' included); advance 1
// Then the lock indicator follows the keyboard state: (1, 1) when locked (2), else (1, 0).
void DispatchRecord(DispatchTarget& target, RecordBytes record);

}  // namespace vantor
