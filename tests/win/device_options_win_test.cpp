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

std::wstring ComboEntry(HWND dialog, int id, int index) {
  wchar_t text[64] = {};
  if (SendDlgItemMessageW(dialog, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0) >= 64) return L"<long>";
  SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
  return text;
}

int ComboCount(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCOUNT, 0, 0)); }
int ComboSelection(HWND dialog, int id) {
  return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
}

// An up-down control's range, and that it drives the edit box just before it.
void ExpectSpin(HWND dialog, int spin, int low, int high) {
  int gotLow = 0, gotHigh = 0;
  SendDlgItemMessageW(dialog, spin, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&gotLow),
                      reinterpret_cast<LPARAM>(&gotHigh));
  EXPECT_EQ(gotLow, low) << spin;
  EXPECT_EQ(gotHigh, high) << spin;
  EXPECT_EQ(reinterpret_cast<HWND>(SendDlgItemMessageW(dialog, spin, UDM_GETBUDDY, 0, 0)),
            GetDlgItem(dialog, spin - 1))
      << spin;
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

TEST_F(SerialPortDialogTest, OpensWithTheListsAndTheFileValuesSelected) {
  StoreFile([](Settings& s) { s.SetSerialLine(SerialLineSettings{u"COM3:", u"19200", u"7", u"Mark", u"1.5"}); });
  settings_->SetSerialLine(SerialLineSettings{u"COM9:", u"110", u"4", u"Odd", u"2"});  // memory only: replaced
  OpenSerialPort();
  EXPECT_EQ(Caption(dialog_), L"Serial Port Options");
  EXPECT_EQ(ComboCount(dialog_, IDC_SERIAL_BAUD), 15);
  EXPECT_EQ(ComboCount(dialog_, IDC_SERIAL_DATA_BITS), 5);
  EXPECT_EQ(ComboCount(dialog_, IDC_SERIAL_PARITY), 5);
  EXPECT_EQ(ComboCount(dialog_, IDC_SERIAL_STOP_BITS), 3);
  EXPECT_EQ(ComboSelection(dialog_, IDC_SERIAL_BAUD), 8);
  EXPECT_EQ(ItemText(dialog_, IDC_SERIAL_BAUD), L"19200");
  EXPECT_EQ(ComboSelection(dialog_, IDC_SERIAL_DATA_BITS), 3);
  EXPECT_EQ(ComboSelection(dialog_, IDC_SERIAL_PARITY), 3);
  EXPECT_EQ(ComboSelection(dialog_, IDC_SERIAL_STOP_BITS), 1);
  // Editable, unsorted drop-downs.
  for (int id : {IDC_SERIAL_BAUD, IDC_SERIAL_DATA_BITS, IDC_SERIAL_PARITY, IDC_SERIAL_STOP_BITS}) {
    const LONG style = GetWindowLongW(GetDlgItem(dialog_, id), GWL_STYLE);
    EXPECT_EQ(style & 3, CBS_DROPDOWN) << id;
    EXPECT_EQ(style & CBS_SORT, 0) << id;
  }
  EXPECT_EQ(settings_->SerialLine().port, u"COM3:");
  EXPECT_EQ(state_.result, -1);
}

TEST_F(SerialPortDialogTest, UnknownBaudShowsTheDefaultAndOkStoresIt) {
  StoreFile([](Settings& s) { s.SetSerialLine(SerialLineSettings{u"COM2:", u"12345", u"9", u"None", u"1"}); });
  OpenSerialPort();
  EXPECT_EQ(ItemText(dialog_, IDC_SERIAL_BAUD), L"9600");
  EXPECT_EQ(ItemText(dialog_, IDC_SERIAL_DATA_BITS), L"8");
  Press(IDOK);
  EXPECT_EQ(state_.result, 1);
  EXPECT_EQ(settings_->SerialLine(), (SerialLineSettings{u"COM2:", u"9600", u"8", u"None", u"1"}));
  EXPECT_EQ(FileValue(FileBytes(), "serial"), "\"COM2:,9600,8,None,1\"");
}

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

