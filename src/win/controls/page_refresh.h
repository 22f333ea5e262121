// Carrying out a page's refresh plans: control windows made, or taken from the page's pool and made
// over for their record; placed, shown, hidden and ordered in one batch with the page's redraw off;
// painted after one invalidation.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "model/refresh_plan.h"

namespace vantor {

// Creates, re-creates and keeps the page's control windows as the plan says. A window is reused
// when the pool has one of the record's kind (the one discarded from the same id first); what it
// shows and paints is then as a new window's. Live windows stand in id order, as a page made anew
// has them. The discarded windows no record took are hidden and kept.
void ApplyRefreshPlan(HWND page, const RefreshPlan& plan);

// Lets a control window go from its record: detached at once (no later message reaches the record)
// and left where it is until the page settles (the page's next refresh, or its settle timer), where
// a record of its kind takes it over or it is hidden and kept. A control that holds the focus is
// hidden at once, as a discarded control always was, and never keeps the focus.
void DiscardControlWindow(HWND control);

// Hides and keeps the page's discarded windows that no refresh took.
void SettlePage(HWND page);

// New cell metrics: the pool emptied, every control moved to its cells in one batch, the page painted
// once.
void RelayoutPage(HWND page);

}  // namespace vantor
