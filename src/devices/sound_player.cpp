// The platform-neutral state of a sound player: clamping, rendering, and what a play asks for.
#include "devices/sound_player.h"

#include <memory>

#include "devices/tone_image.h"

namespace vantor {

namespace {

// A path the player can hand to the platform: not empty, no embedded terminator, not too long.
bool UsablePath(std::u16string_view path) {
  return !path.empty() && path.size() <= kMaxWaveFilePath && path.find(u'\0') == std::u16string_view::npos;
}

}  // namespace

SoundPlayer::SoundPlayer(int type, std::u16string_view waveFile, int frequency, int durationMs, bool soundAvailable,
                         bool vibrate, std::uint32_t vibrateOnMs, std::uint32_t vibrateOffMs,
                         std::uint32_t vibrateIterations)
    : type_(type),
      waveFile_(waveFile),
      soundAvailable_(soundAvailable),
      vibrate_(vibrate),
      vibrateOnMs_(vibrateOnMs),
      vibrateOffMs_(vibrateOffMs),
      vibrateIterations_(vibrateIterations) {
  SetTone(frequency, durationMs);
}

void SoundPlayer::SetTone(int frequency, int durationMs) {
  const int ms = ClampToneDuration(durationMs);
  const int f = ClampToneFrequency(frequency);
  if (image_ && f == frequency_ && ms == durationMs_) return;
  frequency_ = f;
  durationMs_ = ms;
  duration_ = ms / 1000.0;
  image_ = std::make_shared<const std::vector<std::uint8_t>>(RenderToneImage(frequency_, duration_));
}

std::optional<SoundRequest> SoundPlayer::PlayRequest() const {
  switch (type_) {
    case kSoundFile:
      // A path that cannot name a file makes no sound, as a missing file does.
      if (!soundAvailable_ || !UsablePath(waveFile_)) return std::nullopt;
      return SoundRequest{SoundRequest::Kind::File, waveFile_, nullptr};
    case kSoundTone: return SoundRequest{SoundRequest::Kind::Tone, {}, image_};
    default: return std::nullopt;
  }
}

}  // namespace vantor
