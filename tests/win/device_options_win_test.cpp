// The Serial port, Serial feature and Sound options dialogs on their real templates: what they show,
// what OK stores and writes, that Cancel and Play store nothing.
#include "win/dialogs/device_options_dialogs.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "win/base/app_support.h"

#include "app_fixture_win.h"
#include "settings/settings.h"
#include "win/dialogs/device_options_ids.h"
#include "devices/sound_player.h"

namespace vantor {
namespace {

using wintest::Checked;
using wintest::ItemText;
using wintest::TextLimit;

std::wstring Caption(HWND dialog) { return WindowText(dialog); }

// The value of a "key=value" line of the settings file; "<missing>" when there is no such line.
std::string FileValue(const std::string& text, const std::string& key) {
  const std::string start = key + "=";
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find("\r\n", at);
    if (end == std::string::npos) end = text.size();
    if (text.compare(at, start.size(), start) == 0) return text.substr(at + start.size(), end - at - start.size());
    at = end + 2;
  }
  return "<missing>";
}



class DeviceOptionsDialogTest : public wintest::DialogFixture {
 protected:
  void TearDown() override {
    DialogFixture::TearDown();
    StopSounds(2000);
  }

  void OpenSerialPort() {
    state_.settings = settings_.get();
    dialog_ = CreateSerialPortOptionsDialog(wintest::ProgramResources(), nullptr, &state_);
    ASSERT_NE(dialog_, nullptr);
  }
  void OpenSerialFeature() {
    state_.settings = settings_.get();
    dialog_ = CreateSerialFeatureOptionsDialog(wintest::ProgramResources(), nullptr, &state_);
    ASSERT_NE(dialog_, nullptr);
  }
  void OpenSound(int event, bool vibratorPresent = false) {
    state_.settings = settings_.get();
    state_.soundEvent = event;
    state_.vibratorPresent = vibratorPresent;
    dialog_ = CreateSoundOptionsDialog(wintest::ProgramResources(), nullptr, &state_);
    ASSERT_NE(dialog_, nullptr);
  }

