// The test ConnectionPort: direct calls under a lock, or calls queued until the test thread serves them.
#include "test_session_port.h"

#include <cstdio>
#include <cstdlib>

namespace vantor::testing_support {

namespace {
using Clock = std::chrono::steady_clock;

[[noreturn]] void GiveUp(const char* what) {
  std::fprintf(stderr, "TestSessionPort: %s did not finish in time (deadlock?)\n", what);
  std::fflush(stderr);
  std::abort();
}
}  // namespace

TestSessionPort::TestSessionPort(RecordHandler handler, Mode mode, std::chrono::milliseconds limit)
    : handler_(std::move(handler)), mode_(mode), limit_(limit) {}

void TestSessionPort::Call(std::function<void()> work) {
  std::unique_lock lock(mutex_);
  if (mode_ == Mode::Direct) {
    work();
    changed_.notify_all();
    return;
  }
  bool done = false;
  std::function<void()> item = [&] {
    work();
    done = true;
  };
  queue_.push_back(&item);
  changed_.notify_all();
  if (!changed_.wait_for(lock, limit_, [&] { return done; })) GiveUp("a call to the UI thread");
}

bool TestSessionPort::ServeOne(std::unique_lock<std::mutex>&) {
  if (queue_.empty()) return false;
  std::function<void()>* item = queue_.front();
  queue_.pop_front();
  (*item)();
  changed_.notify_all();
  return true;
}

void TestSessionPort::ConnectionStarting() {
  Call([this] { ++starts_; });
}

void TestSessionPort::DeliverRecord(RecordBytes record) {
  Call([=, this] {
    records_.emplace_back(reinterpret_cast<const char*>(record.data()), record.size());
    if (handler_) handler_(record);
  });
}

void TestSessionPort::ConnectionEnded(bool stopped) {
  // Posted: never waits for the UI side.
  std::lock_guard lock(mutex_);
  ended_.push_back(stopped ? 1 : 0);
  changed_.notify_all();
}

bool TestSessionPort::WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  std::unique_lock lock(mutex_);
  for (;;) {
    while (ServeOne(lock)) {
    }
    // done() may take the thread's own locks, never this one.
    lock.unlock();
    const bool finished = done();
    lock.lock();
    if (finished) return true;
    if (Clock::now() >= deadline) return false;
    // Short slices: done() may turn true without a notification.
    changed_.wait_for(lock, std::chrono::milliseconds(5));
  }
}

void TestSessionPort::AwaitSessionThread(const std::function<bool()>& finished) {
  if (!WaitUntil(finished, limit_)) GiveUp("the session thread");
}

bool TestSessionPort::Pump(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  return WaitUntil(done, timeout);
}

bool TestSessionPort::WaitForPendingCall(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [this] { return !queue_.empty(); });
}

bool TestSessionPort::WaitEnded(std::chrono::milliseconds timeout) {
  return WaitUntil([this] { return !EndedFlags().empty(); }, timeout);
}

bool TestSessionPort::WaitRecords(std::size_t count, std::chrono::milliseconds timeout) {
  return WaitUntil([this, count] { return Records().size() >= count; }, timeout);
}

int TestSessionPort::Starts() const {
  std::lock_guard lock(mutex_);
  return starts_;
}

std::vector<std::string> TestSessionPort::Records() const {
  std::lock_guard lock(mutex_);
  return records_;
}

std::vector<int> TestSessionPort::EndedFlags() const {
  std::lock_guard lock(mutex_);
  return ended_;
}

}  // namespace vantor::testing_support
