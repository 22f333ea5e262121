// Vantor.exe's serial port feature against a pseudo-terminal on a free COM port: a port that is not there, the Serial
// feature dialog moving the port, scans, the host's output, and closing with the port open.
#include "pty_pair.h"
#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

// Framing bytes of the scanner (start and end of a scan) and of the printer (prefix and suffix).
constexpr char kScanStart = 0x02, kScanEnd = 0x03, kOutPrefix = 0x1C, kOutSuffix = 0x1D;

std::string Scan(const std::string& data) { return kScanStart + data + kScanEnd; }
std::string Framed(const std::string& data) { return kOutPrefix + data + kOutSuffix; }

// Operator field 20 first, then serial input fields of the given lengths from id 21 on.
ScreenBuilder ScanScreen(std::initializer_list<int> serialLengths) {
  ScreenBuilder screen;
  screen.SelectPage(0).ErasePage().Define(20, 1, 0, kInputFlags, kPlainAttributes, 10);
  int id = 21;
  for (int length : serialLengths) {
    screen.Define(id, 2 * id - 39, 0, kInputFlags, kPlainAttributes, length).SerialFlags(id, '1');
    ++id;
  }
  screen.ShowPage(0).FocusAndUnlock(20);
  return screen;
}

class SerialTest : public TerminalTest {
 protected:
  void TearDown() override {
    TerminalTest::TearDown();  // the terminal lets the port go before the device goes
    device_.Stop();
  }

  PtyPair device_;
};

// A port that is not there leaves the terminal serving screens without a word; the Serial feature dialog's
// OK opens the new port. A scan fills the serial fields in turn and its carriage return is Enter; the
// host's output reaches the device framed; closing with the port open ends the program promptly, and the
// file keeps the serial settings as they were read or set.
TEST_F(SerialTest, APortMovedToByTheDialogCarriesScansAndOutput) {
  ASSERT_TRUE(device_.Start()) << device_.Error();
  const std::string port = "\"COM" + std::to_string(device_.Com()) + ":,9600,8,None,1\"";
  const IniEntries serial = {
      {"serialfeature", "true,2,3,true,28,29"}, {"serialcommand", "false"}, {"serialReadIntervalTimeout", "100"}};
  IniEntries settings = serial;
  settings.insert(settings.end(),
                  {{"serial", "\"COM8:,9600,8,None,1\""}, {"KorvathAdminMode", "true"}, {"toolbarsize", "-1"}});
  StartConnected(settings);
  // Screens, typing and keys work without the port; serial output goes nowhere without a word (no window
  // of the terminal's but the main one).
  SendScreen(ScanScreen({10}));
  SendScreen(ScreenBuilder().SerialOut(2, "LOST").Fixed(1, 0, 0, "STILL HERE").FocusAndUnlock(20));
  // The "H" answers come before the windows change: the second record is done once its text shows.
  ASSERT_TRUE(WaitWindows([&](const WindowList& windows) { return Control(windows, 1).has_value(); }));
  const auto entry = WaitControl(20);
  ASSERT_TRUE(entry.has_value()) << Describe(windows_);
  EXPECT_EQ(Describe(windows_).find("VdxCToolBar"), std::string::npos) << "no bar for a negative size";
  ASSERT_TRUE(probe_.Type(entry->handle, "42")) << probe_.LastError();
  EXPECT_EQ(Press(entry->handle, {"enter"}), KeyResponse(0, 20, {{20, "42"}}));
  for (const WindowInfo& w : windows_)
    if (w.depth == 0 && w.visible && w.pid == main_.pid) {
      EXPECT_EQ(w.handle, main_.handle) << w.title;
    }

  const auto dialog = OpenFromFileMenu({"r"}, "Serial Feature Options");
  ASSERT_TRUE(dialog.has_value()) << Describe(windows_);
  ASSERT_TRUE(SetItemText(*dialog, 1026, std::to_string(device_.Com())));
  ASSERT_TRUE(probe_.Post(dialog->handle, kWmCommand, 1, 0));
  ASSERT_TRUE(Gone("Serial Feature Options"));
  EXPECT_EQ(Ini("serial"), port);

  SendScreen(ScanScreen({3, 10}));
  ASSERT_TRUE(WaitControl(20).has_value()) << Describe(windows_);
  // Noise around the scan is not part of it. The bytes are text of the system code page (octal 311 is E
  // acute), as the host gets them back; three fill the first field, the rest go on into the next.
  ASSERT_TRUE(device_.Write("\r\n" + Scan("ABCD\311FGH\r") + "\r\n"));
  EXPECT_EQ(NextBody(), KeyResponse(0, 20, {{21, "ABC"}, {22, "D\311FGH"}}));
  SendScreen(ScreenBuilder().SerialOut(2, "PAY").SerialOut(1, "L1").SerialOut(0, "RAW").FocusAndUnlock(20));
  const std::string out = Framed("\nPAY\r") + Framed("L1\r") + Framed("RAW");
  EXPECT_EQ(device_.Read(out.size(), Millis(5000)), out) << "only what came after the move";

  ASSERT_TRUE(probe_.Post(main_.handle, kWmClose, 0, 0));
  ASSERT_EQ(terminal_.WaitExit(Millis(10000)), 0);
  for (const auto& [key, value] : serial) EXPECT_EQ(Ini(key), value) << key;
  EXPECT_EQ(Ini("serial"), port);
}

}  // namespace
}  // namespace vantor::e2e
