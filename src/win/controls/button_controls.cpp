// Window procedures of push buttons, select buttons, check boxes and radio buttons: keys and taps go to
// the button controller, painting goes through the painters.
#include "win/controls/button_controls.h"

#include "win/base/keys.h"
#include "win/base/messages.h"
#include "win/base/gdi.h"
#include "settings/settings.h"
#include "win/controls/button_painters.h"
#include "model/button_controller.h"
#include "model/field.h"
#include "win/controls/gdi_metrics.h"
#include "model/page.h"
#include "win/controls/notify_requests.h"
#include "win/controls/page_window.h"

namespace vantor {

namespace {

void Redraw(HWND window, bool erase) {
  InvalidateRect(window, nullptr, erase ? TRUE : FALSE);
  UpdateWindow(window);
}

// The control's side of its controller: the repaints.
class WinButtonWindow final : public ButtonWindow {
 public:
  WinButtonWindow(HWND window, ControlWindowState& state) : window_(window), state_(state) {}

  void ValueChanged(Field& field) override {
    HWND control = reinterpret_cast<HWND>(field.link.window);
    if (control == window_) {
      Redraw(window_, false);
    } else if (control != nullptr && IsWindow(control)) {
      Redraw(control, true);
    }
  }
  void ShowPressed(bool pressed) override {
    state_.pressed = pressed;
    Redraw(window_, false);
  }

 private:
  HWND window_;
  ControlWindowState& state_;
};

void Paint(HWND window, const Field& field, const PageWindowState& page, const ControlWindowState& state,
           ButtonKind kind) {
  gdi::PaintDc paint(window);
  RECT client{};
  GetClientRect(window, &client);
  gdi::Canvas canvas(paint.get(), client.right, client.bottom);
  if (!canvas.ok()) return;
  const Settings& settings = *page.settings;
  const bool box = kind == ButtonKind::CheckBox || kind == ButtonKind::RadioButton;
  const bool custom = settings.CustomColours();
  const COLORREF background = box && custom ? settings.BackgroundColour() : page.page->background;
  gdi::FillSolid(canvas.dc(), client, background);
  gdi::Font font = CreateScreenFont(settings, field.Video() == kVideoBold);
  gdi::Select selectFont(canvas.dc(), font.get());
  SetTextColor(canvas.dc(), box && custom ? settings.TextColour() : state.look.colours.text);
  const int style = DrawStyleFor(kind, field);
  const bool engraved = field.Mode() == kModeDisplay;
  const bool focused = GetFocus() == window;
  const std::u16string text = field.Text();  // the painters keep views of it
  const HDC dc = canvas.dc();
  const ControlLook& look = state.look;
  const bool checked = IsCheckedText(text);
  switch (kind) {
    case ButtonKind::Button: {
      PushButtonPainter button(dc, 0, 0, client.right - 1, client.bottom - 1, LabelOf(kind, text, field.width), style,
                               field.Video() == kVideoBlink, look.blinkPhase, field.Video() == kVideoReverse, engraved,
                               &field);
      if (state.pressed)
        button.DrawPressed();
      else
        button.DrawNormal();
      if (focused) button.DrawFocus();
      break;
    }
    case ButtonKind::SelectButton: {
      SelectButtonPainter button(dc, 0, 0, client.right - 1, client.bottom - 1, text, style, &field, look);
      if (checked)
        button.DrawChecked();
      else
        button.DrawUnchecked();
      if (focused) button.DrawFocus();
      break;
    }
    case ButtonKind::CheckBox: {
      CheckBoxPainter check(dc, client, LabelOf(kind, text, field.width), style, field.width,
                            (field.format.flags & kFlagRight) != 0, field.format.checkSize, engraved, &field, look,
                            settings);
      if (checked)
        check.DrawChecked();
      else
        check.DrawUnchecked();
      if (focused) check.DrawFocus();
      break;
    }
    case ButtonKind::RadioButton: {
      RadioButtonPainter radio(dc, client, LabelOf(kind, text, field.width), style, field.width,
                               (field.format.flags & kFlagRight) != 0, field.format.checkSize, engraved, &field, look,
                               settings);
      if (checked)
        radio.DrawChecked();
      else
        radio.DrawUnchecked();
      if (focused) radio.DrawFocus();
      break;
    }
  }
  canvas.Present(paint.get());
}

ControlKind ControlKindOfButton(ButtonKind kind) {
  switch (kind) {
    case ButtonKind::Button: return ControlKind::Button;
    case ButtonKind::SelectButton: return ControlKind::SelectButton;
    case ButtonKind::CheckBox: return ControlKind::CheckBox;
    case ButtonKind::RadioButton: return ControlKind::RadioButton;
  }
  return ControlKind::None;
}

}  // namespace

LRESULT ButtonFamilyProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, ButtonKind kind) {
  TrackControlInput(window, message);
  if (message == WM_CREATE) {
    AttachControlAtCreate(window, lparam, ControlKindOfButton(kind));
    return 0;
  }
  if (message == WM_NCDESTROY) {
    ReleaseControlState(window);
    return DefWindowProcW(window, message, wparam, lparam);
  }
  const ControlContext context = ControlContextOf(window);
  if (!context) return OrphanControlMessage(window, message, wparam, lparam);
  Field* field = context.field;
  PageWindowState* page = context.page;
  ControlWindowState& state = *context.state;
  const bool shown = page->page->shown;
  WinButtonWindow buttonWindow(window, state);
  NotifyRequests requests(page->notify);
  ButtonController controller(*field, kind, page->settings->EnterSendsKey(), buttonWindow, requests);
  switch (message) {
    case WM_DESTROY: return 0;
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_PAINT:
      if (!shown) break;
      Paint(window, *field, *page, state, kind);
      return 0;
    case WM_ERASEBKGND:
      if (!shown) break;
      return 1;
    case WM_VDX_BLINK:
      if (!shown) break;
      if (field->Video() == kVideoBlink) {
        state.look.blinkPhase = lparam == 1;
        InvalidateRect(window, nullptr, FALSE);
      }
      return 0;
    case WM_SETCURSOR:
      if (lparam == kFocusRequest) {
        SetFocus(window);
        return TRUE;
      }
      break;
    case WM_SETFOCUS:
      InvalidateRect(window, nullptr, FALSE);
      controller.Focused();
      return 0;
    case WM_KILLFOCUS:
      state.pressed = false;
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_KEYUP:
    case WM_CHAR: return 0;
    case WM_LBUTTONDOWN: {
      // The terminal may rebuild the page while it handles a change: only a control that still has its
      // record holds the pointer.
      const std::uint32_t binding = state.binding;
      if (controller.Press() && IsWindow(window) && FieldOfControl(window) == field && state.binding == binding) {
        SetCapture(window);
        state.captured = true;
      }
      return 0;
    }
    case WM_LBUTTONUP:
      ReleaseCapture();
      // A tap on a push button ends as Enter on it.
      controller.Release(HeldModifiers());
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: controller.KeyDown(static_cast<unsigned>(wparam), HeldModifiers()); return 0;
    default: break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace vantor
