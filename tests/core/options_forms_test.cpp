// Options forms rules: what the display and device dialogs show on opening, what OK stores, clamps and filters.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "devices/sound_player.h"
#include "forms/device_options.h"
#include "forms/display_options.h"
#include "settings/settings.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

// A settings object on a file of its own in a fresh folder.
class DisplayOptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("vantor_da_" + std::string(info->name()) + "_" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(dir_);
    path_ = dir_ / "Vantor.ini";
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  // A settings object whose file holds what `prepare` set.
  template <typename Prepare>
  Settings Stored(Prepare prepare) {
    Settings stored(path_);
    prepare(stored);
    EXPECT_TRUE(stored.WriteSettings());
    return Settings(path_);
  }
  Settings Reread() {
    Settings reread(path_);
    EXPECT_TRUE(reread.ReadSettings());
    return reread;
  }

  fs::path dir_;
  fs::path path_;
};

// ---- Scanner Options ----------------------------------------------------------------------------

TEST_F(DisplayOptionsTest, ScannerOpensWithTheFilesModeAndOptions) {
  Settings settings = Stored([](Settings& s) {
    s.SetScannerCallbackMode(false);
    s.SetScannerAppendsEnter(true);
    s.SetScannerAppendsF0(false);
    s.SetScannerOverwritesField(true);
  });
  EXPECT_EQ(OpenScannerOptions(settings), (ScannerOptionsForm{false, true, false, true}));
  settings.SetScannerCallbackMode(true);
  EXPECT_TRUE(ScannerOptionsFrom(settings).callbackMode);
}

TEST_F(DisplayOptionsTest, ScannerOptionsAreStoredWhateverTheMode) {
  Settings settings;
  for (const ScannerOptionsForm form :
       {ScannerOptionsForm{false, true, false, false}, ScannerOptionsForm{true, false, true, true}}) {
    ApplyScannerOptions(form, settings);
    EXPECT_EQ(ScannerOptionsFrom(settings), form);
  }
}

// ---- Screen Options -----------------------------------------------------------------------------

TEST(DisplayOptionsToolbarTest, RadioChoiceForEachStoredSize) {
  EXPECT_EQ(ToolbarChoiceFor(-1), ToolbarChoice::kDisabled);
  EXPECT_EQ(ToolbarChoiceFor(0), ToolbarChoice::kSize1x);
  EXPECT_EQ(ToolbarChoiceFor(1), ToolbarChoice::kSize2x);
  EXPECT_EQ(ToolbarChoiceFor(2), ToolbarChoice::kSize3x);
  EXPECT_EQ(ToolbarChoiceFor(3), ToolbarChoice::kSize1x);
  EXPECT_EQ(ToolbarChoiceFor(INT_MAX), ToolbarChoice::kSize1x);
  // The terminal builds no toolbar for any negative size: the dialog says so too.
  EXPECT_EQ(ToolbarChoiceFor(-2), ToolbarChoice::kDisabled);
  EXPECT_EQ(ToolbarChoiceFor(INT_MIN), ToolbarChoice::kDisabled);
}

TEST(DisplayOptionsToolbarTest, StoredSizeForEachChoiceAndNoneChecked) {
  EXPECT_EQ(ToolbarSizeFor(ToolbarChoice::kDisabled), -1);
  EXPECT_EQ(ToolbarSizeFor(ToolbarChoice::kSize1x), 0);
  EXPECT_EQ(ToolbarSizeFor(ToolbarChoice::kSize2x), 1);
  EXPECT_EQ(ToolbarSizeFor(ToolbarChoice::kSize3x), 2);
  EXPECT_EQ(ToolbarSizeFor(ToolbarChoice::kNone), 0);
  for (int size : {-1, 0, 1, 2}) EXPECT_EQ(ToolbarSizeFor(ToolbarChoiceFor(size)), size);
}

TEST_F(DisplayOptionsTest, ScreenOpensWithTheFilesValues) {
  Settings settings = Stored([](Settings& s) {
    s.SetScreenSize(132, 40);
    s.SetToolbarSize(7);
    s.SetFullScreen(true);
    s.SetCustomColours(true);
    s.SetShowWatermark(false);
    s.SetWatermarkText(u"Dock 4");
  });
  EXPECT_EQ(OpenScreenOptions(settings),
            (ScreenOptionsForm{true, true, false, u"Dock 4", u"132", u"40", ToolbarChoice::kSize1x}));
}

