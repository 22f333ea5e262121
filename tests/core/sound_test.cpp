// Sound rules: tone images, the player's requests, and the worker's order, bound and stopping.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "devices/sound_board.h"
#include "devices/sound_player.h"
#include "devices/sound_queue.h"
#include "devices/tone_image.h"

namespace vantor {
namespace {

std::uint16_t Le16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::int16_t Sample(const std::vector<std::uint8_t>& b, std::size_t n) {
  return static_cast<std::int16_t>(Le16(b, kWaveHeaderSize + 2 * n));
}

// The header a player hands to the system must describe the samples behind it.
TEST(SoundToneImage, HeaderDescribesTheSamplesThatFollow) {
  const std::vector<std::uint8_t> image = RenderToneImage(1000, 0.5);
  ASSERT_GT(image.size(), kWaveHeaderSize);
  const auto le32 = [&](std::size_t at) { return Le16(image, at) | (static_cast<std::uint32_t>(Le16(image, at + 2)) << 16); };
  const auto tag = [&](std::size_t at) { return std::string(image.begin() + static_cast<long>(at), image.begin() + static_cast<long>(at) + 4); };
  EXPECT_EQ(tag(0), "RIFF");
  EXPECT_EQ(le32(4), image.size() - 8);
  EXPECT_EQ(tag(8), "WAVE");
  EXPECT_EQ(tag(12), "fmt ");
  EXPECT_EQ(le32(16), 16u);
  EXPECT_EQ(Le16(image, 20), 1);  // PCM
  EXPECT_EQ(Le16(image, 22), 1);  // mono
  EXPECT_EQ(le32(28), le32(24) * 2u);  // bytes per second: 16-bit samples
  EXPECT_EQ(tag(36), "data");
  EXPECT_EQ(le32(40), image.size() - kWaveHeaderSize);
}

TEST(SoundBoardTest, AnEventOutsideTheEightHasNoPlayer) {
  const SoundBoard board(false, false);
  EXPECT_EQ(board.Player(static_cast<SoundEvent>(8)), nullptr);
  EXPECT_EQ(board.Player(static_cast<SoundEvent>(-1)), nullptr);
}

TEST(SoundToneImage, SampleCountTruncates) {
  EXPECT_EQ(ToneSampleCount(0.0011), 48u);  // 48.51
  EXPECT_EQ(ToneSampleCount(0.0), 0u);
  EXPECT_EQ(ToneSampleCount(-1.0), 0u);
  EXPECT_EQ(RenderToneImage(440, 0.0).size(), kWaveHeaderSize);
}

TEST(SoundToneImage, EnvelopeRegionsOfOneSecond) {
  const std::uint32_t n = 44100;
  EXPECT_EQ(ToneEnvelope(0, n), 0.0);
  EXPECT_DOUBLE_EQ(ToneEnvelope(1, n), 20.0 / 44100.0);
  EXPECT_LT(ToneEnvelope(2204, n), 1.0);  // last rising sample
  EXPECT_GT(ToneEnvelope(2204, n), 0.99);
  EXPECT_EQ(ToneEnvelope(2205, n), 1.0);
  EXPECT_EQ(ToneEnvelope(22049, n), 1.0);
  EXPECT_EQ(ToneEnvelope(22050, n), 1.0);  // the fall starts at full level
  EXPECT_DOUBLE_EQ(ToneEnvelope(30000, n), 4.0 * (33075 - 30000) / 44100.0);
  EXPECT_GT(ToneEnvelope(33074, n), 0.0);
  EXPECT_EQ(ToneEnvelope(33075, n), 0.0);
  EXPECT_EQ(ToneEnvelope(44099, n), 0.0);
}

TEST(SoundToneImage, SampleValuesOfOneSecondAt1000Hz) {
  const auto image = RenderToneImage(1000, 1.0);
  // Values from 32000 x E(n) x sin(4 x 3.1415926 x 1000 x n / 44100), truncated toward zero.
  EXPECT_EQ(Sample(image, 0), 0);
  EXPECT_EQ(Sample(image, 1), 4);
  EXPECT_EQ(Sample(image, 7), 92);
  EXPECT_EQ(Sample(image, 1000), 11661);
  EXPECT_EQ(Sample(image, 2204), -8991);   // -8991.80: toward zero, not down
  EXPECT_EQ(Sample(image, 2205), 0);       // -0.34
  EXPECT_EQ(Sample(image, 5000), -31965);  // -31965.74
  EXPECT_EQ(Sample(image, 12345), -24144); // the rounded pi and the doubled pitch both show here
  EXPECT_EQ(Sample(image, 22049), -8998);
  EXPECT_EQ(Sample(image, 22050), -3);
  EXPECT_EQ(Sample(image, 30000), -2446);
  for (std::size_t n = 33075; n < 44100; ++n) ASSERT_EQ(Sample(image, n), 0) << n;
}

TEST(SoundToneImage, ShortestToneSamples) {
  const auto image = RenderToneImage(30, 0.001);
  const std::int16_t expected[44] = {0,    124,  547,  820,  1094, 1367, 1640, 1913, 2186, 2459, 2732,
                                     3004, 3276, 3548, 3820, 4092, 4363, 4634, 4904, 5174, 5444, 5713,
                                     5982, 5682, 5333, 4935, 4488, 3993, 3448, 2855, 2213, 1523, 785};
  for (std::size_t n = 0; n < 44; ++n) EXPECT_EQ(Sample(image, n), expected[n]) << n;
}

TEST(SoundToneImage, LimitsClamp) {
  EXPECT_EQ(ClampToneFrequency(0), 30);
  EXPECT_EQ(ClampToneFrequency(-100), 30);
  EXPECT_EQ(ClampToneFrequency(30), 30);
  EXPECT_EQ(ClampToneFrequency(5000), 5000);
  EXPECT_EQ(ClampToneFrequency(5001), 5000);
  EXPECT_EQ(ClampToneDuration(0), 1);
  EXPECT_EQ(ClampToneDuration(-5), 1);
  EXPECT_EQ(ClampToneDuration(10000), 10000);
  EXPECT_EQ(ClampToneDuration(20000), 10000);
}

SoundPlayer Make(int type, std::u16string_view file, int frequency, int durationMs, bool available = true) {
  return SoundPlayer(type, file, frequency, durationMs, available, false, 100, 200, 3);
}

TEST(SoundPlayerState, ZeroToneBecomesShortestLowestTone) {
  const SoundPlayer player = Make(kSoundSilence, u"", 0, 0);
  EXPECT_EQ(player.Frequency(), 30);
  EXPECT_EQ(player.DurationMs(), 1);
  EXPECT_DOUBLE_EQ(player.DurationSeconds(), 0.001);
  ASSERT_TRUE(player.Image());
  EXPECT_EQ(player.Image()->size(), 132u);  // rendered whatever the type
}

TEST(SoundPlayerState, SameToneKeepsImageNewToneRenders) {
  SoundPlayer player = Make(kSoundTone, u"", 440, 100);
  const ToneImage first = player.Image();
  player.SetTone(440, 100);
  EXPECT_EQ(player.Image().get(), first.get());
  player.SetTone(6000, 100);  // clamps to 5000: a change
  EXPECT_NE(player.Image().get(), first.get());
  EXPECT_EQ(player.Frequency(), 5000);
  const ToneImage second = player.Image();
  player.SetTone(9999, 100);  // clamps to the current 5000
  EXPECT_EQ(player.Image().get(), second.get());
  player.SetTone(5000, 101);
  EXPECT_NE(player.Image().get(), second.get());
  EXPECT_EQ(player.Image()->size(), 44u + 2u * 4454u);  // 0.101 s at 44100 Hz
}

TEST(SoundPlayerPlay, SilenceAndUnknownTypesAskForNothing) {
  EXPECT_FALSE(Make(kSoundSilence, u"a.wav", 440, 100).PlayRequest());
  EXPECT_FALSE(Make(3, u"a.wav", 440, 100).PlayRequest());
  EXPECT_FALSE(Make(-1, u"a.wav", 440, 100).PlayRequest());
}

TEST(SoundPlayerPlay, FileAsksForThePath) {
  const auto request = Make(kSoundFile, u"C:\\sounds\\ok.wav", 440, 100).PlayRequest();
  ASSERT_TRUE(request);
  EXPECT_EQ(request->kind, SoundRequest::Kind::File);
  EXPECT_EQ(request->file, u"C:\\sounds\\ok.wav");
  EXPECT_FALSE(request->image);
}

TEST(SoundPlayerPlay, FileThatCannotPlayAsksForNothing) {
  EXPECT_FALSE(Make(kSoundFile, u"C:\\ok.wav", 440, 100, /*available=*/false).PlayRequest());
  EXPECT_FALSE(Make(kSoundFile, u"", 440, 100).PlayRequest());
  EXPECT_FALSE(Make(kSoundFile, std::u16string(u"ok.wav\0x.wav", 12), 440, 100).PlayRequest());
  EXPECT_FALSE(Make(kSoundFile, std::u16string(260, u'a'), 440, 100).PlayRequest());
  EXPECT_TRUE(Make(kSoundFile, std::u16string(259, u'a'), 440, 100).PlayRequest());
}

TEST(SoundPlayerPlay, ToneRequestOutlivesThePlayer) {
  auto player = std::make_unique<SoundPlayer>(kSoundTone, u"", 1000, 1000, true, false, 0, 0, 0);
  auto request = player->PlayRequest();
  ASSERT_TRUE(request);
  EXPECT_EQ(request->kind, SoundRequest::Kind::Tone);
  EXPECT_EQ(request->image.get(), player->Image().get());
  player.reset();
  ASSERT_TRUE(request->image);
  EXPECT_EQ(request->image->size(), 88244u);
}

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
