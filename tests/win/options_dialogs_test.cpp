// The options dialogs on the program's own templates: the controls are wired to the form rules, and OK
// writes what they hold to the settings file. The rules themselves are the core's to test.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app_fixture_win.h"
#include "devices/sound_player.h"
#include "platform/net.h"
#include "settings/settings.h"
#include "win/base/app_support.h"
#include "win/dialogs/device_options_dialogs.h"
#include "win/dialogs/device_options_ids.h"
#include "win/dialogs/dialog_ids.h"
#include "win/dialogs/display_options_dialogs.h"
#include "win/dialogs/display_options_ids.h"
#include "win/dialogs/host_options_dialog.h"

namespace vantor {
namespace {

// The value of a "key=value" line of the settings file; "<missing>" when there is no such line.
std::string FileValue(const std::string& text, const std::string& key) {
  const std::string start = "\r\n" + key + "=";
  const std::size_t at = ("\r\n" + text).find(start);
  if (at == std::string::npos) return "<missing>";
  const std::size_t from = at + start.size() - 2;
  return text.substr(from, text.find("\r\n", from) - from);
}

class OptionsDialogTest : public wintest::DialogFixture {
 protected:
  void SetUp() override {
    DialogFixture::SetUp();
    StoreFile([](Settings&) {});
  }
  void TearDown() override {
    DialogFixture::TearDown();
    StopSounds(2000);
  }
  template <typename State>
  void Open(HWND (*create)(HINSTANCE, HWND, State*), State& state) {
    state.settings = settings_.get();
    dialog_ = create(wintest::ProgramResources(), nullptr, &state);
    ASSERT_NE(dialog_, nullptr);
  }
  void Text(int id, const wchar_t* text) { SetDlgItemTextW(dialog_, id, text); }
  void Click(int id) { SendDlgItemMessageW(dialog_, id, BM_CLICK, 0, 0); }
  void Select(int id, int index) { SendDlgItemMessageW(dialog_, id, CB_SETCURSEL, index, 0); }
  Settings Reread() const {
    Settings reread(SettingsPath());
    EXPECT_TRUE(reread.ReadSettings());
    return reread;
  }
};

TEST_F(OptionsDialogTest, HostOkClampsAndWrites) {
  HostOptionsDialogState state;
  Open(CreateHostOptionsDialog, state);
  Text(IDC_HOST_TERMINAL_ID, L"0");
  Text(IDC_HOST_NAME, L" other.host");
  Text(IDC_HOST_PORT, L"70000");
  CheckDlgButton(dialog_, IDC_HOST_UTF8, BST_CHECKED);
  Press(IDOK);
  EXPECT_EQ(state.result, 1);
  const Settings reread = Reread();
  EXPECT_EQ(reread.TerminalId(), 1);
  EXPECT_EQ(reread.HostName(), u" other.host");
  EXPECT_EQ(reread.HostPort(), 65535);
  EXPECT_TRUE(reread.HostTextIsUtf8());
}

TEST_F(OptionsDialogTest, ScreenOkClampsAndWrites) {
  DisplayOptionsDialogState state{nullptr, -1};
  Open(CreateScreenOptionsDialog, state);
  Text(IDC_SCREEN_COLS, L"300");
  Text(IDC_SCREEN_ROWS, L"0");
  Text(IDC_SCREEN_WATERMARK_TEXT, L"");
  for (int id : {IDC_SCREEN_TOOLBAR_DISABLED, IDC_SCREEN_FULLSCREEN, IDC_SCREEN_CUSTOM_COLORS, IDC_SCREEN_WATERMARK}) {
    Click(id);
  }
  Press(IDOK);
  EXPECT_EQ(state.result, 1);
  const Settings reread = Reread();
  EXPECT_EQ(reread.ScreenSize(), (GridSize{207, 1}));
  EXPECT_EQ(reread.ToolbarSize(), -1);
  EXPECT_TRUE(reread.FullScreen());
  EXPECT_TRUE(reread.CustomColours());
  EXPECT_FALSE(reread.ShowWatermark());
  EXPECT_EQ(settings_->ToolbarSize(), -1);
}

TEST_F(OptionsDialogTest, FontOkStoresTheTypedNumbersAndTheChosenFamily) {
  DisplayOptionsDialogState state{nullptr, -1};
  Open(CreateFontOptionsDialog, state);
  HWND combo = GetDlgItem(dialog_, IDC_FONT_NAME);
  ASSERT_GE(SendMessageW(combo, CB_GETCOUNT, 0, 0), 2);
  const int other = SendMessageW(combo, CB_GETCURSEL, 0, 0) == 0 ? 1 : 0;
  SendMessageW(combo, CB_SETCURSEL, other, 0);
  std::wstring chosen(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, other, 0)) + 1, L'\0');
  SendMessageW(combo, CB_GETLBTEXT, other, reinterpret_cast<LPARAM>(chosen.data()));
  chosen.resize(chosen.size() - 1);
  Text(IDC_FONT_SIZE, L"72");
  Text(IDC_FONT_CELL_WIDTH, L"12");
  Click(IDC_FONT_AUTOSIZE);
  Click(IDC_FONT_UPPER_CASE);
  Press(IDOK);
  const Settings reread = Reread();
  EXPECT_EQ(reread.FontName(), FromWide(chosen).substr(0, 31));
  EXPECT_EQ(reread.FontPointSize(), 72);
  EXPECT_TRUE(reread.FontAutoSize());
  EXPECT_TRUE(reread.UpperCaseInput());
  EXPECT_EQ(FileValue(FileBytes(), "CharacterCellAdditionalWidth"), "09");
}

