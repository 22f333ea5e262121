// Vantor.exe's main window under Wine: its size and place, the menu of the mode, Alt+F4, closing
// while the host is unreachable, and the first start without a settings file.
#include <thread>

#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

class WindowTest : public TerminalTest {
 protected:
  // Picks a File menu item by its letter; true when a window titled `dialog` appears (it is closed
  // again with Escape, and so is the menu when nothing came).
  bool MenuOpens(const std::string& mnemonic, const std::string& dialog) {
    if (!OpenFileMenu() || !probe_.Keys(0, {mnemonic})) return false;
    const auto found = WaitDialog(dialog, Millis(3000));
    if (found) probe_.Keys(found->handle, {"esc"});
    probe_.Keys(0, {"esc", "esc"});
    return found.has_value();
  }
};

TEST_F(WindowTest, OpensAt240By320AtTheTopLeftWithSixteenPages) {
  StartConnected();
  EXPECT_EQ(main_.title, "Vantor");
  EXPECT_EQ(main_.x, 0);
  EXPECT_EQ(main_.y, 0);
  EXPECT_EQ(main_.width, 240);
  EXPECT_EQ(main_.height, 320);
  EXPECT_TRUE(main_.hasMenu);
  ASSERT_TRUE(WaitWindows([&](const WindowList& w) { return Pages(w).size() == 16; })) << Describe(windows_);
  // Page 0 is the one in front, filling the client area below the toolbar.
  const auto shown = ShownPage(windows_);
  ASSERT_TRUE(shown.has_value()) << Describe(windows_);
  EXPECT_EQ(shown->title, "PAGE");
  const WindowList bars = OfClass(ChildrenOf(windows_, main_.handle), "VdxCToolBar");
  const int top = bars.empty() ? 0 : bars.front().height;
  EXPECT_EQ(shown->XIn(main_), 0);
  EXPECT_EQ(shown->YIn(main_), top);
  EXPECT_EQ(shown->width, main_.clientWidth);
  EXPECT_EQ(shown->height, main_.clientHeight - top);
}

TEST_F(WindowTest, SettingsWithoutTheModeKeyShowTheAdministratorMenu) {
  // A settings file that lacks KorvathAdminMode means administrator mode: a long File menu (options
  // dialogs, sounds, user mode) whose "&Host..." opens the Host options.
  StartConnected();
  const auto height = FileMenuHeight();
  ASSERT_TRUE(height.has_value()) << probe_.LastError();
  EXPECT_GT(*height, 180);
  EXPECT_TRUE(MenuOpens("h", "Host Options"));
}

TEST_F(WindowTest, UserModeShowsTheUserMenu) {
  // The user menu is short (About, Options, Exit), has no "&Host...", and "&Options..." asks for the
  // access code in the Login dialog.
  StartConnected({{"KorvathAdminMode", "false"}});
  const auto height = FileMenuHeight();
  ASSERT_TRUE(height.has_value()) << probe_.LastError();
  EXPECT_LT(*height, 130);
  EXPECT_FALSE(MenuOpens("h", "Host Options"));
  EXPECT_TRUE(MenuOpens("o", "Login"));
  // "&About..." shows the build's version.
  ASSERT_TRUE(OpenFileMenu() && probe_.Keys(0, {"a"}));
  const auto about = WaitDialog("About Vantor II", Millis(3000));
  ASSERT_TRUE(about.has_value());
  EXPECT_TRUE(WaitWindows([&](const WindowList& w) {
    for (const WindowInfo& child : ChildrenOf(w, about->handle)) {
      if (child.title.find("Version: " VANTOR_VERSION) != std::string::npos) return true;
    }
    return false;
  })) << Describe(windows_);
  probe_.Keys(about->handle, {"esc"});
}

TEST_F(WindowTest, AltF4LeavesTheWindowOpenAndSendsNothing) {
  StartConnected();
  SendScreen(EntryScreen());
  const auto entry = WaitControl(20);
  ASSERT_TRUE(entry.has_value()) << Describe(windows_);
  ASSERT_TRUE(probe_.Keys(main_.handle, {"alt+F4"})) << probe_.LastError();
  ASSERT_TRUE(probe_.Keys(entry->handle, {"alt+F4"})) << probe_.LastError();
  EXPECT_TRUE(host_.NothingArrives(Millis(1500)));
  EXPECT_TRUE(terminal_.Running());
  EXPECT_TRUE(terminal_.MainWindow().has_value());
  EXPECT_EQ(KeyboardState(), 0);  // no key went to the host, so nothing locked the keyboard
}

