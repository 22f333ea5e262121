// The page window: control windows from the field records, blink timer, page keys and painting.
#include "win/controls/page_window.h"

#include <algorithm>
#include <memory>
#include <string>

#include "look/cell_metrics.h"
#include "look/text_paint_rules.h"
#include "model/control_kind.h"
#include "model/field.h"
#include "model/page.h"
#include "settings/settings.h"
#include "win/base/app_support.h"
#include "win/base/gdi.h"
#include "win/base/keys.h"
#include "win/base/messages.h"
#include "win/controls/control_classes.h"
#include "win/controls/gdi_metrics.h"
#include "win/controls/notify_requests.h"

namespace vantor {

namespace {

// The page's name repeated down the page in large pale letters, under the controls.
void PaintWatermark(HDC dc, const RECT& client, const Settings& settings) {
  const std::u16string& text = settings.WatermarkText();
  if (!settings.ShowWatermark() || text.empty() || client.bottom <= client.top) return;
  const RECT inner{client.left + 1, client.top + 1, client.right - 1, client.bottom - 1};
  const int length = static_cast<int>(text.size());
  auto makeFont = [&](int height, int width) {
    LOGFONTW font{};
    font.lfHeight = -height;
    font.lfWidth = width;
    font.lfWeight = 700;
    font.lfCharSet = 0;
    font.lfPitchAndFamily = 0x10;
    font.lfOutPrecision = static_cast<BYTE>(settings.FontOutPrecision());
    font.lfQuality = static_cast<BYTE>(settings.FontQuality());
    return gdi::Font(CreateFontIndirectW(&font));
  };
  const WatermarkFont size = FitWatermark(inner.right - inner.left, length, [&](int height, int width) {
    gdi::Font font = makeFont(height, width);
    gdi::Select select(dc, font.get());
    RECT measured = inner;
    DrawTextW(dc, Wide(text), length, &measured, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    return static_cast<int>(measured.right - inner.left);
  });
  if (size.width == 0) return;
  gdi::Font font = makeFont(size.height, size.width);
  gdi::Select select(dc, font.get());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  const int band = std::max<int>(1, tm.tmHeight);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, WatermarkColour(settings));
  for (int top = client.top; top < client.bottom; top += band + 1) {
    RECT line{client.left, top, client.right, top + band};
    DrawTextW(dc, Wide(text), length, &line, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

void PaintPage(HWND window, PageWindowState& state) {
  gdi::PaintDc paint(window);
  RECT client{};
  GetClientRect(window, &client);
  const COLORREF background = state.settings->CustomColours() ? state.settings->BackgroundColour()
                                                              : static_cast<COLORREF>(state.page->background);
  {
    gdi::Canvas canvas(paint.get(), client.right, client.bottom);
    if (canvas.ok()) {
      gdi::Brush brush = gdi::SolidBrush(background);
      FillRect(canvas.dc(), &client, brush.get());
      SetBkColor(canvas.dc(), background);
      PaintWatermark(canvas.dc(), client, *state.settings);
      canvas.Present(paint.get());
    }
  }
  ComputePageMetrics(window, *state.settings);
}

// New metrics, then every control moved to its cells without repainting, and repainted.
void Relayout(HWND window, PageWindowState& state) {
  ComputePageMetrics(window, *state.settings);
  const int cellWidth = state.settings->CellWidth();
  const int cellHeight = state.settings->CellHeight();
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    Field* field = state.page->Fields().Find(GetDlgCtrlID(child));
    if (field == nullptr || reinterpret_cast<HWND>(field->link.window) != child) continue;
    const ControlBox box = ControlBoxFor(field->column, field->row, field->width, cellWidth, cellHeight);
    MoveWindow(child, box.x, box.y, box.width, box.height, FALSE);
    InvalidateRect(child, nullptr, TRUE);
    UpdateWindow(child);
  }
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
}

void BlinkTick(HWND window, PageWindowState& state) {
  state.blinkPhase = !state.blinkPhase;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    SendMessageW(child, WM_VDX_BLINK, 0, state.blinkPhase ? 1 : 0);
  }
}

void RefreshInPlace(HWND window) {
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    SetWindowPos(child, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER);
    InvalidateRect(child, nullptr, TRUE);
    UpdateWindow(child);
  }
}

void PageKey(PageWindowState& state, WPARAM virtualKey) {
  const KeyAction action = FunctionKeyAction(static_cast<unsigned>(virtualKey), HeldModifiers(),
                                             state.settings->EnterSendsKey(), KeyOrigin::Page);
  if (action.kind == KeyAction::Code) NotifyRequests(state.notify).KeyPressed(-1, FunctionKeyFromCode(action.code));
}

}  // namespace

bool IsPageWindow(HWND window) {
  wchar_t name[32] = {};
  return window != nullptr && GetClassNameW(window, name, 32) > 0 && lstrcmpW(name, kPageClass) == 0;
}

PageWindowState* PageStateOf(HWND page) {
  if (page == nullptr) return nullptr;
  auto* state = reinterpret_cast<PageWindowState*>(GetWindowLongPtrW(page, GWLP_USERDATA));
  return state != nullptr && state->page != nullptr ? state : nullptr;
}

PageWindowState* PageStateOfControl(HWND control) { return PageStateOf(GetParent(control)); }

ControlWindowState* ControlStateOf(HWND control) {
  return control != nullptr ? reinterpret_cast<ControlWindowState*>(GetWindowLongPtrW(control, GWLP_USERDATA))
                            : nullptr;
}

Field* FieldOfControl(HWND control) {
  const ControlWindowState* state = ControlStateOf(control);
  return state != nullptr ? state->field : nullptr;
}

ControlContext AttachControlAtCreate(HWND control, LPARAM createParams) {
  const auto* create = reinterpret_cast<const CREATESTRUCTW*>(createParams);
  auto* field = static_cast<Field*>(create->lpCreateParams);
  PageWindowState* page = PageStateOf(create->hwndParent);
  if (field == nullptr || page == nullptr || page->page == nullptr || page->settings == nullptr) {
    SetWindowLongPtrW(control, GWLP_USERDATA, 0);
    return {};
  }
  // Owned by the window from here on: released at WM_NCDESTROY.
  auto state = std::make_unique<ControlWindowState>();
  state->field = field;
  SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state.get()));
  return {field, page, state.release()};
}

