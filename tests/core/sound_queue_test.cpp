// Tests of the sound worker: order, never blocking the caller, bounded backlog, stopping.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "devices/sound_player.h"
#include "devices/sound_queue.h"

namespace vantor {
namespace {

using namespace std::chrono_literals;

// A stand-in for the platform: records what it plays; a tone can be made to hold until released or
// interrupted, as a synchronous tone does.
class FakeOutput {
 public:
  void Perform(const SoundRequest& r) {
    std::unique_lock<std::mutex> lock(mutex_);
    played_.push_back(r.kind == SoundRequest::Kind::File ? r.file : std::u16string(r.image ? u"tone" : u"none"));
    if (r.image) sizes_.push_back(r.image->size());
    started_.notify_all();
    if (hold_) {
      interrupted_ = false;
      changed_.wait_for(lock, 10s, [this] { return !hold_ || interrupted_; });
    }
  }
  void Interrupt() {
    std::lock_guard<std::mutex> lock(mutex_);
    interrupted_ = true;
    changed_.notify_all();
  }
  void Hold(bool on) {
    std::lock_guard<std::mutex> lock(mutex_);
    hold_ = on;
    changed_.notify_all();
  }
  bool WaitStarted(std::size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return started_.wait_for(lock, 5s, [&] { return played_.size() >= count; });
  }
  std::vector<std::u16string> Played() {
    std::lock_guard<std::mutex> lock(mutex_);
    return played_;
  }
  std::vector<std::size_t> Sizes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return sizes_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable started_, changed_;
  std::vector<std::u16string> played_;
  std::vector<std::size_t> sizes_;
  bool hold_ = false;
  bool interrupted_ = false;
};

SoundRequest File(std::u16string name) { return {SoundRequest::Kind::File, std::move(name), nullptr}; }

class SoundQueueTest : public ::testing::Test {
 protected:
  FakeOutput out;
  std::unique_ptr<SoundQueue> queue = std::make_unique<SoundQueue>(
      [this](const SoundRequest& r) { out.Perform(r); }, [this] { out.Interrupt(); });
};

TEST_F(SoundQueueTest, PlaysInTheOrderAskedFor) {
  out.Hold(true);
  ASSERT_TRUE(queue->Enqueue(File(u"a")));
  ASSERT_TRUE(out.WaitStarted(1));
  // The first "tone" is still playing: the next ones wait behind it, and asking does not block.
  const auto before = std::chrono::steady_clock::now();
  ASSERT_TRUE(queue->Enqueue(File(u"b")));
  ASSERT_TRUE(queue->Enqueue(File(u"c")));
  EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
  EXPECT_EQ(out.Played().size(), 1u);
  out.Hold(false);
  ASSERT_TRUE(queue->WaitIdle(5000));
  EXPECT_EQ(out.Played(), (std::vector<std::u16string>{u"a", u"b", u"c"}));
}

TEST_F(SoundQueueTest, BacklogIsBounded) {
  out.Hold(true);
  ASSERT_TRUE(queue->Enqueue(File(u"playing")));
  ASSERT_TRUE(out.WaitStarted(1));
  for (std::size_t i = 0; i < SoundQueue::kDefaultMaxPending; ++i) {
    ASSERT_TRUE(queue->Enqueue(File(std::u16string(u"w").append(1, static_cast<char16_t>(u'0' + i)))));
  }
  EXPECT_FALSE(queue->Enqueue(File(u"dropped")));
  EXPECT_EQ(queue->Pending(), SoundQueue::kDefaultMaxPending);
  out.Hold(false);
  ASSERT_TRUE(queue->WaitIdle(5000));
  const auto played = out.Played();
  EXPECT_EQ(played.size(), SoundQueue::kDefaultMaxPending + 1);
  EXPECT_EQ(played.back(), u"w7");
}

TEST_F(SoundQueueTest, StopAllDropsWaitingAndCutsThePlayingOneShort) {
  out.Hold(true);
  ASSERT_TRUE(queue->Enqueue(File(u"long")));
  ASSERT_TRUE(out.WaitStarted(1));
  ASSERT_TRUE(queue->Enqueue(File(u"never")));
  const auto before = std::chrono::steady_clock::now();
  EXPECT_TRUE(queue->StopAll(3000));
  EXPECT_LT(std::chrono::steady_clock::now() - before, 3s);
  EXPECT_EQ(out.Played(), std::vector<std::u16string>{u"long"});
  EXPECT_EQ(queue->Pending(), 0u);
  // The worker keeps serving afterwards.
  out.Hold(false);
  ASSERT_TRUE(queue->Enqueue(File(u"after")));
  ASSERT_TRUE(queue->WaitIdle(5000));
  EXPECT_EQ(out.Played().back(), u"after");
}

TEST_F(SoundQueueTest, ToneImageOutlivesItsPlayer) {
  out.Hold(true);
  ASSERT_TRUE(queue->Enqueue(File(u"first")));
  ASSERT_TRUE(out.WaitStarted(1));
  {
    SoundPlayer player(kSoundTone, u"", 1000, 500, true, false, 0, 0, 0);
    auto request = player.PlayRequest();
    ASSERT_TRUE(request);
    ASSERT_TRUE(queue->Enqueue(std::move(*request)));
  }  // the player is gone before its tone plays
  out.Hold(false);
  ASSERT_TRUE(queue->WaitIdle(5000));
  EXPECT_EQ(out.Sizes(), std::vector<std::size_t>{44u + 2u * 22050u});
}

TEST_F(SoundQueueTest, DestructionEndsAPlayingSound) {
  out.Hold(true);
  ASSERT_TRUE(queue->Enqueue(File(u"long")));
  ASSERT_TRUE(out.WaitStarted(1));
  ASSERT_TRUE(queue->Enqueue(File(u"never")));
  const auto before = std::chrono::steady_clock::now();
  queue.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);  // not the fake's 10 s hold
  EXPECT_EQ(out.Played(), std::vector<std::u16string>{u"long"});
}

TEST_F(SoundQueueTest, ManyThreadsAsking) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([this] {
      for (int i = 0; i < 4; ++i) {
        for (int tries = 0; tries < 5000 && !queue->Enqueue(File(u"x")); ++tries) std::this_thread::sleep_for(1ms);
      }
    });
  }
  for (auto& t : threads) t.join();
  ASSERT_TRUE(queue->WaitIdle(5000));
  EXPECT_EQ(out.Played().size(), 16u);
}

}  // namespace
}  // namespace vantor
