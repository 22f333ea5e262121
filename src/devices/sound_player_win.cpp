// Sound output through PlaySoundW: files started asynchronously, tone images played on the sound worker.
#include <windows.h>
#include <mmsystem.h>

#include "devices/sound_player.h"

namespace vantor {

namespace {

void Perform(const SoundRequest& request) {
  if (request.kind == SoundRequest::Kind::File) {
    // PlaySoundW copies the name, so the request may go right after the call returns.
    PlaySoundW(reinterpret_cast<LPCWSTR>(request.file.c_str()), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
  } else if (request.image && !request.image->empty()) {
    // Synchronous on the worker: the image stays alive until the tone has ended.
    PlaySoundW(reinterpret_cast<LPCWSTR>(request.image->data()), nullptr, SND_MEMORY | SND_SYNC | SND_NODEFAULT);
  }
}

void Interrupt() { PlaySoundW(nullptr, nullptr, 0); }

// Lives until the process ends: the worker may still be inside PlaySoundW when exit starts, and
// joining it from a static destructor could hold up the exit for the length of a tone.
SoundQueue& Worker() {
  static SoundQueue* const queue = new SoundQueue(Perform, Interrupt);
  return *queue;
}

}  // namespace

void SoundPlayer::Play() const {
  if (auto request = PlayRequest()) Worker().Enqueue(std::move(*request));
}

bool StopSounds(int timeoutMs) { return Worker().StopAll(timeoutMs); }

}  // namespace vantor