ControlContext ControlContextOf(HWND control) {
  ControlWindowState* state = ControlStateOf(control);
  Field* field = state != nullptr ? state->field : nullptr;
  PageWindowState* page = field != nullptr ? PageStateOfControl(control) : nullptr;
  if (page == nullptr || page->page == nullptr || page->settings == nullptr) return {};
  return {field, page, state};
}

void ReleaseControlState(HWND control) {
  std::unique_ptr<ControlWindowState> state(ControlStateOf(control));
  SetWindowLongPtrW(control, GWLP_USERDATA, 0);
}

LRESULT OrphanControlMessage(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CLOSE) {
    DestroyWindow(control);
    return 0;
  }
  return DefWindowProcW(control, message, wparam, lparam);
}

bool PageWindowShown(HWND page) {
  const PageWindowState* state = PageStateOf(page);
  return state != nullptr && state->page->shown;
}

LRESULT CALLBACK PageWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    auto* state = static_cast<PageWindowState*>(create->lpCreateParams);
    if (state == nullptr || state->page == nullptr || state->settings == nullptr) {
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      return 0;
    }
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    ComputePageMetrics(window, *state->settings);
    SetTimer(window, kBlinkTimer, kBlinkPeriodMs, nullptr);
    return 0;
  }
  PageWindowState* state = PageStateOf(window);
  if (state == nullptr) {
    if (message == WM_CLOSE) {
      DestroyWindow(window);
      return 0;
    }
    if (message == WM_DESTROY) KillTimer(window, kBlinkTimer);
    return DefWindowProcW(window, message, wparam, lparam);
  }
  switch (message) {
    case WM_DESTROY: KillTimer(window, kBlinkTimer); return 0;
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_PAINT:
      if (!state->page->shown) break;
      PaintPage(window, *state);
      return 0;
    case WM_ERASEBKGND:
      if (!state->page->shown) break;
      return 1;
    case WM_ENABLE:
      if (wparam == 1) RefreshInPlace(window);
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: PageKey(*state, wparam); return 0;
    case WM_TIMER:
      if (wparam == kBlinkTimer) BlinkTick(window, *state);
      return 0;
    case WM_VDX_RELAYOUT: Relayout(window, *state); return 0;
    default: break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

HWND CreatePageWindow(HWND mainWindow, HINSTANCE instance, PageWindowState* state) {
  RECT client{};
  GetClientRect(mainWindow, &client);
  HWND page = CreateWindowExW(
      0, kPageClass, L"PAGE", WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
      client.right - client.left, client.bottom - client.top, mainWindow, nullptr, instance, state);
  if (page != nullptr && state != nullptr && state->page != nullptr) {
    state->page->window = reinterpret_cast<std::uintptr_t>(page);
  }
  return page;
}

void ApplyRefreshPlan(HWND page, const RefreshPlan& plan) {
  const PageWindowState* state = PageStateOf(page);
  if (state == nullptr) return;
  for (const RefreshStep& step : plan) {
    Field& field = *step.field;
    switch (step.change) {
      case WindowChange::Touch:
        SetWindowPos(reinterpret_cast<HWND>(field.link.window), nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER);
        break;
      case WindowChange::Create: CreateControlWindow(page, field, *state->settings); break;
      case WindowChange::Recreate:
        if (field.link.window != kNoWindow) {
          DiscardControlWindow(reinterpret_cast<HWND>(field.link.window));
          field.link.window = kNoWindow;
        }
        if (HWND created = CreateControlWindow(page, field, *state->settings)) InvalidateRect(created, nullptr, TRUE);
        break;
    }
  }
}

HWND CreateControlWindow(HWND page, Field& field, const Settings& settings) {
  const wchar_t* className = ControlClassName(ControlKindOf(field));
  if (className == nullptr) return nullptr;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  if (!(field.format.attributes & kAttrHidden)) style |= WS_VISIBLE;
  const ControlBox box =
      ControlBoxFor(field.column, field.row, field.width, settings.CellWidth(), settings.CellHeight());
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(page, GWLP_HINSTANCE));
  HWND control = CreateWindowExW(0, className, Wide(field.Text()), style, box.x, box.y, box.width, box.height, page,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(field.id)), instance, &field);
  if (control == nullptr) return nullptr;
  SetWindowPos(control, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER);
  field.link.window = reinterpret_cast<std::uintptr_t>(control);
  return control;
}