TEST_F(WindowTest, ClosingWhileTheHostIsUnreachableExitsAndStoresThePosition) {
  // A port nobody listens on: the terminal keeps trying to connect.
  std::uint16_t deadPort = 0;
  {
    TestHost gone;
    deadPort = gone.Port();
  }
  ASSERT_TRUE(terminal_.WriteIni(HostSettings(deadPort, 3)));
  ASSERT_TRUE(terminal_.Start());
  const auto main = terminal_.WaitMainWindow();
  ASSERT_TRUE(main.has_value());
  // Let a few connection attempts fail first.
  std::this_thread::sleep_for(Millis(2500));
  ASSERT_TRUE(probe_.Move(main->handle, 30, 40, 240, 320)) << probe_.LastError();
  ASSERT_TRUE(WaitFor(
      [&] {
        const auto moved = terminal_.MainWindow();
        return moved && moved->x == 30 && moved->y == 40;
      },
      Millis(5000)));
  const auto started = SteadyClock::now();
  ASSERT_TRUE(probe_.Post(main->handle, kWmClose, 0, 0));
  const auto status = terminal_.WaitExit(Millis(10000));
  ASSERT_TRUE(status.has_value()) << "the terminal did not exit";
  EXPECT_EQ(*status, 0);
  EXPECT_LT(SteadyClock::now() - started, Millis(7000));
  const std::string ini = terminal_.ReadIni();
  EXPECT_EQ(IniValue(ini, "windowpos"), "30,40,240,320") << ini;
  EXPECT_EQ(IniValue(ini, "windowstate"), "0");
  EXPECT_EQ(IniValue(ini, "hostport"), std::to_string(deadPort));
  EXPECT_EQ(IniValue(ini, "terminalid"), "3");
  // The whole file was written, not only the position: it starts with the host line.
  EXPECT_EQ(ini.rfind("hostname=127.0.0.1\r\n", 0), 0u) << ini;
}

TEST_F(WindowTest, ExitFromTheMenuEndsTheSessionWithoutGoodbye) {
  StartConnected({{"windowpos", "0,0,240,320"}});
  ASSERT_TRUE(OpenFileMenu().has_value());
  ASSERT_TRUE(probe_.Keys(0, {"x"}));
  const auto status = terminal_.WaitExit(Millis(10000));
  ASSERT_TRUE(status.has_value()) << "the terminal did not exit";
  EXPECT_EQ(*status, 0);
  // A session stopped by the terminal says no goodbye; the host only sees the connection go.
  EXPECT_TRUE(host_.WaitPeerClosed(Millis(5000)));
  EXPECT_EQ(host_.ReceivedBytes(), "1I" + kRecordEnd);
  EXPECT_EQ(IniValue(terminal_.ReadIni(), "windowpos"), "0,0,240,320");
}

TEST_F(WindowTest, FullScreenIgnoresCloseUntilToggledOff) {
  StartConnected({{"fullscreen", "true"}});
  // Made without the frame of a normal window (the system still adds a caption to any overlapped window).
  constexpr std::uint32_t kThickFrame = 0x00040000, kSysMenu = 0x00080000;
  EXPECT_EQ(main_.style & (kThickFrame | kSysMenu), 0u);
  EXPECT_TRUE(main_.hasMenu);
  ASSERT_TRUE(probe_.Post(main_.handle, kWmClose, 0, 0));
  EXPECT_FALSE(terminal_.WaitExit(Millis(1500)).has_value());
  // Ctrl+Alt+0 leaves full screen (in memory); then closing works.
  ASSERT_TRUE(probe_.Keys(main_.handle, {"ctrl+alt+0"})) << probe_.LastError();
  std::this_thread::sleep_for(Millis(300));
  ASSERT_TRUE(probe_.Post(main_.handle, kWmClose, 0, 0));
  const auto status = terminal_.WaitExit(Millis(10000));
  ASSERT_TRUE(status.has_value()) << "the terminal did not exit after leaving full screen";
  EXPECT_EQ(IniValue(terminal_.ReadIni(), "fullscreen"), "false");
}

TEST_F(WindowTest, FirstStartAsksForTheHostAndWritesTheSettingsInAdministratorMode) {
  ASSERT_FALSE(FileExists(terminal_.IniPath()));
  ASSERT_TRUE(terminal_.Start());
  const auto dialog = WaitDialog("Host Options", Millis(20000));
  ASSERT_TRUE(dialog.has_value()) << Describe(probe_.List().value_or(WindowList{}));
  // The dialog comes before the main window.
  EXPECT_FALSE(FindTopLevel(probe_.List().value_or(WindowList{}), kMainWindowClass).has_value());
  ASSERT_TRUE(SetItemText(*dialog, 1064, "7")) << Describe(windows_);
  ASSERT_TRUE(SetItemText(*dialog, 1066, "127.0.0.1"));
  ASSERT_TRUE(SetItemText(*dialog, 1067, std::to_string(host_.Port())));
  ASSERT_TRUE(TapItem(*dialog, 1));

  const auto main = terminal_.WaitMainWindow();
  ASSERT_TRUE(main.has_value()) << Describe(windows_);
  main_ = *main;
  ASSERT_TRUE(WaitFor([&] { return FileExists(terminal_.IniPath()); }, Millis(5000)));
  const std::string ini = terminal_.ReadIni();
  EXPECT_EQ(IniValue(ini, "KorvathAdminMode"), "true") << ini;
  EXPECT_EQ(IniValue(ini, "hostport"), std::to_string(host_.Port()));
  EXPECT_EQ(IniValue(ini, "terminalid"), "7");
  // It connects to the host it was given, with the id it was given, and shows the administrator menu.
  ASSERT_TRUE(host_.Accept(Millis(15000)));
  const auto identification = host_.ReadRecord(Millis(5000));
  ASSERT_TRUE(identification.has_value());
  EXPECT_EQ(identification->raw, "7I" + kRecordEnd);
  EXPECT_TRUE(MenuOpens("h", "Host Options"));
}

}  // namespace
}  // namespace vantor::e2e
