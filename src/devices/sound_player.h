// One sound event's player: silence, a wave file or a tone rendered once, plus carried vibration values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/settings.h"  // kSoundEventCount: Normal, Error, ScanAccept, ScanReject, User01..User04
#include "devices/sound_queue.h"

namespace vantor {

enum SoundType : int { kSoundSilence = 0, kSoundFile = 1, kSoundTone = 2 };

// Longest wave file path a player keeps (the settings file's buffer less its terminator).
inline constexpr std::size_t kMaxWaveFilePath = 259;

class SoundPlayer {
 public:
  // type: 0 silence, 1 wave file, 2 tone, anything else silence. The tone is clamped (SetTone) and
  // rendered whatever the type. vibrate and its values are carried only: this terminal has no vibrator.
  SoundPlayer(int type, std::u16string_view waveFile, int frequency, int durationMs, bool soundAvailable, bool vibrate,
              std::uint32_t vibrateOnMs, std::uint32_t vibrateOffMs, std::uint32_t vibrateIterations);

  // Clamps to 30..5000 Hz and 1..10000 ms; the same values as now keep the current image.
  void SetTone(int frequency, int durationMs);

  // Plays the sound once without waiting for it (the sound worker keeps what it needs). Any thread.
  void Play() const;

  // What Play hands to the sound worker, or nothing for silence, for a file while sound is not
  // available, and for a file path that cannot name a file.
  std::optional<SoundRequest> PlayRequest() const;

  int Type() const { return type_; }
  const std::u16string& WaveFile() const { return waveFile_; }
  int Frequency() const { return frequency_; }
  int DurationMs() const { return durationMs_; }
  double DurationSeconds() const { return duration_; }
  bool SoundAvailable() const { return soundAvailable_; }
  const ToneImage& Image() const { return image_; }
  bool Vibrate() const { return vibrate_; }
  std::uint32_t VibrateOnMs() const { return vibrateOnMs_; }
  std::uint32_t VibrateOffMs() const { return vibrateOffMs_; }
  std::uint32_t VibrateIterations() const { return vibrateIterations_; }

 private:
  int type_;
  std::u16string waveFile_;
  int frequency_ = 0;
  int durationMs_ = 0;
  double duration_ = 0.0;
  bool soundAvailable_;
  ToneImage image_;
  bool vibrate_;
  std::uint32_t vibrateOnMs_;
  std::uint32_t vibrateOffMs_;
  std::uint32_t vibrateIterations_;
};

// Drops the sounds still waiting and cuts the playing one short; returns false when the sound worker
// was not idle after timeoutMs. The main window calls it when it takes the players down.
bool StopSounds(int timeoutMs);

}  // namespace vantor
