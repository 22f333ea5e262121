// End-to-end tests of the serial port feature: a pseudo-terminal on COM7 as the scanner and printer of Vantor.exe.
#include "pty_pair.h"
#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

constexpr int kCom = 7;
// Framing bytes of the scanner (start and end of a scan) and of the printer (prefix and suffix).
constexpr char kScanStart = 0x02, kScanEnd = 0x03;
constexpr char kOutPrefix = 0x1C, kOutSuffix = 0x1D;
constexpr std::uint8_t kDisplayFlags = 'A';
constexpr std::uint8_t kSerialOn = '1';

std::string Scan(const std::string& data) { return kScanStart + data + kScanEnd; }

std::string Framed(const std::string& data) { return kOutPrefix + data + kOutSuffix; }

// "Vantor.ini" lines for serial in and out on `port`, both framed.
IniEntries SerialSettings(bool commandMode, const std::string& port = "COM7:") {
  return {{"serial", "\"" + port + ",9600,8,None,1\""},
          {"serialfeature", "true," + std::to_string(kScanStart) + "," + std::to_string(kScanEnd) + ",true," +
                                std::to_string(kOutPrefix) + "," + std::to_string(kOutSuffix)},
          {"serialcommand", commandMode ? "true" : "false"},
          {"serialReadIntervalTimeout", "100"},
          {"ShowWaterMark", "false"}};
}

std::string SerialInputResponse(const std::string& data) {
  return "R<1" + HostByte(static_cast<int>(data.size())) + data;
}

// Operator field 20 first, then serial input fields (not focusable) of the given lengths from id 21 on.
ScreenBuilder ScanScreen(std::initializer_list<int> serialLengths) {
  ScreenBuilder screen;
  screen.SelectPage(0).ErasePage().Define(20, 1, 0, kInputFlags, kPlainAttributes, 10);
  int id = 21, row = 3;
  for (int length : serialLengths) {
    screen.Define(id, row, 0, kInputFlags, kPlainAttributes, length).SerialFlags(id, kSerialOn);
    ++id;
    row += 2;
  }
  screen.ShowPage(0).FocusAndUnlock(20);
  return screen;
}

bool Dark(const Rgb& c) { return c.r < 80 && c.g < 80 && c.b < 80; }

// Dark pixels inside a control (its one-pixel frame left out): the letters it shows.
int DarkPixels(const Image& shot, const WindowInfo& control) {
  int dark = 0;
  for (int x = control.x + 1; x < control.x + control.width - 1; ++x)
    for (int y = control.y + 1; y < control.y + control.height - 1; ++y) dark += Dark(shot.At(x, y));
  return dark;
}

class SerialEndToEnd : public TerminalTest {
 protected:
  void TearDown() override {
    // The terminal lets the port go before the device goes away.
    terminal_.Stop();
    device_.Stop();
  }

  void StartWithDevice(bool commandMode) {
    ASSERT_TRUE(device_.Start(kCom)) << device_.Error();
    StartConnected(SerialSettings(commandMode));
  }

  // The control once the keyboard is unlocked and the control is visible.
  std::optional<WindowInfo> Settled(long long id) {
    const auto control = WaitControl(id);
    if (!control || !control->visible) return std::nullopt;
    return control;
  }

  // Waits until the field shows letters.
  bool ShowsText(const WindowInfo& field) {
    const auto shot = ShotWhen([&](const Image& s) { return DarkPixels(s, field) > 20; });
    return shot && DarkPixels(*shot, field) > 20;
  }

