// The fixture of the tests that run Vantor.exe against the scripted test host: the terminal copied into a
// folder of its own, started under Wine, watched through the probe and stopped with the test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "harness.h"
#include "screen_builder.h"
#include "test_host.h"

namespace vantor::e2e {

using host_records::ScreenBuilder;
using testing_support::KeyResponse;
using testing_support::kRecordEnd;
using testing_support::TestHost;
namespace option = host_records::option;

inline constexpr unsigned kWmClose = 0x0010, kWmCommand = 0x0111;
inline constexpr const char* kMainWindowClass = "VORANDEXWIN";

// Flag and attribute bytes as hosts send them.
inline constexpr std::uint8_t kInputFlags = 'C', kAutoSendFlags = 'C' | 0x04, kSystemFlags = 'B';
inline constexpr std::uint8_t kPlainAttributes = '@', kReverseAttributes = '@' | 0x30;

using IniEntries = std::vector<std::pair<std::string, std::string>>;
// "Vantor.ini" lines for a terminal that talks to a host on 127.0.0.1:`port`.
inline IniEntries HostSettings(std::uint16_t port, int terminalId = 1) {
  return {{"hostname", "127.0.0.1"}, {"hostport", std::to_string(port)}, {"terminalid", std::to_string(terminalId)}};
}
// The value of `key` in a settings file (keys compare without case); none when absent.
std::optional<std::string> IniValue(const std::string& text, const std::string& key);

// Entry field 20, ten cells on row 1 of page 0, shown, focused and unlocked.
inline ScreenBuilder EntryScreen() {
  ScreenBuilder screen;
  return screen.SelectPage(0).Define(20, 1, 0, kInputFlags, kPlainAttributes, 10).ShowPage(0).FocusAndUnlock(20);
}

class TerminalTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // What the screen showed is kept with the folder when the test failed.
  void TearDown() override;

  std::string IniPath() const { return folder_ + "/Vantor.ini"; }
  std::string ReadIni() const { return ReadFile(IniPath()); }
  // A key of the settings file as it is now ("<missing>" when it is not there).
  std::string Ini(const std::string& key) const { return IniValue(ReadIni(), key).value_or("<missing>"); }
  // Starts Vantor.exe under Wine with "NAME=value" entries added to its environment.
  bool StartTerminal(const std::vector<std::string>& env = {}) {
    return !terminal_.Started() && terminal_.Start({"wine", folder_ + "/Vantor.exe"},
                                                   {.capture = Capture::kNothing, .cwd = folder_, .env = env});
  }
  // Stops it and waits until its windows are gone.
  void StopTerminal();
  // Waits for the visible main window (into main_); false when the terminal ended first.
  bool WaitMainWindow();
  // Writes the settings, starts the terminal and waits for its main window.
  void Launch(const IniEntries& settings, const std::vector<std::string>& env = {}) {
    std::string text;
    for (const auto& [key, value] : settings) text += key + "=" + value + "\r\n";
    ASSERT_TRUE(WriteFile(IniPath(), text));
    ASSERT_TRUE(StartTerminal(env));
    ASSERT_TRUE(WaitMainWindow()) << "no main window; terminal running: " << terminal_.Running();
  }
  // Launches with the host settings plus `extra`, accepts the connection and reads the "I" record.
  void StartConnected(const IniEntries& extra = {}, const std::vector<std::string>& env = {}) {
    IniEntries settings = HostSettings(host_->Port());
    settings.insert(settings.end(), extra.begin(), extra.end());
    Launch(settings, env);
    if (HasFatalFailure()) return;
    ASSERT_TRUE(host_->Accept(Millis(15000))) << "the terminal did not connect";
    ASSERT_EQ(NextBody(), "I");
  }
  // Sends a screen record and reads the terminal's "H" answer.
  void SendScreen(const ScreenBuilder& screen) {
    ASSERT_TRUE(host_->SendRaw(screen.Wire()));
    ASSERT_EQ(NextBody(), "H");
  }
  // The terminal's next record body ("<none>" when none came in time).
  std::string NextBody(Millis timeout = Millis(5000)) {
    const auto record = host_->ReadRecord(timeout);
    return record ? record->body : "<none>";
  }
  // Taps the chords in `window` and reads the record they send.
  std::string Press(std::uint64_t window, const std::vector<std::string>& chords) {
    return probe_.Keys(window, chords) ? NextBody() : "<keys failed: " + probe_.LastError() + ">";
  }

  // Polls the window tree until `ready` holds for it; the last tree is kept in windows_.
  bool WaitWindows(const std::function<bool(const WindowList&)>& ready, Millis timeout = Millis(10000));
  // The one visible page window (class VdxCPage); none when not exactly one is visible.
  std::optional<WindowInfo> ShownPage(const WindowList& windows) const;
  // The control window with `id` on the shown page.
  std::optional<WindowInfo> Control(const WindowList& windows, long long id) const;
  // Waits until the keyboard is unlocked and the shown page holds a visible control with `id`.
  std::optional<WindowInfo> WaitControl(long long id);
  // The lock indicator (class VdxCAnimate) while it shows; waits for it to show `title` ("": to go).
  std::optional<WindowInfo> Indicator(const WindowList& windows) const {
    for (const WindowInfo& w : ChildrenOf(windows, main_.handle))
      if (w.className == "VdxCAnimate" && w.visible) return w;
    return std::nullopt;
  }
  bool WaitIndicator(const std::string& title) {
    return WaitWindows([&](const WindowList& windows) {
      const auto indicator = Indicator(windows);
      return indicator ? indicator->title == title : title.empty();
    });
  }

  // A visible top-level window by its caption, once it comes; once it has gone; an item of a dialog.
  std::optional<WindowInfo> WaitDialog(const std::string& title, Millis timeout = Millis(10000)) {
    std::optional<WindowInfo> found;
    WaitWindows([&](const WindowList& windows) { return (found = FindTopLevel(windows, title)).has_value(); }, timeout);
    return found;
  }
  bool Gone(const std::string& title) {
    return WaitWindows([&](const WindowList& windows) { return !FindTopLevel(windows, title); });
  }
  std::uint64_t Item(const WindowInfo& dialog, long long id) {  // its handle; 0 when it has none
    for (const WindowInfo& w : ChildrenOf(probe_.List().value_or(WindowList{}), dialog.handle))
      if (w.id == id) return w.handle;
    return 0;
  }
  // Opens "&File" with Alt+F and presses `keys` in it (none: closes it again); the height of its popup,
  // which tells the user's short menu from the administrator's long one (0 when it did not open).
  int FileMenu(const std::vector<std::string>& keys);
  std::optional<WindowInfo> OpenFromFileMenu(const std::vector<std::string>& keys, const std::string& caption) {
    return FileMenu(keys) == 0 ? std::nullopt : WaitDialog(caption);
  }
  // File > Soun&ds > the event's item (0 Normal .. 7 User 4), then its dialog.
  std::optional<WindowInfo> OpenSoundDialog(int event, const std::string& caption);
  bool SetItemText(const WindowInfo& dialog, long long id, const std::string& text) {
    return probe_.SetText(Item(dialog, id), text);
  }

  std::optional<TestHost> host_{std::in_place};  // reset and made again by tests that need it gone
  std::string folder_;
  ChildProcess terminal_;
  WindowInfo main_;
  WindowList windows_;
  Probe& probe_ = Probe::Instance();
};

}  // namespace vantor::e2e
