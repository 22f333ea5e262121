// Shared fixture of the tests that run Vantor.exe against the scripted test host.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "harness.h"
#include "screen_builder.h"
#include "test_host.h"

namespace vantor::e2e {

using testing_support::HostRecord;
using testing_support::kRecordEnd;
using testing_support::ScreenBuilder;
using testing_support::TestHost;

inline constexpr unsigned kWmClose = 0x0010;
inline constexpr unsigned kWmCommand = 0x0111;
inline constexpr unsigned kWmNull = 0x0000;
inline constexpr unsigned kBmGetCheck = 0x00F0;

// Flag and attribute bytes as hosts send them.
inline constexpr std::uint8_t kInputFlags = 'C';
inline constexpr std::uint8_t kSystemFlags = 'B';
inline constexpr std::uint8_t kPlainAttributes = '@';

// A byte of a record that carries a small number: the value + 48.
std::string HostByte(int value);
// A key response as the host reads it: "RF", the key code and the focus field, then each changed
// field's data item ("=", id, length, text).
std::string KeyResponse(int code, int focus, const std::vector<std::pair<int, std::string>>& fields = {});

// Screenshots until `ready` holds for one (painting comes a moment after a window changes); the last
// shot taken, also when the time ran out, so that the checks after it show what was seen.
std::optional<Image> ShotWhen(const std::function<bool(const Image&)>& ready, Millis timeout = Millis(5000));

// Entry field 20, ten cells on row 1 of page 0, shown, focused and unlocked.
ScreenBuilder EntryScreen();

// The character cell size, taken from a field window of known width in cells.
struct Cell {
  int width = 0;
  int height = 0;
};

class TerminalTest : public ::testing::Test {
 protected:
  void SetUp() override;

  // Writes the settings (host settings plus `extra`), starts the terminal, waits for its window,
  // accepts its connection and reads its "I" record.
  void StartConnected(const IniEntries& extra = {}, int terminalId = 1);
  // Sends a screen record and reads the terminal's "H" answer.
  void SendScreen(const ScreenBuilder& screen);
  // The terminal's next record body ("<none>" when none came in time).
  std::string NextBody(Millis timeout = Millis(5000));

  // Polls the window tree until `ready` holds for it; the last tree is kept in windows_.
  bool WaitWindows(const std::function<bool(const WindowList&)>& ready, Millis timeout = Millis(10000));
  // The page windows (class VdxCPage) of the main window, in Z order.
  WindowList Pages(const WindowList& windows) const;
  // The one visible page window; none when not exactly one is visible.
  std::optional<WindowInfo> ShownPage(const WindowList& windows) const;
  // The control window with `id` on the shown page.
  std::optional<WindowInfo> Control(const WindowList& windows, long long id) const;
  // Waits until the shown page holds a control with `id` and the keyboard is unlocked.
  std::optional<WindowInfo> WaitControl(long long id, Millis timeout = Millis(10000));
  // The keyboard as the operator sees it: 2 (locked) while the lock indicator shows or the page in
  // front takes no input, else 0; none when the windows could not be listed.
  std::optional<long long> KeyboardState();
  bool WaitUnlocked(Millis timeout = Millis(5000));

  // Dialogs and menus: a visible top-level window by caption; waiting for one to come or go; a control
  // of a dialog by id; whether a popup menu is open.
  std::optional<WindowInfo> TopLevel(const std::string& title);
  std::optional<WindowInfo> WaitDialog(const std::string& title, Millis timeout = Millis(10000));
  bool Gone(const std::string& title, Millis timeout = Millis(8000));
  std::optional<WindowInfo> Item(const WindowInfo& dialog, long long id);
  bool MenuOpen();
  int OpenMenus();
  // Opens "&File", presses the item's letter and waits for the dialog titled `caption`; Enter carries
  // out an item whose letter another item shares (the letter only selects it then).
  std::optional<WindowInfo> OpenFromFileMenu(const std::string& letter, const std::string& caption);
  // File > Soun&ds > the event's item (0 Normal .. 7 User 4; the items have no letters of their own).
  void OpenSoundDialog(int event);
  // Opens "&File" with Alt+F; the menu's popup window. The File menu's height (the menu closed again
  // after) tells the short user menu from the administrator's long one.
  std::optional<WindowInfo> OpenFileMenu();
  std::optional<int> FileMenuHeight();
  // A tap in the middle of a window.
  bool TapCentre(const WindowInfo& w);
  // Items of an open dialog: a tap in the middle, their text, a new text, a message and its answer, a
  // button's check state.
  bool TapItem(const WindowInfo& dialog, long long id);
  std::string ItemText(const WindowInfo& dialog, long long id);
  bool SetItemText(const WindowInfo& dialog, long long id, const std::string& text);
  std::optional<long long> SendItem(const WindowInfo& dialog, long long id, unsigned message, long long wparam = 0);
  std::optional<long long> CheckState(const WindowInfo& dialog, long long id);
  // A key of the terminal's settings file as it is now ("<missing>" when it is not there).
  std::string Ini(const std::string& key);
  // The README's picture of an open dialog (see SaveDocPicture), once its last repaint has landed.
  void DialogPicture(const std::string& name, const WindowInfo& dialog);

  TestHost host_;
  Terminal terminal_;
  WindowInfo main_;
  WindowList windows_;
  Probe& probe_ = Probe::Instance();
};

}  // namespace vantor::e2e
