// The in-memory RIFF wave image of a synthesised tone, and the limits of a tone setting.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vantor {

inline constexpr int kToneMinFrequency = 30;
inline constexpr int kToneMaxFrequency = 5000;
inline constexpr int kToneMinDurationMs = 1;
inline constexpr int kToneMaxDurationMs = 10000;
inline constexpr std::uint32_t kToneSampleRate = 44100;
inline constexpr std::size_t kWaveHeaderSize = 44;

inline int ClampToneFrequency(int hertz) {
  return hertz < kToneMinFrequency ? kToneMinFrequency : hertz > kToneMaxFrequency ? kToneMaxFrequency : hertz;
}
inline int ClampToneDuration(int ms) {
  return ms < kToneMinDurationMs ? kToneMinDurationMs : ms > kToneMaxDurationMs ? kToneMaxDurationMs : ms;
}

// Samples in a tone of the given length: seconds x 44100, truncated.
std::uint32_t ToneSampleCount(double seconds);

// Loudness (0..1) of sample n of count: a rise over the first twentieth, full to the half, a fall to
// three quarters, silence after.
double ToneEnvelope(std::uint32_t n, std::uint32_t count);

// Mono 16-bit PCM at 44100 Hz: the 44-byte header and the samples. The sine runs at twice the set
// frequency, so that stored tone settings keep sounding as they always have.
std::vector<std::uint8_t> RenderToneImage(int frequency, double seconds);

}  // namespace vantor