TEST_F(OptionsDialogTest, SerialPortOkStoresTheSelectedEntriesButNotTextThatIsNoEntry) {
  DeviceOptionsDialogState state;
  Open(CreateSerialPortOptionsDialog, state);
  Select(IDC_SERIAL_BAUD, 12);
  Select(IDC_SERIAL_PARITY, 0);
  Select(IDC_SERIAL_STOP_BITS, 2);
  Text(IDC_SERIAL_DATA_BITS, L"9");
  Press(IDOK);
  EXPECT_EQ(FileValue(FileBytes(), "serial"), "\"COM1:,115200,8,Even,2\"");
}

TEST_F(OptionsDialogTest, SerialFeatureOkStoresMaskedClampedValuesAndKeepsTheOtherTimeouts) {
  StoreFile([](Settings& s) { s.SetSerialTimeouts(SerialTimeoutSettings{500, 1, 2, 3, 4}); });
  DeviceOptionsDialogState state;
  Open(CreateSerialFeatureOptionsDialog, state);
  Text(IDC_SERIAL_PORT, L"0");
  CheckDlgButton(dialog_, IDC_SERIAL_OUT, BST_CHECKED);
  CheckDlgButton(dialog_, IDC_SERIAL_IN, BST_CHECKED);
  Select(IDC_SERIAL_SI_MODE, 0);  // "Command"
  Text(IDC_SERIAL_SI_PREFIX, L"130");
  Text(IDC_SERIAL_SI_SUFFIX, L"13");
  Text(IDC_SERIAL_SO_PREFIX, L"200");
  Text(IDC_SERIAL_SO_SUFFIX, L"");
  Text(IDC_SERIAL_READ_INTERVAL, L"50");
  Press(IDOK);
  EXPECT_EQ(state.result, 1);
  const std::string file = FileBytes();
  EXPECT_EQ(FileValue(file, "serialcommand"), "true");
  EXPECT_EQ(FileValue(file, "serialfeature"), "true,2,13,true,72,0");
  EXPECT_EQ(FileValue(file, "serialReadIntervalTimeout"), "100");
  EXPECT_EQ(FileValue(file, "serialWriteTotalTimeoutConstant"), "4");
}

TEST_F(OptionsDialogTest, SoundOkStoresTheControlsForItsEventOnly) {
  ASSERT_TRUE(settings_->ReadSettings());
  DeviceOptionsDialogState state;
  state.soundEvent = 5;
  Open(CreateSoundOptionsDialog, state);
  EXPECT_EQ(WindowText(dialog_), L"Options User 2 Sound");
  CheckDlgButton(dialog_, IDC_SOUND_SILENCE, BST_UNCHECKED);
  CheckDlgButton(dialog_, IDC_SOUND_WAVE, BST_CHECKED);
  Text(IDC_SOUND_FREQUENCY, L"20");
  Text(IDC_SOUND_DURATION, L"9999");
  Text(IDC_SOUND_WAVE_FILE, L"D:\\beep.wav");
  Text(IDC_SOUND_VIBRATE_REPEAT, L"7");
  Press(IDOK);
  const std::string file = FileBytes();
  EXPECT_EQ(FileValue(file, "User02SoundType"), "1");
  EXPECT_EQ(FileValue(file, "User02SoundFile"), "\"D:\\beep.wav\"");
  EXPECT_EQ(FileValue(file, "User02SoundToneFrequency"), "20");
  EXPECT_EQ(FileValue(file, "User02SoundToneDuration"), "9999");
  EXPECT_EQ(FileValue(file, "User02VibrateIterations"), "7");
  EXPECT_EQ(FileValue(file, "User01SoundType"), "0");
}

