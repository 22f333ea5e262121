// The process-wide objects and handles of the terminal.
#include "app/app_globals_win.h"

#include "app/main_window_win.h"
#include "app/message_loop_win.h"
#include "session/csession.h"
#include "sound/sound_player.h"
#include "toolbar/animate_win.h"
#include "toolbar/toolbar_win.h"

namespace vantor {

AppGlobals::AppGlobals() = default;
AppGlobals::~AppGlobals() = default;

AppGlobals& App() {
  static AppGlobals app;
  return app;
}

std::unique_ptr<SoundPlayer> MakeSoundPlayer(const AppGlobals& app, int event) {
  const SoundEventSettings& s = app.settings->soundEvent(event);
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
