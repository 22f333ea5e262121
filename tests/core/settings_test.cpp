// Settings rules: setter limits, text and number rules, the settings file's exact text and its lenient reader.
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>

#include "settings/setting_rules.h"
#include "settings/setting_table.h"

#include "row_tables.h"

namespace vantor {
namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

TEST(SettingsModel, SettersKeepTheirLimits) {
  Settings s;
  s.SetTerminalId(1000);
  s.SetHostPort(0);
  EXPECT_EQ(std::pair(s.TerminalId(), s.HostPort()), std::pair(999, 1));
  s.SetScreenSize(300, 0);
  EXPECT_EQ(s.ScreenSize(), (GridSize{207, 1}));
  s.SetScreenSize(-4, 208);
  EXPECT_EQ(s.ScreenSize(), (GridSize{1, 207}));
  s.SetFontName(std::u16string(40, u'F'));
  EXPECT_EQ(s.FontName(), std::u16string(31, u'F'));
  s.SetWatermarkText(std::u16string(32, u'W'));
  EXPECT_EQ(s.WatermarkText(), std::u16string(31, u'W'));
  s.SetSerialLine(SerialLineSettings{std::u16string(25, u'C'), u"19200", u"7", u"Even", u"2"});
  EXPECT_EQ(s.SerialLine(), (SerialLineSettings{std::u16string(19, u'C'), u"19200", u"7", u"Even", u"2"}));
  // The host's step is added to the point size without overflow.
  for (const auto& [size, step, sum] : {std::tuple{9, -3, 6}, {INT_MAX, 10, INT_MAX}, {INT_MIN, -10, INT_MIN}}) {
    s.SetFontPointSize(size);
    s.SetFontStep(step);
    EXPECT_EQ(s.EffectivePointSize(), sum);
  }
}

TEST(SettingsModel, SoundSettersTouchOnlyEventsInRange) {
  Settings s;
  for (int e : {-1, 7, 8}) {
    s.SetSoundType(e, 2);
    s.SetSoundFile(e, std::u16string(300, u'x'));
    s.SetTone(e, 440, 20);
    s.SetVibrateEnabled(e, 1);
    s.SetVibrateOnTime(e, 50);
    s.SetVibrateOffTime(e, 60);
    s.SetVibrateIterations(e, 3);
    s.SetSound(e == 7 ? 6 : e, SoundEventSettings{1, std::u16string(300, u'w'), 1, 2, 3, 4, 5, 6});
  }
  EXPECT_EQ(s.Sound(7), (SoundEventSettings{2, std::u16string(259, u'x'), 440, 20, 1, 50, 60, 3}));
  EXPECT_EQ(s.Sound(6), (SoundEventSettings{1, std::u16string(259, u'w'), 1, 2, 3, 4, 5, 6}));
  for (int e : {-1, 0, 8, INT_MAX}) EXPECT_EQ(s.Sound(e), SoundEventSettings{}) << e;
}

TEST(SettingRules, TextCutsAndNumericCharacters) {
  const std::u16string text = u"ab\U0001F600c";  // a, b, high, low, c
  for (const auto& [max, kept] : {std::pair{3u, u"ab"s}, {4u, u"ab\U0001F600"s}, {10u, text}, {0u, u""s}})
    EXPECT_EQ(CutText(text, max), kept) << max;
  std::u16string distinct;
  for (char16_t c = 0x100; c < 0x100 + 300; ++c) distinct.push_back(c);
  // Quotes and repeats go; only the first 255 characters are looked at.
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"1\"12", u"12"},
      {u"\"\"\"", u""},
      {u"9.9,0.-", u"9.,0-"},
      {distinct, distinct.substr(0, 255)},
      {std::u16string(255, u'1') + u"2", u"1"},
  };
  for (const auto& [typed, kept] : cases) {
    Settings s;
    s.SetNumericChars(typed);
    EXPECT_EQ(s.NumericChars(), kept) << kept.size();
  }
}

