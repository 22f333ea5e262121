// Platform-neutral rules of the program frame.
#include "look/window_rules.h"

#include <algorithm>

#include "look/menu_ids.h"

namespace vantor {

std::uint32_t MainWindowStyle(bool fullscreen) {
  const std::uint32_t base = kStyleVisible | kStyleClipSiblings | kStyleClipChildren;
  return fullscreen ? base : base | kStyleOverlappedWindow;
}

int ShowCommandForWindowState(int windowstate) { return windowstate > 0 ? 3 : 1; }

int WindowStateFromStyle(std::uint32_t style) {
  if (style & kStyleMaximize) return 1;
  if (style & kStyleMinimize) return -1;
  return 0;
}

std::u16string DirectoryOfModulePath(std::u16string_view modulePath) {
  const auto cut = modulePath.rfind(u'\\');
  if (cut == std::u16string_view::npos) return u"\\";
  return std::u16string(modulePath.substr(0, cut));
}

std::u16string SettingsPathInDirectory(std::u16string_view directory) {
  std::u16string path(directory);
  if (path.empty() || path.back() != u'\\') path += u'\\';
  path += u"Vantor.ini";
  return path;
}

int MenuForMode(bool adminMode) { return adminMode ? IDR_MENU_ADMIN : IDR_MENU_USER; }

void CentreOver(const PixelRect& area, int width, int height, const PixelRect& screen, int* left, int* top) {
  // 64-bit arithmetic: rectangles near the int limits must not overflow.
  auto place = [](long long centred, long long size, long long low, long long high) {
    if (centred + size > high) centred = high - size;
    if (centred < low) centred = low;
    return static_cast<int>(std::clamp(centred, -0x80000000LL, 0x7FFFFFFFLL));
  };
  *left = place(static_cast<long long>(area.left) + (area.Width() - width) / 2, width, screen.left, screen.right);
  *top = place(static_cast<long long>(area.top) + (area.Height() - height) / 2, height, screen.top, screen.bottom);
}

int SoundEventForCommand(int command) {
  switch (command) {
    case IDM_SOUND_NORMAL: return 0;
    case IDM_SOUND_ERROR: return 1;
    case IDM_SOUND_SCAN_ACCEPT: return 2;
    case IDM_SOUND_SCAN_REJECT: return 3;
    case IDM_SOUND_USER1: return 4;
    case IDM_SOUND_USER2: return 5;
    case IDM_SOUND_USER3: return 6;
    case IDM_SOUND_USER4: return 7;
    default: return -1;
  }
}

bool IsMainWindowCommand(int command) {
  switch (command) {
    case IDM_ABOUT:
    case IDM_OPTIONS:
    case IDM_HOST:
    case IDM_SCANNER:
    case IDM_SCREEN:
    case IDM_FIELDS:
    case IDM_FONT:
    case IDM_SERIAL_SETTINGS:
    case IDM_SERIAL_FEATURE:
    case IDM_USER_MODE:
    case IDM_FULLSCREEN:
    case IDM_EXIT: return true;
    default: return SoundEventForCommand(command) >= 0;
  }
}

CommandFollowUp FollowUpForCommand(int command, bool dialogOk, bool windowDestroyed) {
  CommandFollowUp followUp;
  if (!IsMainWindowCommand(command) || command == IDM_USER_MODE) return followUp;
  if (command == IDM_EXIT && windowDestroyed) return followUp;
  followUp.navigate = true;
  switch (command) {
    case IDM_SCANNER:
    case IDM_SCREEN:
    case IDM_FIELDS:
    case IDM_FONT:
    case IDM_SERIAL_SETTINGS:
    case IDM_SERIAL_FEATURE: followUp.relayout = dialogOk; break;
    default: followUp.relayout = dialogOk && SoundEventForCommand(command) >= 0; break;
  }
  return followUp;
}

}  // namespace vantor
