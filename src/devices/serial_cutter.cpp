// The start/end byte message cutter of the serial reader.
#include "devices/serial_cutter.h"

#include <algorithm>

namespace vantor {

SerialMessageCutter::SerialMessageCutter(std::uint8_t startByte, std::uint8_t endByte)
    : start_(startByte), end_(endByte) {
  message_.reserve(kMaxMessage + 1);
}

void SerialMessageCutter::Reset() {
  collecting_ = false;
  skipping_ = false;
  message_.clear();
}

void SerialMessageCutter::Emit(const std::uint8_t* data, std::size_t length, const Deliver& deliver) {
  if (data != message_.data()) message_.assign(data, data + length);
  message_.push_back(0);
  if (deliver) deliver(message_.data(), length);
  message_.clear();
}

bool SerialMessageCutter::Append(const std::uint8_t* data, std::size_t length) {
  if (message_.size() + length > kMaxMessage) {
    message_.clear();
    return false;
  }
  message_.insert(message_.end(), data, data + length);
  return true;
}

void SerialMessageCutter::Feed(const std::uint8_t* chunk, std::size_t length, const Deliver& deliver) {
  if (chunk == nullptr || length == 0) return;
  const std::uint8_t* p = chunk;
  const std::uint8_t* const last = chunk + length;

  if (start_ == 0 && end_ == 0) {
    Emit(chunk, length, deliver);
    return;
  }
  if (end_ == 0) {
    const std::uint8_t* s = std::find(p, last, start_);
    if (s != last) Emit(s + 1, static_cast<std::size_t>(last - (s + 1)), deliver);
    return;
  }
  if (start_ == 0) {
    const std::uint8_t* e = std::find(p, last, end_);
    if (e == last) {
      if (!skipping_ && !Append(p, length)) skipping_ = true;
      collecting_ = !skipping_;
      return;
    }
    if (skipping_) {
      skipping_ = false;
    } else if (Append(p, static_cast<std::size_t>(e - p))) {
      Emit(message_.data(), message_.size(), deliver);
    }
    message_.clear();
    collecting_ = false;
    return;
  }
  while (p < last) {
    if (!collecting_) {
      p = std::find(p, last, start_);
      if (p == last) return;
      ++p;
      collecting_ = true;
      message_.clear();
    }
    const std::uint8_t* e = std::find(p, last, end_);
    const bool ended = e != last;
    if (!Append(p, static_cast<std::size_t>(e - p))) {
      collecting_ = false;  // overlong: look for the next start byte
    } else if (ended) {
      Emit(message_.data(), message_.size(), deliver);
      collecting_ = false;
    }
    p = ended ? e + 1 : last;
  }
}

}  // namespace vantor