  // Everything but the port works: screens, typing, the key response; serial output is dropped without
  // a word, and no message box comes up.
  void ServesScreensWithoutThePort() {
    SendScreen(ScanScreen({10}));
    const auto entry = Settled(20);
    ASSERT_TRUE(entry.has_value()) << Describe(windows_);
    SendScreen(ScreenBuilder().SerialOut(2, "LOST").Fixed(1, 0, 0, "STILL HERE").FocusAndUnlock(20));
    ASSERT_TRUE(Settled(1).has_value()) << Describe(windows_);
    ASSERT_TRUE(probe_.Type(entry->handle, "42")) << probe_.LastError();
    ASSERT_TRUE(probe_.Keys(0, {"enter"})) << probe_.LastError();
    EXPECT_EQ(NextBody(), KeyResponse(0, 20, {{20, "42"}}));
    EXPECT_TRUE(terminal_.Running());
    const auto windows = probe_.List();
    ASSERT_TRUE(windows.has_value());
    for (const WindowInfo& w : *windows) {
      if (w.depth == 0 && w.visible && w.pid == main_.pid) {
        EXPECT_EQ(w.handle, main_.handle) << "unexpected window \"" << w.title << "\"";
      }
    }
  }

  PtyPair device_;
};

TEST_F(SerialEndToEnd, FieldModeScanFillsSerialFieldsInTurnAndEnterSendsThem) {
  StartWithDevice(false);
  SendScreen(ScanScreen({3, 10}));
  const auto entry = Settled(20);
  ASSERT_TRUE(entry.has_value()) << Describe(windows_);
  const auto first = Control(windows_, 21);
  const auto second = Control(windows_, 22);
  ASSERT_TRUE(first && second) << Describe(windows_);
  // Noise around the scan (a line end after the end byte) is not part of it. The scan's bytes are text
  // of the system code page (0xC9 is E acute there), as the host gets it back.
  ASSERT_TRUE(device_.Write("\r\n" + Scan("ABCD\xC9" "FGH") + "\r\n"));
  // Three characters fill the first field; the rest go on into the next one.
  EXPECT_TRUE(ShowsText(*second)) << "the scan did not reach the second serial field";
  EXPECT_TRUE(ShowsText(*first));
  EXPECT_EQ(KeyboardState(), 0);
  // The serial fields are not the operator's: typing goes to field 20.
  ASSERT_TRUE(probe_.Type(entry->handle, "7")) << probe_.LastError();
  ASSERT_TRUE(probe_.Keys(0, {"enter"})) << probe_.LastError();
  EXPECT_EQ(NextBody(), KeyResponse(0, 20, {{20, "7"}, {21, "ABC"}, {22, "D\xC9" "FGH"}}));
}

TEST_F(SerialEndToEnd, ScanWithCarriageReturnSendsEnterWithTheScannedData) {
  StartWithDevice(false);
  SendScreen(ScanScreen({14}));
  ASSERT_TRUE(Settled(20).has_value()) << Describe(windows_);
  ASSERT_TRUE(device_.Write(Scan("4006381333931\r")));
  const std::string body = NextBody(Millis(8000));
  // Enter from the scan reports the operator's current field as the focus, as a typed Enter would.
  EXPECT_EQ(body, KeyResponse(0, 20, {{21, "4006381333931"}}));
  EXPECT_TRUE(WaitFor([&] { return KeyboardState() == 2; }, Millis(3000)));

  // While the keyboard waits for the host, a scan has no field to go to and is dropped.
  ASSERT_TRUE(device_.Write(Scan("999\r")));
  EXPECT_TRUE(host_.NothingArrives(Millis(1500)));
  SendScreen(ScreenBuilder().FocusAndUnlock(20));
  ASSERT_TRUE(WaitUnlocked());
  const auto entry = Settled(20);
  ASSERT_TRUE(entry.has_value()) << Describe(windows_);
  ASSERT_TRUE(probe_.Keys(entry->handle, {"enter"})) << probe_.LastError();
  EXPECT_EQ(NextBody(), KeyResponse(0, 20, {}));
}

