// Vantor.exe's main window under Wine: its size and place, the menu of the mode, Alt+F4, closing
// while the host is unreachable, and the first start without a settings file.
#include <thread>

#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

using WindowTest = TerminalTest;

bool HasMenuItem(const std::vector<MenuItem>& items, const std::string& text) {
  for (const MenuItem& item : items)
    if (item.text == text) return true;
  return false;
}

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
  // A settings file that lacks KorvathAdminMode means administrator mode.
  StartConnected();
  const auto items = probe_.Menu(main_.handle);
  ASSERT_TRUE(items.has_value()) << probe_.LastError();
  EXPECT_TRUE(HasMenuItem(*items, "&Host...")) << items->size() << " items";
  EXPECT_TRUE(HasMenuItem(*items, "&User Mode"));
  EXPECT_FALSE(HasMenuItem(*items, "&Options..."));
}

TEST_F(WindowTest, UserModeShowsTheUserMenu) {
  StartConnected({{"KorvathAdminMode", "false"}});
  const auto items = probe_.Menu(main_.handle);
  ASSERT_TRUE(items.has_value()) << probe_.LastError();
  EXPECT_TRUE(HasMenuItem(*items, "&Options..."));
  EXPECT_TRUE(HasMenuItem(*items, "E&xit"));
  EXPECT_FALSE(HasMenuItem(*items, "&Host..."));
}

TEST_F(WindowTest, AltF4LeavesTheWindowOpenAndSendsNothing) {
  StartConnected();
  SendScreen(ScreenBuilder().SelectPage(0).Define(20, 1, 0, kInputFlags, kPlainAttributes, 8).ShowPage(0)
                 .FocusAndUnlock(20));
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

TEST_F(WindowTest, FirstStartAsksForTheHostAndWritesTheSettingsInAdministratorMode) {
  ASSERT_FALSE(FileExists(terminal_.IniPath()));
  ASSERT_TRUE(terminal_.Start());
  std::optional<WindowInfo> dialog;
  ASSERT_TRUE(WaitWindows(
      [&](const WindowList& windows) {
        for (const WindowInfo& w : windows)
          if (w.depth == 0 && w.visible && w.title == "Host Options") dialog = w;
        return dialog.has_value();
      },
      Millis(20000)))
      << Describe(windows_);
  // The dialog comes before the main window.
  EXPECT_FALSE(FindTopLevel(windows_, kMainWindowClass).has_value());
  auto item = [&](long long id) -> std::optional<WindowInfo> {
    for (const WindowInfo& w : DescendantsOf(windows_, dialog->handle))
      if (w.id == id) return w;
    return std::nullopt;
  };
  const auto terminalId = item(1064), hostName = item(1066), port = item(1067), ok = item(1);
  ASSERT_TRUE(terminalId && hostName && port && ok) << Describe(windows_);
  ASSERT_TRUE(probe_.SetText(terminalId->handle, "7"));
  ASSERT_TRUE(probe_.SetText(hostName->handle, "127.0.0.1"));
  ASSERT_TRUE(probe_.SetText(port->handle, std::to_string(host_.Port())));
  ASSERT_TRUE(probe_.Tap(ok->x + ok->width / 2, ok->y + ok->height / 2));

  const auto main = terminal_.WaitMainWindow();
  ASSERT_TRUE(main.has_value()) << Describe(windows_);
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
  const auto items = probe_.Menu(main->handle);
  ASSERT_TRUE(items.has_value()) << probe_.LastError();
  EXPECT_TRUE(HasMenuItem(*items, "&Host..."));
}

}  // namespace
}  // namespace vantor::e2e
