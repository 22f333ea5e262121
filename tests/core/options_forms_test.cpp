// Options forms rules: what the display and device dialogs show on opening, what OK stores, clamps and filters.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "devices/sound_player.h"
#include "forms/device_options.h"
#include "forms/display_options.h"
#include "platform/codepage.h"
#include "row_tables.h"
#include "settings/settings.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

TEST(DisplayOptions, ToolbarChoiceAndStoredSize) {
  const std::pair<int, ToolbarChoice> cases[] = {
      {-1, ToolbarChoice::kDisabled}, {0, ToolbarChoice::kSize1x},         {1, ToolbarChoice::kSize2x},
      {2, ToolbarChoice::kSize3x},    {3, ToolbarChoice::kSize1x},         {INT_MAX, ToolbarChoice::kSize1x},
      {-2, ToolbarChoice::kDisabled}, {INT_MIN, ToolbarChoice::kDisabled},
  };
  for (const auto& [size, choice] : cases) EXPECT_EQ(ToolbarChoiceFor(size), choice) << size;
  for (int size : {-1, 0, 1, 2}) EXPECT_EQ(ToolbarSizeFor(ToolbarChoiceFor(size)), size);
  EXPECT_EQ(ToolbarSizeFor(ToolbarChoice::kNone), 0);
}

TEST(DisplayOptions, OkStoresEveryControlOfEachForm) {
  Settings settings;
  ApplyScannerOptions(ScannerOptionsForm{false, true, false, false}, settings);
  EXPECT_EQ(ScannerOptionsFrom(settings), (ScannerOptionsForm{false, true, false, false}));
  const ScreenOptionsForm screen{true, true, false, u"  Dock 4 ", u"40", u"16", ToolbarChoice::kDisabled};
  ApplyScreenOptions(screen, settings);
  EXPECT_EQ(ScreenOptionsFrom(settings), screen);
  EXPECT_EQ(settings.ToolbarSize(), -1);
  ApplyFieldOptions(FieldOptionsForm{true, false, u"1\"12..,"}, settings);
  EXPECT_EQ(FieldOptionsFrom(settings), (FieldOptionsForm{true, false, u"12.,"}));
  const FontOptionsForm font{u"Arial", u"11", true, u"3", true};
  ApplyFontOptions(font, settings);
  EXPECT_EQ(FontOptionsFrom(settings), font);
  ApplyFontOptions(FontOptionsForm{std::nullopt, u"9", false, u"0", false}, settings);
  EXPECT_EQ(settings.FontName(), u"Arial") << "no selection keeps the stored name";
}

// The table "options texts".
TEST(DisplayOptions, TypedTextsBecomeTheirValues) {
  const std::vector<std::u16string> fonts = {u"Arial", u"COURIER NEW", u"Courier New", u"Tahoma", u"ZAPF"};
  const std::map<std::string, const ComboChoices*> choices = {
      {"baud", &kBaudChoices}, {"data", &kDataBitsChoices}, {"parity", &kParityChoices}, {"stop", &kStopBitsChoices}};
  testing_support::ForEachRow("options texts", [&](const std::vector<std::string>& w) {
    const std::string& kind = w.at(0);
    const std::u16string text = DecodeText(testing_support::Text(w.at(1)), CodePage::Utf8);
    const auto number = [&](std::size_t i) { return std::stoi(w.at(i)); };
    if (kind == "size") {
      Settings settings;
      ApplyScreenOptions(ScreenOptionsForm{false, false, true, u"", text, text, ToolbarChoice::kNone}, settings);
      EXPECT_EQ(settings.ScreenSize(), (GridSize{number(2), number(2)}));
      ApplyFontOptions(FontOptionsForm{u"Arial", text, false, text, false}, settings);
      EXPECT_EQ(settings.FontPointSize(), number(3));
      EXPECT_EQ(settings.ExtraCellWidth(), number(4));
    } else if (kind == "font") {
      EXPECT_EQ(FontEntryToSelect(fonts, text), number(2));
    } else if (choices.count(kind)) {
      EXPECT_EQ(ChoiceIndexFor(*choices.at(kind), text), number(2));
    } else if (kind == "port") {
      EXPECT_EQ(PortNumberFromName(text), number(2));
    } else if (kind == "framing") {
      EXPECT_EQ(FramingByteFromText(text), number(2));
    } else if (kind == "interval") {
      EXPECT_EQ(ReadIntervalFromText(text), number(2));
    } else {
      EXPECT_EQ(PortNameFromText(text), DecodeText(testing_support::Text(w.at(2)), CodePage::Utf8));
    }
  });
}

