// Shared fixture of the tests that run Vantor.exe against the scripted test host.
#include "terminal_fixture.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace vantor::e2e {

std::optional<std::string> IniValue(const std::string& text, const std::string& key) {
  const auto lower = [](std::string word) {
    std::transform(word.begin(), word.end(), word.begin(), [](unsigned char c) { return std::tolower(c); });
    return word;
  };
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t equals = line.find('=');
    if (equals != std::string::npos && lower(line.substr(0, equals)) == lower(key)) return line.substr(equals + 1);
  }
  return std::nullopt;
}

void TerminalTest::SetUp() {
  ASSERT_TRUE(host_->Listening());
  std::string why;
  ASSERT_TRUE(WineDesktop::Instance().Ensure(why)) << why;
  const std::string exe = VANTOR_WIN_BUILD "/Vantor.exe";
  ASSERT_TRUE(FileExists(exe)) << "Vantor.exe is not built in " VANTOR_WIN_BUILD;
  char name[] = "/tmp/vantor-e2e-XXXXXX";
  ASSERT_NE(::mkdtemp(name), nullptr);
  folder_ = name;
  ASSERT_TRUE(WriteFile(folder_ + "/Vantor.exe", ReadFile(exe))) << folder_;
}

void TerminalTest::TearDown() {
  const bool failed = HasFailure();
  if (failed && terminal_.Running()) WriteFile(folder_ + "/screen.ppm", Screenshot());
  StopTerminal();
  if (folder_.empty()) return;
  if (failed) {
    std::printf("[   KEPT   ] %s\n", folder_.c_str());
    return;
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void TerminalTest::StopTerminal() {
  if (!terminal_.Started()) return;
  terminal_.Stop(Millis(1000));
  // Its windows must be gone too; otherwise every program of the prefix is ended.
  const bool gone = WaitFor(
      [&] {
        const auto windows = probe_.List();
        return windows && std::none_of(windows->begin(), windows->end(), [](const WindowInfo& w) {
                 return w.depth == 0 && (w.className == kMainWindowClass || w.title == "Host Options");
               });
      },
      Millis(5000), Millis(200));
  if (!gone) {
    probe_.Shutdown();
    WineDesktop::Instance().KillWineServer();
  }
}

bool TerminalTest::WaitMainWindow() {
  const auto shown = [&](const WindowList& windows) { return FindTopLevel(windows, kMainWindowClass).has_value(); };
  return WaitWindows([&](const WindowList& windows) { return shown(windows) || !terminal_.Running(); },
                     Millis(20000)) &&
         shown(windows_);
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
      timeout, Millis(100));
}

std::optional<WindowInfo> TerminalTest::ShownPage(const WindowList& windows) const {
  std::optional<WindowInfo> shown;
  for (const WindowInfo& page : ChildrenOf(windows, main_.handle)) {
    if (!page.visible || page.className != "VdxCPage") continue;
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
  for (const WindowInfo& w : ChildrenOf(windows, page->handle))
    if (w.id == id && (w.visible || !found)) found = w;
  return found;
}

std::optional<WindowInfo> TerminalTest::WaitControl(long long id) {
  // The host's record is carried out whole once the keyboard is unlocked; only then are the control
  // windows final (a refresh may make a window and at once make it anew).
  std::optional<WindowInfo> found;
  WaitWindows([&](const WindowList& windows) {
    found = Control(windows, id);
    return found && found->visible && !Indicator(windows) && ShownPage(windows)->enabled;
  });
  return found && found->visible ? found : std::nullopt;
}

int TerminalTest::FileMenu(const std::vector<std::string>& keys) {
  int height = 0;
  if (!probe_.Keys(main_.handle, {"alt+f"})) return 0;
  WaitWindows([&](const WindowList& windows) {
    const auto popup = FindTopLevel(windows, "#32768");
    return (height = popup ? popup->height : 0) > 0;
  });
  probe_.Keys(0, keys.empty() ? std::vector<std::string>{"esc", "esc"} : keys);
  return height;
}

std::optional<WindowInfo> TerminalTest::OpenSoundDialog(int event, const std::string& caption) {
  // A popup can be listed as shown an instant before it has its size.
  const auto submenuOpen = [](const WindowList& windows) {
    return std::count_if(windows.begin(), windows.end(), [](const WindowInfo& w) {
             return w.depth == 0 && w.visible && w.className == "#32768" && w.height > 0;
           }) >= 2;
  };
  if (FileMenu({"d"}) == 0 || !WaitWindows(submenuOpen, Millis(5000))) return std::nullopt;
  std::vector<std::string> keys(static_cast<size_t>(event), "down");
  keys.push_back("enter");
  probe_.Keys(0, keys);
  return WaitDialog(caption);
}

}  // namespace vantor::e2e
