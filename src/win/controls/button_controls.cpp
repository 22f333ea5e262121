// Window procedures of push buttons, select buttons, check boxes and radio buttons: the value lives in the
// record's text, changes are reported to the main window, painting goes through the painters.
#include "win/controls/button_controls.h"

#include <vector>

#include "win/base/keys.h"
#include "win/base/messages.h"
#include "win/base/gdi.h"
#include "settings/settings.h"
#include "win/controls/button_painters.h"
#include "model/field.h"
#include "win/controls/gdi_metrics.h"
#include "model/page.h"
#include "win/controls/page_window.h"

namespace vantor {

namespace {

void Redraw(HWND window, bool erase) {
  InvalidateRect(window, nullptr, erase ? TRUE : FALSE);
  UpdateWindow(window);
}

// Sends the notices in order. The main window may act on the screen while it handles them, so the
// caller must look its record up again afterwards.
void Report(HWND notify, const std::vector<Notice>& notices, int id) {
  for (const Notice& notice : notices) {
    switch (notice.kind) {
      case Notice::FieldChanged:
        SendMessageW(notify, WM_VDX_FIELD_CHANGED, static_cast<WPARAM>(notice.value), 0);
        break;
      case Notice::Key:
        SendMessageW(notify, WM_VDX_KEY, static_cast<WPARAM>(id), static_cast<LPARAM>(notice.value & 0xFFFF));
        break;
      case Notice::Navigate:
        SendMessageW(notify, WM_VDX_NAVIGATE, static_cast<WPARAM>(static_cast<INT_PTR>(notice.value)), 0);
        break;
    }
  }
}

// Toggle (check box, select button) or select (radio button) by the operator; true when something changed.
bool Change(HWND window, Field& field, HWND notify, ButtonKind kind) {
  if (kind == ButtonKind::RadioButton) {
    const std::vector<Field*> changed = SelectRadio(field);
    if (changed.empty()) return false;
    for (Field* record : changed) {
      HWND control = reinterpret_cast<HWND>(record->link.window);
      if (control != nullptr && control != window && IsWindow(control)) Redraw(control, true);
    }
  } else if (!ToggleValue(field)) {
    return false;
  } else {
    Redraw(window, false);
  }
  const std::vector<Notice> notices = ChangeNotices(field);
  Report(notify, notices, field.id);
  return true;
}

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

void OnKey(HWND window, Field& field, const PageWindowState& page, ButtonKind kind, WPARAM virtualKey) {
  const ButtonKeyResult result = ButtonKey(kind, field.Mode() == kModeInput, static_cast<unsigned>(virtualKey),
                                           HeldModifiers(), page.settings->EnterSendsKey());
  switch (result.act) {
    case ButtonKeyResult::None: break;
    case ButtonKeyResult::Toggle:
    case ButtonKeyResult::Select: Change(window, field, page.notify, kind); break;
    case ButtonKeyResult::Navigate: Report(page.notify, {Notice{Notice::Navigate, result.value}}, field.id); break;
    case ButtonKeyResult::Key: Report(page.notify, {Notice{Notice::Key, result.value}}, field.id); break;
  }
}

void OnTap(HWND window, Field& field, const PageWindowState& page, ControlWindowState& state, ButtonKind kind) {
  if (field.Mode() != kModeInput) return;
  if (kind == ButtonKind::Button) {
    field.edit.modified = true;
    state.pressed = !state.pressed;
    Redraw(window, false);
    SetCapture(window);
    return;
  }
  const HWND notify = page.notify;
  const bool changed = Change(window, field, notify, kind);
  // The report may have rebuilt the page: only a control that still has its record goes on.
  if (!IsWindow(window) || FieldOfControl(window) != &field) return;
  if (changed && kind == ButtonKind::RadioButton) Redraw(window, false);
  if (changed) SetCapture(window);
}

}  // namespace

LRESULT ButtonFamilyProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, ButtonKind kind) {
  if (message == WM_CREATE) {
    const ControlContext context = AttachControlAtCreate(window, lparam);
    if (context) context.state->look.colours = ButtonColours();
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
      if (kind != ButtonKind::SelectButton) {
        SendMessageW(page->notify, WM_VDX_FIELD_FOCUSED, static_cast<WPARAM>(field->id), 0);
      }
      return 0;
    case WM_KILLFOCUS:
      state.pressed = false;
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_KEYUP:
    case WM_CHAR: return 0;
    case WM_LBUTTONDOWN: OnTap(window, *field, *page, state, kind); return 0;
    case WM_LBUTTONUP:
      if (kind == ButtonKind::Button && field->Mode() == kModeInput) {
        state.pressed = false;
        Redraw(window, false);
        ReleaseCapture();
        // A tap ends as Enter on the button.
        SendMessageW(window, WM_KEYDOWN, VK_RETURN, 1);
        return 0;
      }
      ReleaseCapture();
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: OnKey(window, *field, *page, kind, wparam); return 0;
    default: break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace vantor