TEST_F(SerialEndToEnd, CommandModeSendsScansToTheHostAlsoWhileTheKeyboardIsLocked) {
  StartWithDevice(true);
  SendScreen(ScanScreen({10}));
  const auto entry = Settled(20);
  ASSERT_TRUE(entry.has_value()) << Describe(windows_);
  ASSERT_TRUE(device_.Write(Scan("PALLET-0042")));
  EXPECT_EQ(NextBody(Millis(8000)), SerialInputResponse("PALLET-0042"));
  EXPECT_EQ(KeyboardState(), 0);  // a serial-input response does not lock

  ASSERT_TRUE(probe_.Type(entry->handle, "5")) << probe_.LastError();
  ASSERT_TRUE(probe_.Keys(0, {"enter"})) << probe_.LastError();
  // The serial field took nothing in command mode: only the typed field is reported.
  ASSERT_EQ(NextBody(), KeyResponse(0, 20, {{20, "5"}}));
  ASSERT_TRUE(WaitFor([&] { return KeyboardState() == 2; }, Millis(3000)));
  // Locked, waiting for the host's next screen: the scan still goes to the host, one response per scan.
  ASSERT_TRUE(device_.Write(Scan("LOC-7")));
  EXPECT_EQ(NextBody(Millis(8000)), SerialInputResponse("LOC-7"));
  ASSERT_TRUE(device_.Write(Scan("LOC-8") + Scan("LOC-9")));
  EXPECT_EQ(NextBody(Millis(8000)), SerialInputResponse("LOC-8"));
  EXPECT_EQ(NextBody(Millis(8000)), SerialInputResponse("LOC-9"));
  EXPECT_EQ(KeyboardState(), 2);

  // A response's length is one byte: a long scan goes to the host in pieces of at most 207 bytes.
  std::string longScan;
  for (int i = 0; i < 300; ++i) longScan += static_cast<char>('A' + i % 26);
  ASSERT_TRUE(device_.Write(Scan(longScan)));
  EXPECT_EQ(NextBody(Millis(8000)), SerialInputResponse(longScan.substr(0, 207)));
  EXPECT_EQ(NextBody(Millis(8000)), SerialInputResponse(longScan.substr(207)));
}

TEST_F(SerialEndToEnd, CommandModePassesBytesAsTheyAreAndSurvivesBadScans) {
  StartWithDevice(true);
  SendScreen(ScanScreen({10}));
  ASSERT_TRUE(Settled(20).has_value()) << Describe(windows_);
  // Bytes go to the host unconverted; a zero byte ends what a response can carry.
  ASSERT_TRUE(device_.Write(Scan("\xC9\xFE" "1")));
  EXPECT_EQ(NextBody(Millis(8000)), SerialInputResponse("\xC9\xFE" "1"));
  ASSERT_TRUE(device_.Write(Scan(std::string("AB\0CD", 5))));
  EXPECT_EQ(NextBody(Millis(8000)), SerialInputResponse("AB"));
  // A scan that never ends is dropped whole once it grows past anything a device sends, and bytes before
  // the next start byte are noise: the next good scan gets through, and nothing else does.
  ASSERT_TRUE(device_.Write(kScanStart + std::string(5000, 'X')));
  ASSERT_TRUE(device_.Write("garbage" + Scan("OK")));
  EXPECT_EQ(NextBody(Millis(8000)), SerialInputResponse("OK"));
  EXPECT_TRUE(host_.NothingArrives(Millis(1000)));
  EXPECT_TRUE(terminal_.Running());
}

