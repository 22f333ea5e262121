// The message loop of the main thread and its accelerator filter.
#include "win/base/message_loop.h"

namespace vantor {

bool MessageLoop::SetFilter(MessageFilter* filter) {
  filter_ = filter;
  return true;
}

bool MessageLoop::ClearFilter() {
  filter_ = nullptr;
  return true;
}

bool MessageLoop::FilterMessage(MSG* message) { return filter_ != nullptr && filter_->FilterMessage(message); }

int MessageLoop::Run() {
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

bool AppFrame::FilterMessage(MSG* message) {
  if (accelerators_ == nullptr) return false;
  return TranslateAcceleratorW(mainWindow_, accelerators_, message) != 0;
}

}  // namespace vantor
