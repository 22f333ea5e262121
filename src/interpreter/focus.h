// Focus and input rules shared by the end of a screen record and the operator's requests.
#pragma once

#include "interpreter/screen.h"
#include "interpreter/screen_view.h"

namespace vantor {

// The focus field's control asks for the focus, or the page takes it when there is no focus field;
// nothing when the current page does not exist or the field has no window.
void FocusCurrentPage(Screen& screen, ScreenView& view);
// The lock indicator goes, then FocusCurrentPage.
void PlaceFocus(Screen& screen, ScreenView& view);
// Keyboard ready, the current page takes input, focus placed.
void InputOn(Screen& screen, ScreenView& view);
// No page takes input and the lock indicator shows.
void Lock(ScreenView& view, LockMode mode);
// The windows of removed records are discarded, then the records freed.
void DiscardRemoved(RemovedFields& removed, ScreenView& view);

}  // namespace vantor
