// The queued connection port: the session thread waits for its call to be served, the owner serves.
#include "headless/queued_port.h"

namespace vantor {

namespace {
// The session thread checks again this often while its call waits; it never gives up on it, since
// the owner serves every call before it lets the thread go (Stop serves through AwaitSessionThread).
constexpr std::chrono::milliseconds kCallSlice{500};
// Stop's wait for the thread checks its end this often (the end is set without a notification).
constexpr std::chrono::milliseconds kStopSlice{5};
}  // namespace

void QueuedPort::Queue(Call& call) {
  std::unique_lock lock(mutex_);
  calls_.push_back(&call);
  changed_.notify_all();
  while (!call.done) changed_.wait_for(lock, kCallSlice);
}

void QueuedPort::ConnectionStarting() {
  Call call;
  call.starting = true;
  Queue(call);
}

void QueuedPort::DeliverRecord(RecordBytes record) {
  Call call;
  call.record = record;
  Queue(call);
}

void QueuedPort::ConnectionEnded(bool stopped) {
  std::lock_guard lock(mutex_);
  ended_ = stopped;
  changed_.notify_all();
}

bool QueuedPort::Serve() {
  bool served = false;
  std::unique_lock lock(mutex_);
  while (!calls_.empty()) {
    Call* call = calls_.front();
    calls_.pop_front();
    lock.unlock();
    if (call->starting) {
      onStarting_();
    } else {
      onRecord_(call->record);
    }
    lock.lock();
    call->done = true;
    changed_.notify_all();
    served = true;
  }
  return served;
}

void QueuedPort::AwaitSessionThread(const std::function<bool()>& finished) {
  while (!finished()) {
    Serve();
    WaitForWork(std::chrono::steady_clock::now() + kStopSlice);
  }
}

std::optional<bool> QueuedPort::TakeEnded() {
  std::lock_guard lock(mutex_);
  std::optional<bool> ended = ended_;
  ended_.reset();
  return ended;
}

void QueuedPort::WaitForWork(TimePoint deadline) {
  std::unique_lock lock(mutex_);
  changed_.wait_until(lock, deadline, [this] { return !calls_.empty() || ended_.has_value() || woken_; });
  woken_ = false;
}

void QueuedPort::Wake() {
  std::lock_guard lock(mutex_);
  woken_ = true;
  changed_.notify_all();
}

}  // namespace vantor
