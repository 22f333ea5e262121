// Sound output on the POSIX build: the core is tested there, and there is no sound device to play on.
#include "devices/sound_player.h"

namespace vantor {

void SoundPlayer::Play() const {}

bool StopSounds(int /*timeoutMs*/) { return true; }

}  // namespace vantor
