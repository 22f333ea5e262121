// Tests of the sound player's state: clamping, rendering once, and what a play asks for.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "devices/sound_player.h"
#include "devices/tone_image.h"

namespace vantor {
namespace {

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

TEST(SoundPlayerState, LongDurationClamped) {
  const SoundPlayer player = Make(kSoundTone, u"", 440, 20000);
  EXPECT_EQ(player.DurationMs(), 10000);
  EXPECT_EQ(player.Image()->size(), 882044u);
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
  EXPECT_EQ(player.Image()->size(), kWaveHeaderSize + 2u * ToneSampleCount(0.101));
  EXPECT_EQ(*player.Image(), RenderToneImage(5000, 0.101));
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
  EXPECT_EQ(*request->image, RenderToneImage(1000, 1.0));
}

}  // namespace
}  // namespace vantor
