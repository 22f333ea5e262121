// Cuts a received byte stream into records at each record terminator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "session/connection_port.h"

namespace vantor {

// Far above any real record (sixteen pages of long fields stay well below 1 MiB), so that a host that
// never sends a terminator cannot exhaust memory.
inline constexpr std::size_t kMaxRecordBytes = 4u * 1024u * 1024u;

class RecordAssembler {
 public:
  explicit RecordAssembler(std::size_t maxRecordBytes = kMaxRecordBytes);

  // Appends one received chunk and calls onRecord for each record it completes, in order, with the
  // record's bytes including its terminator (valid only during the call). A terminator whose first
  // byte ends one chunk and whose second starts the next is recognised. A record longer than the limit
  // (terminator included) is dropped whole, up to and including its terminator.
  void Feed(RecordBytes chunk, const std::function<void(RecordBytes)>& onRecord);

  // Bytes of the unfinished record held now.
  std::size_t PendingBytes() const { return buffer_.size(); }
  // True while the rest of an oversized record is being passed over.
  bool Discarding() const { return discarding_; }
  // Oversized records dropped so far.
  std::size_t DroppedRecords() const { return dropped_; }
  // Forgets the unfinished record and releases its memory.
  void Reset();

 private:
  void Append(const std::uint8_t* begin, const std::uint8_t* end);
  void Complete(const std::uint8_t* begin, const std::uint8_t* end, const std::function<void(RecordBytes)>& onRecord);

  std::size_t limit_;
  std::vector<std::uint8_t> buffer_;
  bool discarding_ = false;
  bool lastWasFf_ = false;  // the last byte taken in (held or passed over) was the terminator's first
  std::size_t dropped_ = 0;
};

}  // namespace vantor
