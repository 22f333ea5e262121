// The terminal's view on the Win32 main window.
#include "win/app/main_window_view.h"

#include <winsock2.h>
#include <windows.h>

#include "devices/sound_board.h"
#include "model/page_list.h"
#include "win/app/main_window.h"
#include "win/app/serial_link.h"
#include "win/base/app_support.h"
#include "win/base/messages.h"
#include "win/controls/page_refresh.h"
#include "win/controls/page_window.h"
#include "win/toolbar/lock_indicator.h"
#include "win/toolbar/toolbar.h"

namespace vantor {

namespace {

HWND AsWindow(WindowHandle handle) { return reinterpret_cast<HWND>(handle); }

}  // namespace

void MainWindowView::RefreshPage(Page& page, const RefreshPlan& plan) {
  HWND window = AsWindow(page.window);
  if (window == nullptr || !IsWindow(window)) return;
  ApplyRefreshPlan(window, plan);
}

void MainWindowView::DiscardWindow(int, WindowHandle window) { DiscardControlWindow(AsWindow(window)); }

void MainWindowView::ShowPage(int page) {
  for (int n = 0; n < PageList::kPageCount; ++n) {
    HWND pageWindow = window_.PageWindow(n);
    if (pageWindow == nullptr) continue;
    PlacePageWindow(window_.Handle(), pageWindow, n == page && PageWindowShown(pageWindow));
  }
}

void MainWindowView::Relayout() { window_.RelayoutChildren(); }

void MainWindowView::FieldEdited(Field& field) {
  if (HWND control = AsWindow(field.link.window)) SendMessageW(control, WM_VDX_FIELD_EDITED, 0, 0);
}

void MainWindowView::EnableInput(int page) {
  // Keystrokes typed while the host was busy are dropped.
  MSG pending{};
  while (PeekMessageW(&pending, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
  }
  HWND window = window_.PageWindow(page);
  if (window != nullptr && !IsWindowEnabled(window)) EnableWindow(window, TRUE);
}

void MainWindowView::DisableInput() {
  for (int n = 0; n < PageList::kPageCount; ++n) {
    HWND window = window_.PageWindow(n);
    if (window != nullptr && IsWindowEnabled(window)) EnableWindow(window, FALSE);
  }
}

void MainWindowView::FocusField(Page&, Field& field) {
  if (HWND control = AsWindow(field.link.window)) {
    SendMessageW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control), kFocusRequest);
  }
}

void MainWindowView::FocusPage(Page& page) {
  if (HWND window = AsWindow(page.window)) SetFocus(window);
}

void MainWindowView::ShowLock(LockMode mode) {
  if (LockIndicator* indicator = window_.GetIndicator()) indicator->Show(mode);
}

void MainWindowView::HideLock() {
  if (LockIndicator* indicator = window_.GetIndicator()) indicator->Hide();
}

void MainWindowView::OpenHostMessage(int focusAfter) {
  PostMessageW(window_.Handle(), WM_VDX_HOST_MESSAGE, 1, static_cast<LPARAM>(focusAfter & 0xFFFF));
}

void MainWindowView::OpenHostPrompt() { PostMessageW(window_.Handle(), WM_VDX_HOST_PROMPT, 1, 0); }

void MainWindowView::CancelHostDialog() {
  HWND dialog = window_.HostDialog();
  if (dialog != nullptr && IsWindow(dialog)) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

void MainWindowView::PlaySound(SoundEvent event) { sounds_.Play(event); }

void MainWindowView::SerialOut(std::string_view bytes) {
  if (SerialChannel* serial = window_.GetSerial()) SendSerial(*serial, bytes);
}

void MainWindowView::KeyLabelChanged(int code, std::u16string_view label) {
  if (Toolbar* toolbar = window_.GetToolbar()) toolbar->SetKeyLabel(static_cast<unsigned>(code), label);
}

void MainWindowView::EnableScanner(bool enable) { vantor::EnableScanner(enable); }

void MainWindowView::Beep(std::uint32_t type) { MessageBeep(type); }

}  // namespace vantor
