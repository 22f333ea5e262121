// The controls' requests to the terminal, carried to the main window as its messages.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "model/terminal_requests.h"

namespace vantor {

// Each request is sent (and handled) at once; the main window's answer does not tell whether the
// terminal took it, so every request answers true.
class NotifyRequests final : public TerminalRequests {
 public:
  explicit NotifyRequests(HWND notify) : notify_(notify) {}

  bool KeyPressed(int field, FunctionKey key) override;  // WM_VDX_KEY
  bool EnterPressed(int field) override;                 // WM_VDX_ENTER
  bool FieldChanged(int field) override;                 // WM_VDX_FIELD_CHANGED
  void FieldFocused(int field) override;                 // WM_VDX_FIELD_FOCUSED
  void Navigate(Direction direction) override;           // WM_VDX_NAVIGATE

 private:
  HWND notify_;
};

}  // namespace vantor
