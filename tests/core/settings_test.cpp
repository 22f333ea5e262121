// Settings rules: setter limits, value rules, the settings file's exact text and its lenient reader.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

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

namespace fs = std::filesystem;

// A fresh folder per test, removed afterwards.
class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("vantor_h1_" + std::string(info->name()) + "_" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(dir_);
    path_ = dir_ / "Vantor.ini";
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  void WriteBytes(std::string_view bytes) {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::string ReadBytes() const {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // A new object that has read the given file text.
  Settings Read(std::string_view bytes) {
    WriteBytes(bytes);
    Settings s(path_);
    EXPECT_TRUE(s.ReadSettings());
    return s;
  }

  fs::path dir_;
  fs::path path_;
};

std::string SoundGroupLines(std::string_view prefix) {
  std::string p(prefix);
  return p + "SoundType=0\r\n" + p + "SoundFile=\"\"\r\n" + p + "SoundToneFrequency=30\r\n" + p +
         "SoundToneDuration=1\r\n" + p + "VibrateEnabled=0\r\n" + p + "VibrateOnTime=100\r\n" + p +
         "VibrateOffTime=100\r\n" + p + "VibrateIterations=1\r\n";
}

// The file of a new settings object, line by line in the writer's order.
std::string DefaultFileText() {
  return "hostname=127.0.0.1\r\n"
         "hostport=9999\r\n"
         "screencols=80\r\n"
         "screenrows=24\r\n"
         "terminalid=1\r\n"
         "toolbarsize=0\r\n"
         "fullscreen=false\r\n"
         "windowstate=0\r\n"
         "windowpos=0,0,240,320\r\n"
         "intercharacterdelay=30\r\n"
         "fontpointsize=9\r\n"
         "fontautosize=false\r\n"
         "fontname=\"Courier New\"\r\n"
         "serial=\"COM1:,9600,8,None,1\"\r\n"
         "serialcommand=false\r\n"
         "serialfeature=false,0,0,false,0,0\r\n"
         "serialReadIntervalTimeout=500\r\n"
         "serialReadTotalTimeoutConstant=0\r\n"
         "serialReadTotalTimeoutMultiplier=0\r\n"
         "serialWriteTotalTimeoutConstant=0\r\n"
         "serialWriteTotalTimeoutMultiplier=0\r\n"
         "fieldedit=true\r\n"
         "fieldnumericvalue=\"0123456789+-%*/.$\"\r\n"
         "scannerappendenter=false\r\n"
         "scannerappendf0=true\r\n"
         "scanneroverwritefield=true\r\n"
         "fieldentertof0=true\r\n"
         "ScannerModeCallBack=true\r\n"
         "CustomColorMode=false\r\n"
         "ShowWaterMark=true\r\n"
         "WaterMarkText=\"Vantor II\"\r\n"
         "ForeGroundColor=000000\r\n"
         "BackGroundColor=95B2C3\r\n"
         "InputForeGroundColor=000000\r\n"
         "InputBackGroundColor=FFFFFF\r\n"
         "FocusForeGroundColor=000000\r\n"
         "FocusBackGroundColor=FFF09E\r\n"
         "SelectedForeGround=FFFFFF\r\n"
         "SelectedBackGroundColor=FFCC33\r\n"
         "CheckBoxCheckAndRadioButtonDotColor=000000\r\n"
         "CharacterCellAdditionalWidth=01\r\n"
         "KorvathAdminMode=false\r\n"
         "UnderlineFixedTextMode=true\r\n"
         "UpperCaseInputMode=false\r\n" +
         SoundGroupLines("Normal") + SoundGroupLines("Error") + SoundGroupLines("ScanAccept") +
         SoundGroupLines("ScanReject") + "fieldIsUTF8=false\r\n" + SoundGroupLines("User01") +
         SoundGroupLines("User02") + SoundGroupLines("User03") + SoundGroupLines("User04");
}

// Every stored setting of two objects, compared one by one.
void ExpectSameSettings(const Settings& a, const Settings& b) {
  EXPECT_EQ(a.HostName(), b.HostName());
  EXPECT_EQ(a.HostPort(), b.HostPort());
  EXPECT_EQ(a.TerminalId(), b.TerminalId());
  EXPECT_EQ(a.HostTextIsUtf8(), b.HostTextIsUtf8());
  EXPECT_EQ(a.ScreenSize(), b.ScreenSize());
  EXPECT_EQ(a.ToolbarSize(), b.ToolbarSize());
  EXPECT_EQ(a.FullScreen(), b.FullScreen());
  EXPECT_EQ(a.WindowState(), b.WindowState());
  EXPECT_EQ(a.WindowPosition(), b.WindowPosition());
  EXPECT_EQ(a.ShowWatermark(), b.ShowWatermark());
  EXPECT_EQ(a.WatermarkText(), b.WatermarkText());
  EXPECT_EQ(a.CustomColours(), b.CustomColours());
  EXPECT_EQ(a.FontName(), b.FontName());
  EXPECT_EQ(a.FontPointSize(), b.FontPointSize());
  EXPECT_EQ(a.FontAutoSize(), b.FontAutoSize());
  EXPECT_EQ(a.ExtraCellWidth(), b.ExtraCellWidth());
  EXPECT_EQ(a.UpperCaseInput(), b.UpperCaseInput());
  EXPECT_EQ(a.InterCharacterDelay(), b.InterCharacterDelay());
  EXPECT_EQ(a.FirstKeyReplaces(), b.FirstKeyReplaces());
  EXPECT_EQ(a.EnterSendsKey(), b.EnterSendsKey());
  EXPECT_EQ(a.NumericChars(), b.NumericChars());
  EXPECT_EQ(a.UnderlineFixedText(), b.UnderlineFixedText());
  EXPECT_EQ(a.ScannerAppendsEnter(), b.ScannerAppendsEnter());
  EXPECT_EQ(a.ScannerAppendsF0(), b.ScannerAppendsF0());
  EXPECT_EQ(a.ScannerOverwritesField(), b.ScannerOverwritesField());
  EXPECT_EQ(a.ScannerCallbackMode(), b.ScannerCallbackMode());
  EXPECT_EQ(a.TextColour(), b.TextColour());
  EXPECT_EQ(a.BackgroundColour(), b.BackgroundColour());
  EXPECT_EQ(a.InputTextColour(), b.InputTextColour());
  EXPECT_EQ(a.InputBackgroundColour(), b.InputBackgroundColour());
  EXPECT_EQ(a.FocusTextColour(), b.FocusTextColour());
  EXPECT_EQ(a.FocusBackgroundColour(), b.FocusBackgroundColour());
  EXPECT_EQ(a.SelectedTextColour(), b.SelectedTextColour());
  EXPECT_EQ(a.SelectedBackgroundColour(), b.SelectedBackgroundColour());
  EXPECT_EQ(a.MarkColour(), b.MarkColour());
  EXPECT_EQ(a.SerialLine(), b.SerialLine());
  EXPECT_EQ(a.SerialCommandMode(), b.SerialCommandMode());
  EXPECT_EQ(a.SerialFeature(), b.SerialFeature());
  EXPECT_EQ(a.SerialTimeouts(), b.SerialTimeouts());
  EXPECT_EQ(a.AdminMode(), b.AdminMode());
  for (int e = 0; e < kSoundEventCount; ++e) EXPECT_EQ(a.Sound(e), b.Sound(e)) << "event " << e;
}

TEST_F(SettingsFile, NewObjectWritesEveryLineInOrder) {
  Settings s(path_);
  ASSERT_TRUE(s.WriteSettings());
  EXPECT_EQ(ReadBytes(), DefaultFileText());
}

TEST_F(SettingsFile, ReadingTheDefaultFileGivesTheDefaults) {
  const Settings fresh;
  const Settings read = Read(DefaultFileText());
  ExpectSameSettings(read, fresh);
}

TEST_F(SettingsFile, EverySettingSurvivesWriteAndRead) {
  // Colours come only from the file.
  Settings a = Read("ForeGroundColor=102030\r\nBackGroundColor=a1b2c3\r\nInputForeGroundColor=010203\r\n"
                     "InputBackGroundColor=FEDCBA\r\nFocusForeGroundColor=0000FF\r\nFocusBackGroundColor=FF0000\r\n"
                     "SelectedForeGround=00FF00\r\nSelectedBackGroundColor=123456\r\n"
                     "CheckBoxCheckAndRadioButtonDotColor=ABCDEF\r\nUnderlineFixedTextMode=false\r\n"
                     "intercharacterdelay=75\r\n");
  EXPECT_EQ(a.BackgroundColour(), 0xC3B2A1u);
  a.SetHostName(u"host.example");
  a.SetHostPort(4001);
  a.SetTerminalId(321);
  a.SetHostTextIsUtf8(true);
  a.SetScreenSize(20, 16);
  a.SetToolbarSize(-1);
  a.SetFullScreen(true);
  a.SetWindowState(-1);
  a.SetWindowPosition(-5, 7, 480, 640);
  a.SetShowWatermark(false);
  a.SetWatermarkText(u"Depot = 3, bay 7");
  a.SetCustomColours(true);
  a.SetFontName(u"Lucida Console");
  a.SetFontPointSize(12);
  a.SetFontAutoSize(true);
  a.SetExtraCellWidth(7);
  a.SetUpperCaseInput(true);
  a.SetFirstKeyReplaces(false);
  a.SetEnterSendsKey(false);
  a.SetNumericChars(u"0123456789.,");
  a.SetScannerAppendsEnter(true);
  a.SetScannerAppendsF0(false);
  a.SetScannerOverwritesField(false);
  a.SetScannerCallbackMode(false);
  a.SetSerialLine(SerialLineSettings{u"COM3:", u"19200", u"7", u"Even", u"2"});
  a.SetSerialCommandMode(true);
  a.SetSerialFeature(SerialFeatureSettings{true, 2, 3, true, 200, 127});
  a.SetSerialTimeouts(SerialTimeoutSettings{100, 2, 3, 4, 5});
  a.SetAdminMode(false);
  for (int e = 0; e < kSoundEventCount; ++e)
    a.SetSound(e, SoundEventSettings{e % 3, u"C:\\Sounds\\beep" + std::u16string(1, char16_t(u'0' + e)) + u".wav",
                                           100 + e, 200 + e, e % 2, 10 * e, 20 * e, e});
  ASSERT_TRUE(a.WriteSettings());

  Settings b(path_);
  ASSERT_TRUE(b.ReadSettings());
  ExpectSameSettings(b, a);
  EXPECT_EQ(b.InterCharacterDelay(), 75);
  EXPECT_FALSE(b.UnderlineFixedText());
  // Normalised: writing what was read gives the same bytes.
  const std::string first = ReadBytes();
  ASSERT_TRUE(b.WriteSettings());
  EXPECT_EQ(ReadBytes(), first);
}

TEST_F(SettingsFile, RunTimeValuesAreNotWritten) {
  Settings s(path_);
  s.SetFontStep(4);
  s.SetFontSize(17, 3);
  s.SetCellSize(9, 19);
  s.SetFontQuality(5);
  s.SetFontOutPrecision(1);
  ASSERT_TRUE(s.WriteSettings());
  EXPECT_EQ(ReadBytes(), DefaultFileText());
  ASSERT_TRUE(s.ReadSettings());
  EXPECT_EQ(s.FontStep(), 4);
  EXPECT_EQ(s.FontHeight(), 17);
  EXPECT_EQ(s.CellHeight(), 19);
}

TEST_F(SettingsFile, EmptyFileGivesKeyMissingDefaults) {
  const Settings s = Read("");
  EXPECT_TRUE(s.AdminMode());
  EXPECT_EQ(s.HostName(), u"127.0.0.1");
  EXPECT_EQ(s.HostPort(), 9999);
  EXPECT_EQ(s.WindowPosition(), (WindowPos{0, 0, 240, 320}));
  EXPECT_EQ(s.SerialLine(), SerialLineSettings{});
  EXPECT_EQ(s.SerialFeature(), SerialFeatureSettings{});
  EXPECT_EQ(s.BackgroundColour(), 0xC3B295u);
  EXPECT_TRUE(s.ScannerAppendsF0());
  for (int e = 0; e < kSoundEventCount; ++e) {
    SCOPED_TRACE(e);
    EXPECT_EQ(s.Sound(e), (SoundEventSettings{0, u"", 0, 0, 0, 0, 0, 0}));
  }
}

TEST_F(SettingsFile, MissingFileChangesNothing) {
  Settings s(dir_ / "absent.ini");
  s.SetHostPort(1234);
  s.SetAdminMode(false);
  EXPECT_FALSE(s.ReadSettings());
  EXPECT_EQ(s.HostPort(), 1234);
  EXPECT_FALSE(s.AdminMode());
  // A folder is no settings file either.
  Settings d(dir_);
  d.SetHostPort(77);
  EXPECT_FALSE(d.ReadSettings());
  EXPECT_EQ(d.HostPort(), 77);
}

TEST_F(SettingsFile, WriteFailsWhereTheFileCannotBeCreated) {
  EXPECT_FALSE(Settings(dir_ / "no" / "such" / "Vantor.ini").WriteSettings());
  EXPECT_FALSE(Settings(dir_).WriteSettings());
}

TEST_F(SettingsFile, WriteReplacesTheWholeFile) {
  WriteBytes(std::string(20000, 'x') + "\r\nunknownkey=1\r\n");
  Settings s(path_);
  ASSERT_TRUE(s.WriteSettings());
  EXPECT_EQ(ReadBytes(), DefaultFileText());
}

TEST_F(SettingsFile, KeysCompareWithoutCase) {
  const Settings s = Read("HOSTPORT=1234\r\nHostName=depot\r\nkorvathadminmode=FALSE\r\nBACKGROUNDCOLOR=112233\r\n");
  EXPECT_EQ(s.HostPort(), 1234);
  EXPECT_EQ(s.HostName(), u"depot");
  EXPECT_FALSE(s.AdminMode());
  EXPECT_EQ(s.BackgroundColour(), 0x332211u);
}

TEST_F(SettingsFile, SpacesAroundTheEqualsSign) {
  // Before the sign the space belongs to the key token; after it, atoi skips it.
  const Settings s = Read("hostport =1234\r\nscreencols= 40\r\nfullscreen =true\r\n");
  EXPECT_EQ(s.HostPort(), 9999);
  EXPECT_EQ(s.ScreenColumns(), 40);
  EXPECT_FALSE(s.FullScreen());
}

TEST_F(SettingsFile, BoolValues) {
  EXPECT_FALSE(Read("fullscreen=yes\r\n").FullScreen());
  EXPECT_TRUE(Read("fullscreen=TRUE\r\n").FullScreen());
  EXPECT_TRUE(Read("fullscreen=tRuE").FullScreen());
  // Not "true" or "false": the key-missing default, which is true for some keys.
  const Settings s = Read("scannerappendf0=0\r\nKorvathAdminMode=no\r\nfieldedit=FALSE\r\nfieldIsUTF8=1\r\n");
  EXPECT_TRUE(s.ScannerAppendsF0());
  EXPECT_TRUE(s.AdminMode());
  EXPECT_FALSE(s.FirstKeyReplaces());
  EXPECT_FALSE(s.HostTextIsUtf8());
}

TEST_F(SettingsFile, IntValuesAreAtoiOfTheToken) {
  const Settings s = Read("hostport=12ab\r\nterminalid=5000\r\nscreenrows=-3\r\ntoolbarsize=abc\r\n"
                           "fontpointsize=\"14\"\r\nwindowstate=-1\r\n");
  EXPECT_EQ(s.HostPort(), 12);
  EXPECT_EQ(s.TerminalId(), 5000);  // the file bypasses the setter limits
  EXPECT_EQ(s.ScreenRows(), -3);
  EXPECT_EQ(s.ToolbarSize(), 0);
  EXPECT_EQ(s.FontPointSize(), 14);
  EXPECT_EQ(s.WindowState(), -1);
}

TEST_F(SettingsFile, AbsurdNumbersSaturate) {
  const Settings s = Read("hostport=99999999999999999999999\r\nterminalid=-99999999999999999999\r\n"
                           "fontpointsize=2147483647\r\nserialfeature=true,99999999999,-99999999999,true,256,-1\r\n");
  EXPECT_EQ(s.HostPort(), INT_MAX);
  EXPECT_EQ(s.TerminalId(), INT_MIN);
  EXPECT_EQ(s.EffectivePointSize(), INT_MAX);
  EXPECT_EQ(s.SerialFeature().inStart, 0xFF);  // INT_MAX & 0xFF
  EXPECT_EQ(s.SerialFeature().inEnd, 0x00);    // INT_MIN & 0xFF
  EXPECT_EQ(s.SerialFeature().outPrefix, 0);
  EXPECT_EQ(s.SerialFeature().outSuffix, 0xFF);
}

TEST_F(SettingsFile, LinesPlayNoPart) {
  // The token after the key is its value wherever it stands.
  const Settings s = Read("hostport\n\n1234 terminalid=7\r\nscreencols=\t\t33");
  EXPECT_EQ(s.HostPort(), 1234);
  EXPECT_EQ(s.TerminalId(), 1);  // "terminalid" sits inside the token "1234 terminalid"
  EXPECT_EQ(s.ScreenColumns(), 33);
}

TEST_F(SettingsFile, FirstOccurrenceWins) {
  const Settings s = Read("hostport=1111\r\nhostport=2222\r\nfontname=\"First\"\r\nfontname=\"Second\"\r\n");
  EXPECT_EQ(s.HostPort(), 1111);
  EXPECT_EQ(s.FontName(), u"First");
}

TEST_F(SettingsFile, KeyWithoutValueToken) {
  // At the end of the text: the key-missing default. Before another line: that line's key is the value.
  EXPECT_EQ(Read("hostport=").HostPort(), 9999);
  EXPECT_EQ(Read("fullscreen=").FullScreen(), false);
  EXPECT_EQ(Read("WaterMarkText=").WatermarkText(), u"");
  EXPECT_EQ(Read("WaterMarkText").WatermarkText(), u"");
  const Settings s = Read("hostport=\r\nscreencols=80\r\nWaterMarkText=\r\nfontpointsize=12\r\n");
  EXPECT_EQ(s.HostPort(), 0);
  EXPECT_EQ(s.ScreenColumns(), 80);
  EXPECT_EQ(s.WatermarkText(), u"fontpointsize=12");
  EXPECT_EQ(s.FontPointSize(), 12);
}

TEST_F(SettingsFile, TextValues) {
  const Settings s = Read("fontname=\"\"\r\nWaterMarkText=Bay 4 = dock\r\nfieldnumericvalue=\"\"\"0123\"9\"\r\n"
                           "hostname=\"my host\"\r\n");
  EXPECT_EQ(s.FontName(), u"");
  EXPECT_EQ(s.WatermarkText(), u"Bay 4 = dock");
  EXPECT_EQ(s.NumericChars(), u"0123");  // leading quotes skipped, cut at the next one
  EXPECT_EQ(s.HostName(), u"my host");
}

TEST_F(SettingsFile, TextFromTheFileIsNotFilteredButIsCut) {
  const std::string numerics(400, '7');
  const Settings s = Read("fieldnumericvalue=\"" + numerics + "\"\r\nfontname=\"" + std::string(80, 'F') +
                           "\"\r\nWaterMarkText=\"" + std::string(70, 'W') + "\"\r\nErrorSoundFile=\"" +
                           std::string(1000, 's') + "\"\r\n");
  EXPECT_EQ(s.NumericChars(), std::u16string(kNumericCharsMax, u'7'));
  EXPECT_EQ(s.FontName(), std::u16string(kFontNameMax, u'F'));
  EXPECT_EQ(s.WatermarkText(), std::u16string(kWaterMarkTextMax, u'W'));
  EXPECT_EQ(s.SoundFile(1), std::u16string(kSoundFileMax, u's'));
}

TEST_F(SettingsFile, ColoursExchangeRedAndBlue) {
  const Settings s = Read("BackGroundColor=95B2C3\r\nForeGroundColor=\"0a0b0c\"\r\n");
  EXPECT_EQ(s.BackgroundColour(), 0xC3B295u);
  EXPECT_EQ(s.TextColour(), 0x0C0B0Au);
  ASSERT_TRUE(s.WriteSettings());
  const std::string text = ReadBytes();
  EXPECT_NE(text.find("\r\nBackGroundColor=95B2C3\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nForeGroundColor=0A0B0C\r\n"), std::string::npos);
}

TEST_F(SettingsFile, MalformedColoursKeepTheirDefault) {
  const Settings s = Read("BackGroundColor=95B2\r\nFocusBackGroundColor=GGGGGG\r\n"
                           "SelectedForeGround=1234567\r\nInputBackGroundColor=\r\n"
                           "SelectedBackGroundColor= 00FF00 \r\n");
  EXPECT_EQ(s.BackgroundColour(), 0xC3B295u);
  EXPECT_EQ(s.FocusBackgroundColour(), 0x9EF0FFu);
  EXPECT_EQ(s.SelectedTextColour(), 0xFFFFFFu);
  EXPECT_EQ(s.InputBackgroundColour(), 0xFFFFFFu);  // takes the next line, which is no colour
  EXPECT_EQ(s.SelectedBackgroundColour(), 0x00FF00u);
}

TEST_F(SettingsFile, WindowPosNeedsFourNumbers) {
  EXPECT_EQ(Read("windowpos=10,20,300,400\r\n").WindowPosition(), (WindowPos{10, 20, 300, 400}));
  EXPECT_EQ(Read("windowpos=-1,-2,3,4,5\r\n").WindowPosition(), (WindowPos{-1, -2, 3, 4}));
  const WindowPos fallback{kWindowPosDefault, kWindowPosDefault, kWindowPosDefault, kWindowPosDefault};
  EXPECT_EQ(Read("windowpos=10,20\r\n").WindowPosition(), fallback);
  EXPECT_EQ(Read("windowpos=10,,300,400\r\n").WindowPosition(), fallback);  // empty items do not count
  EXPECT_EQ(Read("windowpos=\"\"\r\n").WindowPosition(), fallback);
}

TEST_F(SettingsFile, SerialLineNeedsFiveParts) {
  EXPECT_EQ(Read("serial=\"COM2:,115200,7,Odd,2\"\r\n").SerialLine(),
            (SerialLineSettings{u"COM2:", u"115200", u"7", u"Odd", u"2"}));
  EXPECT_EQ(Read("serial=COM2:,115200,7\r\n").SerialLine(), SerialLineSettings{});
  EXPECT_EQ(Read("serial=\"COM2:,,7,Odd,2\"\r\n").SerialLine(), SerialLineSettings{});
  const Settings s = Read("serial=\"" + std::string(40, 'P') + ",1,2,3,4\"\r\n");
  EXPECT_EQ(s.SerialLine().port, std::u16string(kSerialPartMax, u'P'));
}

TEST_F(SettingsFile, SerialFeatureItems) {
  EXPECT_EQ(Read("serialfeature=true\r\n").SerialFeature(), (SerialFeatureSettings{true, 10, 13, true, 10, 13}));
  EXPECT_EQ(Read("serialfeature=TRUE,2,3,yes,-56,300\r\n").SerialFeature(),
            (SerialFeatureSettings{true, 2, 3, false, 200, 44}));
  // A byte above 127 is written as a signed number and read back the same.
  Settings s(path_);
  s.SetSerialFeature(SerialFeatureSettings{false, 0x82, 13, true, 0xFF, 0});
  ASSERT_TRUE(s.WriteSettings());
  EXPECT_NE(ReadBytes().find("\r\nserialfeature=false,-126,13,true,-1,0\r\n"), std::string::npos);
  Settings back(path_);
  ASSERT_TRUE(back.ReadSettings());
  EXPECT_EQ(back.SerialFeature(), s.SerialFeature());
}

TEST_F(SettingsFile, CellAdditionalWidth) {
  EXPECT_EQ(Read("CharacterCellAdditionalWidth=150\r\n").ExtraCellWidth(), 1);
  EXPECT_EQ(Read("CharacterCellAdditionalWidth=99\r\n").ExtraCellWidth(), 99);
  Settings s(path_);
  s.SetExtraCellWidth(7);
  ASSERT_TRUE(s.WriteSettings());
  EXPECT_NE(ReadBytes().find("\r\nCharacterCellAdditionalWidth=07\r\n"), std::string::npos);
  s.SetExtraCellWidth(-5);
  ASSERT_TRUE(s.WriteSettings());
  EXPECT_NE(ReadBytes().find("\r\nCharacterCellAdditionalWidth=-05\r\n"), std::string::npos);
  Settings back(path_);
  ASSERT_TRUE(back.ReadSettings());
  EXPECT_EQ(back.ExtraCellWidth(), -5);
}

TEST_F(SettingsFile, SoundGroupNamingOnlyItsType) {
  const Settings s = Read("User03SoundType=2\r\n");
  EXPECT_EQ(s.Sound(6), (SoundEventSettings{2, u"", 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(s.Tone(6), (ToneSettings{0, 0}));
}

TEST_F(SettingsFile, SoundKeysDoNotMatchTheirPrefix) {
  // "Normal" alone, or another event's key, leaves the group at its key-missing values.
  const Settings s = Read("NormalSoundType\r\n2\r\nErrorSoundToneFrequency=440\r\nUser1SoundType=2\r\n");
  EXPECT_EQ(s.SoundType(0), 2);
  EXPECT_EQ(s.SoundToneFrequency(1), 440);
  EXPECT_EQ(s.SoundToneFrequency(0), 0);
  EXPECT_EQ(s.SoundType(4), 0);
}

TEST_F(SettingsFile, AnsiTextIsConverted) {
  Settings s(path_);
  s.SetWatermarkText(u"Caf\u00e9 \u00a7");
  s.SetHostName(u"h\u00f6st");
  s.SetFontName(u"\u4e2d");  // not in the ANSI code page
  ASSERT_TRUE(s.WriteSettings());
  const std::string text = ReadBytes();
  EXPECT_NE(text.find("WaterMarkText=\"Caf\xE9 \xA7\"\r\n"), std::string::npos);
  EXPECT_EQ(text.rfind("hostname=h\xF6st\r\n", 0), 0u);
  EXPECT_NE(text.find("fontname=\"?\"\r\n"), std::string::npos);
  Settings back(path_);
  ASSERT_TRUE(back.ReadSettings());
  EXPECT_EQ(back.WatermarkText(), u"Caf\u00e9 \u00a7");
  EXPECT_EQ(back.HostName(), u"h\u00f6st");
  EXPECT_EQ(back.FontName(), u"?");
}

TEST_F(SettingsFile, TextValueSpelledLikeAKeyDoesNotReplaceIt) {
  Settings s(path_);
  s.SetWatermarkText(u"KorvathAdminMode");
  s.SetHostName(u"fullscreen");
  s.SetNumericChars(u"fieldIsUTF8");
  s.SetFullScreen(true);
  s.SetHostTextIsUtf8(true);
  s.SetAdminMode(false);
  ASSERT_TRUE(s.WriteSettings());
  Settings back(path_);
  ASSERT_TRUE(back.ReadSettings());
  EXPECT_FALSE(back.AdminMode());
  EXPECT_TRUE(back.FullScreen());
  EXPECT_TRUE(back.HostTextIsUtf8());
  EXPECT_EQ(back.WatermarkText(), u"KorvathAdminMode");
  EXPECT_EQ(back.HostName(), u"fullscreen");
  EXPECT_EQ(back.NumericChars(), u"fieldIsUTF8");
}

TEST_F(SettingsFile, ValuesCannotReachIntoOtherLines) {
  Settings s(path_);
  s.SetWatermarkText(u"a\r\nKorvathAdminMode=true\t\"");
  s.SetHostName(u"evil\r\nhostport=1");
  s.SetSoundFile(0, u"x\"\r\nfieldIsUTF8=true");
  s.SetSerialLine(SerialLineSettings{u"COM1:,5", u"96\"00", u"8\r\n", std::u16string(u"No\0ne", 5), u"1"});
  s.SetHostPort(4000);
  ASSERT_TRUE(s.WriteSettings());
  Settings back(path_);
  ASSERT_TRUE(back.ReadSettings());
  EXPECT_FALSE(back.AdminMode());
  EXPECT_FALSE(back.HostTextIsUtf8());
  EXPECT_EQ(back.HostPort(), 4000);
  EXPECT_EQ(back.WatermarkText(), u"aKorvathAdminMode=true");
  EXPECT_EQ(back.HostName(), u"evilhostport1");
  EXPECT_EQ(back.SoundFile(0), u"xfieldIsUTF8=true");
  EXPECT_EQ(back.SerialLine(), (SerialLineSettings{u"COM1:5", u"9600", u"8", u"None", u"1"}));
  auto lines = [](const std::string& t) {
    std::size_t n = 0;
    for (std::size_t at = t.find("\r\n"); at != std::string::npos; at = t.find("\r\n", at + 2)) ++n;
    return n;
  };
  EXPECT_EQ(lines(ReadBytes()), lines(DefaultFileText()));
}

TEST(SettingsModel, AppliedTextEndsAtTheFirstZeroByte) {
  Settings s;
  s.ApplySettingsText(std::string("hostport=1234\r\n\0screencols=40\r\n", 31));
  EXPECT_EQ(s.HostPort(), 1234);
  EXPECT_EQ(s.ScreenColumns(), 80);
}

TEST_F(SettingsFile, TextEndsAtTheFirstZeroByte) {
  const Settings s = Read(std::string("hostport=1234\r\n\0screencols=40\r\n", 31));
  EXPECT_EQ(s.HostPort(), 1234);
  EXPECT_EQ(s.ScreenColumns(), 80);
  EXPECT_TRUE(s.AdminMode());
}

TEST_F(SettingsFile, HugeLinesAreReadSafely) {
  const std::string huge(2'000'000, 'A');
  const Settings s = Read("hostname=" + huge + "\r\nWaterMarkText=\"" + huge + "\"\r\nhostport=" +
                           std::string(100000, '9') + "\r\nscreencols=12\r\n");
  EXPECT_EQ(s.HostName().size(), huge.size());
  EXPECT_EQ(s.WatermarkText().size(), kWaterMarkTextMax);
  EXPECT_EQ(s.HostPort(), INT_MAX);
  EXPECT_EQ(s.ScreenColumns(), 12);
}

TEST_F(SettingsFile, TextPastFourMegabytesIsNotRead) {
  const auto started = std::chrono::steady_clock::now();
  std::string text = "hostport=1234\r\n";
  text.append(5u << 20, 'x');
  text.append("\r\nscreencols=40\r\n");
  const Settings s = Read(text);
  EXPECT_EQ(s.HostPort(), 1234);
  EXPECT_EQ(s.ScreenColumns(), 80);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
}

TEST_F(SettingsFile, ManyTokensAreReadInBoundedTime) {
  // Every token a near-miss of a key, many times over.
  std::string text;
  for (int i = 0; i < 200000; ++i) text += "hostpor=x=";
  text += "\r\nhostport=5\r\n";
  const auto started = std::chrono::steady_clock::now();
  const Settings s = Read(text);
  EXPECT_EQ(s.HostPort(), 5);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
}

TEST_F(SettingsFile, BinaryGarbageIsReadSafely) {
  std::mt19937 random(12345);
  for (int round = 0; round < 20; ++round) {
    std::string bytes(4096 + round * 1000, '\0');
    for (char& b : bytes) {
      b = static_cast<char>(random() & 0xFF);
      if (b == '\0') b = '=';  // keep the whole buffer in play
      // Bytes that the ANSI code page leaves undefined do not come back the same on every platform.
      const unsigned char u = static_cast<unsigned char>(b);
      if (u == 0x81 || u == 0x8D || u == 0x8F || u == 0x90 || u == 0x9D) b = 'x';
    }
    // Sprinkle real keys so that the value paths run over garbage too.
    for (const char* key : {"hostname=", "serial=", "serialfeature=", "windowpos=", "BackGroundColor=",
                            "fontname=", "NormalSoundFile=", "fullscreen="})
      bytes.insert(random() % bytes.size(), key);
    const Settings s = Read(bytes);
    EXPECT_LE(s.FontName().size(), kFontNameMax);
    EXPECT_LE(s.SerialLine().port.size(), kSerialPartMax);
    EXPECT_LE(s.SoundFile(0).size(), kSoundFileMax);
    EXPECT_LE(s.BackgroundColour(), 0xFFFFFFu);
    // What was read can be written and read again to the same settings.
    ASSERT_TRUE(s.WriteSettings());
    Settings back(path_);
    ASSERT_TRUE(back.ReadSettings());
    ExpectSameSettings(back, s);
  }
}

}  // namespace
}  // namespace vantor
