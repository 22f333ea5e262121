// Focus and input rules shared by the end of a screen record and the operator's requests.
#include "interpreter/focus.h"

namespace vantor {

void FocusCurrentPage(Screen& screen, ScreenView& view) {
  Page* page = screen.CurrentPage();
  if (page == nullptr) return;
  if (screen.focusField < 0) {
    view.FocusPage(*page);
    return;
  }
  Field* field = page->Fields().Find(screen.focusField);
  if (field != nullptr && field->link.window != kNoWindow) view.FocusField(*page, *field);
}

void PlaceFocus(Screen& screen, ScreenView& view) {
  view.HideLock();
  FocusCurrentPage(screen, view);
}

void InputOn(Screen& screen, ScreenView& view) {
  screen.keyboard = Keyboard::Ready;
  view.EnableInput(screen.currentPage);
  PlaceFocus(screen, view);
}

void Lock(ScreenView& view, LockMode mode) {
  view.DisableInput();
  view.ShowLock(mode);
}

void DiscardRemoved(RemovedFields& removed, ScreenView& view) {
  for (const auto& field : removed) {
    if (field->link.window != kNoWindow)
      view.DiscardWindow(field->page != nullptr ? field->page->Number() : -1, field->link.window);
  }
  removed.clear();
}

}  // namespace vantor
