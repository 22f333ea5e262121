// Cuts the messages a serial device sends out of the chunks the port delivers, by start and end byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace vantor {

// Fed with received chunks in order, whatever their size, on one thread.
//  - no start or end byte: every chunk is one message.
//  - start byte only: a chunk's message runs from after its first start byte to the chunk's end; a
//    chunk without one is dropped.
//  - start and end byte: every message between a start byte and the next end byte, also when a read
//    splits it; bytes outside start..end are dropped.
//  - end byte only: a message runs up to the next end byte, also across reads; what follows the end
//    byte in the same chunk is dropped (a device's line feed after a carriage return, for instance).
// A message that grows past kMaxMessage bytes without its end byte is dropped whole.
class SerialMessageCutter {
 public:
  static constexpr std::size_t kMaxMessage = 2048;
  // data is followed by a zero byte (not counted in length); length may be 0.
  using Deliver = std::function<void(const std::uint8_t* data, std::size_t length)>;

  SerialMessageCutter(std::uint8_t startByte, std::uint8_t endByte);

  void Feed(const std::uint8_t* chunk, std::size_t length, const Deliver& deliver);
  // True while a message has begun and its end byte has not arrived.
  bool Collecting() const { return collecting_; }
  void Reset();

 private:
  void Emit(const std::uint8_t* data, std::size_t length, const Deliver& deliver);
  // Appends to the carried message; false (and the message dropped) when it would grow too long.
  bool Append(const std::uint8_t* data, std::size_t length);

  std::uint8_t start_;
  std::uint8_t end_;
  bool collecting_ = false;
  bool skipping_ = false;  // end byte only: an overlong message is being passed over up to its end byte
  std::vector<std::uint8_t> message_;
};

}  // namespace vantor
