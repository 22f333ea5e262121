// The process-wide objects and handles of the terminal.
#include "win/app/app_globals.h"

#include "win/app/main_window.h"
#include "win/base/message_loop.h"
#include "session/csession.h"
#include "devices/sound_player.h"
#include "win/toolbar/lock_indicator.h"
#include "win/toolbar/toolbar.h"

namespace vantor {

AppGlobals::AppGlobals() = default;
AppGlobals::~AppGlobals() = default;

AppGlobals& App() {
  static AppGlobals app;
  return app;
}

std::unique_ptr<SoundPlayer> MakeSoundPlayer(const AppGlobals& app, int event) {
  const SoundEventSettings& s = app.settings->Sound(event);
  const bool vibrate = app.vibratorPresent && s.VibrateEnabled != 0;
  return std::make_unique<SoundPlayer>(s.SoundType, s.SoundFile, s.SoundToneFrequency, s.SoundToneDuration,
                                       app.soundAvailable, vibrate, static_cast<std::uint32_t>(s.VibrateOnTime),
                                       static_cast<std::uint32_t>(s.VibrateOffTime),
                                       static_cast<std::uint32_t>(s.VibrateIterations));
}

void BuildSoundPlayers(AppGlobals& app) {
  for (int event = 0; event < kSoundEventCount; ++event) {
    app.soundPlayers[static_cast<std::size_t>(event)] = MakeSoundPlayer(app, event);
  }
}

void DestroySoundPlayers(AppGlobals& app) {
  StopSounds(2000);
  for (auto& player : app.soundPlayers) player.reset();
}

}  // namespace vantor