TEST_F(SerialEndToEnd, HostSerialOutputReachesTheDeviceFramedAndInOrder) {
  StartWithDevice(false);
  SendScreen(ScanScreen({10}));
  ASSERT_TRUE(Settled(20).has_value()) << Describe(windows_);
  SendScreen(ScreenBuilder().SerialOut(2, "PAY"));
  const std::string mode2 = Framed("\x0A" "PAY" "\x0D");
  EXPECT_EQ(device_.Read(mode2.size(), Millis(5000)), mode2);

  // One record with every source of serial output: each is one framed message, in record order. A
  // zero byte ends a payload; an empty payload sends nothing.
  SendScreen(ScreenBuilder()
                 .SerialOut(1, "L1")
                 .SerialOut(0, "RAW")
                 .SerialOut(2, "")
                 .SerialOut(0, std::string("AB\0CD", 5))
                 .Define(30, 8, 0, kDisplayFlags, kPlainAttributes, 10)
                 .Text(30, "QTY 5")
                 .SerialFlags(30, kSerialOn)
                 .Text(30, "QTY 6")
                 .FocusAndUnlock(20));
  const std::string expected =
      Framed("L1\x0D") + Framed("RAW") + Framed("AB") + Framed("QTY 5") + Framed("QTY 6");
  EXPECT_EQ(device_.Read(expected.size(), Millis(5000)), expected);
  EXPECT_EQ(device_.ReadFor(Millis(500)), "");
}

TEST_F(SerialEndToEnd, ScanWhileNoCurrentPageExistsIsDropped) {
  StartWithDevice(false);
  SendScreen(ScanScreen({10}));
  ASSERT_TRUE(Settled(20).has_value()) << Describe(windows_);
  // The host addresses a page that does not exist: a scan has nowhere to go.
  SendScreen(ScreenBuilder().SelectPage(40).FocusAndUnlock(20));
  ASSERT_TRUE(WaitUnlocked());
  ASSERT_TRUE(device_.Write(Scan("NOWHERE")));
  EXPECT_TRUE(host_.NothingArrives(Millis(1500)));
  SendScreen(ScreenBuilder().SelectPage(0).FocusAndUnlock(20));
  const auto entry = Settled(20);
  ASSERT_TRUE(entry.has_value()) << Describe(windows_);
  ASSERT_TRUE(probe_.Keys(entry->handle, {"enter"})) << probe_.LastError();
  EXPECT_EQ(NextBody(), KeyResponse(0, 20, {}));
  // The next scan finds the page again.
  SendScreen(ScreenBuilder().FocusAndUnlock(20));
  ASSERT_TRUE(WaitUnlocked());
  ASSERT_TRUE(device_.Write(Scan("HERE\r")));
  EXPECT_EQ(NextBody(Millis(8000)), KeyResponse(0, 20, {{21, "HERE"}}));
}

TEST_F(SerialEndToEnd, SerialInOffLeavesScansOnTheLineWhileOutputFlows) {
  ASSERT_TRUE(device_.Start(kCom)) << device_.Error();
  IniEntries settings = SerialSettings(false);
  for (auto& [key, value] : settings)
    if (key == "serialfeature") value = "false,2,3,true,0,0";  // serial in off, output without framing
  StartConnected(settings);
  SendScreen(ScanScreen({10}));
  ASSERT_TRUE(Settled(20).has_value()) << Describe(windows_);
  ASSERT_TRUE(device_.Write(Scan("IGNORED\r")));
  EXPECT_TRUE(host_.NothingArrives(Millis(1500)));
  SendScreen(ScreenBuilder().SerialOut(1, "OUT"));
  EXPECT_EQ(device_.Read(4, Millis(5000)), "OUT\r");
  const auto entry = Settled(20);
  ASSERT_TRUE(entry.has_value()) << Describe(windows_);
  ASSERT_TRUE(probe_.Keys(entry->handle, {"enter"})) << probe_.LastError();
  EXPECT_EQ(NextBody(), KeyResponse(0, 20, {}));
}

