// The serial inbox and the writer's queue.
#include "devices/serial_queues.h"

#include <utility>

namespace vantor {

std::vector<std::uint8_t> FrameSerialOutput(std::span<const std::uint8_t> data, std::uint8_t prefix,
                                            std::uint8_t suffix) {
  std::vector<std::uint8_t> framed;
  framed.reserve(data.size() + 2);
  if (prefix != 0) framed.push_back(prefix);
  framed.insert(framed.end(), data.begin(), data.end());
  if (suffix != 0) framed.push_back(suffix);
  return framed;
}

bool SerialInbox::Push(const std::uint8_t* data, std::size_t length) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (messages_.size() >= kMaxPending) {
    ++dropped_;
    return false;
  }
  const bool wasEmpty = messages_.empty();
  if (data == nullptr) length = 0;
  messages_.emplace_back(data, data + length);
  return wasEmpty;
}

std::vector<std::vector<std::uint8_t>> SerialInbox::TakeAll() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::vector<std::uint8_t>> all(std::make_move_iterator(messages_.begin()),
                                             std::make_move_iterator(messages_.end()));
  messages_.clear();
  return all;
}

std::size_t SerialInbox::Dropped() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return dropped_;
}

bool SerialSendQueue::Put(std::vector<std::uint8_t> message) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (messages_.size() >= kMaxMessages || bytes_ + message.size() > kMaxBytes) return false;
  bytes_ += message.size();
  messages_.push_back(std::move(message));
  return true;
}

std::optional<std::vector<std::uint8_t>> SerialSendQueue::Take() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (messages_.empty()) return std::nullopt;
  std::vector<std::uint8_t> message = std::move(messages_.front());
  messages_.pop_front();
  bytes_ -= message.size();
  return message;
}

void SerialSendQueue::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  messages_.clear();
  bytes_ = 0;
}

std::size_t SerialSendQueue::Size() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return messages_.size();
}

}  // namespace vantor