TEST(SettingRules, NumbersAreReadLikeAtoiAndSaturate) {
  testing_support::ForEachRow("setting numbers", [&](const std::vector<std::string>& w) {
    const std::string text = testing_support::Text(w.at(1));
    const int value = std::stoi(w.at(2));
    if (w[0] == "atoi") {
      EXPECT_EQ(AsciiToInt(text), value);
    } else if (w[0] == "unsigned") {
      EXPECT_EQ(ReadUnsignedDecimal(std::u16string(text.begin(), text.end())), value);
    } else {
      EXPECT_EQ(DecimalDigits(std::stoi(text)), value);
    }
  });
}

// The file of a new object (fresh), or of one that read an empty file: the table "settings file".
std::string FileText(bool fresh) {
  std::string text;
  testing_support::ForEachRow("settings file", [&](const std::vector<std::string>& w) {
    text += testing_support::Text(w.at(fresh || w.size() < 2 ? 0 : 1)) + "\r\n";
  });
  return text;
}

// The fresh file with every number and boolean in it changed.
std::string ChangedFileText() {
  std::string text = std::regex_replace(FileText(true), std::regex("true"), "TRUE");
  text = std::regex_replace(text, std::regex("false"), "true");
  text = std::regex_replace(text, std::regex("TRUE"), "false");
  bool inValue = false;
  for (char& c : text) {
    if (c == '=' || c == '\n')
      inValue = c == '=';
    else if (inValue && c >= '0' && c <= '9')
      c = static_cast<char>('1' + (c - '0') % 8);
  }
  return text;
}

std::string TextAfterReading(std::string_view text) {
  Settings s;
  s.ApplySettingsText(text);
  return s.SettingsText();
}

TEST(SettingsText, NewObjectAndEmptyFileWriteEveryLineInOrder) {
  Settings s;
  s.SetFontStep(4);  // run-time values are not written
  EXPECT_EQ(s.SettingsText(), FileText(true));
  EXPECT_EQ(TextAfterReading(ChangedFileText()), ChangedFileText());
  EXPECT_EQ(TextAfterReading(""), FileText(false));
  s.ApplySettingsText("ForeGroundColor=0a0b0c\r\n");
  EXPECT_EQ(s.TextColour(), 0x0C0B0Au);  // the file holds RRGGBB, memory red in the low byte
  EXPECT_EQ(s.FontStep(), 4);
  const SettingRow rows[] = {SettingRowOf("fullscreen").WrittenOnlyWhenChanged(), SettingRowOf("fontname")};
  SettingValues values;
  EXPECT_EQ(SettingsFileText(rows, values), "fontname=\"Courier New\"\r\n") << "only when changed: not at its default";
  values.fullScreen = true;
  EXPECT_EQ(SettingsFileText(rows, values), "fullscreen=true\r\nfontname=\"Courier New\"\r\n");
  ReadSettingsFileText(rows, "", values);
  EXPECT_EQ(SettingsFileText(rows, values), "fontname=\"Courier New\"\r\n") << "a file without it: the default";
}

// The reader is token based and lenient; the table "settings reader" holds most of its cases, these
// its long values.
TEST(SettingsText, ReaderTakesTheTokenAfterTheKey) {
  std::vector<std::pair<std::string, std::string>> cases = {
      {"fieldnumericvalue=\"" + std::string(400, '7') + "\"", "fieldnumericvalue=\"" + std::string(255, '7') + "\""},
      {"WaterMarkText=" + std::string(70, 'W'), "WaterMarkText=\"" + std::string(31, 'W') + "\""},
      {"ErrorSoundFile=\"" + std::string(999, 's'), "ErrorSoundFile=\"" + std::string(259, 's') + "\""},
      {"serial=\"" + std::string(40, 'P') + ",1,2,3,4\"", "serial=\"" + std::string(19, 'P') + ",1,2,3,4\""},
  };
  testing_support::ForEachRow("settings reader", [&](const std::vector<std::string>& w) {
    cases.emplace_back(testing_support::Text(w.at(0)), testing_support::Text(w.at(1)));
  });
  for (const auto& [text, line] : cases) {
    SCOPED_TRACE(text + " -> " + line);
    EXPECT_NE(("\r\n" + TextAfterReading(text)).find("\r\n" + line + "\r\n"), std::string::npos);
  }
}

