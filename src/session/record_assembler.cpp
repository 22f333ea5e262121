// Record assembly: terminator search over chunks, a bounded buffer for the unfinished record.
#include "session/record_assembler.h"

#include <cstring>

#include "session/wire_format.h"

namespace vantor {

namespace {
// A held buffer larger than this is given back after its record, so one big screen does not pin
// its memory for the rest of the session.
constexpr std::size_t kKeptCapacity = 64 * 1024;
}  // namespace

RecordAssembler::RecordAssembler(std::size_t maxRecordBytes) : limit_(maxRecordBytes < 2 ? 2 : maxRecordBytes) {}

void RecordAssembler::Reset() {
  std::vector<std::uint8_t>().swap(buffer_);
  discarding_ = false;
  lastWasFf_ = false;
}

void RecordAssembler::Append(const std::uint8_t* begin, const std::uint8_t* end) {
  if (begin == end) return;
  const std::size_t count = static_cast<std::size_t>(end - begin);
  if (!discarding_ && buffer_.size() + count > limit_) {
    // Too long to be a record of this protocol: pass the rest of it over.
    discarding_ = true;
    std::vector<std::uint8_t>().swap(buffer_);
  }
  if (!discarding_) buffer_.insert(buffer_.end(), begin, end);
  lastWasFf_ = end[-1] == kTerminatorFirst;
}

void RecordAssembler::Complete(const std::uint8_t* begin, const std::uint8_t* end,
                               const std::function<void(RecordBytes)>& onRecord) {
  Append(begin, end);
  lastWasFf_ = false;
  if (discarding_) {
    discarding_ = false;
    ++dropped_;
    return;
  }
  std::vector<std::uint8_t> record;
  record.swap(buffer_);
  if (record.capacity() <= kKeptCapacity) {
    // Keep the small buffer for the next record once this one has been handed on.
    onRecord(RecordBytes(record.data(), record.size()));
    record.clear();
    buffer_.swap(record);
    return;
  }
  onRecord(RecordBytes(record.data(), record.size()));
}

void RecordAssembler::Feed(RecordBytes chunk, const std::function<void(RecordBytes)>& onRecord) {
  const std::uint8_t* at = chunk.data();
  const std::uint8_t* const end = chunk.data() + chunk.size();
  if (at == end) return;
  // The previous chunk ended with the terminator's first byte and this one starts with its second.
  if (lastWasFf_ && *at == kTerminatorSecond) {
    Complete(at, at + 1, onRecord);
    ++at;
  }
  while (at < end) {
    const std::uint8_t* found = at;
    const std::uint8_t* terminator = nullptr;
    while (found < end) {
      found =
          static_cast<const std::uint8_t*>(std::memchr(found, kTerminatorFirst, static_cast<std::size_t>(end - found)));
      if (found == nullptr) break;
      if (TerminatorAt(found, end)) {
        terminator = found;
        break;
      }
      ++found;
    }
    if (terminator == nullptr) {
      Append(at, end);
      return;
    }
    Complete(at, terminator + 2, onRecord);
    at = terminator + 2;
  }
}

}  // namespace vantor
