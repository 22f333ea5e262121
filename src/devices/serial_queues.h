// The two hand-offs between the serial threads and the user-interface thread, both bounded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace vantor {

// What the port receives for one queued message: prefix (when set), data, suffix (when set).
std::vector<std::uint8_t> FrameSerialOutput(std::span<const std::uint8_t> data, std::uint8_t prefix,
                                            std::uint8_t suffix);

// Received messages on their way from the reader thread to the user-interface thread, where the
// delivery may touch fields and the session. The reader pushes and wakes the user-interface thread
// (posts it a note) when Push says so; the user-interface thread takes everything on that wake-up.
class SerialInbox {
 public:
  static constexpr std::size_t kMaxPending = 64;

  // Reader thread. Returns true when the inbox was empty, i.e. a wake-up is needed. A message that
  // finds the inbox full is dropped (the user-interface thread has stopped taking them).
  bool Push(const std::uint8_t* data, std::size_t length);
  // User-interface thread: every waiting message, oldest first.
  std::vector<std::vector<std::uint8_t>> TakeAll();
  std::size_t Dropped() const;

 private:
  mutable std::mutex mutex_;
  std::deque<std::vector<std::uint8_t>> messages_;
  std::size_t dropped_ = 0;
};

// Framed messages on their way from Send (user-interface thread) to the writer thread. Only the
// writer takes from it, so messages go out strictly in the order they were put in.
class SerialSendQueue {
 public:
  static constexpr std::size_t kMaxMessages = 256;
  static constexpr std::size_t kMaxBytes = 1u << 20;

  // False when the queue is full: the message is not queued.
  bool Put(std::vector<std::uint8_t> message);
  std::optional<std::vector<std::uint8_t>> Take();
  void Clear();
  std::size_t Size() const;

 private:
  mutable std::mutex mutex_;
  std::deque<std::vector<std::uint8_t>> messages_;
  std::size_t bytes_ = 0;
};

}  // namespace vantor
