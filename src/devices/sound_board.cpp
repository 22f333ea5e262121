// The eight sound events' players.
#include "devices/sound_board.h"

namespace vantor {

std::unique_ptr<SoundPlayer> SoundBoard::Make(const Settings& settings, int event) const {
  const SoundEventSettings& s = settings.Sound(event);
  const bool vibrate = vibrator_ && s.VibrateEnabled != 0;
  return std::make_unique<SoundPlayer>(s.SoundType, s.SoundFile, s.SoundToneFrequency, s.SoundToneDuration,
                                       soundAvailable_, vibrate, static_cast<std::uint32_t>(s.VibrateOnTime),
                                       static_cast<std::uint32_t>(s.VibrateOffTime),
                                       static_cast<std::uint32_t>(s.VibrateIterations));
}

void SoundBoard::Build(const Settings& settings) {
  for (int event = 0; event < kSoundEventCount; ++event)
    players_[static_cast<std::size_t>(event)] = Make(settings, event);
}

const SoundPlayer* SoundBoard::Rebuild(const Settings& settings, SoundEvent event) {
  const int index = IndexOf(event);
  if (index < 0 || index >= kSoundEventCount) return nullptr;
  auto& player = players_[static_cast<std::size_t>(index)];
  player.reset();
  player = Make(settings, index);
  return player.get();
}

void SoundBoard::Play(SoundEvent event) const {
  if (const SoundPlayer* player = Player(event)) player->Play();
}

void SoundBoard::Release(int timeoutMs) {
  StopSounds(timeoutMs);
  for (auto& player : players_) player.reset();
}

const SoundPlayer* SoundBoard::Player(SoundEvent event) const {
  const int index = IndexOf(event);
  if (index < 0 || index >= kSoundEventCount) return nullptr;
  return players_[static_cast<std::size_t>(index)].get();
}

}  // namespace vantor
