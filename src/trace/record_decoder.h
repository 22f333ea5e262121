// Decoding of single records: the terminal's responses, and the host's records as a shadow terminal
// reads them.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "session/connection_port.h"

namespace vantor::trace {

struct DecodedRecord {
  std::string terminalId;          // a terminal record's decimal prefix ("" when it has none)
  std::string head;                // the record's kind and what fits on one line
  std::vector<std::string> lines;  // a host screen record: one line per command (and passed-over bytes)
};

// One record of the terminal's (the terminator may be left on): "I", "H", "&", the bare terminator and
// the responses RF, R%, R?, R<1, R!. Bytes that fit none of them are shown in hex with the reason.
DecodedRecord DecodeTerminalRecord(std::string_view record);

// The host's records of one connection, each run through a terminal engine of its own that sees the
// same records (and nothing of the operator's), so that every command is shown with the reads the
// terminal makes. Field contents the operator typed are not known to it; no read depends on them.
class HostRecordDecoder {
 public:
  HostRecordDecoder();
  ~HostRecordDecoder();
  HostRecordDecoder(const HostRecordDecoder&) = delete;
  HostRecordDecoder& operator=(const HostRecordDecoder&) = delete;

  // One whole host record, terminator included, after unescaping (as the record assembler cuts it).
  DecodedRecord Decode(RecordBytes record);

 private:
  struct Shadow;
  std::unique_ptr<Shadow> shadow_;
};

}  // namespace vantor::trace
