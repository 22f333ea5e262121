// Tests of the settings object: setter limits, event index bounds and the shared value rules.
#include <gtest/gtest.h>

#include <climits>

#include "settings/setting_rules.h"
#include "settings/settings.h"

namespace vantor {
namespace {

TEST(SettingsModel, NumberSettersClampLowerLimitFirst) {
  Settings s;
  s.SetTerminalId(0);
  EXPECT_EQ(s.TerminalId(), 1);
  s.SetTerminalId(1000);
  EXPECT_EQ(s.TerminalId(), 999);
  s.SetTerminalId(INT_MIN);
  EXPECT_EQ(s.TerminalId(), 1);
  s.SetHostPort(70000);
  EXPECT_EQ(s.HostPort(), 65535);
  s.SetHostPort(0);
  EXPECT_EQ(s.HostPort(), 1);
  s.SetScreenSize(300, 0);
  EXPECT_EQ(s.ScreenSize(), (GridSize{207, 1}));
  s.SetScreenSize(-4, 208);
  EXPECT_EQ(s.ScreenSize(), (GridSize{1, 207}));
}

TEST(SettingsModel, TextSettersCutToTheirBuffers) {
  Settings s;
  s.SetFontName(std::u16string(40, u'F'));
  EXPECT_EQ(s.FontName(), std::u16string(31, u'F'));
  s.SetWatermarkText(std::u16string(50, u'W'));
  EXPECT_EQ(s.WatermarkText().size(), kWaterMarkTextMax);
  s.SetSoundFile(3, std::u16string(400, u'p'));
  EXPECT_EQ(s.SoundFile(3).size(), kSoundFileMax);
  s.SetSound(5, SoundEventSettings{1, std::u16string(300, u'w'), 440, 20, 1, 50, 60, 3});
  EXPECT_EQ(s.Sound(5).SoundFile.size(), kSoundFileMax);
  s.SetSerialLine(SerialLineSettings{std::u16string(25, u'C'), u"19200", u"7", u"Even", u"2"});
  EXPECT_EQ(s.SerialLine(), (SerialLineSettings{std::u16string(19, u'C'), u"19200", u"7", u"Even", u"2"}));
  // A long hostname is kept whole.
  const std::u16string longHost(600, u'h');
  s.SetHostName(longHost);
  EXPECT_EQ(s.HostName(), longHost);
}

TEST(SettingsModel, NumericCharsDropQuotesAndRepeats) {
  Settings s;
  s.SetNumericChars(u"1\"12");
  EXPECT_EQ(s.NumericChars(), u"12");
  s.SetNumericChars(u"\"\"\"");
  EXPECT_EQ(s.NumericChars(), u"");
  s.SetNumericChars(u"9.9,0.-");
  EXPECT_EQ(s.NumericChars(), u"9.,0-");
}

TEST(SettingsModel, NumericCharsWalkAtMost255Characters) {
  // 300 distinct characters: only the first 255 are looked at.
  std::u16string distinct;
  for (char16_t c = 0x100; c < 0x100 + 300; ++c) distinct.push_back(c);
  EXPECT_EQ(FilterNumericChars(distinct), distinct.substr(0, 255));
  // A character past the 255th is not taken even when the walk kept fewer than 255.
  std::u16string repeated(255, u'1');
  repeated += u"2";
  EXPECT_EQ(FilterNumericChars(repeated), u"1");
}

TEST(SettingsModel, SoundEventIndexOutsideRangeIsHarmless) {
  Settings s;
  s.SetSoundType(8, 2);
  s.SetSoundFile(-1, u"x.wav");
  s.SetTone(100, 1, 1);
  s.SetVibrateIterations(INT_MIN, 9);
  s.SetSound(8, SoundEventSettings{2, u"y.wav", 1, 2, 3, 4, 5, 6});
  EXPECT_EQ(s.Sound(8), SoundEventSettings{});
  EXPECT_EQ(s.Sound(-1), SoundEventSettings{});
  EXPECT_EQ(s.SoundFile(INT_MAX), u"");
  for (int e = 0; e < kSoundEventCount; ++e) EXPECT_EQ(s.Sound(e), SoundEventSettings{}) << e;
  EXPECT_EQ(SoundEventPrefix(8), "");
  EXPECT_EQ(SoundEventPrefix(-1), "");
}

TEST(SettingsModel, EffectivePointSizeAddsTheHostStepWithoutOverflow) {
  Settings s;
  s.SetFontStep(-3);
  EXPECT_EQ(s.EffectivePointSize(), 6);
  s.SetFontPointSize(INT_MAX);
  s.SetFontStep(10);
  EXPECT_EQ(s.EffectivePointSize(), INT_MAX);
  s.SetFontPointSize(INT_MIN);
  s.SetFontStep(-10);
  EXPECT_EQ(s.EffectivePointSize(), INT_MIN);
}

TEST(SettingRules, CutTextKeepsWholeSurrogatePairs) {
  const std::u16string text = u"ab\U0001F600c";  // a, b, high, low, c
  EXPECT_EQ(CutText(text, 3), u"ab");
  EXPECT_EQ(CutText(text, 4), u"ab\U0001F600");
  EXPECT_EQ(CutText(text, 10), text);
  EXPECT_EQ(CutText(text, 0), u"");
}

TEST(SettingRules, AsciiToIntFollowsAtoiAndSaturates) {
  EXPECT_EQ(AsciiToInt("42"), 42);
  EXPECT_EQ(AsciiToInt("  -17xyz"), -17);
  EXPECT_EQ(AsciiToInt("+8"), 8);
  EXPECT_EQ(AsciiToInt("\t\r\n 5"), 5);
  EXPECT_EQ(AsciiToInt("abc"), 0);
  EXPECT_EQ(AsciiToInt(""), 0);
  EXPECT_EQ(AsciiToInt("-"), 0);
  EXPECT_EQ(AsciiToInt("2147483647"), INT_MAX);
  EXPECT_EQ(AsciiToInt("-2147483648"), INT_MIN);
  EXPECT_EQ(AsciiToInt("2147483648"), INT_MAX);
  EXPECT_EQ(AsciiToInt("99999999999999999999999999999"), INT_MAX);
  EXPECT_EQ(AsciiToInt("-99999999999999999999999999999"), INT_MIN);
}

TEST(SettingRules, UnsignedDecimalReadsLeadingDigits) {
  EXPECT_EQ(ReadUnsignedDecimal(u"70000"), 70000);
  EXPECT_EQ(ReadUnsignedDecimal(u""), 0);
  EXPECT_EQ(ReadUnsignedDecimal(u"-5"), 0);
  EXPECT_EQ(ReadUnsignedDecimal(u"12ab"), 12);
  EXPECT_EQ(ReadUnsignedDecimal(u"99999999999999"), INT_MAX);
}

}  // namespace
}  // namespace vantor
