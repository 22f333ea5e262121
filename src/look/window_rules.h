// Platform-neutral rules of the program frame: window style and show state from the settings, the
// settings path, dialog centring, the menu for the mode and what follows a menu command.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantor {

// Style bits as the window system numbers them.
inline constexpr std::uint32_t kStyleVisible = 0x10000000;
inline constexpr std::uint32_t kStyleClipSiblings = 0x04000000;
inline constexpr std::uint32_t kStyleClipChildren = 0x02000000;
inline constexpr std::uint32_t kStyleOverlappedWindow = 0x00CF0000;
inline constexpr std::uint32_t kStyleMaximize = 0x01000000;
inline constexpr std::uint32_t kStyleMinimize = 0x20000000;

// The main window's style: without caption and frame in full screen.
std::uint32_t MainWindowStyle(bool fullscreen);

// Show command for the stored `windowstate`: maximized (3) when above 0, otherwise normal (1), so a
// stored minimized state opens as a normal window.
int ShowCommandForWindowState(int windowstate);

// `windowstate` to store for a window style: 1 maximized, -1 minimized, 0 normal.
int WindowStateFromStyle(std::uint32_t style);

// The directory of a module path: cut at the last backslash (which is removed); a path without any
// backslash gives "\".
std::u16string DirectoryOfModulePath(std::u16string_view modulePath);

// The settings file beside the program.
std::u16string SettingsPathInDirectory(std::u16string_view directory);

// The menu resource for the mode: 102 administrator, 204 user.
int MenuForMode(bool adminMode);

struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  long long Width() const { return static_cast<long long>(right) - left; }
  long long Height() const { return static_cast<long long>(bottom) - top; }
};

// Top-left corner that centres a box of the given size over an area, moved back inside the screen's
// work area (its top-left corner wins when the box is larger than the screen).
void CentreOver(const PixelRect& area, int width, int height, const PixelRect& screen, int* left, int* top);

// What the main window does after a menu command it handled.
struct CommandFollowUp {
  bool navigate = false;  // the focus goes back to the focus field
  bool relayout = false;  // the pages take changed settings
};

// The commands the main window handles itself (every other command, 40000 included, goes to the
// default window procedure).
bool IsMainWindowCommand(int command);

// dialogOk: the command ran a dialog that ended with OK; windowDestroyed: Exit closed the window.
CommandFollowUp FollowUpForCommand(int command, bool dialogOk, bool windowDestroyed);

// Sound event (0..7) of a Sounds menu command, -1 for any other command.
int SoundEventForCommand(int command);

}  // namespace vantor