void DiscardControlWindow(HWND control) {
  if (!IsWindow(control)) return;
  ShowWindow(control, SW_HIDE);
  if (ControlWindowState* state = ControlStateOf(control)) state->field = nullptr;
  DestroyWindow(control);
}

void DetachPageWindow(HWND page) {
  if (page == nullptr || !IsWindow(page)) return;
  for (HWND child = GetWindow(page, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ControlWindowState* state = ControlStateOf(child)) state->field = nullptr;
  }
  if (auto* state = reinterpret_cast<PageWindowState*>(GetWindowLongPtrW(page, GWLP_USERDATA))) {
    if (state->page != nullptr) state->page->window = 0;
    state->page = nullptr;
  }
  SetWindowLongPtrW(page, GWLP_USERDATA, 0);
}

void PlacePageWindow(HWND mainWindow, HWND page, bool front) {
  if (!front) {
    SetWindowPos(page, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_HIDEWINDOW);
    return;
  }
  HWND after = HWND_TOP;
  HWND topmost = GetWindow(mainWindow, GW_CHILD);
  if (topmost != nullptr && topmost != page) {
    wchar_t name[32] = {};
    GetClassNameW(topmost, name, 32);
    if (lstrcmpW(name, kLockIndicatorClass) == 0) after = topmost;
  }
  SetWindowPos(page, after, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
}

}  // namespace vantor
