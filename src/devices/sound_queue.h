// The sound worker: plays the terminal's sounds one after another on a thread of its own.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantor {

using ToneImage = std::shared_ptr<const std::vector<std::uint8_t>>;

// One sound to play: a wave file (started, then left playing) or a tone image (played to its end).
// The request owns what it needs, so the player that made it may be gone by the time it plays.
struct SoundRequest {
  enum class Kind { File, Tone };
  Kind kind = Kind::Tone;
  std::u16string file;
  ToneImage image;
};

// Sounds are played in the order they were asked for, so the sounds of one host record follow each
// other as they would if the caller had waited for each tone; the caller never waits. A file sound is
// cut short by the next sound, as a newer sound always replaces one still playing.
class SoundQueue {
 public:
  // Runs on the worker: returns when a tone has ended, or as soon as a file has started.
  using Performer = std::function<void(const SoundRequest&)>;
  // Called from any thread to cut the sound being performed short.
  using Interrupter = std::function<void()>;

  // Sounds asked for while this many wait are dropped: a host that asks for sounds faster than they
  // play must not build up minutes of backlog.
  static constexpr std::size_t kDefaultMaxPending = 8;

  SoundQueue(Performer perform, Interrupter interrupt, std::size_t maxPending = kDefaultMaxPending);
  ~SoundQueue();
  SoundQueue(const SoundQueue&) = delete;
  SoundQueue& operator=(const SoundQueue&) = delete;

  // Any thread. False when the request was dropped (queue full, or the queue is stopping).
  bool Enqueue(SoundRequest request);
  // Drops the waiting sounds and cuts the current one short; true when the worker became idle within
  // the time-out.
  bool StopAll(int timeoutMs);
  // True when nothing waits or plays within the time-out.
  bool WaitIdle(int timeoutMs);
  std::size_t Pending() const;

 private:
  void Run();

  Performer perform_;
  Interrupter interrupt_;
  const std::size_t maxPending_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<SoundRequest> pending_;
  bool busy_ = false;
  bool stopping_ = false;
  std::thread worker_;
};

}  // namespace vantor