TEST_F(SerialFeatureDialogTest, OpensWithTheFileValuesLimitsAndRanges) {
  StoreFile([](Settings& s) {
    s.SetSerialLine(SerialLineSettings{u"COM12:", u"9600", u"8", u"None", u"1"});
    s.SetSerialFeature(SerialFeatureSettings{true, 2, 3, false, 10, 13});
    s.SetSerialCommandMode(true);
    s.SetSerialTimeouts(SerialTimeoutSettings{750, 0, 0, 0, 0});
  });
  OpenSerialFeature();
  EXPECT_EQ(Caption(dialog_), L"Serial Feature Options");
  EXPECT_EQ(ItemText(dialog_, IDC_SERIAL_PORT), L"12");
  EXPECT_TRUE(Checked(dialog_, IDC_SERIAL_IN));
  EXPECT_FALSE(Checked(dialog_, IDC_SERIAL_OUT));
  ASSERT_EQ(ComboCount(dialog_, IDC_SERIAL_SI_MODE), 2);
  EXPECT_EQ(ComboEntry(dialog_, IDC_SERIAL_SI_MODE, 0), L"Command");
  EXPECT_EQ(ComboEntry(dialog_, IDC_SERIAL_SI_MODE, 1), L"Field");
  EXPECT_EQ(ComboSelection(dialog_, IDC_SERIAL_SI_MODE), 0);
  EXPECT_EQ(ItemText(dialog_, IDC_SERIAL_SI_PREFIX), L"2");
  EXPECT_EQ(ItemText(dialog_, IDC_SERIAL_SI_SUFFIX), L"3");
  EXPECT_EQ(ItemText(dialog_, IDC_SERIAL_SO_PREFIX), L"10");
  EXPECT_EQ(ItemText(dialog_, IDC_SERIAL_SO_SUFFIX), L"13");
  EXPECT_EQ(ItemText(dialog_, IDC_SERIAL_READ_INTERVAL), L"750");
  EXPECT_EQ(TextLimit(dialog_, IDC_SERIAL_PORT), 2);
  EXPECT_EQ(TextLimit(dialog_, IDC_SERIAL_SI_PREFIX), 3);
  EXPECT_EQ(TextLimit(dialog_, IDC_SERIAL_SO_SUFFIX), 3);
  EXPECT_EQ(TextLimit(dialog_, IDC_SERIAL_READ_INTERVAL), 5);
  ExpectSpin(dialog_, IDC_SERIAL_PORT_SPIN, 1, 99);
  for (int spin : {IDC_SERIAL_SI_PREFIX_SPIN, IDC_SERIAL_SI_SUFFIX_SPIN, IDC_SERIAL_SO_PREFIX_SPIN,
                   IDC_SERIAL_SO_SUFFIX_SPIN})
    ExpectSpin(dialog_, spin, 0, 127);
  ExpectSpin(dialog_, IDC_SERIAL_READ_INTERVAL_SPIN, 100, 10000);
  UDACCEL accel[4] = {};
  EXPECT_EQ(SendDlgItemMessageW(dialog_, IDC_SERIAL_READ_INTERVAL_SPIN, UDM_GETACCEL, 4,
                                reinterpret_cast<LPARAM>(accel)),
            1);
  EXPECT_EQ(accel[0].nSec, 1000u);
  EXPECT_EQ(accel[0].nInc, 100u);
  const LONG modeStyle = GetWindowLongW(GetDlgItem(dialog_, IDC_SERIAL_SI_MODE), GWL_STYLE);
  EXPECT_NE(modeStyle & CBS_SORT, 0);
}

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

