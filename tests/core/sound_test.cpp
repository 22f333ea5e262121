// Sound rules: tone images, the player's requests, and the worker's bound and stopping.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "devices/sound_board.h"
#include "devices/sound_player.h"
#include "devices/sound_queue.h"
#include "devices/tone_image.h"
#include "row_tables.h"

namespace vantor {
namespace {

using namespace std::chrono_literals;

std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes = 4) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | b[at + static_cast<std::size_t>(i)];
  return value;
}

// The header a player hands to the system must describe the samples behind it.
TEST(SoundToneImage, HeaderAndSamples) {
  const std::vector<std::uint8_t> image = RenderToneImage(1000, 1.0);
  ASSERT_EQ(image.size(), kWaveHeaderSize + 2 * 44100);
  const std::string text(image.begin(), image.begin() + kWaveHeaderSize);
  EXPECT_EQ(text.substr(0, 4) + text.substr(8, 8) + text.substr(36, 4), "RIFFWAVEfmt data");
  // The table "tone image": header fields and samples.
  testing_support::ForEachRow("tone image", [&](const std::vector<std::string>& w) {
    const std::size_t at = std::stoul(w.at(1));
    if (w[0] == "header") {
      const std::uint32_t size = static_cast<std::uint32_t>(image.size());
      const std::uint32_t value = w.at(2) == "file" ? size - 8
                                  : w[2] == "data"  ? size - kWaveHeaderSize
                                                    : std::stoul(w[2]);
      EXPECT_EQ(Le(image, at), value);
    } else {
      EXPECT_EQ(std::int16_t(Le(image, kWaveHeaderSize + 2 * at, 2)), std::stoi(w.at(2)));
    }
  });
}

SoundPlayer Make(int type, std::u16string_view file, bool available = true, int frequency = 440, int ms = 100) {
  return SoundPlayer(type, file, frequency, ms, available, false, 100, 200, 3);
}

TEST(SoundPlayer, ToneIsClampedAndRenderedOnlyWhenItChanges) {
  const SoundPlayer lowest = Make(kSoundSilence, u"", true, 0, 0), highest = Make(kSoundTone, u"", true, 5001, 10001);
  EXPECT_EQ(std::pair(lowest.Frequency(), highest.Frequency()), std::pair(30, 5000));
  EXPECT_EQ(lowest.Image()->size(), 132u);                      // 1 ms, rendered whatever the type
  EXPECT_EQ(highest.Image()->size(), 44u + 2u * 441000u);       // 10 s
  SoundPlayer player = Make(kSoundTone, u"", true, 6000, 100);  // clamps to 5000
  const ToneImage first = player.Image();
  player.SetTone(9999, 100);  // clamps to the current 5000
  EXPECT_EQ(player.Image(), first);
  player.SetTone(5000, 101);
  EXPECT_NE(player.Image(), first);
  EXPECT_EQ(player.Image()->size(), 44u + 2u * 4454u);  // 0.101 s at 44100 Hz
}

TEST(SoundPlayer, PlayRequests) {
  testing_support::ForEachRow("sound files", [&](const std::vector<std::string>& w) {
    std::u16string file;
    const std::string part = testing_support::Text(w.at(1));
    for (int i = std::stoi(w.at(2)); i > 0; --i) file.append(part.begin(), part.end());
    const auto request = Make(std::stoi(w.at(0)), file, w.at(3) == "available").PlayRequest();
    EXPECT_EQ(request ? request->file : u"<none>", w.at(4) == "plays" ? file : u"<none>");
  });
  const SoundPlayer tone = Make(kSoundTone, u"");
  ASSERT_TRUE(tone.PlayRequest());
  EXPECT_EQ(tone.PlayRequest()->kind, SoundRequest::Kind::Tone);
  EXPECT_EQ(tone.PlayRequest()->image, tone.Image());
  EXPECT_EQ(SoundBoard(false, false).Player(static_cast<SoundEvent>(8)), nullptr);
}

// Stands in for the platform: records what it plays; a sound lasts until interrupted, as a synchronous
// tone does.
struct FakeOutput {
  void Perform(const SoundRequest& r) {
    std::unique_lock<std::mutex> lock(mutex);
    // A tone shows its length in kilobytes, to tell a whole image from a released one.
    played.push_back(r.image ? u"tone" + std::u16string(r.image->size() / 1000, u'.') : r.file);
    interrupted = false;
    changed.notify_all();
    changed.wait_for(lock, 10s, [this] { return interrupted; });
  }
  void Interrupt() {
    std::lock_guard<std::mutex> lock(mutex);
    interrupted = true;
    changed.notify_all();
  }
  bool WaitStarted(std::size_t count) {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, 5s, [&] { return played.size() >= count; });
  }

  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::u16string> played;
  bool interrupted = false;
};

SoundRequest File(std::u16string name) { return {SoundRequest::Kind::File, std::move(name), nullptr}; }

TEST(SoundQueue, BacklogIsBoundedAndStopAllOrDestructionCutsThePlayingSoundShort) {
  FakeOutput out;
  auto queue = std::make_unique<SoundQueue>([&](const SoundRequest& r) { out.Perform(r); }, [&] { out.Interrupt(); });
  const auto before = std::chrono::steady_clock::now();
  ASSERT_TRUE(queue->Enqueue(File(u"first")));
  ASSERT_TRUE(out.WaitStarted(1));
  for (std::size_t i = 0; i < SoundQueue::kDefaultMaxPending; ++i) ASSERT_TRUE(queue->Enqueue(File(u"waiting")));
  EXPECT_FALSE(queue->Enqueue(File(u"dropped")));
  EXPECT_TRUE(queue->StopAll(3000));
  EXPECT_EQ(queue->Pending(), 0u);
  {
    // The player is gone before its tone plays.
    const auto tone = SoundPlayer(kSoundTone, u"", 1000, 500, true, false, 0, 0, 0).PlayRequest();
    ASSERT_TRUE(queue->Enqueue(*tone));
  }
  ASSERT_TRUE(out.WaitStarted(2));
  ASSERT_TRUE(queue->Enqueue(File(u"never")));
  queue.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);  // not one of the fake's 10 s holds
  const std::lock_guard<std::mutex> lock(out.mutex);
  EXPECT_EQ(out.played, (std::vector<std::u16string>{u"first", u"tone" + std::u16string(44, u'.')}));
}

}  // namespace
}  // namespace vantor
