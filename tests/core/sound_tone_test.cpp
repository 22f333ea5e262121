// Tests of the tone's wave image: sizes, envelope and sample values.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "devices/tone_image.h"

namespace vantor {
namespace {

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint16_t Le16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::int16_t Sample(const std::vector<std::uint8_t>& b, std::size_t n) {
  return static_cast<std::int16_t>(Le16(b, kWaveHeaderSize + 2 * n));
}

TEST(SoundToneImage, ShortestAndLongestSizes) {
  const auto shortest = RenderToneImage(30, 0.001);
  EXPECT_EQ(ToneSampleCount(0.001), 44u);
  ASSERT_EQ(shortest.size(), 132u);
  EXPECT_EQ(Le32(shortest, 4), 124u);
  EXPECT_EQ(Le32(shortest, 40), 88u);

  EXPECT_EQ(ToneSampleCount(10.0), 441000u);
  const auto longest = RenderToneImage(5000, 10.0);
  EXPECT_EQ(longest.size(), 882044u);
  EXPECT_EQ(Le32(longest, 40), 882000u);
}

TEST(SoundToneImage, SampleCountTruncates) {
  EXPECT_EQ(ToneSampleCount(0.0011), 48u);  // 48.51
  EXPECT_EQ(ToneSampleCount(0.0), 0u);
  EXPECT_EQ(ToneSampleCount(-1.0), 0u);
  EXPECT_EQ(RenderToneImage(440, 0.0).size(), kWaveHeaderSize);
}

TEST(SoundToneImage, EnvelopeRegionsOfOneSecond) {
  const std::uint32_t n = 44100;
  EXPECT_EQ(ToneEnvelope(0, n), 0.0);
  EXPECT_DOUBLE_EQ(ToneEnvelope(1, n), 20.0 / 44100.0);
  EXPECT_LT(ToneEnvelope(2204, n), 1.0);  // last rising sample
  EXPECT_GT(ToneEnvelope(2204, n), 0.99);
  EXPECT_EQ(ToneEnvelope(2205, n), 1.0);
  EXPECT_EQ(ToneEnvelope(22049, n), 1.0);
  EXPECT_EQ(ToneEnvelope(22050, n), 1.0);  // the fall starts at full level
  EXPECT_DOUBLE_EQ(ToneEnvelope(30000, n), 4.0 * (33075 - 30000) / 44100.0);
  EXPECT_GT(ToneEnvelope(33074, n), 0.0);
  EXPECT_EQ(ToneEnvelope(33075, n), 0.0);
  EXPECT_EQ(ToneEnvelope(44099, n), 0.0);
}

TEST(SoundToneImage, SampleValuesOfOneSecondAt1000Hz) {
  const auto image = RenderToneImage(1000, 1.0);
  // Values from 32000 x E(n) x sin(4 x 3.1415926 x 1000 x n / 44100), truncated toward zero.
  EXPECT_EQ(Sample(image, 0), 0);
  EXPECT_EQ(Sample(image, 1), 4);
  EXPECT_EQ(Sample(image, 7), 92);
  EXPECT_EQ(Sample(image, 1000), 11661);
  EXPECT_EQ(Sample(image, 2204), -8991);   // -8991.80: toward zero, not down
  EXPECT_EQ(Sample(image, 2205), 0);       // -0.34
  EXPECT_EQ(Sample(image, 5000), -31965);  // -31965.74
  EXPECT_EQ(Sample(image, 12345), -24144); // the rounded pi and the doubled pitch both show here
  EXPECT_EQ(Sample(image, 22049), -8998);
  EXPECT_EQ(Sample(image, 22050), -3);
  EXPECT_EQ(Sample(image, 30000), -2446);
  for (std::size_t n = 33075; n < 44100; ++n) ASSERT_EQ(Sample(image, n), 0) << n;
}

TEST(SoundToneImage, ShortestToneSamples) {
  const auto image = RenderToneImage(30, 0.001);
  const std::int16_t expected[44] = {0,    124,  547,  820,  1094, 1367, 1640, 1913, 2186, 2459, 2732,
                                     3004, 3276, 3548, 3820, 4092, 4363, 4634, 4904, 5174, 5444, 5713,
                                     5982, 5682, 5333, 4935, 4488, 3993, 3448, 2855, 2213, 1523, 785};
  for (std::size_t n = 0; n < 44; ++n) EXPECT_EQ(Sample(image, n), expected[n]) << n;
}

TEST(SoundToneImage, LimitsClamp) {
  EXPECT_EQ(ClampToneFrequency(0), 30);
  EXPECT_EQ(ClampToneFrequency(-100), 30);
  EXPECT_EQ(ClampToneFrequency(30), 30);
  EXPECT_EQ(ClampToneFrequency(5000), 5000);
  EXPECT_EQ(ClampToneFrequency(5001), 5000);
  EXPECT_EQ(ClampToneDuration(0), 1);
  EXPECT_EQ(ClampToneDuration(-5), 1);
  EXPECT_EQ(ClampToneDuration(10000), 10000);
  EXPECT_EQ(ClampToneDuration(20000), 10000);
}

}  // namespace
}  // namespace vantor