TEST_F(DisplayOptionsTest, ScreenShowsOutOfRangeFileNumbersAsTheyAre) {
  Settings settings(path_);
  settings.ApplySettingsText("screencols=500\r\nscreenrows=-3\r\n");
  const ScreenOptionsForm form = ScreenOptionsFrom(settings);
  EXPECT_EQ(form.cols, u"500");
  EXPECT_EQ(form.rows, u"-3");
  // Unchanged and confirmed, they come back within the limits.
  ApplyScreenOptions(form, settings);
  EXPECT_EQ(settings.ScreenColumns(), 207);
  EXPECT_EQ(settings.ScreenRows(), 1);
}

TEST(DisplayOptionsScreenTest, ColumnsAndRowsAreReadUnsignedAndClamped) {
  struct Case {
    std::u16string text;
    int stored;
  };
  const std::vector<Case> cases = {
      {u"0", 1}, {u"300", 207}, {u"207", 207}, {u"1", 1}, {u"80", 80}, {u"", 1},
      {u"abc", 1}, {u"12x", 12}, {u"-5", 1}, {u" 9", 1}, {u"99999999999999", 207},
  };
  for (const Case& c : cases) {
    Settings settings;
    ScreenOptionsForm form = ScreenOptionsFrom(settings);
    form.cols = c.text;
    form.rows = c.text;
    ApplyScreenOptions(form, settings);
    EXPECT_EQ(settings.ScreenColumns(), c.stored) << std::string(c.text.begin(), c.text.end());
    EXPECT_EQ(settings.ScreenRows(), c.stored) << std::string(c.text.begin(), c.text.end());
  }
}

TEST(DisplayOptionsScreenTest, OkStoresEveryControl) {
  Settings settings;
  ScreenOptionsForm form;
  form.fullScreen = true;
  form.customColors = true;
  form.showWaterMark = false;
  form.waterMarkText = u"";
  form.cols = u"40";
  form.rows = u"16";
  form.toolbar = ToolbarChoice::kDisabled;
  ApplyScreenOptions(form, settings);
  EXPECT_EQ(ScreenOptionsFrom(settings), form);
  EXPECT_EQ(settings.ToolbarSize(), -1);
}

TEST(DisplayOptionsScreenTest, WatermarkKeepsAtMost31Characters) {
  Settings settings;
  ScreenOptionsForm form = ScreenOptionsFrom(settings);
  form.waterMarkText = std::u16string(32, u'W');
  ApplyScreenOptions(form, settings);
  EXPECT_EQ(settings.WatermarkText(), std::u16string(31, u'W'));
  form.waterMarkText = u"  spaced  ";
  ApplyScreenOptions(form, settings);
  EXPECT_EQ(settings.WatermarkText(), u"  spaced  ");
}

// ---- Field Options ------------------------------------------------------------------------------

TEST_F(DisplayOptionsTest, FieldOpensWithTheFilesValues) {
  Settings settings = Stored([](Settings& s) {
    s.SetEnterSendsKey(false);
    s.SetFirstKeyReplaces(true);
    s.SetNumericChars(u"0123456789");
  });
  EXPECT_EQ(OpenFieldOptions(settings), (FieldOptionsForm{false, true, u"0123456789"}));
}

TEST(DisplayOptionsFieldTest, NumericsGoThroughTheSettingsFilter) {
  Settings settings;
  ApplyFieldOptions(FieldOptionsForm{true, false, u"1\"12..,"}, settings);
  EXPECT_EQ(FieldOptionsFrom(settings), (FieldOptionsForm{true, false, u"12.,"}));
  ApplyFieldOptions(FieldOptionsForm{false, true, u""}, settings);
  EXPECT_EQ(FieldOptionsFrom(settings), (FieldOptionsForm{false, true, u""}));
}

// ---- Font Options -------------------------------------------------------------------------------

TEST_F(DisplayOptionsTest, FontOpensWithTheFilesValues) {
  Settings settings = Stored([](Settings& s) {
    s.SetFontName(u"Lucida Console");
    s.SetFontPointSize(11);
    s.SetFontAutoSize(true);
    s.SetExtraCellWidth(3);
    s.SetUpperCaseInput(true);
  });
  EXPECT_EQ(OpenFontOptions(settings), (FontOptionsForm{u"Lucida Console", u"11", true, u"3", true}));
}

