// Rules of the Serial port, Serial feature and Sound options dialogs: what they show, what OK stores,
// and which of them take their values from the settings file when they open.
#include "forms/device_options.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <random>

#include "settings/settings.h"
#include "devices/sound_player.h"

namespace vantor {
namespace {

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
