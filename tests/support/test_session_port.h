// A ConnectionPort for tests: stands in for the main window between the session thread and the
// owner's thread (the test thread), with a time-out on every wait.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "session/connection_port.h"

namespace vantor::testing_support {

class TestSessionPort final : public ConnectionPort {
 public:
  enum class Mode {
    // The session thread's calls run at once on the session thread, under the port's lock.
    Direct,
    // The session thread's calls wait until the test thread serves them (Pump, AwaitSessionThread),
    // as a window message sent to the UI thread does.
    Queued,
  };
  using RecordHandler = std::function<void(RecordBytes)>;

  // The handler runs for each delivered record under the port's lock (on the UI side).
  explicit TestSessionPort(RecordHandler handler = {}, Mode mode = Mode::Direct,
                           std::chrono::milliseconds limit = std::chrono::milliseconds(10000));

  void ConnectionStarting() override;
  void DeliverRecord(RecordBytes record) override;
  void ConnectionEnded(bool stopped) override;
  // Serves queued calls until finished(); aborts the program when that takes longer than the limit,
  // so that a deadlock fails the run instead of hanging it.
  void AwaitSessionThread(const std::function<bool()>& finished) override;

  // Queued mode: serves calls until done() holds; false on time-out.
  bool Pump(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  // True once a call of the session thread waits to be served (Queued mode).
  bool WaitForPendingCall(std::chrono::milliseconds timeout);

  // Waits until ConnectionEnded was called; false on time-out (Queued mode: serves calls meanwhile).
  bool WaitEnded(std::chrono::milliseconds timeout);
  // Waits until at least `count` records were delivered (Queued mode: serves calls meanwhile).
  bool WaitRecords(std::size_t count, std::chrono::milliseconds timeout);

  // Runs fn under the port's lock, to read state that the handler writes.
  template <typename F>
  auto WithLock(F&& fn) {
    std::lock_guard lock(mutex_);
    return fn();
  }

  int Starts() const;
  std::vector<std::string> Records() const;
  // 1 for each end by Stop, 0 for each lost connection.
  std::vector<int> EndedFlags() const;

 private:
  // Runs the call on the UI side: at once (Direct) or once served (Queued).
  void Call(std::function<void()> work);
  bool ServeOne(std::unique_lock<std::mutex>& lock);
  bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

  RecordHandler handler_;
  Mode mode_;
  std::chrono::milliseconds limit_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>*> queue_;
  int starts_ = 0;
  std::vector<std::string> records_;
  std::vector<int> ended_;
};

}  // namespace vantor::testing_support