TEST(DisplayOptionsFontTest, SizeIsStoredAsTypedAndWidthIsHeldToNine) {
  Settings settings;
  FontOptionsForm form = FontOptionsFrom(settings);
  form.pointSize = u"99";
  form.additionalWidth = u"12";
  form.autoSize = true;
  form.upperCase = true;
  ApplyFontOptions(form, settings);
  EXPECT_EQ(settings.FontPointSize(), 99);
  EXPECT_EQ(settings.ExtraCellWidth(), 9);
  EXPECT_TRUE(settings.FontAutoSize());
  EXPECT_TRUE(settings.UpperCaseInput());
  form.pointSize = u"";
  form.additionalWidth = u"";
  ApplyFontOptions(form, settings);
  EXPECT_EQ(settings.FontPointSize(), 0);
  EXPECT_EQ(settings.ExtraCellWidth(), 0);
  form.pointSize = u"1";
  form.additionalWidth = u"9";
  ApplyFontOptions(form, settings);
  EXPECT_EQ(settings.FontPointSize(), 1);
  EXPECT_EQ(settings.ExtraCellWidth(), 9);
  form.additionalWidth = u"4294967296";
  ApplyFontOptions(form, settings);
  EXPECT_EQ(settings.ExtraCellWidth(), 9);
}

TEST(DisplayOptionsFontTest, SelectedFamilyIsStoredAndNoSelectionKeepsTheStoredName) {
  Settings settings;
  FontOptionsForm form = FontOptionsFrom(settings);
  form.fontName = u"Arial";
  ApplyFontOptions(form, settings);
  EXPECT_EQ(settings.FontName(), u"Arial");
  form.fontName = std::u16string(40, u'F');
  ApplyFontOptions(form, settings);
  EXPECT_EQ(settings.FontName(), std::u16string(31, u'F'));
  form.fontName.reset();
  ApplyFontOptions(form, settings);
  EXPECT_EQ(settings.FontName(), std::u16string(31, u'F'));
}

TEST(DisplayOptionsFontTest, FamiliesAreListedOnceInFirstSeenOrder) {
  std::vector<std::u16string> families;
  EXPECT_TRUE(AddFontFamily(families, u"Tahoma"));
  EXPECT_TRUE(AddFontFamily(families, u"Courier New"));
  EXPECT_FALSE(AddFontFamily(families, u"Tahoma"));
  EXPECT_FALSE(AddFontFamily(families, u""));
  // Only an identical entry counts as present.
  EXPECT_TRUE(AddFontFamily(families, u"tahoma"));
  EXPECT_FALSE(AddFontFamily(families, u"Courier New"));
  EXPECT_EQ(families, (std::vector<std::u16string>{u"Tahoma", u"Courier New", u"tahoma"}));
}

TEST(DisplayOptionsFontTest, EntryToSelectForTheStoredName) {
  const std::vector<std::u16string> entries = {u"Arial", u"COURIER NEW", u"Courier New", u"Tahoma"};
  EXPECT_EQ(FontEntryToSelect(entries, u"Courier New"), 2);
  EXPECT_EQ(FontEntryToSelect(entries, u"Tahoma"), 3);
  // Not installed, or nothing stored: the first entry.
  EXPECT_EQ(FontEntryToSelect(entries, u"Not Installed"), 0);
  EXPECT_EQ(FontEntryToSelect(entries, u""), 0);
  EXPECT_EQ(FontEntryToSelect(entries, u"Tahom"), 0);
  // Face names match without regard to case when no entry is identical.
  EXPECT_EQ(FontEntryToSelect(entries, u"tahoma"), 3);
  EXPECT_EQ(FontEntryToSelect(entries, u"courier new"), 1);
  EXPECT_EQ(FontEntryToSelect({}, u"Arial"), -1);
  EXPECT_EQ(FontEntryToSelect({}, u""), -1);
}

TEST_F(DisplayOptionsTest, MissingStoredFontOpensWithTheFirstFamilyAndOkStoresIt) {
  Settings settings = Stored([](Settings& s) { s.SetFontName(u"No Such Face"); });
  FontOptionsForm form = OpenFontOptions(settings);
  const std::vector<std::u16string> shown = {u"Arial", u"Courier New"};
  const int selected = FontEntryToSelect(shown, *form.fontName);
  ASSERT_EQ(selected, 0);
  form.fontName = shown[static_cast<std::size_t>(selected)];
  ApplyFontOptions(form, settings);
  ASSERT_TRUE(settings.WriteSettings());
  EXPECT_EQ(Reread().FontName(), u"Arial");
}

// ---- all four: opening re-reads the file --------------------------------------------------------

