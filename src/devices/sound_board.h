// The eight sound events' players, built from the settings at start-up and again for one event after
// its Sound options.
#pragma once

#include <array>
#include <memory>

#include "devices/sound_player.h"
#include "settings/settings.h"

namespace vantor {

class SoundBoard {
 public:
  // soundAvailable: wave files may play; vibratorPresent: the events' vibration values are used.
  SoundBoard(bool soundAvailable, bool vibratorPresent) : soundAvailable_(soundAvailable), vibrator_(vibratorPresent) {}

  // Builds every player from the settings.
  void Build(const Settings& settings);
  // Builds one event's player again (after its Sound options) and returns it; null for no such event.
  const SoundPlayer* Rebuild(const Settings& settings, SoundEvent event);
  // Plays an event's sound without waiting for it; nothing before Build or after Release.
  void Play(SoundEvent event) const;
  // Drops waiting sounds, cuts the playing one short (waiting up to timeoutMs) and frees the players.
  void Release(int timeoutMs);

  const SoundPlayer* Player(SoundEvent event) const;
  bool SoundAvailable() const { return soundAvailable_; }
  bool VibratorPresent() const { return vibrator_; }

 private:
  std::unique_ptr<SoundPlayer> Make(const Settings& settings, int event) const;

  bool soundAvailable_;
  bool vibrator_;
  std::array<std::unique_ptr<SoundPlayer>, kSoundEventCount> players_;
};

}  // namespace vantor
