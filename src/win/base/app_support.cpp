// Small Win32 services of the program frame.
#include "win/base/app_support.h"

#include <commctrl.h>

#include <vector>

#include "win/base/resource_ids.h"
#include "look/window_rules.h"

namespace vantor {

bool ModuleDirectory(std::u16string* directory) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return false;
    if (length < buffer.size()) {
      *directory = DirectoryOfModulePath(FromWide(buffer.data(), length));
      return true;
    }
    if (buffer.size() >= 32768) return false;
    buffer.resize(buffer.size() * 2);
  }
}

bool SettingsPath(std::u16string* path) {
  std::u16string directory;
  if (!ModuleDirectory(&directory)) return false;
  *path = SettingsPathInDirectory(directory);
  return true;
}

ATOM RegisterControlClass(const wchar_t* className, WNDPROC procedure, HINSTANCE instance) {
  WNDCLASSW wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_VANTOR));
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = className;
  return RegisterClassW(&wc);
}

void InitAppCommonControls() {
  INITCOMMONCONTROLSEX icc{};
  icc.dwSize = sizeof(icc);
  // Bars as the frame always had, and the up-down buttons of the options dialogs.
  icc.dwICC = ICC_BAR_CLASSES | ICC_COOL_CLASSES | ICC_UPDOWN_CLASS;
  InitCommonControlsEx(&icc);
}

std::wstring LoadResourceString(HINSTANCE instance, UINT id) {
  wchar_t buffer[100] = {};
  const int length = LoadStringW(instance, id, buffer, 100);
  return std::wstring(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(window, text.data(), length + 1);
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return text;
}

void CentreDialogOverOwner(HWND dialog) {
  RECT area{};
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (owner != nullptr) {
    GetClientRect(owner, &area);
    MapWindowPoints(owner, nullptr, reinterpret_cast<POINT*>(&area), 2);
  } else {
    GetWindowRect(GetDesktopWindow(), &area);
  }
  // A main window near the screen's edge must not push the dialog's buttons out of reach.
  RECT work{};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoW(MonitorFromRect(&area, MONITOR_DEFAULTTONEAREST), &monitor)) {
    work = monitor.rcWork;
  } else {
    GetWindowRect(GetDesktopWindow(), &work);
  }
  RECT box{};
  GetWindowRect(dialog, &box);
  int left = 0;
  int top = 0;
  CentreOver(PixelRect{area.left, area.top, area.right, area.bottom}, box.right - box.left, box.bottom - box.top,
             PixelRect{work.left, work.top, work.right, work.bottom}, &left, &top);
  SetWindowPos(dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool EnableScanner(bool enable) { return enable; }

}  // namespace vantor
