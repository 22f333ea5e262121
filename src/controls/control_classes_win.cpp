// Registration of the window classes, and plain control procedures: each attaches its record at
// creation, paints its background and text double-buffered, answers the focus request and reports
// keys and focus to the main window.
#include "controls/control_classes_win.h"

#include "app/app_support_win.h"
#include "app/vdx_messages.h"
#include "common/gdi_win.h"
#include "config/settings.h"
#include "controls/button_controls_win.h"
#include "controls/field.h"
#include "controls/function_keys.h"
#include "controls/gdi_metrics_win.h"
#include "controls/page.h"
#include "controls/page_window_win.h"
#include "controls/entry_field_win.h"
#include "controls/fixed_text_win.h"
#include "controls/system_line_win.h"

namespace vantor {

namespace {

constexpr COLORREF kPageBackground = RGB(149, 178, 195);

bool KeyDown(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

bool TakesFocus(ControlClass kind) { return kind != ControlClass::Fixed && kind != ControlClass::System; }

void FillColours(CField& field, const CSettings& settings, ControlClass kind) {
  const bool custom = settings.CustomColorMode();
  FieldColours& c = field.colours;
  c.selectedFrame = RGB(255, 204, 51);
  c.selectedBackground = custom ? settings.SelectedBackGroundColor() : RGB(255, 204, 51);
  c.focusBackground = RGB(255, 240, 158);
  switch (kind) {
    case ControlClass::Entry:
      c.text = RGB(0, 0, 0);
      c.background = custom ? settings.InputBackGroundColor() : RGB(255, 255, 255);
      if (custom) c.focusBackground = settings.FocusBackGroundColor();
      c.frame = kPageBackground;
      break;
    case ControlClass::System:
      c.text = RGB(255, 0, 0);
      c.background = RGB(255, 255, 255);
      c.frame = RGB(255, 255, 255);
      c.reverseText = RGB(92, 106, 166);
      c.reverseBackground = RGB(255, 255, 255);
      c.selectedBackground = RGB(255, 204, 51);
      break;
    case ControlClass::Fixed:
      c.text = custom ? settings.ForeGroundColor() : RGB(0, 0, 0);
      c.selectedText = custom ? settings.SelectedForeGround() : RGB(0, 0, 0);
      c.background = custom ? settings.BackGroundColor() : kPageBackground;
      if (custom) c.focusBackground = settings.SelectedBackGroundColor();
      c.frame = RGB(255, 255, 255);
      c.reverseText = custom ? settings.BackGroundColor() : RGB(92, 106, 166);
      c.reverseBackground = custom ? settings.ForeGroundColor() : RGB(255, 255, 255);
      break;
    default:  // the button family
      c.text = custom ? settings.ForeGroundColor() : RGB(0, 0, 0);
      c.background = RGB(212, 208, 200);
      c.frame = RGB(64, 64, 64);
      break;
  }
}

// The text a control shows: check boxes, select and radio buttons carry their state first.
std::u16string_view ShownText(const CField& field, ControlClass kind) {
  std::u16string_view text(field.Text());
  const bool stateFirst =
      kind == ControlClass::CheckBox || kind == ControlClass::RadioButton || kind == ControlClass::SelectButton;
  if (stateFirst && !text.empty()) text.remove_prefix(1);
  return text;
}

void Paint(HWND window, CField& field, const CSettings& settings, ControlClass kind) {
  gdi::PaintDc paint(window);
  RECT client{};
  GetClientRect(window, &client);
  gdi::Canvas canvas(paint.get(), client.right, client.bottom);
  if (!canvas.ok()) return;
  const bool reverse = field.Video() == kVideoReverse;
  COLORREF background = field.hasFocus ? field.colours.focusBackground : field.colours.background;
  COLORREF text = field.colours.text;
  if (reverse && kind == ControlClass::Fixed) {
    background = field.colours.reverseBackground;
    text = field.colours.reverseText;
  }
  gdi::Brush brush = gdi::SolidBrush(background);
  FillRect(canvas.dc(), &client, brush.get());
  const bool blankedByBlink = field.Video() == kVideoBlink && field.blinkPhase == 1;
  std::u16string shown(ShownText(field, kind));
  if (kind == ControlClass::Entry && (field.flags & kFlagPassword)) shown.assign(shown.size(), u'*');
  if (!blankedByBlink && !shown.empty()) {
    gdi::Font font = CreateScreenFont(settings, field.Video() == kVideoBold);
    gdi::Select select(canvas.dc(), font.get());
    SetBkMode(canvas.dc(), TRANSPARENT);
    SetTextColor(canvas.dc(), text);
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    if (field.centred || kind == ControlClass::Button) format |= DT_CENTER;
    else if (field.flags & kFlagRight) format |= DT_RIGHT;
    DrawTextW(canvas.dc(), reinterpret_cast<const wchar_t*>(shown.c_str()), static_cast<int>(shown.size()), &client,
              format);
  }
  canvas.Present(paint.get());
}

void ReportKey(HWND window, const CField& field, const CSettings& settings, WPARAM virtualKey) {
  PageWindowState* page = PageStateOfControl(window);
  if (page == nullptr) return;
  const KeyAction action =
      FunctionKeyAction(static_cast<unsigned>(virtualKey), KeyDown(VK_CONTROL), KeyDown(VK_SHIFT), KeyDown(VK_MENU),
                        settings.fieldentertof0(), KeyOrigin::Control);
  if (action.kind == KeyAction::Code) {
    SendMessageW(page->notify, WM_VDX_KEY, static_cast<WPARAM>(field.id), static_cast<LPARAM>(action.code & 0xFFFF));
  } else if (action.kind == KeyAction::Navigate) {
    SendMessageW(page->notify, WM_VDX_NAVIGATE, 1, 0);
  }
}

[[maybe_unused]] LRESULT ControlProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, ControlClass kind) {
  if (message == WM_CREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    auto* field = static_cast<CField*>(create->lpCreateParams);
    const PageWindowState* page = PageStateOf(create->hwndParent);
    if (field == nullptr || page == nullptr) {
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      return 0;
    }
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(field));
    FillColours(*field, *page->settings, kind);
    return 0;
  }
  CField* field = FieldOfControl(window);
  PageWindowState* page = field != nullptr ? PageStateOfControl(window) : nullptr;
  if (field == nullptr || page == nullptr) {
    if (message == WM_CLOSE) {
      DestroyWindow(window);
      return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
  }
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_ERASEBKGND:
      if (!page->page->shown) break;
      return 1;
    case WM_PAINT:
      if (!page->page->shown) break;
      Paint(window, *field, *page->settings, kind);
      return 0;
    case WM_SETCURSOR:
      // The focus request: from the interpreter, or the system's own for a tap.
      if (TakesFocus(kind) && lparam == kFocusRequest) {
        if (!(kind == ControlClass::Entry && field->serial)) SetFocus(window);
        return TRUE;
      }
      break;
    case WM_SETFOCUS:
      field->hasFocus = 1;
      InvalidateRect(window, nullptr, FALSE);
      SendMessageW(page->notify, WM_VDX_FIELD_FOCUSED, static_cast<WPARAM>(field->id), 0);
      return 0;
    case WM_KILLFOCUS:
      field->hasFocus = 0;
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (!TakesFocus(kind)) break;
      ReportKey(window, *field, *page->settings, wparam);
      return 0;
    case WM_VDX_BLINK:
      if (kind == ControlClass::System || field->Video() == kVideoBlink) {
        field->blinkPhase = lparam == 1 ? 1 : 0;
        InvalidateRect(window, nullptr, FALSE);
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

LRESULT CALLBACK EntryWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return EntryFieldProc(window, message, wparam, lparam);
}
LRESULT CALLBACK FixedWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return FixedTextProc(window, message, wparam, lparam);
}
LRESULT CALLBACK SystemWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return SystemLineProc(window, message, wparam, lparam);
}
LRESULT CALLBACK ButtonWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return ButtonFamilyProc(window, message, wparam, lparam, ButtonKind::Button);
}
LRESULT CALLBACK SelectButtonWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return ButtonFamilyProc(window, message, wparam, lparam, ButtonKind::SelectButton);
}
LRESULT CALLBACK CheckBoxWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return ButtonFamilyProc(window, message, wparam, lparam, ButtonKind::CheckBox);
}
LRESULT CALLBACK RadioButtonWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return ButtonFamilyProc(window, message, wparam, lparam, ButtonKind::RadioButton);
}

ControlClassAtoms RegisterControlClasses(HINSTANCE instance) {
  static constexpr WNDPROC kProcedures[kRegisteredClassCount] = {
      EntryWindowProc,       FixedWindowProc,    SystemWindowProc,      ButtonWindowProc,
      SelectButtonWindowProc, CheckBoxWindowProc, RadioButtonWindowProc, PageWindowProc,
  };
  ControlClassAtoms atoms{};
  for (int i = 0; i < kRegisteredClassCount; ++i) {
    atoms[static_cast<std::size_t>(i)] = RegisterControlClass(
        reinterpret_cast<const wchar_t*>(RegisteredClassName(i)), kProcedures[i], instance);
  }
  return atoms;
}

void UnregisterControlClasses(HINSTANCE instance, ControlClassAtoms& atoms) {
  for (int i = 0; i < kRegisteredClassCount; ++i) {
    ATOM& atom = atoms[static_cast<std::size_t>(i)];
    if (atom != 0) UnregisterClassW(reinterpret_cast<const wchar_t*>(RegisteredClassName(i)), instance);
    atom = 0;
  }
}

}  // namespace vantor
