// Refresh plans carried out on the page's control windows, with its pool of windows no record holds.
#include "win/controls/page_refresh.h"

#include <string>
#include <vector>

#include "look/cell_metrics.h"
#include "model/control_kind.h"
#include "model/field.h"
#include "model/page.h"
#include "settings/settings.h"
#include "win/base/app_support.h"
#include "win/base/gdi.h"
#include "win/controls/control_classes.h"
#include "win/controls/gdi_metrics.h"
#include "win/controls/page_window.h"

namespace vantor {

namespace {

constexpr DWORD kControlStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

HWND AsWindow(WindowHandle handle) { return reinterpret_cast<HWND>(handle); }

bool Visible(HWND window) { return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

// One settling of a page's control windows. What changes the page's layout (a window made, moved,
// shown, hidden, reordered or destroyed) happens with the page's redraw off and ends in one
// invalidation of the page and all its controls; a window only made over in place is invalidated alone.
class PageUpdate {
 public:
  PageUpdate(HWND page, PageWindowState& state)
      : page_(page), state_(state), pool_(state.controls), pageVisible_(Visible(page)) {}
  PageUpdate(const PageUpdate&) = delete;
  PageUpdate& operator=(const PageUpdate&) = delete;

  // A record that keeps its window: the next one in id order.
  void Keep(Field& field);
  // A record whose window is made now, from the pool when it has one of the record's kind.
  void Make(Field& field);
  // A window the plan itself takes from its record (a record made anew).
  void Discard(HWND window) { Detach(window, state_); }
  // The kept windows and the discarded ones destroyed (the cells change size).
  void DestroyPool();
  // Every live window moved to its record's cells, and everything painted again.
  void MoveToCells();
  // Hides and keeps what no record took, places everything in one batch and has the page painted.
  void Finish();

  // Lets the window go from its record into the pool's discarded windows; false when it has no state.
  static bool Detach(HWND window, PageWindowState& state);

 private:
  struct Move {
    HWND window;
    HWND after;  // null: the z-order stays
    ControlBox box;
    UINT flags;
  };

  bool MakeOver(HWND window, Field& field);
  HWND CreateFor(Field& field, const wchar_t* className, const ControlBox& box, bool visible);
  // Keeps the live windows in id order: a window that stands above the last one placed is moved
  // below it. Returns the window to put it after, or null when it stands right.
  HWND Order(HWND window);
  void RedrawOff();
  void Destroy(HWND window);
  // Invalidates the windows made over in place (no layout changed).
  void RepaintInPlace();

  HWND page_;
  PageWindowState& state_;
  ControlPool& pool_;
  const bool pageVisible_;
  bool redrawOff_ = false;
  bool repaintAll_ = false;
  int lastPlace_ = -1;  // in the pool's order, of the last window placed
  HWND last_ = nullptr;
  std::vector<Move> moves_;
  std::vector<HWND> repaint_;
};

void PageUpdate::RepaintInPlace() {
  std::vector<HWND> shown;
  for (HWND window : repaint_) {
    if (Visible(window)) shown.push_back(window);
  }
  if (shown.size() <= 1) {
    for (HWND window : shown) InvalidateRect(window, nullptr, TRUE);
    return;
  }
  // One invalidation of their cells for the controls, none for the page under them.
  gdi::Object<HRGN> cells(CreateRectRgn(0, 0, 0, 0));
  for (HWND window : shown) {
    const ControlBox& box = ControlStateOf(window)->box;
    gdi::Object<HRGN> cell(CreateRectRgn(box.x, box.y, box.x + box.width, box.y + box.height));
    CombineRgn(cells.get(), cells.get(), cell.get(), RGN_OR);
  }
  RedrawWindow(page_, nullptr, cells.get(), RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  RedrawWindow(page_, nullptr, cells.get(), RDW_VALIDATE | RDW_NOCHILDREN);
}

bool PageUpdate::Detach(HWND window, PageWindowState& state) {
  ControlWindowState* control = ControlStateOf(window);
  if (control == nullptr || control->field == nullptr) return false;
  if (control->focused) {
    // As it always was: hidden first, so that the focus leaves it (to the page, when the page can take
    // it) and the record's editing ends while the record is still there.
    ShowWindow(window, SW_HIDE);
  }
  control->field = nullptr;
  ++control->binding;
  if (control->focused) {
    // The page could not take the focus: a window without a record never keeps it.
    SetFocus(nullptr);
    DestroyCaret();
  }
  if (control->captured) ReleaseCapture();
  state.controls.AddDiscarded(window, control->kind, GetDlgCtrlID(window));
  return true;
}

void PageUpdate::RedrawOff() {
  if (redrawOff_ || !pageVisible_) return;
  SendMessageW(page_, WM_SETREDRAW, FALSE, 0);
  redrawOff_ = true;
}

HWND PageUpdate::Order(HWND window) {
  const int place = pool_.PlaceOf(window);
  const auto liveBetween = [&] {
    // Windows placed before stand at or above lastPlace_: one with a record below it comes later in id order.
    for (int at = lastPlace_ + 1; at < place; ++at) {
      const ControlWindowState* control = ControlStateOf(pool_.Order()[static_cast<std::size_t>(at)]);
      if (control != nullptr && control->field != nullptr) return true;
    }
    return false;
  };
  if (place > lastPlace_ && !liveBetween()) {
    lastPlace_ = place;
    last_ = window;
    return nullptr;
  }
  const HWND after = last_ != nullptr ? last_ : HWND_TOP;
  pool_.MoveBelow(window, last_);
  lastPlace_ = pool_.PlaceOf(window);
  last_ = window;
  return after;
}

void PageUpdate::Keep(Field& field) {
  const HWND window = AsWindow(field.link.window);
  if (const HWND after = Order(window)) moves_.push_back({window, after, {}, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE});
}

bool PageUpdate::MakeOver(HWND window, Field& field) {
  ControlWindowState* control = ControlStateOf(window);
  if (control == nullptr) return false;
  // Everything but what the window is (its kind) and where it stands (its box) starts as at creation.
  ControlWindowState fresh;
  fresh.field = &field;
  fresh.kind = control->kind;
  fresh.box = control->box;
  fresh.binding = control->binding + 1;
  fresh.look.colours = ColoursAtCreation(fresh.kind, field, *state_.settings);
  *control = fresh;
  if (GetWindowLongPtrW(window, GWLP_ID) != field.id) SetWindowLongPtrW(window, GWLP_ID, field.id);
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  const LONG wanted = static_cast<LONG>(kControlStyle | (static_cast<DWORD>(style) & WS_VISIBLE));
  if (style != wanted) SetWindowLongW(window, GWL_STYLE, wanted);
  if (GetWindowLongW(window, GWL_EXSTYLE) != 0) SetWindowLongW(window, GWL_EXSTYLE, 0);
  const std::u16string& text = field.Text();
  if (WindowText(window) != std::wstring(Wide(text), text.size())) SetWindowTextW(window, Wide(text));
  return true;
}

HWND PageUpdate::CreateFor(Field& field, const wchar_t* className, const ControlBox& box, bool visible) {
  RedrawOff();
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(page_, GWLP_HINSTANCE));
  const DWORD style = kControlStyle | (visible ? WS_VISIBLE : 0);
  HWND window = CreateWindowExW(0, className, Wide(field.Text()), style, box.x, box.y, box.width, box.height, page_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(field.id)), instance, &field);
  if (window == nullptr) return nullptr;
  pool_.Created(window);
  if (ControlWindowState* control = ControlStateOf(window)) control->box = box;
  return window;
}

void PageUpdate::Make(Field& field) {
  const ControlKind kind = ControlKindOf(field);
  const wchar_t* className = ControlClassName(kind);
  if (className == nullptr) return;
  const Settings& settings = *state_.settings;
  const ControlBox box =
      ControlBoxFor(field.column, field.row, field.width, settings.CellWidth(), settings.CellHeight());
  const bool visible = !(field.format.attributes & kAttrHidden);
  HWND window = pool_.TakeDiscarded(kind, field.id);
  if (window == nullptr) window = pool_.TakeKept(kind);
  if (window != nullptr && MakeOver(window, field)) {
    ControlWindowState& control = *ControlStateOf(window);
    UINT flags = SWP_NOACTIVATE;
    if (control.box == box) flags |= SWP_NOMOVE | SWP_NOSIZE;
    if (Visible(window) != visible) flags |= visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
    control.box = box;
    const HWND after = Order(window);
    if (after == nullptr) flags |= SWP_NOZORDER;
    constexpr UINT kInPlace = SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER;
    if (flags != kInPlace) moves_.push_back({window, after, box, flags});
    repaint_.push_back(window);
  } else {
    window = CreateFor(field, className, box, visible);
    if (window == nullptr) return;
    // Made at the bottom: moved up when records later in id order have windows.
    if (const HWND after = Order(window))
      moves_.push_back({window, after, {}, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE});
  }
  field.link.window = reinterpret_cast<WindowHandle>(window);
}

void PageUpdate::Destroy(HWND window) {
  RedrawOff();
  DestroyWindow(window);  // its WM_NCDESTROY takes it out of the pool
}

void PageUpdate::DestroyPool() {
  for (HWND window : pool_.TakeAllKept()) Destroy(window);
  for (HWND window : pool_.TakeAllDiscarded()) Destroy(window);
}

void PageUpdate::MoveToCells() {
  const Settings& settings = *state_.settings;
  const std::vector<HWND> order = pool_.Order();
  for (HWND window : order) {
    ControlWindowState* control = ControlStateOf(window);
    const Field* field = control != nullptr ? control->field : nullptr;
    if (field == nullptr || AsWindow(field->link.window) != window) continue;
    const ControlBox box =
        ControlBoxFor(field->column, field->row, field->width, settings.CellWidth(), settings.CellHeight());
    if (box == control->box) continue;
    control->box = box;
    moves_.push_back({window, nullptr, box, SWP_NOZORDER | SWP_NOACTIVATE});
  }
  repaintAll_ = true;
}

void PageUpdate::Finish() {
  for (HWND window : pool_.TakeAllDiscarded()) {
    ControlWindowState* control = ControlStateOf(window);
    if (control == nullptr || !pool_.Keep(control->kind, window)) {
      Destroy(window);
      continue;
    }
    if (GetWindowLongPtrW(window, GWLP_ID) != kKeptControlId) SetWindowLongPtrW(window, GWLP_ID, kKeptControlId);
    if (Visible(window)) {
      moves_.push_back({window, nullptr, {}, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE});
    }
  }
  if (!moves_.empty()) {
    RedrawOff();
    HDWP batch = BeginDeferWindowPos(static_cast<int>(moves_.size()));
    for (const Move& move : moves_) {
      if (batch == nullptr) break;
      batch = DeferWindowPos(batch, move.window, move.after, move.box.x, move.box.y, move.box.width, move.box.height,
                             move.flags);
    }
    // A batch that could not take every position is dropped whole: each is then set on its own.
    if (batch != nullptr) {
      EndDeferWindowPos(batch);
    } else {
      for (const Move& move : moves_) {
        SetWindowPos(move.window, move.after, move.box.x, move.box.y, move.box.width, move.box.height, move.flags);
      }
    }
  }
  if (repaintAll_) RedrawOff();
  if (redrawOff_) {
    SendMessageW(page_, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(page_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  } else {
    RepaintInPlace();
  }
  if (state_.settleTimerSet) {
    KillTimer(page_, kSettleTimer);
    state_.settleTimerSet = false;
  }
}

}  // namespace

void ApplyRefreshPlan(HWND page, const RefreshPlan& plan) {
  PageWindowState* state = PageStateOf(page);
  if (state == nullptr) return;
  PageUpdate update(page, *state);
  for (const RefreshStep& step : plan) {
    Field& field = *step.field;
    switch (step.change) {
      case WindowChange::Touch: update.Keep(field); break;
      case WindowChange::Create: update.Make(field); break;
      case WindowChange::Recreate:
        if (field.link.window != kNoWindow) {
          update.Discard(AsWindow(field.link.window));
          field.link.window = kNoWindow;
        }
        update.Make(field);
        break;
    }
  }
  update.Finish();
}

void DiscardControlWindow(HWND control) {
  if (!IsWindow(control)) return;
  const HWND page = GetParent(control);
  PageWindowState* state = PageStateOf(page);
  if (state == nullptr || !PageUpdate::Detach(control, *state)) {
    ShowWindow(control, SW_HIDE);
    if (ControlWindowState* detached = ControlStateOf(control)) detached->field = nullptr;
    DestroyWindow(control);
    return;
  }
  if (!state->settleTimerSet) state->settleTimerSet = SetTimer(page, kSettleTimer, 0, nullptr) != 0;
}

void SettlePage(HWND page) {
  PageWindowState* state = PageStateOf(page);
  if (state == nullptr) return;
  PageUpdate(page, *state).Finish();
}

void RelayoutPage(HWND page) {
  PageWindowState* state = PageStateOf(page);
  if (state == nullptr) return;
  ComputePageMetrics(page, *state->settings);
  PageUpdate update(page, *state);
  update.DestroyPool();
  update.MoveToCells();
  update.Finish();
}

}  // namespace vantor
