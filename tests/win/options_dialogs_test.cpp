// The options dialogs on the program's templates: placement, OK writing through the form rules to the file, ping.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>

#include "app_fixture_win.h"
#include "platform/net.h"
#include "settings/settings.h"
#include "win/dialogs/device_options_dialogs.h"
#include "win/dialogs/device_options_ids.h"
#include "win/dialogs/dialog_ids.h"
#include "win/dialogs/display_options_dialogs.h"
#include "win/dialogs/display_options_ids.h"
#include "win/dialogs/host_options_dialog.h"

namespace vantor {
namespace {

// The value of a "key=value" line of the settings file; "<missing>" without such a line.
std::string FileValue(const std::filesystem::path& path, const std::string& key) {
  std::ifstream file(path, std::ios::binary);
  for (std::string line; std::getline(file, line);) {
    if (line.starts_with(key + "=")) return line.substr(key.size() + 1, line.size() - key.size() - 2);
  }
  return "<missing>";
}

TEST(OptionsDialogTest, EachFitsOpensCentredOnTheScreenAndOkWritesThroughTheFormRules) {
  ASSERT_NE(wintest::ProgramResources(), nullptr) << "Vantor.exe must be built beside win_tests.exe";
  InitAppCommonControls();
  wintest::TempDir dir;
  Settings settings(dir.File(L"Vantor.ini"));
  ASSERT_TRUE(settings.WriteSettings());
  DisplayOptionsDialogState display;
  DeviceOptionsDialogState device;
  HostOptionsDialogState host;
  display.settings = device.settings = host.settings = &settings;
  device.soundEvent = 5;  // "User 2"
  const auto with = [](auto create, auto& state) {
    return std::function<HWND(HWND)>([=, &state](HWND o) { return create(wintest::ProgramResources(), o, &state); });
  };
  struct Case {
    std::function<HWND(HWND)> open;
    int id;
    const wchar_t* text;  // null: select the entry `select`, or click when that is -1
    int select;
    const char* key;
    const char* value;
  } const cases[] = {
      {with(CreateScannerOptionsDialog, display), IDC_SCANNER_APPEND_ENTER, nullptr, -1, "scannerappendenter", "true"},
      {with(CreateScreenOptionsDialog, display), IDC_SCREEN_COLS, L"300", -1, "screencols", "207"},
      {with(CreateFieldOptionsDialog, display), IDC_FIELD_NUMERICS, L"0123", -1, "fieldnumericvalue", "\"0123\""},
      {with(CreateFontOptionsDialog, display), IDC_FONT_CELL_WIDTH, L"12", -1, "CharacterCellAdditionalWidth", "09"},
      {with(CreateSerialPortOptionsDialog, device), IDC_SERIAL_BAUD, nullptr, 12, "serial",
       "\"COM1:,115200,8,None,1\""},
      {with(CreateSerialFeatureOptionsDialog, device), IDC_SERIAL_READ_INTERVAL, L"50", -1, "serialReadIntervalTimeout",
       "100"},
      {with(CreateSoundOptionsDialog, device), IDC_SOUND_VIBRATE_REPEAT, L"7", -1, "User02VibrateIterations", "7"},
      {with(CreateHostOptionsDialog, host), IDC_HOST_PORT, L"70000", -1, "hostport", "65535"},
      {with(CreateHostOptionsDialog, host), IDC_HOST_TLS, nullptr, -1, "hosttls", "true"},
  };
  wintest::RecordingWindow owner(WS_POPUP);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    SetWindowPos(owner.get(), nullptr, screenWidth - 60, screenHeight - 40, 240, 320, SWP_NOZORDER);
    HWND dialog = c.open(owner.get());
    ASSERT_NE(dialog, nullptr);
    RECT box{};
    GetWindowRect(dialog, &box);
    EXPECT_TRUE(box.left >= 0 && box.top >= 0 && box.right <= screenWidth && box.bottom <= screenHeight);
    DestroyWindow(dialog);

    SetWindowPos(owner.get(), nullptr, 100, 80, 400, 400, SWP_NOZORDER);
    dialog = c.open(owner.get());
    ASSERT_NE(dialog, nullptr);
    GetWindowRect(dialog, &box);
    EXPECT_LE(box.right - box.left, 240);
    EXPECT_LE(box.bottom - box.top, 320);
    RECT client{};
    GetClientRect(owner.get(), &client);
    MapWindowPoints(owner.get(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    EXPECT_NEAR(box.left + box.right, client.left + client.right, 2);
    EXPECT_NEAR(box.top + box.bottom, client.top + client.bottom, 2);
    if (c.text != nullptr) {
      SetDlgItemTextW(dialog, c.id, c.text);
    } else {
      SendDlgItemMessageW(dialog, c.id, c.select >= 0 ? CB_SETCURSEL : BM_CLICK, c.select, 0);
    }
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    if (IsWindow(dialog)) DestroyWindow(dialog);
    EXPECT_EQ(FileValue(dir.File(L"Vantor.ini"), c.key), c.value);
  }
  // The Host options show why the last connection failed, and take a pin once TLS is on.
  host.linkFailure = [] { return std::u16string(u"certificate does not match the pin"); };
  HWND dialog = CreateHostOptionsDialog(wintest::ProgramResources(), owner.get(), &host);
  ASSERT_NE(dialog, nullptr);
  wchar_t shown[128] = {};
  GetDlgItemTextW(dialog, IDC_HOST_LINK_FAILURE, shown, 128);
  EXPECT_STREQ(shown, L"certificate does not match the pin");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_HOST_TLS_PIN)));
  SendDlgItemMessageW(dialog, IDC_HOST_TLS, BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_HOST_TLS_PIN)));
  SetDlgItemTextW(dialog, IDC_HOST_TLS_PIN, L"AB:CD");
  // Ping takes the host as typed and shows the answer.
  SetDlgItemTextW(dialog, IDC_HOST_NAME, L"127.0.0.1");
  SendDlgItemMessageW(dialog, IDC_HOST_PING, BM_CLICK, 0, 0);
  EXPECT_TRUE(wintest::PumpUntil(
      [&] { return GetDlgItemTextW(dialog, IDC_HOST_PING_RESULT, shown, 128) > 0 && wcsncmp(shown, L"time=", 5) == 0; },
      5000))
      << shown;
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  if (IsWindow(dialog)) DestroyWindow(dialog);
  EXPECT_EQ(FileValue(dir.File(L"Vantor.ini"), "hosttlspin"), "\"AB:CD\"");
  EXPECT_EQ(FileValue(dir.File(L"Vantor.ini"), "hosttls"), "<missing>") << "off: at its default";
}

TEST(PingTest, UnknownHostIsUnresolvedAndLoopbackAnswersOverIpv4AndIpv6) {
  ASSERT_TRUE(net::Startup());
  EXPECT_EQ(PingHost("no-such-host.invalid", 10).kind, PingOutcome::Kind::kUnresolved);
  const PingOutcome outcome = PingHost("127.0.0.1", 1000);
  EXPECT_EQ(outcome.kind, PingOutcome::Kind::kReply) << "code " << outcome.code;
  EXPECT_GT(outcome.ttl, 0);
  // ICMPv6 for an IPv6 address: a reply, or "not available" where the system has no ICMPv6 (Wine).
  const PingOutcome ipv6 = PingHost("::1", 1000);
  EXPECT_TRUE((ipv6.kind == PingOutcome::Kind::kReply && ipv6.ipv6) || ipv6.kind == PingOutcome::Kind::kNoIcmp)
      << static_cast<int>(ipv6.kind) << " code " << ipv6.code;
  net::Cleanup();
}

}  // namespace
}  // namespace vantor
