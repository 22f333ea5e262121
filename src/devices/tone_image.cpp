// Renders the wave image of a tone byte for byte.
#include "devices/tone_image.h"

#include <cmath>
#include <cstring>

namespace vantor {

namespace {

constexpr double kPi = 3.1415926;  // the rounded value the tones have always been rendered with
constexpr double kAmplitude = 32000.0;

void Put16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value & 0xFF);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
}

}  // namespace

std::uint32_t ToneSampleCount(double seconds) {
  if (!(seconds > 0.0)) return 0;
  const double samples = seconds * static_cast<double>(kToneSampleRate);
  // Far above any clamped duration; keeps the header's 32-bit sizes from wrapping.
  if (samples >= 100000000.0) return 100000000u;
  return static_cast<std::uint32_t>(samples);
}

double ToneEnvelope(std::uint32_t n, std::uint32_t count) {
  if (n == 0 || count == 0) return 0.0;
  const std::uint32_t riseEnd = count / 20;
  const auto fallEnd = static_cast<std::uint32_t>((3 * static_cast<std::uint64_t>(count)) / 4);
  if (n < riseEnd) return 20.0 * n / count;
  if (n < count / 2) return 1.0;
  if (n >= fallEnd) return 0.0;
  return 4.0 * static_cast<double>(fallEnd - n) / count;
}

std::vector<std::uint8_t> RenderToneImage(int frequency, double seconds) {
  const std::uint32_t count = ToneSampleCount(seconds);
  const std::uint32_t dataBytes = 2 * count;
  std::vector<std::uint8_t> image(kWaveHeaderSize + dataBytes);
  std::uint8_t* h = image.data();
  std::memcpy(h + 0, "RIFF", 4);
  Put32(h + 4, dataBytes + 36);
  std::memcpy(h + 8, "WAVE", 4);
  std::memcpy(h + 12, "fmt ", 4);
  Put32(h + 16, 16);
  Put16(h + 20, 1);  // PCM
  Put16(h + 22, 1);  // mono
  Put32(h + 24, kToneSampleRate);
  Put32(h + 28, 2 * kToneSampleRate);
  Put16(h + 32, 2);
  Put16(h + 34, 16);
  std::memcpy(h + 36, "data", 4);
  Put32(h + 40, dataBytes);

  std::uint8_t* out = h + kWaveHeaderSize;
  const double f = static_cast<double>(frequency);
  for (std::uint32_t n = 0; n < count; ++n) {
    const double phase = 4.0 * kPi * f * static_cast<double>(n) / static_cast<double>(kToneSampleRate);
    const double value = ToneEnvelope(n, count) * kAmplitude * std::sin(phase);
    const auto sample = static_cast<std::int16_t>(static_cast<int>(value));  // toward zero
    Put16(out + 2 * static_cast<std::size_t>(n), static_cast<std::uint16_t>(sample));
  }
  return image;
}

}  // namespace vantor