TEST(DisplayOptions, FontFamiliesAndTheEntryToSelect) {
  std::vector<std::u16string> families;
  EXPECT_TRUE(AddFontFamily(families, u"Tahoma"));
  EXPECT_TRUE(AddFontFamily(families, u"Courier New"));
  EXPECT_FALSE(AddFontFamily(families, u"Tahoma"));
  EXPECT_FALSE(AddFontFamily(families, u""));
  EXPECT_TRUE(AddFontFamily(families, u"tahoma"));  // only an identical entry counts as present
  EXPECT_EQ(families, (std::vector<std::u16string>{u"Tahoma", u"Courier New", u"tahoma"}));
  EXPECT_EQ(FontEntryToSelect({}, u"Arial"), -1);
}

TEST(SerialOptions, OnlyEntriesAreStored) {
  Settings settings;
  settings.SetSerialLine(SerialLineSettings{u"COM4:", u"12345", u"7", u"Odd", u"2"});
  const SerialPortView view = SerialPortViewOf(settings);
  EXPECT_EQ((std::vector<int>{view.baud, view.dataBits, view.parity, view.stopBits}), (std::vector<int>{6, 3, 1, 2}));
  // Typed text that is not an entry, and an empty combo, leave their parts as they were; the port is kept.
  ApplySerialPortOptions(SerialPortInput{u"31250", u"", u"Space", u"1.5"}, settings);
  EXPECT_EQ(settings.SerialLine(), (SerialLineSettings{u"COM4:", u"12345", u"7", u"Space", u"1.5"}));
  ApplySerialPortOptions(SerialPortInput{u"115200", u"5", u"none", u""}, settings);
  EXPECT_EQ(settings.SerialLine(), (SerialLineSettings{u"COM4:", u"115200", u"5", u"Space", u"1.5"}));
}

TEST(SerialOptions, FeatureViewAndOk) {
  EXPECT_EQ(SerialFeatureViewOf(Settings()).port, u"1");
  Settings settings;
  settings.SetSerialLine(SerialLineSettings{u"COM7:", u"19200", u"7", u"Even", u"2"});
  settings.SetSerialFeature(SerialFeatureSettings{true, 200, 3, false, 255, 13});  // bytes above 127 show whole
  settings.SetSerialCommandMode(true);
  settings.SetSerialTimeouts(SerialTimeoutSettings{750, 11, 12, 13, 14});
  const SerialFeatureView view = SerialFeatureViewOf(settings);
  EXPECT_EQ((std::vector<std::u16string>{view.port, view.siPrefix, view.siSuffix, view.soPrefix, view.soSuffix,
                                         view.readInterval}),
            (std::vector<std::u16string>{u"7", u"200", u"3", u"255", u"13", u"750"}));
  EXPECT_EQ((std::vector<bool>{view.serialIn, view.serialOut, view.command}), (std::vector<bool>{true, false, true}));
  SerialFeatureInput input{u"0", true, false, u"Field", u"130", u"13", u"200", u"", u"50"};
  ApplySerialFeatureOptions(input, settings);
  EXPECT_EQ(settings.SerialLine(), (SerialLineSettings{u"COM1:", u"19200", u"7", u"Even", u"2"}));
  EXPECT_EQ(settings.SerialFeature(), (SerialFeatureSettings{false, 2, 13, true, 72, 0}));
  EXPECT_FALSE(settings.SerialCommandMode());
  EXPECT_EQ(settings.SerialTimeouts(), (SerialTimeoutSettings{100, 11, 12, 13, 14}));
}

