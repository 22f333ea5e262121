// The sound worker thread and its bounded queue.
#include "devices/sound_queue.h"

#include <chrono>
#include <utility>

namespace vantor {

SoundQueue::SoundQueue(Performer perform, Interrupter interrupt, std::size_t maxPending)
    : perform_(std::move(perform)), interrupt_(std::move(interrupt)), maxPending_(maxPending ? maxPending : 1) {
  worker_ = std::thread([this] { Run(); });
}

SoundQueue::~SoundQueue() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    pending_.clear();
  }
  wake_.notify_all();
  // The interrupt can land just before the worker starts the sound; repeat it while the worker is busy.
  for (int i = 0; i < 100 && !WaitIdle(20); ++i) {
    if (interrupt_) interrupt_();
  }
  worker_.join();
}

bool SoundQueue::Enqueue(SoundRequest request) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_ || pending_.size() >= maxPending_) return false;
    pending_.push_back(std::move(request));
  }
  wake_.notify_one();
  return true;
}

bool SoundQueue::StopAll(int timeoutMs) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_.clear();
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
  // The interrupt can land just before the worker starts the sound; repeat it while the worker is busy.
  for (;;) {
    if (interrupt_) interrupt_();
    if (WaitIdle(20)) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
  }
}

bool SoundQueue::WaitIdle(int timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  return idle_.wait_for(lock, std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs),
                        [this] { return pending_.empty() && !busy_; });
}

std::size_t SoundQueue::Pending() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return pending_.size();
}

void SoundQueue::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
    if (stopping_) break;
    SoundRequest request = std::move(pending_.front());
    pending_.pop_front();
    busy_ = true;
    lock.unlock();
    if (perform_) perform_(request);
    request = SoundRequest{};  // release the image before reporting idle
    lock.lock();
    busy_ = false;
    if (pending_.empty()) idle_.notify_all();
  }
  busy_ = false;
  idle_.notify_all();
}

}  // namespace vantor