// On a 240 x 320 screen every options dialog must fit, open centred over its owner and stay on the screen
// whatever the owner's place.
TEST_F(OptionsDialogTest, EveryDialogFitsAndOpensCentredOnTheScreen) {
  DisplayOptionsDialogState display{settings_.get(), -1};
  DeviceOptionsDialogState device{settings_.get()};
  HostOptionsDialogState host{settings_.get(), -1, nullptr};
  const HINSTANCE resources = wintest::ProgramResources();
  const std::function<HWND(HWND)> opens[] = {
      [&](HWND o) { return CreateScannerOptionsDialog(resources, o, &display); },
      [&](HWND o) { return CreateScreenOptionsDialog(resources, o, &display); },
      [&](HWND o) { return CreateFieldOptionsDialog(resources, o, &display); },
      [&](HWND o) { return CreateFontOptionsDialog(resources, o, &display); },
      [&](HWND o) { return CreateSerialPortOptionsDialog(resources, o, &device); },
      [&](HWND o) { return CreateSerialFeatureOptionsDialog(resources, o, &device); },
      [&](HWND o) { return CreateSoundOptionsDialog(resources, o, &device); },
      [&](HWND o) { return CreateHostOptionsDialog(resources, o, &host); }};
  wintest::RecordingWindow owner(WM_USER, 0x7FFF, WS_POPUP);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  for (const auto& open : opens) {
    SetWindowPos(owner.get(), nullptr, 100, 80, 400, 400, SWP_NOZORDER);
    RECT client{};
    GetClientRect(owner.get(), &client);
    MapWindowPoints(owner.get(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    dialog_ = open(owner.get());
    ASSERT_NE(dialog_, nullptr);
    SCOPED_TRACE(wintest::TitleOf(dialog_).c_str());
    RECT box{};
    GetWindowRect(dialog_, &box);
    EXPECT_LE(box.right - box.left, 240);
    EXPECT_LE(box.bottom - box.top, 320);
    EXPECT_NEAR((box.left + box.right) / 2, (client.left + client.right) / 2, 1);
    EXPECT_NEAR((box.top + box.bottom) / 2, (client.top + client.bottom) / 2, 1);
    DestroyWindow(dialog_);
    for (const RECT& at : {RECT{0, 0, 20, 20}, RECT{screenWidth - 60, screenHeight - 40, 240, 320}}) {
      SetWindowPos(owner.get(), nullptr, at.left, at.top, at.right, at.bottom, SWP_NOZORDER);
      dialog_ = open(owner.get());
      ASSERT_NE(dialog_, nullptr);
      GetWindowRect(dialog_, &box);
      EXPECT_TRUE(box.left >= 0 && box.top >= 0 && box.right <= screenWidth && box.bottom <= screenHeight);
      DestroyWindow(dialog_);
    }
  }
  dialog_ = nullptr;
}

TEST(PingTest, UnknownHostIsUnresolvedAndLoopbackAnswers) {
  ASSERT_TRUE(net::Startup());
  EXPECT_EQ(PingHost("", 10).kind, PingOutcome::Kind::kUnresolved);
  EXPECT_EQ(PingHost("no-such-host.invalid", 10).kind, PingOutcome::Kind::kUnresolved);
  const PingOutcome outcome = PingHost("127.0.0.1", 1000);
  EXPECT_EQ(outcome.kind, PingOutcome::Kind::kReply) << "code " << outcome.code;
  EXPECT_LT(outcome.roundTripMs, 1000u);
  EXPECT_GT(outcome.ttl, 0);
  net::Cleanup();
}

}  // namespace
}  // namespace vantor
