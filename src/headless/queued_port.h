// The connection port of a front end without a message loop: the session thread's calls wait in a
// queue until the owner's thread serves them, as a window message sent to the UI thread does.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include "session/connection_port.h"

namespace vantor {

class QueuedPort final : public ConnectionPort {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  // Both run on the owner's thread, inside Serve.
  QueuedPort(std::function<void()> onStarting, std::function<void(RecordBytes)> onRecord)
      : onStarting_(std::move(onStarting)), onRecord_(std::move(onRecord)) {}

  // ---- session thread ----
  void ConnectionStarting() override;
  void DeliverRecord(RecordBytes record) override;
  void ConnectionEnded(bool stopped) override;

  // ---- owner's thread ----
  void AwaitSessionThread(const std::function<bool()>& finished) override;
  // Runs every call waiting now; true when there was one.
  bool Serve();
  // How the last session ended (true: by Stop), once; none while none ended since the last call.
  std::optional<bool> TakeEnded();
  // Returns at a session call or end, a Wake, or the deadline, whichever comes first.
  void WaitForWork(TimePoint deadline);

  // Any thread: WaitForWork returns.
  void Wake();

 private:
  struct Call {
    RecordBytes record;
    bool starting = false;
    bool done = false;
  };
  void Queue(Call& call);

  std::function<void()> onStarting_;
  std::function<void(RecordBytes)> onRecord_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Call*> calls_;
  std::optional<bool> ended_;
  bool woken_ = false;
};

}  // namespace vantor
