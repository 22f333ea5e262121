// Tests of the settings file: the writer's exact text, the lenient reader, fall-backs and hostile files.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <fstream>
#include <random>
#include <sstream>

#include "config/settings.h"

namespace vantor {
namespace {

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
  CSettings Read(std::string_view bytes) {
    WriteBytes(bytes);
    CSettings s(path_);
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
void ExpectSameSettings(const CSettings& a, const CSettings& b) {
  EXPECT_EQ(a.hostname(), b.hostname());
  EXPECT_EQ(a.hostport(), b.hostport());
  EXPECT_EQ(a.terminalid(), b.terminalid());
  EXPECT_EQ(a.fieldIsUTF8(), b.fieldIsUTF8());
  EXPECT_EQ(a.screensize(), b.screensize());
  EXPECT_EQ(a.toolbarsize(), b.toolbarsize());
  EXPECT_EQ(a.fullscreen(), b.fullscreen());
  EXPECT_EQ(a.windowstate(), b.windowstate());
  EXPECT_EQ(a.windowpos(), b.windowpos());
  EXPECT_EQ(a.ShowWaterMark(), b.ShowWaterMark());
  EXPECT_EQ(a.WaterMarkText(), b.WaterMarkText());
  EXPECT_EQ(a.CustomColorMode(), b.CustomColorMode());
  EXPECT_EQ(a.fontname(), b.fontname());
  EXPECT_EQ(a.fontpointsize(), b.fontpointsize());
  EXPECT_EQ(a.fontautosize(), b.fontautosize());
  EXPECT_EQ(a.CharacterCellAdditionalWidth(), b.CharacterCellAdditionalWidth());
  EXPECT_EQ(a.UpperCaseInputMode(), b.UpperCaseInputMode());
  EXPECT_EQ(a.intercharacterdelay(), b.intercharacterdelay());
  EXPECT_EQ(a.fieldedit(), b.fieldedit());
  EXPECT_EQ(a.fieldentertof0(), b.fieldentertof0());
  EXPECT_EQ(a.fieldnumericvalue(), b.fieldnumericvalue());
  EXPECT_EQ(a.UnderlineFixedTextMode(), b.UnderlineFixedTextMode());
  EXPECT_EQ(a.scannerappendenter(), b.scannerappendenter());
  EXPECT_EQ(a.scannerappendf0(), b.scannerappendf0());
  EXPECT_EQ(a.scanneroverwritefield(), b.scanneroverwritefield());
  EXPECT_EQ(a.ScannerModeCallBack(), b.ScannerModeCallBack());
  EXPECT_EQ(a.ForeGroundColor(), b.ForeGroundColor());
  EXPECT_EQ(a.BackGroundColor(), b.BackGroundColor());
  EXPECT_EQ(a.InputForeGroundColor(), b.InputForeGroundColor());
  EXPECT_EQ(a.InputBackGroundColor(), b.InputBackGroundColor());
  EXPECT_EQ(a.FocusForeGroundColor(), b.FocusForeGroundColor());
  EXPECT_EQ(a.FocusBackGroundColor(), b.FocusBackGroundColor());
  EXPECT_EQ(a.SelectedForeGround(), b.SelectedForeGround());
  EXPECT_EQ(a.SelectedBackGroundColor(), b.SelectedBackGroundColor());
  EXPECT_EQ(a.CheckBoxCheckAndRadioButtonDotColor(), b.CheckBoxCheckAndRadioButtonDotColor());
  EXPECT_EQ(a.serial(), b.serial());
  EXPECT_EQ(a.serialcommand(), b.serialcommand());
  EXPECT_EQ(a.serialfeature(), b.serialfeature());
  EXPECT_EQ(a.serialTimeouts(), b.serialTimeouts());
  EXPECT_EQ(a.KorvathAdminMode(), b.KorvathAdminMode());
  for (int e = 0; e < kSoundEventCount; ++e) EXPECT_EQ(a.soundEvent(e), b.soundEvent(e)) << "event " << e;
}

TEST_F(SettingsFile, NewObjectWritesEveryLineInOrder) {
  CSettings s(path_);
  ASSERT_TRUE(s.WriteSettings());
  EXPECT_EQ(ReadBytes(), DefaultFileText());
}

TEST_F(SettingsFile, ReadingTheDefaultFileGivesTheDefaults) {
  const CSettings fresh;
  const CSettings read = Read(DefaultFileText());
  ExpectSameSettings(read, fresh);
}

TEST_F(SettingsFile, EverySettingSurvivesWriteAndRead) {
  // Colours come only from the file.
  CSettings a = Read("ForeGroundColor=102030\r\nBackGroundColor=a1b2c3\r\nInputForeGroundColor=010203\r\n"
                     "InputBackGroundColor=FEDCBA\r\nFocusForeGroundColor=0000FF\r\nFocusBackGroundColor=FF0000\r\n"
                     "SelectedForeGround=00FF00\r\nSelectedBackGroundColor=123456\r\n"
                     "CheckBoxCheckAndRadioButtonDotColor=ABCDEF\r\nUnderlineFixedTextMode=false\r\n"
                     "intercharacterdelay=75\r\n");
  EXPECT_EQ(a.BackGroundColor(), 0xC3B2A1u);
  a.set_hostname(u"host.example");
  a.set_hostport(4001);
  a.set_terminalid(321);
  a.set_fieldIsUTF8(true);
  a.set_screensize(20, 16);
  a.set_toolbarsize(-1);
  a.set_fullscreen(true);
  a.set_windowstate(-1);
  a.set_windowpos(-5, 7, 480, 640);
  a.set_ShowWaterMark(false);
  a.set_WaterMarkText(u"Depot = 3, bay 7");
  a.set_CustomColorMode(true);
  a.set_fontname(u"Lucida Console");
  a.set_fontpointsize(12);
  a.set_fontautosize(true);
  a.set_CharacterCellAdditionalWidth(7);
  a.set_UpperCaseInputMode(true);
  a.set_fieldedit(false);
  a.set_fieldentertof0(false);
  a.set_fieldnumericvalue(u"0123456789.,");
  a.set_scannerappendenter(true);
  a.set_scannerappendf0(false);
  a.set_scanneroverwritefield(false);
  a.set_ScannerModeCallBack(false);
  a.set_serial(SerialLine{u"COM3:", u"19200", u"7", u"Even", u"2"});
  a.set_serialcommand(true);
  a.set_serialfeature(SerialFeature{true, 2, 3, true, 200, 127});
  a.set_serialTimeouts(SerialTimeoutSettings{100, 2, 3, 4, 5});
  a.set_KorvathAdminMode(false);
  for (int e = 0; e < kSoundEventCount; ++e)
    a.set_soundEvent(e, SoundEventSettings{e % 3, u"C:\\Sounds\\beep" + std::u16string(1, char16_t(u'0' + e)) + u".wav",
                                           100 + e, 200 + e, e % 2, 10 * e, 20 * e, e});
  ASSERT_TRUE(a.WriteSettings());

  CSettings b(path_);
  ASSERT_TRUE(b.ReadSettings());
  ExpectSameSettings(b, a);
  EXPECT_EQ(b.intercharacterdelay(), 75);
  EXPECT_FALSE(b.UnderlineFixedTextMode());
  // Normalised: writing what was read gives the same bytes.
  const std::string first = ReadBytes();
  ASSERT_TRUE(b.WriteSettings());
  EXPECT_EQ(ReadBytes(), first);
}

TEST_F(SettingsFile, RunTimeValuesAreNotWritten) {
  CSettings s(path_);
  s.set_pointSizeAdjustment(4);
  s.set_fontSize(17, 3);
  s.set_cellSize(9, 19);
  s.set_fontQuality(5);
  s.set_fontOutPrecision(1);
  ASSERT_TRUE(s.WriteSettings());
  EXPECT_EQ(ReadBytes(), DefaultFileText());
  ASSERT_TRUE(s.ReadSettings());
  EXPECT_EQ(s.pointSizeAdjustment(), 4);
  EXPECT_EQ(s.fontHeight(), 17);
  EXPECT_EQ(s.cellHeight(), 19);
}

TEST_F(SettingsFile, EmptyFileGivesKeyMissingDefaults) {
  const CSettings s = Read("");
  EXPECT_TRUE(s.KorvathAdminMode());
  EXPECT_EQ(s.hostname(), u"127.0.0.1");
  EXPECT_EQ(s.hostport(), 9999);
  EXPECT_EQ(s.windowpos(), (WindowPos{0, 0, 240, 320}));
  EXPECT_EQ(s.serial(), SerialLine{});
  EXPECT_EQ(s.serialfeature(), SerialFeature{});
  EXPECT_EQ(s.BackGroundColor(), 0xC3B295u);
  EXPECT_TRUE(s.scannerappendf0());
  for (int e = 0; e < kSoundEventCount; ++e) {
    SCOPED_TRACE(e);
    EXPECT_EQ(s.soundEvent(e), (SoundEventSettings{0, u"", 0, 0, 0, 0, 0, 0}));
  }
}

TEST_F(SettingsFile, MissingFileChangesNothing) {
  CSettings s(dir_ / "absent.ini");
  s.set_hostport(1234);
  s.set_KorvathAdminMode(false);
  EXPECT_FALSE(s.ReadSettings());
  EXPECT_EQ(s.hostport(), 1234);
  EXPECT_FALSE(s.KorvathAdminMode());
  // A folder is no settings file either.
  CSettings d(dir_);
  d.set_hostport(77);
  EXPECT_FALSE(d.ReadSettings());
  EXPECT_EQ(d.hostport(), 77);
}

TEST_F(SettingsFile, WriteFailsWhereTheFileCannotBeCreated) {
  EXPECT_FALSE(CSettings(dir_ / "no" / "such" / "Vantor.ini").WriteSettings());
  EXPECT_FALSE(CSettings(dir_).WriteSettings());
}

TEST_F(SettingsFile, WriteReplacesTheWholeFile) {
  WriteBytes(std::string(20000, 'x') + "\r\nunknownkey=1\r\n");
  CSettings s(path_);
  ASSERT_TRUE(s.WriteSettings());
  EXPECT_EQ(ReadBytes(), DefaultFileText());
}

TEST_F(SettingsFile, KeysCompareWithoutCase) {
  const CSettings s = Read("HOSTPORT=1234\r\nHostName=depot\r\nkorvathadminmode=FALSE\r\nBACKGROUNDCOLOR=112233\r\n");
  EXPECT_EQ(s.hostport(), 1234);
  EXPECT_EQ(s.hostname(), u"depot");
  EXPECT_FALSE(s.KorvathAdminMode());
  EXPECT_EQ(s.BackGroundColor(), 0x332211u);
}

TEST_F(SettingsFile, SpacesAroundTheEqualsSign) {
  // Before the sign the space belongs to the key token; after it, atoi skips it.
  const CSettings s = Read("hostport =1234\r\nscreencols= 40\r\nfullscreen =true\r\n");
  EXPECT_EQ(s.hostport(), 9999);
  EXPECT_EQ(s.screencols(), 40);
  EXPECT_FALSE(s.fullscreen());
}

TEST_F(SettingsFile, BoolValues) {
  EXPECT_FALSE(Read("fullscreen=yes\r\n").fullscreen());
  EXPECT_TRUE(Read("fullscreen=TRUE\r\n").fullscreen());
  EXPECT_TRUE(Read("fullscreen=tRuE").fullscreen());
  // Not "true" or "false": the key-missing default, which is true for some keys.
  const CSettings s = Read("scannerappendf0=0\r\nKorvathAdminMode=no\r\nfieldedit=FALSE\r\nfieldIsUTF8=1\r\n");
  EXPECT_TRUE(s.scannerappendf0());
  EXPECT_TRUE(s.KorvathAdminMode());
  EXPECT_FALSE(s.fieldedit());
  EXPECT_FALSE(s.fieldIsUTF8());
}

TEST_F(SettingsFile, IntValuesAreAtoiOfTheToken) {
  const CSettings s = Read("hostport=12ab\r\nterminalid=5000\r\nscreenrows=-3\r\ntoolbarsize=abc\r\n"
                           "fontpointsize=\"14\"\r\nwindowstate=-1\r\n");
  EXPECT_EQ(s.hostport(), 12);
  EXPECT_EQ(s.terminalid(), 5000);  // the file bypasses the setter limits
  EXPECT_EQ(s.screenrows(), -3);
  EXPECT_EQ(s.toolbarsize(), 0);
  EXPECT_EQ(s.fontpointsize(), 14);
  EXPECT_EQ(s.windowstate(), -1);
}

TEST_F(SettingsFile, AbsurdNumbersSaturate) {
  const CSettings s = Read("hostport=99999999999999999999999\r\nterminalid=-99999999999999999999\r\n"
                           "fontpointsize=2147483647\r\nserialfeature=true,99999999999,-99999999999,true,256,-1\r\n");
  EXPECT_EQ(s.hostport(), INT_MAX);
  EXPECT_EQ(s.terminalid(), INT_MIN);
  EXPECT_EQ(s.effectivePointSize(), INT_MAX);
  EXPECT_EQ(s.serialfeature().inStart, 0xFF);  // INT_MAX & 0xFF
  EXPECT_EQ(s.serialfeature().inEnd, 0x00);    // INT_MIN & 0xFF
  EXPECT_EQ(s.serialfeature().outPrefix, 0);
  EXPECT_EQ(s.serialfeature().outSuffix, 0xFF);
}

TEST_F(SettingsFile, LinesPlayNoPart) {
  // The token after the key is its value wherever it stands.
  const CSettings s = Read("hostport\n\n1234 terminalid=7\r\nscreencols=\t\t33");
  EXPECT_EQ(s.hostport(), 1234);
  EXPECT_EQ(s.terminalid(), 1);  // "terminalid" sits inside the token "1234 terminalid"
  EXPECT_EQ(s.screencols(), 33);
}

TEST_F(SettingsFile, FirstOccurrenceWins) {
  const CSettings s = Read("hostport=1111\r\nhostport=2222\r\nfontname=\"First\"\r\nfontname=\"Second\"\r\n");
  EXPECT_EQ(s.hostport(), 1111);
  EXPECT_EQ(s.fontname(), u"First");
}

TEST_F(SettingsFile, KeyWithoutValueToken) {
  // At the end of the text: the key-missing default. Before another line: that line's key is the value.
  EXPECT_EQ(Read("hostport=").hostport(), 9999);
  EXPECT_EQ(Read("fullscreen=").fullscreen(), false);
  EXPECT_EQ(Read("WaterMarkText=").WaterMarkText(), u"");
  EXPECT_EQ(Read("WaterMarkText").WaterMarkText(), u"");
  const CSettings s = Read("hostport=\r\nscreencols=80\r\nWaterMarkText=\r\nfontpointsize=12\r\n");
  EXPECT_EQ(s.hostport(), 0);
  EXPECT_EQ(s.screencols(), 80);
  EXPECT_EQ(s.WaterMarkText(), u"fontpointsize=12");
  EXPECT_EQ(s.fontpointsize(), 12);
}

TEST_F(SettingsFile, TextValues) {
  const CSettings s = Read("fontname=\"\"\r\nWaterMarkText=Bay 4 = dock\r\nfieldnumericvalue=\"\"\"0123\"9\"\r\n"
                           "hostname=\"my host\"\r\n");
  EXPECT_EQ(s.fontname(), u"");
  EXPECT_EQ(s.WaterMarkText(), u"Bay 4 = dock");
  EXPECT_EQ(s.fieldnumericvalue(), u"0123");  // leading quotes skipped, cut at the next one
  EXPECT_EQ(s.hostname(), u"my host");
}

TEST_F(SettingsFile, TextFromTheFileIsNotFilteredButIsCut) {
  const std::string numerics(400, '7');
  const CSettings s = Read("fieldnumericvalue=\"" + numerics + "\"\r\nfontname=\"" + std::string(80, 'F') +
                           "\"\r\nWaterMarkText=\"" + std::string(70, 'W') + "\"\r\nErrorSoundFile=\"" +
                           std::string(1000, 's') + "\"\r\n");
  EXPECT_EQ(s.fieldnumericvalue(), std::u16string(kNumericCharsMax, u'7'));
  EXPECT_EQ(s.fontname(), std::u16string(kFontNameMax, u'F'));
  EXPECT_EQ(s.WaterMarkText(), std::u16string(kWaterMarkTextMax, u'W'));
  EXPECT_EQ(s.SoundFile(1), std::u16string(kSoundFileMax, u's'));
}

TEST_F(SettingsFile, ColoursExchangeRedAndBlue) {
  const CSettings s = Read("BackGroundColor=95B2C3\r\nForeGroundColor=\"0a0b0c\"\r\n");
  EXPECT_EQ(s.BackGroundColor(), 0xC3B295u);
  EXPECT_EQ(s.ForeGroundColor(), 0x0C0B0Au);
  ASSERT_TRUE(s.WriteSettings());
  const std::string text = ReadBytes();
  EXPECT_NE(text.find("\r\nBackGroundColor=95B2C3\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nForeGroundColor=0A0B0C\r\n"), std::string::npos);
}

TEST_F(SettingsFile, MalformedColoursKeepTheirDefault) {
  const CSettings s = Read("BackGroundColor=95B2\r\nFocusBackGroundColor=GGGGGG\r\n"
                           "SelectedForeGround=1234567\r\nInputBackGroundColor=\r\n"
                           "SelectedBackGroundColor= 00FF00 \r\n");
  EXPECT_EQ(s.BackGroundColor(), 0xC3B295u);
  EXPECT_EQ(s.FocusBackGroundColor(), 0x9EF0FFu);
  EXPECT_EQ(s.SelectedForeGround(), 0xFFFFFFu);
  EXPECT_EQ(s.InputBackGroundColor(), 0xFFFFFFu);  // takes the next line, which is no colour
  EXPECT_EQ(s.SelectedBackGroundColor(), 0x00FF00u);
}

TEST_F(SettingsFile, WindowPosNeedsFourNumbers) {
  EXPECT_EQ(Read("windowpos=10,20,300,400\r\n").windowpos(), (WindowPos{10, 20, 300, 400}));
  EXPECT_EQ(Read("windowpos=-1,-2,3,4,5\r\n").windowpos(), (WindowPos{-1, -2, 3, 4}));
  const WindowPos fallback{kWindowPosDefault, kWindowPosDefault, kWindowPosDefault, kWindowPosDefault};
  EXPECT_EQ(Read("windowpos=10,20\r\n").windowpos(), fallback);
  EXPECT_EQ(Read("windowpos=10,,300,400\r\n").windowpos(), fallback);  // empty items do not count
  EXPECT_EQ(Read("windowpos=\"\"\r\n").windowpos(), fallback);
}

TEST_F(SettingsFile, SerialLineNeedsFiveParts) {
  EXPECT_EQ(Read("serial=\"COM2:,115200,7,Odd,2\"\r\n").serial(),
            (SerialLine{u"COM2:", u"115200", u"7", u"Odd", u"2"}));
  EXPECT_EQ(Read("serial=COM2:,115200,7\r\n").serial(), SerialLine{});
  EXPECT_EQ(Read("serial=\"COM2:,,7,Odd,2\"\r\n").serial(), SerialLine{});
  const CSettings s = Read("serial=\"" + std::string(40, 'P') + ",1,2,3,4\"\r\n");
  EXPECT_EQ(s.serial().port, std::u16string(kSerialPartMax, u'P'));
}

TEST_F(SettingsFile, SerialFeatureItems) {
  EXPECT_EQ(Read("serialfeature=true\r\n").serialfeature(), (SerialFeature{true, 10, 13, true, 10, 13}));
  EXPECT_EQ(Read("serialfeature=TRUE,2,3,yes,-56,300\r\n").serialfeature(),
            (SerialFeature{true, 2, 3, false, 200, 44}));
  // A byte above 127 is written as a signed number and read back the same.
  CSettings s(path_);
  s.set_serialfeature(SerialFeature{false, 0x82, 13, true, 0xFF, 0});
  ASSERT_TRUE(s.WriteSettings());
  EXPECT_NE(ReadBytes().find("\r\nserialfeature=false,-126,13,true,-1,0\r\n"), std::string::npos);
  CSettings back(path_);
  ASSERT_TRUE(back.ReadSettings());
  EXPECT_EQ(back.serialfeature(), s.serialfeature());
}

TEST_F(SettingsFile, CellAdditionalWidth) {
  EXPECT_EQ(Read("CharacterCellAdditionalWidth=150\r\n").CharacterCellAdditionalWidth(), 1);
  EXPECT_EQ(Read("CharacterCellAdditionalWidth=99\r\n").CharacterCellAdditionalWidth(), 99);
  CSettings s(path_);
  s.set_CharacterCellAdditionalWidth(7);
  ASSERT_TRUE(s.WriteSettings());
  EXPECT_NE(ReadBytes().find("\r\nCharacterCellAdditionalWidth=07\r\n"), std::string::npos);
  s.set_CharacterCellAdditionalWidth(-5);
  ASSERT_TRUE(s.WriteSettings());
  EXPECT_NE(ReadBytes().find("\r\nCharacterCellAdditionalWidth=-05\r\n"), std::string::npos);
  CSettings back(path_);
  ASSERT_TRUE(back.ReadSettings());
  EXPECT_EQ(back.CharacterCellAdditionalWidth(), -5);
}

TEST_F(SettingsFile, SoundGroupNamingOnlyItsType) {
  const CSettings s = Read("User03SoundType=2\r\n");
  EXPECT_EQ(s.soundEvent(6), (SoundEventSettings{2, u"", 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(s.soundTone(6), (SoundTone{0, 0}));
}

TEST_F(SettingsFile, SoundKeysDoNotMatchTheirPrefix) {
  // "Normal" alone, or another event's key, leaves the group at its key-missing values.
  const CSettings s = Read("NormalSoundType\r\n2\r\nErrorSoundToneFrequency=440\r\nUser1SoundType=2\r\n");
  EXPECT_EQ(s.SoundType(0), 2);
  EXPECT_EQ(s.SoundToneFrequency(1), 440);
  EXPECT_EQ(s.SoundToneFrequency(0), 0);
  EXPECT_EQ(s.SoundType(4), 0);
}

TEST_F(SettingsFile, AnsiTextIsConverted) {
  CSettings s(path_);
  s.set_WaterMarkText(u"Caf\u00e9 \u00a7");
  s.set_hostname(u"h\u00f6st");
  s.set_fontname(u"\u4e2d");  // not in the ANSI code page
  ASSERT_TRUE(s.WriteSettings());
  const std::string text = ReadBytes();
  EXPECT_NE(text.find("WaterMarkText=\"Caf\xE9 \xA7\"\r\n"), std::string::npos);
  EXPECT_EQ(text.rfind("hostname=h\xF6st\r\n", 0), 0u);
  EXPECT_NE(text.find("fontname=\"?\"\r\n"), std::string::npos);
  CSettings back(path_);
  ASSERT_TRUE(back.ReadSettings());
  EXPECT_EQ(back.WaterMarkText(), u"Caf\u00e9 \u00a7");
  EXPECT_EQ(back.hostname(), u"h\u00f6st");
  EXPECT_EQ(back.fontname(), u"?");
}

TEST_F(SettingsFile, TextValueSpelledLikeAKeyDoesNotReplaceIt) {
  CSettings s(path_);
  s.set_WaterMarkText(u"KorvathAdminMode");
  s.set_hostname(u"fullscreen");
  s.set_fieldnumericvalue(u"fieldIsUTF8");
  s.set_fullscreen(true);
  s.set_fieldIsUTF8(true);
  s.set_KorvathAdminMode(false);
  ASSERT_TRUE(s.WriteSettings());
  CSettings back(path_);
  ASSERT_TRUE(back.ReadSettings());
  EXPECT_FALSE(back.KorvathAdminMode());
  EXPECT_TRUE(back.fullscreen());
  EXPECT_TRUE(back.fieldIsUTF8());
  EXPECT_EQ(back.WaterMarkText(), u"KorvathAdminMode");
  EXPECT_EQ(back.hostname(), u"fullscreen");
  EXPECT_EQ(back.fieldnumericvalue(), u"fieldIsUTF8");
}

TEST_F(SettingsFile, ValuesCannotReachIntoOtherLines) {
  CSettings s(path_);
  s.set_WaterMarkText(u"a\r\nKorvathAdminMode=true\t\"");
  s.set_hostname(u"evil\r\nhostport=1");
  s.set_SoundFile(0, u"x\"\r\nfieldIsUTF8=true");
  s.set_serial(SerialLine{u"COM1:,5", u"96\"00", u"8\r\n", std::u16string(u"No\0ne", 5), u"1"});
  s.set_hostport(4000);
  ASSERT_TRUE(s.WriteSettings());
  CSettings back(path_);
  ASSERT_TRUE(back.ReadSettings());
  EXPECT_FALSE(back.KorvathAdminMode());
  EXPECT_FALSE(back.fieldIsUTF8());
  EXPECT_EQ(back.hostport(), 4000);
  EXPECT_EQ(back.WaterMarkText(), u"aKorvathAdminMode=true");
  EXPECT_EQ(back.hostname(), u"evilhostport1");
  EXPECT_EQ(back.SoundFile(0), u"xfieldIsUTF8=true");
  EXPECT_EQ(back.serial(), (SerialLine{u"COM1:5", u"9600", u"8", u"None", u"1"}));
  auto lines = [](const std::string& t) {
    std::size_t n = 0;
    for (std::size_t at = t.find("\r\n"); at != std::string::npos; at = t.find("\r\n", at + 2)) ++n;
    return n;
  };
  EXPECT_EQ(lines(ReadBytes()), lines(DefaultFileText()));
}

TEST_F(SettingsFile, TextEndsAtTheFirstZeroByte) {
  const CSettings s = Read(std::string("hostport=1234\r\n\0screencols=40\r\n", 31));
  EXPECT_EQ(s.hostport(), 1234);
  EXPECT_EQ(s.screencols(), 80);
  EXPECT_TRUE(s.KorvathAdminMode());
}

TEST_F(SettingsFile, HugeLinesAreReadSafely) {
  const std::string huge(2'000'000, 'A');
  const CSettings s = Read("hostname=" + huge + "\r\nWaterMarkText=\"" + huge + "\"\r\nhostport=" +
                           std::string(100000, '9') + "\r\nscreencols=12\r\n");
  EXPECT_EQ(s.hostname().size(), huge.size());
  EXPECT_EQ(s.WaterMarkText().size(), kWaterMarkTextMax);
  EXPECT_EQ(s.hostport(), INT_MAX);
  EXPECT_EQ(s.screencols(), 12);
}

TEST_F(SettingsFile, TextPastFourMegabytesIsNotRead) {
  const auto started = std::chrono::steady_clock::now();
  std::string text = "hostport=1234\r\n";
  text.append(5u << 20, 'x');
  text.append("\r\nscreencols=40\r\n");
  const CSettings s = Read(text);
  EXPECT_EQ(s.hostport(), 1234);
  EXPECT_EQ(s.screencols(), 80);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
}

TEST_F(SettingsFile, ManyTokensAreReadInBoundedTime) {
  // Every token a near-miss of a key, many times over.
  std::string text;
  for (int i = 0; i < 200000; ++i) text += "hostpor=x=";
  text += "\r\nhostport=5\r\n";
  const auto started = std::chrono::steady_clock::now();
  const CSettings s = Read(text);
  EXPECT_EQ(s.hostport(), 5);
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
    const CSettings s = Read(bytes);
    EXPECT_LE(s.fontname().size(), kFontNameMax);
    EXPECT_LE(s.serial().port.size(), kSerialPartMax);
    EXPECT_LE(s.SoundFile(0).size(), kSoundFileMax);
    EXPECT_LE(s.BackGroundColor(), 0xFFFFFFu);
    // What was read can be written and read again to the same settings.
    ASSERT_TRUE(s.WriteSettings());
    CSettings back(path_);
    ASSERT_TRUE(back.ReadSettings());
    ExpectSameSettings(back, s);
  }
}

}  // namespace
}  // namespace vantor
