// Small helpers the options dialogs share for their controls and for ending with a result.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <string>

#include "app/app_support_win.h"

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

}  // namespace vantor