TEST_F(DisplayOptionsTest, OpeningReplacesUnsavedChangesWithTheFilesValues) {
  Settings settings = Stored([](Settings& s) {
    s.SetFullScreen(false);
    s.SetScannerAppendsEnter(false);
    s.SetFirstKeyReplaces(true);
    s.SetFontPointSize(9);
  });
  ASSERT_TRUE(settings.ReadSettings());
  settings.SetFullScreen(true);  // as the full-screen toggle does, written only at shutdown
  EXPECT_FALSE(OpenScreenOptions(settings).fullScreen);
  EXPECT_FALSE(settings.FullScreen());
  settings.SetScannerAppendsEnter(true);
  EXPECT_FALSE(OpenScannerOptions(settings).appendEnter);
  EXPECT_FALSE(settings.ScannerAppendsEnter());
  settings.SetFirstKeyReplaces(false);
  EXPECT_TRUE(OpenFieldOptions(settings).overwrite);
  EXPECT_TRUE(settings.FirstKeyReplaces());
  settings.SetFontPointSize(30);
  EXPECT_EQ(OpenFontOptions(settings).pointSize, u"9");
  EXPECT_EQ(settings.FontPointSize(), 9);
}

TEST_F(DisplayOptionsTest, OpeningWithoutAFileShowsWhatIsHeld) {
  Settings settings(path_);
  settings.SetScreenSize(100, 30);
  settings.SetFontName(u"Tahoma");
  EXPECT_EQ(OpenScreenOptions(settings).cols, u"100");
  EXPECT_EQ(OpenFontOptions(settings).fontName, std::optional<std::u16string>(u"Tahoma"));
  EXPECT_FALSE(fs::exists(path_));
}