TEST_F(SerialFeatureDialogTest, HighestPortAndLongestIntervalAreKept) {
  StoreFile([](Settings& s) { s.SetSerialCommandMode(true); });
  OpenSerialFeature();
  SetDlgItemTextW(dialog_, IDC_SERIAL_PORT, L"99");
  SendDlgItemMessageW(dialog_, IDC_SERIAL_SI_MODE, CB_SETCURSEL, 1, 0);  // "Field"
  SetDlgItemTextW(dialog_, IDC_SERIAL_READ_INTERVAL, L"20000");
  Press(IDOK);
  EXPECT_EQ(settings_->SerialLine().port, u"COM99:");
  EXPECT_FALSE(settings_->SerialCommandMode());
  EXPECT_EQ(settings_->SerialTimeouts().readIntervalTimeout, 10000);
  EXPECT_EQ(FileValue(FileBytes(), "serialcommand"), "false");
}

TEST_F(DeviceOptionsDialogTest, SerialCancelLeavesSettingsAndFileAsTheyWere) {
  StoreFile([](Settings& s) {
    s.SetSerialLine(SerialLineSettings{u"COM4:", u"4800", u"7", u"Odd", u"2"});
    s.SetSerialFeature(SerialFeatureSettings{true, 1, 2, true, 3, 4});
  });
  for (bool feature : {false, true}) {
    SCOPED_TRACE(feature ? "serial feature" : "serial port");
    state_.result = -1;
    if (feature) {
      OpenSerialFeature();
      SetDlgItemTextW(dialog_, IDC_SERIAL_SI_PREFIX, L"99");
      CheckDlgButton(dialog_, IDC_SERIAL_IN, BST_UNCHECKED);
    } else {
      OpenSerialPort();
      SendDlgItemMessageW(dialog_, IDC_SERIAL_BAUD, CB_SETCURSEL, 0, 0);
    }
    Press(IDCANCEL);
    EXPECT_EQ(state_.result, 0);
    EXPECT_EQ(settings_->SerialLine(), (SerialLineSettings{u"COM4:", u"4800", u"7", u"Odd", u"2"}));
    EXPECT_EQ(settings_->SerialFeature(), (SerialFeatureSettings{true, 1, 2, true, 3, 4}));
    EXPECT_EQ(FileBytes(), fileBefore_);
    DestroyWindow(dialog_);
  }
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

TEST_F(SoundDialogTest, NormalOpensFromTheFileWithLimitsAndDisabledVibration) {
  StoreFile([](Settings& s) { s.SetSound(0, ToneGroup(440, 200)); });
  OpenSound(0);
  EXPECT_EQ(Caption(dialog_), L"Options Normal Sound");
  EXPECT_TRUE(Checked(dialog_, IDC_SOUND_TONE));
  EXPECT_FALSE(Checked(dialog_, IDC_SOUND_SILENCE));
  EXPECT_FALSE(Checked(dialog_, IDC_SOUND_WAVE));
  EXPECT_EQ(ItemText(dialog_, IDC_SOUND_FREQUENCY), L"440");
  EXPECT_EQ(ItemText(dialog_, IDC_SOUND_DURATION), L"200");
  EXPECT_EQ(ItemText(dialog_, IDC_SOUND_WAVE_FILE), L"C:\\sounds\\ok.wav");
  EXPECT_TRUE(Checked(dialog_, IDC_SOUND_VIBRATE));
  EXPECT_EQ(ItemText(dialog_, IDC_SOUND_VIBRATE_ON), L"200");
  EXPECT_EQ(ItemText(dialog_, IDC_SOUND_VIBRATE_OFF), L"300");
  EXPECT_EQ(ItemText(dialog_, IDC_SOUND_VIBRATE_REPEAT), L"2");
  for (int id : {IDC_SOUND_VIBRATE, IDC_SOUND_VIBRATE_ON, IDC_SOUND_VIBRATE_OFF, IDC_SOUND_VIBRATE_REPEAT})
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog_, id))) << id;
  for (int id : {IDC_SOUND_VIBRATE_ON_SPIN, IDC_SOUND_VIBRATE_OFF_SPIN, IDC_SOUND_VIBRATE_REPEAT_SPIN})
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog_, id))) << id;
  EXPECT_EQ(TextLimit(dialog_, IDC_SOUND_FREQUENCY), 4);
  EXPECT_EQ(TextLimit(dialog_, IDC_SOUND_DURATION), 4);
  EXPECT_EQ(TextLimit(dialog_, IDC_SOUND_VIBRATE_ON), 4);
  EXPECT_EQ(TextLimit(dialog_, IDC_SOUND_VIBRATE_OFF), 4);
  EXPECT_EQ(TextLimit(dialog_, IDC_SOUND_VIBRATE_REPEAT), 1);
  struct Expected {
    int spin;
    int low;
    int high;
  };
  for (const Expected& e : {Expected{IDC_SOUND_FREQUENCY_SPIN, 30, 5000}, Expected{IDC_SOUND_DURATION_SPIN, 1, 10000},
                            Expected{IDC_SOUND_VIBRATE_ON_SPIN, 100, 5000},
                            Expected{IDC_SOUND_VIBRATE_OFF_SPIN, 100, 1000},
                            Expected{IDC_SOUND_VIBRATE_REPEAT_SPIN, 1, 9}}) {
    ExpectSpin(dialog_, e.spin, e.low, e.high);
    // At the edit box's right edge.
    RECT editBox{}, spinBox{};
    GetWindowRect(GetDlgItem(dialog_, e.spin - 1), &editBox);
    GetWindowRect(GetDlgItem(dialog_, e.spin), &spinBox);
    EXPECT_NEAR(spinBox.left, editBox.right, 2) << e.spin;
    EXPECT_NEAR(spinBox.top, editBox.top, 2) << e.spin;
  }
}

