// The page window: control windows from the field records, blink timer, page keys and painting.
#include "win/controls/page_window.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

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
#include "win/controls/page_refresh.h"

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

// The controls that show a record hear the tick; the pool's windows do not.
void BlinkTick(PageWindowState& state) {
  state.blinkPhase = !state.blinkPhase;
  const std::vector<HWND> controls = state.controls.Order();
  for (HWND control : controls) {
    if (FieldOfControl(control) != nullptr) SendMessageW(control, WM_VDX_BLINK, 0, state.blinkPhase ? 1 : 0);
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

ControlColours ColoursAtCreation(ControlKind kind, const Field& field, const Settings& settings) {
  switch (kind) {
    case ControlKind::Entry: return EntryFieldColours(field, settings);
    case ControlKind::Fixed: return FixedTextColours(settings);
    case ControlKind::System: return SystemLineColours();
    case ControlKind::Button:
    case ControlKind::SelectButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton: return ButtonColours();
    case ControlKind::None: break;
  }
  return {};
}

void TrackControlInput(HWND control, UINT message) {
  if (message != WM_SETFOCUS && message != WM_KILLFOCUS && message != WM_CAPTURECHANGED) return;
  ControlWindowState* state = ControlStateOf(control);
  if (state == nullptr) return;
  if (message == WM_CAPTURECHANGED) {
    state->captured = false;
  } else {
    state->focused = message == WM_SETFOCUS;
  }
}

ControlContext AttachControlAtCreate(HWND control, LPARAM createParams, ControlKind kind) {
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
  state->kind = kind;
  state->look.colours = ColoursAtCreation(kind, *field, *page->settings);
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
  // A page detached from its objects has forgotten its windows already.
  const HWND page = GetParent(control);
  if (auto* pageState =
          page != nullptr ? reinterpret_cast<PageWindowState*>(GetWindowLongPtrW(page, GWLP_USERDATA)) : nullptr) {
    pageState->controls.Destroyed(control);
  }
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
    if (message == WM_DESTROY) {
      KillTimer(window, kBlinkTimer);
      KillTimer(window, kSettleTimer);
    }
    return DefWindowProcW(window, message, wparam, lparam);
  }
  switch (message) {
    case WM_DESTROY:
      KillTimer(window, kBlinkTimer);
      KillTimer(window, kSettleTimer);
      state->settleTimerSet = false;
      state->controls.Clear();  // the controls go with the page
      return 0;
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_PAINT:
      if (!state->page->shown) break;
      PaintPage(window, *state);
      return 0;
    case WM_ERASEBKGND:
      if (!state->page->shown) break;
      return 1;
    case WM_ENABLE:
      // Painted again once, when the thread is idle.
      if (wparam == 1) RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: PageKey(*state, wparam); return 0;
    case WM_TIMER:
      if (wparam == kBlinkTimer) BlinkTick(*state);
      if (wparam == kSettleTimer) SettlePage(window);
      return 0;
    case WM_VDX_RELAYOUT: RelayoutPage(window); return 0;
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

void DetachPageWindow(HWND page) {
  if (page == nullptr || !IsWindow(page)) return;
  for (HWND child = GetWindow(page, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ControlWindowState* state = ControlStateOf(child)) state->field = nullptr;
  }
  KillTimer(page, kSettleTimer);
  if (auto* state = reinterpret_cast<PageWindowState*>(GetWindowLongPtrW(page, GWLP_USERDATA))) {
    if (state->page != nullptr) state->page->window = 0;
    state->page = nullptr;
    state->settleTimerSet = false;
    state->controls.Clear();
  }
  SetWindowLongPtrW(page, GWLP_USERDATA, 0);
}

void PlacePageWindow(HWND mainWindow, HWND page, bool front) {
  const bool visible = (GetWindowLongW(page, GWL_STYLE) & WS_VISIBLE) != 0;
  if (!front) {
    // A page already hidden stays where it is: the page brought to the front is placed on its own.
    if (visible) SetWindowPos(page, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_HIDEWINDOW);
    return;
  }
  HWND after = HWND_TOP;
  HWND topmost = GetWindow(mainWindow, GW_CHILD);
  if (topmost != nullptr && topmost != page) {
    wchar_t name[32] = {};
    GetClassNameW(topmost, name, 32);
    if (lstrcmpW(name, kLockIndicatorClass) == 0) after = topmost;
  }
  const bool inPlace = after == HWND_TOP ? topmost == page : GetWindow(after, GW_HWNDNEXT) == page;
  if (visible && inPlace) return;
  SetWindowPos(page, after, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
}

}  // namespace vantor