TEST_F(DisplayOptionsTest, ConfirmedValuesSurviveTheFile) {
  Settings settings(path_);
  ScreenOptionsForm screen = OpenScreenOptions(settings);
  screen.cols = u"300";
  screen.rows = u"0";
  screen.waterMarkText = u"";
  screen.toolbar = ToolbarChoice::kSize2x;
  ApplyScreenOptions(screen, settings);
  FontOptionsForm font = OpenFontOptions(settings);
  font.additionalWidth = u"7";
  ApplyFontOptions(font, settings);
  ASSERT_TRUE(settings.WriteSettings());
  const std::string text = settings.SettingsText();
  EXPECT_NE(text.find("screencols=207\r\n"), std::string::npos);
  EXPECT_NE(text.find("screenrows=1\r\n"), std::string::npos);
  EXPECT_NE(text.find("toolbarsize=1\r\n"), std::string::npos);
  EXPECT_NE(text.find("WaterMarkText=\"\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("CharacterCellAdditionalWidth=07\r\n"), std::string::npos);
  Settings reread = Reread();
  EXPECT_EQ(reread.ScreenSize(), (GridSize{207, 1}));
  EXPECT_EQ(reread.WatermarkText(), u"");
  EXPECT_EQ(reread.ToolbarSize(), 1);
  EXPECT_EQ(reread.ExtraCellWidth(), 7);
}

namespace fs = std::filesystem;

// ---- Serial port options ------------------------------------------------------------------------

TEST(SerialPortOptionsTest, StoredTextSelectsItsEntryExactlyOrElseTheDefault) {
  EXPECT_EQ(ChoiceIndexFor(kBaudChoices, u"19200"), 8);
  EXPECT_EQ(ChoiceIndexFor(kBaudChoices, u"12345"), 6);
  EXPECT_EQ(ChoiceIndexFor(kBaudChoices, u""), 6);
  EXPECT_EQ(ChoiceIndexFor(kBaudChoices, u"19200 "), 6);
  EXPECT_EQ(ChoiceIndexFor(kDataBitsChoices, u"4"), 0);
  EXPECT_EQ(ChoiceIndexFor(kDataBitsChoices, u"9"), 4);
  // Exact: a parity in other letter case is not an entry.
  EXPECT_EQ(ChoiceIndexFor(kParityChoices, u"Mark"), 3);
  EXPECT_EQ(ChoiceIndexFor(kParityChoices, u"even"), 2);
  EXPECT_EQ(ChoiceIndexFor(kStopBitsChoices, u"2"), 2);
  EXPECT_EQ(ChoiceIndexFor(kStopBitsChoices, u"1,5"), 0);
}

TEST(SerialPortOptionsTest, UnknownStoredBaudOpensAsDefaultAndOkStoresIt) {
  Settings settings;
  settings.SetSerialLine(SerialLineSettings{u"COM4:", u"12345", u"7", u"Odd", u"2"});
  const SerialPortView view = SerialPortViewOf(settings);
  EXPECT_EQ(view.baud, 6);
  EXPECT_EQ(view.dataBits, 3);
  EXPECT_EQ(view.parity, 1);
  EXPECT_EQ(view.stopBits, 2);
  ApplySerialPortOptions(SerialPortInput{u"9600", u"7", u"Odd", u"2"}, settings);
  EXPECT_EQ(settings.SerialLine(), (SerialLineSettings{u"COM4:", u"9600", u"7", u"Odd", u"2"}));
}

TEST(SerialPortOptionsTest, OnlyListEntriesAreStoredAndThePortIsKept) {
  Settings settings;
  settings.SetSerialLine(SerialLineSettings{u"COM2:", u"4800", u"8", u"None", u"1"});
  // Typed text that is not an entry, and an empty combo, leave their parts as they were.
  ApplySerialPortOptions(SerialPortInput{u"31250", u"", u"Space", u"1.5"}, settings);
  EXPECT_EQ(settings.SerialLine(), (SerialLineSettings{u"COM2:", u"4800", u"8", u"Space", u"1.5"}));
  EXPECT_EQ(ChosenEntry(kBaudChoices, u"115200"), std::u16string(u"115200"));
  EXPECT_FALSE(ChosenEntry(kParityChoices, u"none").has_value());
  EXPECT_FALSE(ChosenEntry(kStopBitsChoices, u"").has_value());
}

// ---- Serial feature options ---------------------------------------------------------------------

TEST(SerialFeatureOptionsTest, PortNumberIsReadFromComNames) {
  EXPECT_EQ(PortNumberFromName(u"COM12"), 12);
  EXPECT_EQ(PortNumberFromName(u"COM 7:"), 7);
  EXPECT_EQ(PortNumberFromName(u"COM-2:"), -2);
  EXPECT_EQ(PortNumberFromName(u"COM:"), 1);
  EXPECT_EQ(PortNumberFromName(u"COM"), 1);
  EXPECT_EQ(PortNumberFromName(u"com3:"), 1);
  EXPECT_EQ(PortNumberFromName(u"LPT1:"), 1);
  EXPECT_EQ(PortNumberFromName(u"\\\\.\\COM10"), 1);
  EXPECT_EQ(PortNumberFromName(u"COM99999999999999999999:"), INT_MAX);
  EXPECT_EQ(PortNumberFromName(u"COM-99999999999999999999:"), INT_MIN);
}

TEST(SerialFeatureOptionsTest, PortNameIsTheNumberModuloHundredAtLeastOne) {
  EXPECT_EQ(PortNameFromText(u"3"), u"COM3:");
  EXPECT_EQ(PortNameFromText(u"0"), u"COM1:");
  EXPECT_EQ(PortNameFromText(u"99"), u"COM99:");
  EXPECT_EQ(PortNameFromText(u"100"), u"COM1:");
  EXPECT_EQ(PortNameFromText(u"123"), u"COM23:");
  EXPECT_EQ(PortNameFromText(u""), u"COM1:");
  EXPECT_EQ(PortNameFromText(u"x5"), u"COM1:");
  EXPECT_EQ(PortNameFromText(u"-5"), u"COM1:");
  EXPECT_EQ(PortNameFromText(u"99999999999999"), u"COM47:");  // saturates at 2147483647
}

TEST(SerialFeatureOptionsTest, FramingBytesAreMaskedToSevenBits) {
  EXPECT_EQ(FramingByteFromText(u"130"), 2);
  EXPECT_EQ(FramingByteFromText(u"128"), 0);
  EXPECT_EQ(FramingByteFromText(u"127"), 127);
  EXPECT_EQ(FramingByteFromText(u""), 0);
  EXPECT_EQ(FramingByteFromText(u"abc"), 0);
  EXPECT_EQ(FramingByteFromText(u"99999999999999"), 127);
}

TEST(SerialFeatureOptionsTest, ReadIntervalIsClamped) {
  EXPECT_EQ(ReadIntervalFromText(u"20000"), 10000);
  EXPECT_EQ(ReadIntervalFromText(u""), 100);
  EXPECT_EQ(ReadIntervalFromText(u"100"), 100);
  EXPECT_EQ(ReadIntervalFromText(u"99"), 100);
  EXPECT_EQ(ReadIntervalFromText(u"500"), 500);
  EXPECT_EQ(ReadIntervalFromText(u"10000"), 10000);
}

TEST(SerialFeatureOptionsTest, ViewShowsTheStoredValues) {
  Settings settings;
  settings.SetSerialLine(SerialLineSettings{u"COM7:", u"9600", u"8", u"None", u"1"});
  settings.SetSerialFeature(SerialFeatureSettings{true, 2, 3, false, 10, 13});
  settings.SetSerialCommandMode(true);
  settings.SetSerialTimeouts(SerialTimeoutSettings{750, 1, 2, 3, 4});
  SerialFeatureView view = SerialFeatureViewOf(settings);
  EXPECT_EQ(view.port, u"7");
  EXPECT_TRUE(view.serialIn);
  EXPECT_FALSE(view.serialOut);
  EXPECT_TRUE(view.command);
  EXPECT_EQ(view.siPrefix, u"2");
  EXPECT_EQ(view.siSuffix, u"3");
  EXPECT_EQ(view.soPrefix, u"10");
  EXPECT_EQ(view.soSuffix, u"13");
  EXPECT_EQ(view.readInterval, u"750");
  // Bytes above 127 from a hand-edited file show as their 8-bit values.
  settings.SetSerialFeature(SerialFeatureSettings{false, 200, 0, true, 255, 0});
  settings.SetSerialLine(SerialLineSettings{u"", u"9600", u"8", u"None", u"1"});
  settings.SetSerialCommandMode(false);
  view = SerialFeatureViewOf(settings);
  EXPECT_EQ(view.port, u"");
  EXPECT_EQ(view.siPrefix, u"200");
  EXPECT_EQ(view.soPrefix, u"255");
  EXPECT_FALSE(view.command);
  settings.SetSerialLine(SerialLineSettings{u"USB0", u"9600", u"8", u"None", u"1"});
  EXPECT_EQ(SerialFeatureViewOf(settings).port, u"1");
}

TEST(SerialFeatureOptionsTest, OkStoresEveryPartAndKeepsTheOtherTimeouts) {
  Settings settings;
  settings.SetSerialLine(SerialLineSettings{u"COM2:", u"19200", u"7", u"Even", u"2"});
  settings.SetSerialTimeouts(SerialTimeoutSettings{500, 11, 12, 13, 14});
  SerialFeatureInput input;
  input.port = u"0";
  input.serialOut = true;
  input.serialIn = true;
  input.siMode = u"Command";
  input.siPrefix = u"130";
  input.siSuffix = u"13";
  input.soPrefix = u"200";
  input.soSuffix = u"";
  input.readInterval = u"50";
  ApplySerialFeatureOptions(input, settings);
  EXPECT_EQ(settings.SerialLine(), (SerialLineSettings{u"COM1:", u"19200", u"7", u"Even", u"2"}));
  EXPECT_EQ(settings.SerialFeature(), (SerialFeatureSettings{true, 2, 13, true, 72, 0}));
  EXPECT_TRUE(settings.SerialCommandMode());
  EXPECT_EQ(settings.SerialTimeouts(), (SerialTimeoutSettings{100, 11, 12, 13, 14}));

  input.port = u"99";
  input.siMode = u"Field";
  input.serialIn = false;
  input.readInterval = u"20000";
  ApplySerialFeatureOptions(input, settings);
  EXPECT_EQ(settings.SerialLine().port, u"COM99:");
  EXPECT_FALSE(settings.SerialCommandMode());
  EXPECT_FALSE(settings.SerialFeature().inEnabled);
  EXPECT_EQ(settings.SerialTimeouts().readIntervalTimeout, 10000);
  // No SI mode selected is not "Command".
  settings.SetSerialCommandMode(true);
  input.siMode = u"";
  ApplySerialFeatureOptions(input, settings);
  EXPECT_FALSE(settings.SerialCommandMode());
}

// ---- Sound options ------------------------------------------------------------------------------

TEST(SoundOptionsTest, StoredTypeChecksItsRadioAndAnyOtherChecksSilence) {
  EXPECT_EQ(SoundChoiceForType(0), SoundChoice::kSilence);
  EXPECT_EQ(SoundChoiceForType(1), SoundChoice::kWaveFile);
  EXPECT_EQ(SoundChoiceForType(2), SoundChoice::kTone);
  EXPECT_EQ(SoundChoiceForType(7), SoundChoice::kSilence);
  EXPECT_EQ(SoundChoiceForType(-1), SoundChoice::kSilence);
}

SoundOptionsInput InputOf(const SoundOptionsView& view) {
  SoundOptionsInput input;
  input.silence = view.choice == SoundChoice::kSilence;
  input.tone = view.choice == SoundChoice::kTone;
  input.waveFile = view.choice == SoundChoice::kWaveFile;
  input.frequency = view.frequency;
  input.duration = view.duration;
  input.waveFilePath = view.waveFile;
  input.vibrate = view.vibrate;
  input.onTime = view.onTime;
  input.offTime = view.offTime;
  input.repeat = view.repeat;
  return input;
}

TEST(SoundOptionsTest, TypeSevenOpensAsSilenceAndOkStoresZero) {
  Settings settings;
  SoundEventSettings group;
  group.SoundType = 7;
  group.SoundFile = u"C:\\beep.wav";
  group.SoundToneFrequency = 440;
  group.SoundToneDuration = 200;
  group.VibrateEnabled = 5;
  group.VibrateOnTime = 300;
  group.VibrateOffTime = 400;
  group.VibrateIterations = 3;
  settings.SetSound(2, group);
  const SoundOptionsView view = SoundOptionsViewOf(settings, 2);
  EXPECT_EQ(view.choice, SoundChoice::kSilence);
  EXPECT_EQ(view.frequency, u"440");
  EXPECT_EQ(view.duration, u"200");
  EXPECT_EQ(view.waveFile, u"C:\\beep.wav");
  EXPECT_TRUE(view.vibrate);
  EXPECT_EQ(view.onTime, u"300");
  EXPECT_EQ(view.offTime, u"400");
  EXPECT_EQ(view.repeat, u"3");
  ApplySoundOptions(InputOf(view), settings, 2);
  group.SoundType = 0;
  group.VibrateEnabled = 1;
  EXPECT_EQ(settings.Sound(2), group);
}

TEST(SoundOptionsTest, RadioPriorityAndNoneCheckedKeepsTheType) {
  SoundEventSettings current;
  current.SoundType = 2;
  SoundOptionsInput input;
  input.silence = true;
  input.waveFile = true;
  EXPECT_EQ(SoundSettingsFromInput(input, current).SoundType, 0);
  input.silence = false;
  input.tone = true;
  EXPECT_EQ(SoundSettingsFromInput(input, current).SoundType, 1);
  input.waveFile = false;
  current.SoundType = 0;
  EXPECT_EQ(SoundSettingsFromInput(input, current).SoundType, 2);
  input.tone = false;
  current.SoundType = 9;
  EXPECT_EQ(SoundSettingsFromInput(input, current).SoundType, 9);
}

TEST(SoundOptionsTest, NumbersAreStoredUnclampedAndThePathIsCut) {
  SoundOptionsInput input;
  input.tone = true;
  input.frequency = u"20";
  input.duration = u"10000";
  input.onTime = u"7";
  input.offTime = u"99999";
  input.repeat = u"";
  input.waveFilePath = std::u16string(300, u'a');
  const SoundEventSettings stored = SoundSettingsFromInput(input, SoundEventSettings{});
  EXPECT_EQ(stored.SoundToneFrequency, 20);
  EXPECT_EQ(stored.SoundToneDuration, 10000);
  EXPECT_EQ(stored.VibrateOnTime, 7);
  EXPECT_EQ(stored.VibrateOffTime, 99999);
  EXPECT_EQ(stored.VibrateIterations, 0);
  EXPECT_EQ(stored.VibrateEnabled, 0);
  EXPECT_EQ(stored.SoundFile.size(), 259u);
  input.frequency = u"-5";
  input.duration = u"x";
  EXPECT_EQ(SoundSettingsFromInput(input, SoundEventSettings{}).SoundToneFrequency, 0);
  EXPECT_EQ(SoundSettingsFromInput(input, SoundEventSettings{}).SoundToneDuration, 0);
}

TEST(SoundOptionsTest, OkChangesOnlyItsOwnEvent) {
  Settings settings;
  SoundOptionsInput input;
  input.tone = true;
  input.frequency = u"880";
  input.duration = u"50";
  ApplySoundOptions(input, settings, 1);
  EXPECT_EQ(settings.SoundType(1), 2);
  EXPECT_EQ(settings.SoundToneFrequency(1), 880);
  EXPECT_EQ(settings.Sound(0), SoundEventSettings{});
  EXPECT_EQ(settings.Sound(2), SoundEventSettings{});
  const Settings before = settings;
  ApplySoundOptions(input, settings, 8);
  ApplySoundOptions(input, settings, -1);
  EXPECT_EQ(settings.SettingsText(), before.SettingsText());
}

TEST(SoundOptionsTest, PreviewPlayerTakesTheControlsAndClampsOnlyInThePlayer) {
  SoundOptionsInput input;
  input.tone = true;
  input.frequency = u"20";
  input.duration = u"200";
  input.vibrate = true;
  input.onTime = u"150";
  input.offTime = u"250";
  input.repeat = u"4";
  SoundEventSettings current;
  current.SoundType = 0;
  const auto player = MakePreviewPlayer(input, current, false);
  ASSERT_NE(player, nullptr);
  EXPECT_EQ(player->Type(), kSoundTone);
  EXPECT_EQ(player->Frequency(), 30);
  EXPECT_EQ(player->DurationMs(), 200);
  EXPECT_FALSE(player->SoundAvailable());
  EXPECT_TRUE(player->Vibrate());
  EXPECT_EQ(player->VibrateOnMs(), 150u);
  EXPECT_EQ(player->VibrateOffMs(), 250u);
  EXPECT_EQ(player->VibrateIterations(), 4u);
  EXPECT_TRUE(player->PlayRequest().has_value());
  // With no radio checked the preview plays what is stored.
  input.tone = false;
  current.SoundType = 1;
  current.SoundFile = u"old.wav";
  input.waveFilePath = u"new.wav";
  const auto file = MakePreviewPlayer(input, current, true);
  EXPECT_EQ(file->Type(), kSoundFile);
  EXPECT_EQ(file->WaveFile(), u"new.wav");
}

// ---- opening: which dialogs take the file's values -------------------------------------------

class DeviceOptionsOpening : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("vantor_db_" + std::string(info->name()) + "_" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(dir_);
    path_ = dir_ / "Vantor.ini";
    // The file: baud 19200 on COM5, serial-in framed by 2 and 3, Normal and Error tones of 440 Hz.
    Settings file(path_);
    file.SetSerialLine(SerialLineSettings{u"COM5:", u"19200", u"8", u"None", u"1"});
    file.SetSerialFeature(SerialFeatureSettings{true, 2, 3, false, 0, 0});
    SoundEventSettings tone;
    tone.SoundType = 2;
    tone.SoundToneFrequency = 440;
    file.SetSound(0, tone);
    file.SetSound(1, tone);
    ASSERT_TRUE(file.WriteSettings());
    settings_ = std::make_unique<Settings>(path_);
    ASSERT_TRUE(settings_->ReadSettings());
    // Changed in memory only, as a dialog's OK would without the file being written.
    settings_->SetSerialLine(SerialLineSettings{u"COM8:", u"110", u"5", u"Odd", u"2"});
    settings_->SetSerialFeature(SerialFeatureSettings{false, 9, 9, true, 9, 9});
    SoundEventSettings wave;
    wave.SoundType = 1;
    wave.SoundFile = u"memory.wav";
    settings_->SetSound(0, wave);
    settings_->SetSound(1, wave);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  fs::path dir_;
  fs::path path_;
  std::unique_ptr<Settings> settings_;
};

TEST_F(DeviceOptionsOpening, SerialPortDialogReplacesMemoryWithTheFile) {
  const SerialPortView view = OpenSerialPortOptions(*settings_);
  EXPECT_EQ(view.baud, 8);
  EXPECT_EQ(view.dataBits, 4);
  EXPECT_EQ(settings_->SerialLine().port, u"COM5:");
  EXPECT_EQ(settings_->SoundType(1), 2) << "every setting comes from the file";
}

TEST_F(DeviceOptionsOpening, SerialFeatureDialogReplacesMemoryWithTheFile) {
  const SerialFeatureView view = OpenSerialFeatureOptions(*settings_);
  EXPECT_EQ(view.port, u"5");
  EXPECT_TRUE(view.serialIn);
  EXPECT_FALSE(view.serialOut);
  EXPECT_EQ(view.siPrefix, u"2");
  EXPECT_EQ(view.soPrefix, u"0");
}

TEST_F(DeviceOptionsOpening, NormalSoundDialogReadsTheFileButErrorShowsMemory) {
  const SoundOptionsView error = OpenSoundOptions(*settings_, 1);
  EXPECT_EQ(error.choice, SoundChoice::kWaveFile);
  EXPECT_EQ(error.waveFile, u"memory.wav");
  EXPECT_EQ(settings_->SerialLine().port, u"COM8:") << "the Error dialog must not read the file";
  const SoundOptionsView normal = OpenSoundOptions(*settings_, 0);
  EXPECT_EQ(normal.choice, SoundChoice::kTone);
  EXPECT_EQ(normal.frequency, u"440");
  EXPECT_EQ(normal.waveFile, u"");
}

TEST_F(DeviceOptionsOpening, MissingFileKeepsTheValuesInMemory) {
  fs::remove(path_);
  const SerialPortView view = OpenSerialPortOptions(*settings_);
  EXPECT_EQ(view.baud, 0);
  EXPECT_EQ(view.parity, 1);
  EXPECT_EQ(OpenSerialFeatureOptions(*settings_).port, u"8");
}

}  // namespace
}  // namespace vantor