TEST_F(SoundDialogTest, VibrationControlsAreEnabledWithAVibrator) {
  StoreFile([](Settings&) {});
  OpenSound(3, true);
  EXPECT_EQ(Caption(dialog_), L"Options Reject Scan Sound");
  for (int id : {IDC_SOUND_VIBRATE, IDC_SOUND_VIBRATE_ON, IDC_SOUND_VIBRATE_OFF, IDC_SOUND_VIBRATE_REPEAT})
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog_, id))) << id;
}

TEST_F(SoundDialogTest, ErrorShowsTheValuesInMemoryNotTheFile) {
  StoreFile([](Settings& s) { s.SetSound(1, ToneGroup(440, 200)); });
  ASSERT_TRUE(settings_->ReadSettings());
  // The file is changed by hand while the terminal runs.
  Settings edited(SettingsPath());
  edited.SetSound(1, ToneGroup(1000, 50));
  ASSERT_TRUE(edited.WriteSettings());
  OpenSound(1);
  EXPECT_EQ(Caption(dialog_), L"Options Error Sound");
  EXPECT_EQ(ItemText(dialog_, IDC_SOUND_FREQUENCY), L"440");
  EXPECT_EQ(ItemText(dialog_, IDC_SOUND_DURATION), L"200");
}

TEST_F(SoundDialogTest, StoredTypeSevenOpensAsSilenceAndOkStoresZero) {
  StoreFile([](Settings& s) {
    SoundEventSettings odd = ToneGroup(440, 200);
    odd.SoundType = 7;
    s.SetSound(0, odd);
  });
  OpenSound(0);
  EXPECT_TRUE(Checked(dialog_, IDC_SOUND_SILENCE));
  EXPECT_FALSE(Checked(dialog_, IDC_SOUND_TONE));
  Press(IDOK);
  EXPECT_EQ(state_.result, 1);
  EXPECT_EQ(settings_->SoundType(0), 0);
  EXPECT_EQ(FileValue(FileBytes(), "NormalSoundType"), "0");
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

TEST_F(SoundDialogTest, EventOutsideTheEightOpensNothing) {
  StoreFile([](Settings&) {});
  state_.settings = settings_.get();
  state_.soundEvent = 8;
  EXPECT_EQ(CreateSoundOptionsDialog(wintest::ProgramResources(), nullptr, &state_), nullptr);
  EXPECT_EQ(RunSoundOptionsDialog(wintest::ProgramResources(), nullptr, *settings_, -1, true, false), 0);
  EXPECT_EQ(FileBytes(), fileBefore_);
}

}  // namespace
}  // namespace vantor