TEST_F(SerialEndToEnd, ClosingWithThePortOpenEndsPromptlyAndKeepsTheSerialSettings) {
  StartWithDevice(true);
  SendScreen(ScanScreen({10}));
  ASSERT_TRUE(Settled(20).has_value()) << Describe(windows_);
  ASSERT_TRUE(device_.Write(Scan("LAST")));
  ASSERT_EQ(NextBody(Millis(8000)), SerialInputResponse("LAST"));
  const auto started = SteadyClock::now();
  ASSERT_TRUE(probe_.Post(main_.handle, kWmClose, 0, 0));
  const auto status = terminal_.WaitExit(Millis(10000));
  ASSERT_TRUE(status.has_value()) << "the terminal did not exit";
  EXPECT_EQ(*status, 0);
  EXPECT_LT(SteadyClock::now() - started, Millis(5000));
  // The settings file written at the end carries the serial settings as they were read.
  const std::string ini = terminal_.ReadIni();
  EXPECT_EQ(IniValue(ini, "serial"), "\"COM7:,9600,8,None,1\"") << ini;
  EXPECT_EQ(IniValue(ini, "serialfeature"), "true,2,3,true,28,29") << ini;
  EXPECT_EQ(IniValue(ini, "serialcommand"), "true") << ini;
  EXPECT_EQ(IniValue(ini, "serialReadIntervalTimeout"), "100") << ini;
}

TEST_F(SerialEndToEnd, PortLinkPointingNowhereLeavesTheTerminalServingScreens) {
  ComLink link;
  ASSERT_TRUE(link.Create(kCom, "/nonexistent/vantor-serial-device"));
  StartConnected(SerialSettings(false));
  ServesScreensWithoutThePort();
}

TEST_F(SerialEndToEnd, NoSuchPortLeavesTheTerminalServingScreens) {
  StartConnected(SerialSettings(true, "NOSUCHPORT:"));
  ServesScreensWithoutThePort();
}

TEST_F(SerialEndToEnd, DeviceGoneWhileRunningLeavesTheTerminalServingScreens) {
  StartWithDevice(true);
  SendScreen(ScanScreen({10}));
  ASSERT_TRUE(Settled(20).has_value()) << Describe(windows_);
  ASSERT_TRUE(device_.Write(Scan("FIRST")));
  ASSERT_EQ(NextBody(Millis(8000)), SerialInputResponse("FIRST"));
  // The device is unplugged: the line hangs up under the open port.
  device_.Stop();
  ServesScreensWithoutThePort();
}

// The Serial feature dialog's OK replaces the channel: output that went nowhere on a missing COM8
// reaches the device once the administrator moves the port to COM7.
TEST_F(SerialEndToEnd, SerialFeatureDialogMovesTheChannelToTheNewPort) {
  ASSERT_TRUE(device_.Start(kCom)) << device_.Error();
  IniEntries settings = SerialSettings(false, "COM8:");
  settings.push_back({"KorvathAdminMode", "true"});
  StartConnected(settings);
  SendScreen(ScanScreen({10}));
  ASSERT_TRUE(Settled(20).has_value()) << Describe(windows_);
  SendScreen(ScreenBuilder().SerialOut(2, "LOST").FocusAndUnlock(20));
  EXPECT_EQ(device_.ReadFor(Millis(500)), "");

  constexpr long long kPortEdit = 1026;
  const auto dialog = OpenFromFileMenu("r", "Serial Feature Options");
  ASSERT_TRUE(dialog.has_value());
  const auto port = Item(*dialog, kPortEdit);
  ASSERT_TRUE(port.has_value());
  ASSERT_TRUE(probe_.SetText(port->handle, std::to_string(kCom)));
  ASSERT_TRUE(probe_.Post(dialog->handle, kWmCommand, 1, 0));
  ASSERT_TRUE(Gone("Serial Feature Options"));
  EXPECT_EQ(IniValue(terminal_.ReadIni(), "serial"), "\"COM7:,9600,8,None,1\"");

  SendScreen(ScreenBuilder().SerialOut(2, "MOVED").FocusAndUnlock(20));
  const std::string moved = Framed("\x0A" "MOVED" "\x0D");
  EXPECT_EQ(device_.Read(moved.size(), Millis(5000)), moved);
}

}  // namespace
}  // namespace vantor::e2e
