// Vantor.exe's life with its host: the first start, connecting, losing and finding the host again, the
// menus of each mode, and leaving, with what it writes to "Vantor.ini" on the way.
#include <unistd.h>

#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

using SessionTest = TerminalTest;

// The terminal starts before its host listens: it tries again under one Lock-B indicator until the host
// is there. When the host goes while it holds a screen, the terminal says goodbye and comes back (after
// the delay the Win32 tests time); when the host stays away, closing the window still ends the program.
TEST_F(SessionTest, FindsTheHostAgainAfterEachLossAndExitsWhileItIsAway) {
  // A port below the ephemeral range: a retry to a port nobody listens on could otherwise connect to itself.
  std::uint16_t port = 0;
  for (int tried = 20000 + ::getpid() % 5000; port == 0 && tried < 32000; tried += 97) {
    host_.emplace(static_cast<std::uint16_t>(tried));
    if (host_->Listening()) port = host_->Port();
  }
  ASSERT_NE(port, 0);
  host_.reset();
  Launch(HostSettings(port, 42));
  ASSERT_TRUE(WaitIndicator("Lock-B")) << Describe(windows_);
  const std::uint64_t connecting = Indicator(windows_)->handle;
  host_.emplace(port);
  ASSERT_TRUE(host_->Accept(Millis(10000))) << "the terminal did not try again";
  const auto identification = host_->ReadRecord();
  ASSERT_TRUE(identification.has_value());
  EXPECT_EQ(identification->raw, "42I" + kRecordEnd);
  ASSERT_TRUE(WaitIndicator("Lock-B"));
  EXPECT_EQ(Indicator(windows_)->handle, connecting) << "one indicator window all along";

  SendScreen(EntryScreen());
  const auto entry = WaitControl(20);
  ASSERT_TRUE(entry.has_value()) << Describe(windows_);
  ASSERT_EQ(Press(entry->handle, {"enter"}), KeyResponse(0, 20));
  ASSERT_TRUE(WaitIndicator("Lock-H")) << Describe(windows_);
  ASSERT_TRUE(host_->HalfClose());
  EXPECT_EQ(NextBody(), "&");
  ASSERT_TRUE(host_->WaitPeerClosed(Millis(5000)));
  ASSERT_TRUE(host_->Accept(Millis(10000))) << "the terminal did not come back";
  EXPECT_EQ(NextBody(), "I");
  EXPECT_TRUE(WaitIndicator("Lock-B")) << "the lost screen's Lock-H turns into Lock-B";

  host_.reset();
  ASSERT_TRUE(probe_.Move(main_.handle, 30, 40, 240, 320)) << probe_.LastError();
  ASSERT_TRUE(WaitWindows([&](const WindowList&) { return main_.x == 30 && main_.y == 40; }));
  ASSERT_TRUE(probe_.Post(main_.handle, kWmClose, 0, 0));
  ASSERT_EQ(terminal_.WaitExit(Millis(10000)), 0);
  // The whole file is written, in its own order: the host first, the window's place among the rest.
  const std::string ini = ReadIni();
  EXPECT_EQ(ini.rfind("hostname=127.0.0.1\r\nhostport=" + std::to_string(port) + "\r\n", 0), 0u) << ini;
  EXPECT_EQ(IniValue(ini, "terminalid"), "42");
  EXPECT_EQ(IniValue(ini, "windowpos"), "30,40,240,320");
  EXPECT_EQ(IniValue(ini, "windowstate"), "0");
}

// Without a settings file the Host options come first; their answers make the file, in administrator
// mode, and the terminal connects as told. User Mode brings the short menu with About and the build's
// version; the wrong access code keeps it, the right one brings the administrator's; Exit ends without a
// goodbye and writes the mode.
TEST_F(SessionTest, FirstStartAsksForTheHostThenModesAndExit) {
  ASSERT_FALSE(FileExists(IniPath()));
  ASSERT_TRUE(StartTerminal());
  const auto dialog = WaitDialog("Host Options", Millis(20000));
  ASSERT_TRUE(dialog.has_value()) << Describe(windows_);
  EXPECT_FALSE(FindTopLevel(windows_, kMainWindowClass).has_value()) << "the dialog comes first";
  ASSERT_TRUE(SetItemText(*dialog, 1064, "7"));
  ASSERT_TRUE(SetItemText(*dialog, 1066, "127.0.0.1"));
  ASSERT_TRUE(SetItemText(*dialog, 1067, std::to_string(host_->Port())));
  ASSERT_TRUE(probe_.Post(dialog->handle, kWmCommand, 1, 0));
  ASSERT_TRUE(host_->Accept(Millis(15000)));
  EXPECT_EQ(NextBody(), "I");
  const std::string ini = ReadIni();
  EXPECT_EQ(IniValue(ini, "KorvathAdminMode"), "true") << ini;
  EXPECT_EQ(IniValue(ini, "hostport"), std::to_string(host_->Port()));
  EXPECT_EQ(IniValue(ini, "terminalid"), "7");
  ASSERT_TRUE(WaitMainWindow());

  // The menu opened (a height) and is the user's short one.
  const auto shortMenu = [&] {
    const int height = FileMenu({});
    return height > 0 && height < 130;
  };
  EXPECT_GT(FileMenu({"u"}), 180) << "the administrator's long menu";
  EXPECT_TRUE(WaitFor(shortMenu, Millis(5000))) << "User Mode leaves administrator mode";
  FileMenu({"a"});
  const auto about = WaitDialog("About Vantor II");
  ASSERT_TRUE(about.has_value());
  EXPECT_NE(Describe(ChildrenOf(windows_, about->handle)).find("Version: " VANTOR_VERSION), std::string::npos)
      << Describe(windows_);
  ASSERT_TRUE(probe_.Keys(about->handle, {"esc"}));
  ASSERT_TRUE(Gone("About Vantor II"));
  for (const auto& [code, answer] : {std::pair{"123456", "User Mode"}, {"604817", "Admin Mode"}}) {
    const auto login = OpenFromFileMenu({"o"}, "Login");
    ASSERT_TRUE(login.has_value()) << code;
    ASSERT_TRUE(SetItemText(*login, 1010, code));
    ASSERT_TRUE(probe_.Post(login->handle, kWmCommand, 1, 0));
    const auto box = WaitDialog(answer);
    ASSERT_TRUE(box.has_value()) << code;
    ASSERT_TRUE(probe_.Keys(box->handle, {"enter"}));
    ASSERT_TRUE(Gone("Login"));
  }
  EXPECT_GT(FileMenu({"u"}), 180);
  EXPECT_TRUE(WaitFor(shortMenu, Millis(5000)));

  FileMenu({"x"});
  ASSERT_EQ(terminal_.WaitExit(Millis(10000)), 0);
  EXPECT_TRUE(host_->WaitPeerClosed(Millis(5000)));
  EXPECT_EQ(host_->ReceivedBytes(), "7I" + kRecordEnd) << "no goodbye";
  EXPECT_EQ(Ini("KorvathAdminMode"), "false");
}

}  // namespace
}  // namespace vantor::e2e