TEST(SoundOptions, ViewOkAndPreview) {
  const std::pair<int, SoundChoice> choices[] = {
      {1, SoundChoice::kWaveFile}, {2, SoundChoice::kTone}, {-1, SoundChoice::kSilence}, {0, SoundChoice::kSilence}};
  for (const auto& [type, choice] : choices) EXPECT_EQ(SoundChoiceForType(type), choice) << type;
  Settings settings;
  settings.SetSound(2, SoundEventSettings{7, u"C:\\beep.wav", 440, 200, 5, 300, 400, 3});
  const SoundOptionsView view = SoundOptionsViewOf(settings, 2);
  EXPECT_EQ(view.choice, SoundChoice::kSilence);
  EXPECT_EQ((std::vector<std::u16string>{view.frequency, view.duration, view.waveFile, view.onTime, view.offTime,
                                         view.repeat}),
            (std::vector<std::u16string>{u"440", u"200", u"C:\\beep.wav", u"300", u"400", u"3"}));
  EXPECT_TRUE(view.vibrate);
  testing_support::ForEachRow("sound radios", [&](const std::vector<std::string>& w) {
    SoundOptionsInput input;
    input.silence = w.at(0) == "1";
    input.tone = w.at(1) == "1";
    input.waveFile = w.at(2) == "1";
    SoundEventSettings current;
    current.SoundType = std::stoi(w.at(3));
    EXPECT_EQ(SoundSettingsFromInput(input, current).SoundType, std::stoi(w.at(4)));
  });
  const SoundOptionsInput input{false, true, false,    u"20", u"10000", std::u16string(300, u'a'),
                                true,  u"7", u"99999", u""};
  for (int event : {1, 8, -1}) ApplySoundOptions(input, settings, event);
  EXPECT_EQ(settings.Sound(1), (SoundEventSettings{2, std::u16string(259, u'a'), 20, 10000, 1, 7, 99999, 0}));
  for (int e : {0, 3, 7}) EXPECT_EQ(settings.Sound(e), SoundEventSettings{}) << e;
  // The preview plays the controls, with the stored type when no radio is checked.
  const SoundOptionsInput preview{false, false, false, u"440", u"200", u"new.wav", true, u"150", u"250", u"4"};
  const auto player = MakePreviewPlayer(preview, SoundEventSettings{1, u"old.wav", 30, 1, 0, 100, 100, 1}, true);
  EXPECT_EQ(player->Type(), kSoundFile);
  EXPECT_EQ(player->WaveFile(), u"new.wav");
  EXPECT_EQ(player->Frequency(), 440);
  EXPECT_EQ(player->VibrateIterations(), 4u);
}

// Every dialog but the non-Normal sound ones re-reads the file on opening, dropping unsaved changes.
TEST(OptionsOpening, DialogsReadTheFileFirst) {
  const fs::path dir = fs::temp_directory_path() / ("vantor_forms_" + std::to_string(std::random_device()()));
  fs::create_directories(dir);
  Settings settings(dir / "Vantor.ini");
  void (*const openers[])(Settings&) = {
      [](Settings& s) { OpenScannerOptions(s); },    [](Settings& s) { OpenScreenOptions(s); },
      [](Settings& s) { OpenFieldOptions(s); },      [](Settings& s) { OpenFontOptions(s); },
      [](Settings& s) { OpenSerialPortOptions(s); }, [](Settings& s) { OpenSerialFeatureOptions(s); },
      [](Settings& s) { OpenSoundOptions(s, 0); },
  };
  ASSERT_TRUE(settings.WriteSettings());
  const std::string file = settings.SettingsText();
  for (auto open : openers) {
    settings.SetScreenSize(100, 30);
    open(settings);
    EXPECT_EQ(settings.SettingsText(), file);
  }
  settings.SetScreenSize(100, 30);
  EXPECT_EQ(OpenSoundOptions(settings, 1).frequency, u"30");
  EXPECT_EQ(settings.ScreenColumns(), 100) << "the Error sound dialog must not read the file";
  fs::remove_all(dir);
}

}  // namespace
}  // namespace vantor
