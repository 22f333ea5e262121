// The controls' requests as messages to the main window.
#include "win/controls/notify_requests.h"

#include "win/base/messages.h"

namespace vantor {

namespace {

// A field id or direction in wParam, sign-extended.
WPARAM Signed(int value) { return static_cast<WPARAM>(static_cast<INT_PTR>(value)); }

}  // namespace

bool NotifyRequests::KeyPressed(int field, FunctionKey key) {
  SendMessageW(notify_, WM_VDX_KEY, Signed(field), static_cast<LPARAM>(CodeOf(key)));
  return true;
}

bool NotifyRequests::EnterPressed(int field) {
  SendMessageW(notify_, WM_VDX_ENTER, Signed(field), 0);
  return true;
}

bool NotifyRequests::FieldChanged(int field) {
  SendMessageW(notify_, WM_VDX_FIELD_CHANGED, Signed(field), 0);
  return true;
}

void NotifyRequests::FieldFocused(int field) { SendMessageW(notify_, WM_VDX_FIELD_FOCUSED, Signed(field), 0); }

void NotifyRequests::Navigate(Direction direction) {
  SendMessageW(notify_, WM_VDX_NAVIGATE, Signed(static_cast<int>(direction)), 0);
}

}  // namespace vantor