TEST(SettingsText, WrittenValuesComeBackAndStayInTheirLines) {
  Settings a;
  a.SetWatermarkText(u"KorvathAdminMode");  // text spelled like a key
  a.SetNumericChars(u"fieldIsUTF8");
  a.SetHostName(u"h\u00f6st\r\nhostport=1");
  a.SetSoundFile(0, u"x\"\r\nfieldIsUTF8=true\t");
  a.SetFontName(u"Caf\u00e9 \u4e2d");  // the last character is not in the ANSI code page
  a.SetSerialLine(SerialLineSettings{u"COM1:,5", u"96\"00", u"8\r\n", std::u16string(u"No\0ne", 5), u"1"});
  a.SetAdminMode(false);
  a.SetHostTls(true);
  a.SetHostTlsPin(u"AB:CD \"=x\u00e9");
  const std::string text = a.SettingsText();
  EXPECT_EQ(
      text.rfind("hostname=h\xF6sthostport1\r\nhostport=9999\r\nhosttls=true\r\nhosttlspin=\"AB:CD =x\xE9\"\r\n", 0),
      0u);
  EXPECT_NE(text.find("\r\nfontname=\"Caf\xE9 ?\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nserial=\"COM1:5,9600,8,None,1\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nNormalSoundFile=\"xfieldIsUTF8=true\"\r\n"), std::string::npos);
  EXPECT_EQ(TextAfterReading(text), text);
}

TEST(SettingsText, GarbledTextIsReadSafelyInBoundedTime) {
  const auto started = std::chrono::steady_clock::now();
  std::string nearMisses;
  for (int i = 0; i < 200000; ++i) nearMisses += "hostpor=x=";
  EXPECT_NE(TextAfterReading(nearMisses + "\r\nhostport=5\r\n").find("\r\nhostport=5\r\n"), std::string::npos);
  std::mt19937 random(12345);
  for (int round = 0; round < 10; ++round) {
    std::string bytes(4096 + round * 1000, '=');
    for (char& b : bytes) b = static_cast<char>(random() % 255 + 1);
    // Real keys, so that the value paths run over garbage too.
    for (const char* key : {"hostname=", "serial=", "serialfeature=", "windowpos=", "BackGroundColor=", "fontname=",
                            "NormalSoundFile=", "fullscreen="})
      bytes.insert(random() % bytes.size(), key);
    const std::string written = TextAfterReading(bytes);  // once written, it reads back to the same settings
    EXPECT_EQ(TextAfterReading(written), written) << round;
  }
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
}

TEST(SettingsFile, ReadAndWrittenWholeWithinLimits) {
  const fs::path dir = fs::temp_directory_path() / ("vantor_settings_" + std::to_string(std::random_device()()));
  const fs::path path = dir / "Vantor.ini";
  fs::create_directories(dir);
  const auto writeBytes = [&path](const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; };
  writeBytes(ChangedFileText() + std::string(20000, 'x') + "\r\nunknownkey=1\r\n");
  Settings s(path);
  ASSERT_TRUE(s.ReadSettings());
  ASSERT_TRUE(s.WriteSettings());
  std::ostringstream written;
  written << std::ifstream(path, std::ios::binary).rdbuf();
  EXPECT_EQ(written.str(), ChangedFileText()) << "every setting survives and the whole file is replaced";
  writeBytes("hostport=1234\r\n" + std::string(5u << 20, 'x') + "\r\nscreencols=40\r\n");
  ASSERT_TRUE(s.ReadSettings());
  EXPECT_EQ(s.HostPort(), 1234);
  EXPECT_EQ(s.ScreenColumns(), 80) << "text past 4 MB is not read";
  for (const fs::path& bad : {dir / "absent.ini", dir, fs::path()}) {
    Settings unread(bad);
    unread.SetHostPort(77);
    EXPECT_FALSE(unread.ReadSettings()) << bad;
    EXPECT_EQ(unread.HostPort(), 77);
  }
  for (const fs::path& bad : {dir / "no" / "such" / "Vantor.ini", fs::path()})
    EXPECT_FALSE(Settings(bad).WriteSettings()) << bad;
  fs::remove_all(dir);
}

}  // namespace
}  // namespace vantor
