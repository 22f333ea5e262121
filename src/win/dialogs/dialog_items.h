// What the options dialogs share: control helpers, ending with a result, and their message frame.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <string>

#include "win/base/app_support.h"
#include "settings/settings.h"

namespace vantor {

inline std::u16string ItemText(HWND dialog, int id) { return FromWide(WindowText(GetDlgItem(dialog, id))); }
inline void SetItemText(HWND dialog, int id, const std::u16string& text) { SetDlgItemTextW(dialog, id, Wide(text)); }
inline bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
inline void Check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

// Ends a dialog whose state (attached at WM_INITDIALOG as DWLP_USER) records the result, so that the
// modeless form the tests open reports it as the modal one does.
template <typename State>
void EndWithResult(HWND dialog, INT_PTR result) {
  if (auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(dialog, DWLP_USER))) state->result = result;
  EndDialog(dialog, result);
}

// The messages every options dialog handles alike. WM_INITDIALOG attaches the state (a dialog without
// one ends at once), centres the dialog and has `fill` show the settings; OK has `store` take the
// controls into the settings, writes the settings file and ends with 1; Cancel ends with 0 and stores
// nothing. Anything else is left to the dialog (FALSE).
template <typename State>
INT_PTR OptionsDialogMessage(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam, void (*fill)(HWND, State&),
                             void (*store)(HWND, State&)) {
  if (message == WM_INITDIALOG) {
    auto* state = reinterpret_cast<State*>(lparam);
    if (state == nullptr || state->settings == nullptr) {
      EndDialog(dialog, 0);
      return TRUE;
    }
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    CentreDialogOverOwner(dialog);
    fill(dialog, *state);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (state == nullptr) return FALSE;
  switch (LOWORD(wparam)) {
    case IDOK:
      store(dialog, *state);
      state->settings->WriteSettings();
      EndWithResult<State>(dialog, IDOK);
      return TRUE;
    case IDCANCEL: EndWithResult<State>(dialog, 0); return TRUE;
    default: return FALSE;
  }
}

}  // namespace vantor
