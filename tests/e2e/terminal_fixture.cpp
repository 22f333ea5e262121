// Shared fixture of the tests that run Vantor.exe against the scripted test host.
#include "terminal_fixture.h"

#include <thread>

namespace vantor::e2e {

std::string HostByte(int value) { return std::string(1, static_cast<char>(value + 48)); }

std::string KeyResponse(int code, int focus, const std::vector<std::pair<int, std::string>>& fields) {
  std::string body = "RF" + HostByte(code) + HostByte(focus);
  for (const auto& [id, text] : fields) body += "=" + HostByte(id) + HostByte(static_cast<int>(text.size())) + text;
  return body;
}

std::optional<Image> ShotWhen(const std::function<bool(const Image&)>& ready, Millis timeout) {
  std::optional<Image> shot;
  WaitFor(
      [&] {
        if (auto next = Screenshot()) shot = std::move(next);
        return shot && ready(*shot);
      },
      timeout, Millis(200));
  return shot;
}

ScreenBuilder EntryScreen() {
  ScreenBuilder screen;
  screen.SelectPage(0).Define(20, 1, 0, kInputFlags, kPlainAttributes, 10).ShowPage(0).FocusAndUnlock(20);
  return screen;
}

void TerminalTest::SetUp() {
  ASSERT_TRUE(host_.Listening());
  ASSERT_TRUE(terminal_.Ready()) << terminal_.Error();
}

void TerminalTest::StartConnected(const IniEntries& extra, int terminalId) {
  IniEntries settings = HostSettings(host_.Port(), terminalId);
  settings.insert(settings.end(), extra.begin(), extra.end());
  ASSERT_TRUE(terminal_.WriteIni(settings));
  ASSERT_TRUE(terminal_.Start());
  const auto main = terminal_.WaitMainWindow();
  ASSERT_TRUE(main.has_value()) << "no main window; terminal running: " << terminal_.Running();
  main_ = *main;
  ASSERT_TRUE(host_.Accept(Millis(15000))) << "the terminal did not connect";
  ASSERT_EQ(NextBody(), "I");
}

void TerminalTest::SendScreen(const ScreenBuilder& screen) {
  ASSERT_TRUE(host_.SendRaw(screen.Wire()));
  ASSERT_EQ(NextBody(), "H");
}

std::string TerminalTest::NextBody(Millis timeout) {
  const auto record = host_.ReadRecord(timeout);
  return record ? record->body : "<none>";
}

bool TerminalTest::WaitWindows(const std::function<bool(const WindowList&)>& ready, Millis timeout) {
  return WaitFor(
      [&] {
        const auto windows = probe_.List();
        if (!windows) return false;
        windows_ = *windows;
        if (const auto main = FindTopLevel(windows_, kMainWindowClass)) main_ = *main;
        return ready(windows_);
      },
      timeout, Millis(150));
}

WindowList TerminalTest::Pages(const WindowList& windows) const {
  WindowList pages;
  for (const WindowInfo& w : ChildrenOf(windows, main_.handle))
    if (w.className == "VdxCPage") pages.push_back(w);
  return pages;
}

std::optional<WindowInfo> TerminalTest::ShownPage(const WindowList& windows) const {
  std::optional<WindowInfo> shown;
  for (const WindowInfo& page : Pages(windows)) {
    if (!page.visible) continue;
    if (shown) return std::nullopt;
    shown = page;
  }
  return shown;
}

std::optional<WindowInfo> TerminalTest::Control(const WindowList& windows, long long id) const {
  const auto page = ShownPage(windows);
  if (!page) return std::nullopt;
  // A window being replaced is hidden before it goes: a visible one with the id is the current one.
  std::optional<WindowInfo> found;
  for (const WindowInfo& w : ChildrenOf(windows, page->handle)) {
    if (w.id != id) continue;
    if (w.visible) return w;
    if (!found) found = w;
  }
  return found;
}

std::optional<WindowInfo> TerminalTest::WaitControl(long long id, Millis timeout) {
  if (!WaitWindows([&](const WindowList& windows) { return Control(windows, id).has_value(); }, timeout))
    return std::nullopt;
  // The host's record is fully carried out once the keyboard is unlocked; only then are the control
  // windows final (a page refresh may make a window and at once make it anew).
  if (!WaitUnlocked()) return std::nullopt;
  std::optional<WindowInfo> found;
  WaitWindows(
      [&](const WindowList& windows) {
        found = Control(windows, id);
        return found.has_value();
      },
      timeout);
  return found;
}

std::optional<long long> TerminalTest::KeyboardState() {
  const auto windows = probe_.List();
  if (!windows) return std::nullopt;
  bool locked = false;
  bool page = false;
  for (const WindowInfo& w : *windows) {
    if (w.className == "VdxCAnimate" && w.visible) locked = true;
    if (w.className == "VdxCPage" && w.visible) {
      page = true;
      if (!w.enabled) locked = true;
    }
  }
  if (!page) return std::nullopt;
  return locked ? 2 : 0;
}

bool TerminalTest::WaitUnlocked(Millis timeout) {
  return WaitFor([&] { return KeyboardState() == 0; }, timeout, Millis(100));
}

std::optional<WindowInfo> TerminalTest::TopLevel(const std::string& title) {
  const auto windows = probe_.List();
  if (!windows) return std::nullopt;
  for (const WindowInfo& w : *windows) {
    if (w.depth == 0 && w.visible && w.title == title) return w;
  }
  return std::nullopt;
}

std::optional<WindowInfo> TerminalTest::WaitDialog(const std::string& title, Millis timeout) {
  std::optional<WindowInfo> found;
  WaitFor(
      [&] {
        found = TopLevel(title);
        return found.has_value();
      },
      timeout, Millis(200));
  return found;
}

bool TerminalTest::Gone(const std::string& title, Millis timeout) {
  return WaitFor(
      [&] {
        const auto windows = probe_.List();
        if (!windows) return false;
        for (const WindowInfo& w : *windows) {
          if (w.depth == 0 && w.visible && w.title == title) return false;
        }
        return true;
      },
      timeout, Millis(200));
}

std::optional<WindowInfo> TerminalTest::Item(const WindowInfo& dialog, long long id) {
  const auto windows = probe_.List();
  if (!windows) return std::nullopt;
  for (const WindowInfo& w : DescendantsOf(*windows, dialog.handle)) {
    if (w.id == id) return w;
  }
  return std::nullopt;
}

bool TerminalTest::MenuOpen() { return OpenMenus() > 0; }

int TerminalTest::OpenMenus() {
  const auto windows = probe_.List();
  if (!windows) return 0;
  int count = 0;
  for (const WindowInfo& w : *windows) count += w.depth == 0 && w.visible && w.className == "#32768";
  return count;
}

void TerminalTest::OpenSoundDialog(int event) {
  ASSERT_TRUE(probe_.Keys(main_.handle, {"alt+f"}));
  ASSERT_TRUE(WaitFor([&] { return MenuOpen(); }, Millis(5000), Millis(200)));
  ASSERT_TRUE(probe_.Keys(0, {"d"}));
  ASSERT_TRUE(WaitFor([&] { return OpenMenus() >= 2; }, Millis(5000), Millis(200)));
  std::vector<std::string> keys(static_cast<std::size_t>(event), "down");
  keys.push_back("enter");
  ASSERT_TRUE(probe_.Keys(0, keys));
}

std::optional<WindowInfo> TerminalTest::OpenFromFileMenu(const std::string& letter, const std::string& caption) {
  if (!probe_.Keys(main_.handle, {"alt+f"})) return std::nullopt;
  if (!WaitFor([&] { return MenuOpen(); }, Millis(5000), Millis(200))) return std::nullopt;
  probe_.Keys(0, {letter});
  if (auto dialog = WaitDialog(caption, Millis(2000))) return dialog;
  if (MenuOpen()) probe_.Keys(0, {"enter"});
  return WaitDialog(caption, Millis(8000));
}

std::optional<WindowInfo> TerminalTest::OpenFileMenu() {
  if (!probe_.Keys(main_.handle, {"alt+f"})) return std::nullopt;
  std::optional<WindowInfo> menu;
  WaitFor(
      [&] {
        const auto windows = probe_.List();
        if (!windows) return false;
        // The popup can be listed as shown an instant before it has its size.
        for (const WindowInfo& w : *windows)
          if (w.depth == 0 && w.visible && w.className == "#32768" && w.height > 0) menu = w;
        return menu.has_value();
      },
      Millis(5000), Millis(200));
  return menu;
}

std::optional<int> TerminalTest::FileMenuHeight() {
  const auto menu = OpenFileMenu();
  probe_.Keys(0, {"esc", "esc"});
  if (!menu) return std::nullopt;
  return menu->height;
}

bool TerminalTest::TapCentre(const WindowInfo& w) { return probe_.Tap(w.x + w.width / 2, w.y + w.height / 2); }

bool TerminalTest::TapItem(const WindowInfo& dialog, long long id) {
  const auto item = Item(dialog, id);
  return item && TapCentre(*item);
}

std::string TerminalTest::ItemText(const WindowInfo& dialog, long long id) {
  const auto item = Item(dialog, id);
  if (!item) return "<no item>";
  return probe_.GetText(item->handle).value_or("<none>");
}

bool TerminalTest::SetItemText(const WindowInfo& dialog, long long id, const std::string& text) {
  const auto item = Item(dialog, id);
  return item && probe_.SetText(item->handle, text);
}

std::optional<long long> TerminalTest::SendItem(const WindowInfo& dialog, long long id, unsigned message,
                                                long long wparam) {
  const auto item = Item(dialog, id);
  if (!item) return std::nullopt;
  return probe_.Send(item->handle, message, wparam, 0);
}

std::optional<long long> TerminalTest::CheckState(const WindowInfo& dialog, long long id) {
  return SendItem(dialog, id, kBmGetCheck);
}

std::string TerminalTest::Ini(const std::string& key) {
  return IniValue(terminal_.ReadIni(), key).value_or("<missing>");
}

void TerminalTest::DialogPicture(const std::string& name, const WindowInfo& dialog) {
  std::this_thread::sleep_for(Millis(500));
  EXPECT_TRUE(SaveDocPicture(name, dialog.clientX, dialog.clientY, dialog.clientWidth, dialog.clientHeight));
}

}  // namespace vantor::e2e