  DeviceOptionsDialogState state_;
};

// ---- Serial Port Options ------------------------------------------------------------------------

using SerialPortDialogTest = DeviceOptionsDialogTest;

TEST_F(SerialPortDialogTest, OkStoresTheSelectedEntriesButNotTextThatIsNoEntry) {
  StoreFile([](Settings&) {});
  OpenSerialPort();
  SendDlgItemMessageW(dialog_, IDC_SERIAL_BAUD, CB_SETCURSEL, 12, 0);
  SendDlgItemMessageW(dialog_, IDC_SERIAL_PARITY, CB_SETCURSEL, 0, 0);
  SendDlgItemMessageW(dialog_, IDC_SERIAL_STOP_BITS, CB_SETCURSEL, 2, 0);
  SetDlgItemTextW(dialog_, IDC_SERIAL_DATA_BITS, L"9");
  Press(IDOK);
  EXPECT_EQ(FileValue(FileBytes(), "serial"), "\"COM1:,115200,8,Even,2\"");
  Settings reread(SettingsPath());
  ASSERT_TRUE(reread.ReadSettings());
  EXPECT_EQ(reread.SerialLine(), settings_->SerialLine());
}

// ---- Serial Feature Options ---------------------------------------------------------------------

using SerialFeatureDialogTest = DeviceOptionsDialogTest;

TEST_F(SerialFeatureDialogTest, OkStoresMaskedClampedValuesAndKeepsTheOtherTimeouts) {
  StoreFile([](Settings& s) {
    s.SetSerialLine(SerialLineSettings{u"COM3:", u"38400", u"7", u"Even", u"2"});
    s.SetSerialTimeouts(SerialTimeoutSettings{500, 1, 2, 3, 4});
  });
  OpenSerialFeature();
  SetDlgItemTextW(dialog_, IDC_SERIAL_PORT, L"0");
  CheckDlgButton(dialog_, IDC_SERIAL_OUT, BST_CHECKED);
  CheckDlgButton(dialog_, IDC_SERIAL_IN, BST_CHECKED);
  SendDlgItemMessageW(dialog_, IDC_SERIAL_SI_MODE, CB_SETCURSEL, 0, 0);  // "Command"
  SetDlgItemTextW(dialog_, IDC_SERIAL_SI_PREFIX, L"130");
  SetDlgItemTextW(dialog_, IDC_SERIAL_SI_SUFFIX, L"13");
  SetDlgItemTextW(dialog_, IDC_SERIAL_SO_PREFIX, L"200");
  SetDlgItemTextW(dialog_, IDC_SERIAL_SO_SUFFIX, L"");
  SetDlgItemTextW(dialog_, IDC_SERIAL_READ_INTERVAL, L"50");
  Press(IDOK);
  EXPECT_EQ(state_.result, 1);
  const std::string file = FileBytes();
  EXPECT_EQ(FileValue(file, "serial"), "\"COM1:,38400,7,Even,2\"");
  EXPECT_EQ(FileValue(file, "serialcommand"), "true");
  EXPECT_EQ(FileValue(file, "serialfeature"), "true,2,13,true,72,0");
  EXPECT_EQ(FileValue(file, "serialReadIntervalTimeout"), "100");
  EXPECT_EQ(FileValue(file, "serialReadTotalTimeoutMultiplier"), "1");
  EXPECT_EQ(FileValue(file, "serialWriteTotalTimeoutConstant"), "4");
  EXPECT_TRUE(settings_->SerialCommandMode());
}

// ---- Sound Options ------------------------------------------------------------------------------

using SoundDialogTest = DeviceOptionsDialogTest;

SoundEventSettings ToneGroup(int frequency, int duration) {
  SoundEventSettings group;
  group.SoundType = 2;
  group.SoundToneFrequency = frequency;
  group.SoundToneDuration = duration;
  group.SoundFile = u"C:\\sounds\\ok.wav";
  group.VibrateEnabled = 1;
  group.VibrateOnTime = 200;
  group.VibrateOffTime = 300;
  group.VibrateIterations = 2;
  return group;
}

TEST_F(SoundDialogTest, OkStoresTheControlsUnclampedForItsEventOnly) {
  StoreFile([](Settings&) {});
  ASSERT_TRUE(settings_->ReadSettings());
  OpenSound(5);
  EXPECT_EQ(Caption(dialog_), L"Options User 2 Sound");
  CheckDlgButton(dialog_, IDC_SOUND_SILENCE, BST_UNCHECKED);
  CheckDlgButton(dialog_, IDC_SOUND_WAVE, BST_CHECKED);
  SetDlgItemTextW(dialog_, IDC_SOUND_FREQUENCY, L"20");
  SetDlgItemTextW(dialog_, IDC_SOUND_DURATION, L"9999");
  SetDlgItemTextW(dialog_, IDC_SOUND_WAVE_FILE, L"D:\\beep.wav");
  SetDlgItemTextW(dialog_, IDC_SOUND_VIBRATE_REPEAT, L"7");
  Press(IDOK);
  const std::string file = FileBytes();
  EXPECT_EQ(FileValue(file, "User02SoundType"), "1");
  EXPECT_EQ(FileValue(file, "User02SoundFile"), "\"D:\\beep.wav\"");
  EXPECT_EQ(FileValue(file, "User02SoundToneFrequency"), "20");
  EXPECT_EQ(FileValue(file, "User02SoundToneDuration"), "9999");
  EXPECT_EQ(FileValue(file, "User02VibrateIterations"), "7");
  EXPECT_EQ(FileValue(file, "User01SoundType"), "0");
  EXPECT_EQ(FileValue(file, "NormalSoundFile"), "\"\"");
  EXPECT_EQ(settings_->SoundToneFrequency(5), 20);
}

TEST_F(SoundDialogTest, UpDownReachesTenThousandMillisecondsBeyondTheTypingLimit) {
  StoreFile([](Settings& s) { s.SetSound(0, ToneGroup(440, 9990)); });
  OpenSound(0);
  SendDlgItemMessageW(dialog_, IDC_SOUND_DURATION_SPIN, UDM_SETPOS32, 0, 10000);
  EXPECT_EQ(ItemText(dialog_, IDC_SOUND_DURATION), L"10000");
  Press(IDOK);
  EXPECT_EQ(settings_->SoundToneDuration(0), 10000);
  EXPECT_EQ(FileValue(FileBytes(), "NormalSoundToneDuration"), "10000");
}

TEST_F(SoundDialogTest, PlayStoresNothingAndReturnsWhileTheToneSounds) {
  StoreFile([](Settings& s) { s.SetSound(0, ToneGroup(440, 200)); });
  OpenSound(0);
  SetDlgItemTextW(dialog_, IDC_SOUND_DURATION, L"5000");
  const auto started = std::chrono::steady_clock::now();
  Press(IDC_SOUND_PLAY);
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_LT(took, std::chrono::milliseconds(1000)) << "the dialog waited for the tone";
  EXPECT_EQ(state_.plays, 1);
  EXPECT_EQ(state_.result, -1);
  EXPECT_EQ(settings_->SoundToneDuration(0), 200);
  EXPECT_EQ(FileBytes(), fileBefore_);
  Press(IDCANCEL);
  EXPECT_EQ(state_.result, 0);
  EXPECT_EQ(settings_->Sound(0), ToneGroup(440, 200));
  EXPECT_EQ(FileBytes(), fileBefore_);
}

}  // namespace
}  // namespace vantor
