// The message loop of the main thread and its accelerator filter.
#include "app/message_loop_win.h"

#include "app/vdx_messages.h"

namespace vantor {

bool CMessageLoop::SetFilter(CMessageFilter* filter) {
  filter_ = filter;
  return true;
}

bool CMessageLoop::ClearFilter() {
  filter_ = nullptr;
  return true;
}

bool CMessageLoop::FilterMessage(MSG* message) {
  return filter_ != nullptr && filter_->FilterMessage(message);
}

int CMessageLoop::Run() {
  for (;;) {
    const BOOL got = GetMessageW(&message_, nullptr, 0, 0);
    if (got == -1) continue;
    if (got == 0) break;
    if (!FilterMessage(&message_)) {
      TranslateMessage(&message_);
      DispatchMessageW(&message_);
    }
  }
  return static_cast<int>(message_.wParam);
}

bool CAppFrame::FilterMessage(MSG* message) {
  if (accelerators_ == nullptr) return false;
  return TranslateAcceleratorW(mainWindow_, accelerators_, message) != 0;
}

void CAppFrame::RequestLayout() {
  if (IsWindow(mainWindow_)) SendMessageW(mainWindow_, WM_VDX_ARRANGE, 0, 0);
}

}  // namespace vantor
