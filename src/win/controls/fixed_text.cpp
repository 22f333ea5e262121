// The fixed text window: host text in its video attribute, underline, and the joined reverse frame.
#include "win/controls/fixed_text.h"

#include <string>

#include "win/base/messages.h"
#include "win/base/gdi.h"
#include "settings/settings.h"
#include "model/field.h"
#include "model/field_list.h"
#include "win/controls/gdi_metrics.h"
#include "model/page.h"
#include "win/controls/page_window.h"

namespace vantor {

namespace {

void Line(HDC dc, int x1, int y1, int x2, int y2) {
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

}  // namespace

void PaintFixedText(HWND window, HDC target, const Field& field, const ControlLook& control, const Settings& settings) {
  RECT client{};
  GetClientRect(window, &client);
  const int w = client.right, h = client.bottom;
  gdi::Canvas canvas(target, w, h);
  if (!canvas.ok()) return;
  const FixedLook look = FixedTextLook(field, control, settings);
  gdi::FillSolid(canvas.dc(), client, look.background);
  const int cw = CellWidthOf(w, field.width);
  if (cw > 0) {
    const COLORREF pageBackground = PageBackgroundOf(field);
    if (look.reverseFrame) {
      DrawReverseFrame(canvas.dc(), field, pageBackground, control.colours.reverseBackground,
                       {field.column, field.row, field.width, w, h, false});
    }
    if (look.pageEdges) DrawPageEdges(canvas.dc(), w, h, pageBackground);
    if (look.underline) {
      gdi::Pen pen = gdi::SolidPen(control.colours.frame);
      gdi::Select penIn(canvas.dc(), pen.get());
      Line(canvas.dc(), 0, h - 2, w, h - 2);
    }
    const std::u16string& text = field.Text();
    if (look.textVisible && !text.empty()) {
      gdi::Font font = CreateScreenFont(settings, field.Video() == kVideoBold);
      gdi::Select fontIn(canvas.dc(), font.get());
      SetBkMode(canvas.dc(), TRANSPARENT);
      SetTextColor(canvas.dc(), look.text);
      const TextBox box = FixedTextBox(w, h, field.width);
      RECT rect{box.left, box.top, box.right, box.bottom};
      // Host text is shown as sent: an ampersand is a character, not a mnemonic.
      UINT format = DT_NOCLIP | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
      if (field.format.centred)
        format |= DT_CENTER;
      else if (field.format.flags & kFlagRight)
        format |= DT_RIGHT;
      DrawTextW(canvas.dc(), reinterpret_cast<const wchar_t*>(text.c_str()), static_cast<int>(text.size()), &rect,
                format);
    }
  }
  canvas.Present(target);
}

COLORREF PageBackgroundOf(const Field& field) {
  return field.page != nullptr ? static_cast<COLORREF>(field.page->background)
                               : static_cast<COLORREF>(kDefaultPageBackground);
}

void DrawReverseFrame(HDC dc, const Field& field, COLORREF pageBackground, COLORREF reverseBackground,
                      const FrameInput& input) {
  const Page* page = field.page;
  const auto lines = ReverseFrameLines(input, [page](int column, int row) -> std::int32_t {
    return page != nullptr ? page->Fields().KindAt(column, row) : 0;
  });
  const int n = FrameThickness(input.clientHeight);
  for (int k = 0; k < n; ++k) {
    gdi::Pen pen = gdi::SolidPen(Shade(pageBackground, reverseBackground, k, n));
    gdi::Select penIn(dc, pen.get());
    for (const FrameLine& line : lines) {
      if (line.k == k) Line(dc, line.x1, line.y1, line.x2, line.y2);
    }
  }
}

void DrawPageEdges(HDC dc, int width, int height, COLORREF pageBackground) {
  gdi::Pen pen = gdi::SolidPen(pageBackground);
  gdi::Select penIn(dc, pen.get());
  MoveToEx(dc, width - 1, 0, nullptr);
  LineTo(dc, width - 1, height - 1);
  LineTo(dc, -1, height - 1);
}

LRESULT DisplayControlMessage(const DisplayControlClass& kind, HWND window, UINT message, WPARAM wparam,
                              LPARAM lparam) {
  TrackControlInput(window, message);
  if (message == WM_CREATE) {
    AttachControlAtCreate(window, lparam, kind.kind);
    return 0;
  }
  if (message == WM_NCDESTROY) {
    ReleaseControlState(window);
    return DefWindowProcW(window, message, wparam, lparam);
  }
  const ControlContext context = ControlContextOf(window);
  if (!context) return OrphanControlMessage(window, message, wparam, lparam);
  const Field& field = *context.field;
  ControlLook& look = context.state->look;
  const bool shown = context.page->page->shown;
  switch (message) {
    case WM_DESTROY: return 0;
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_PAINT:
      if (!shown) break;
      {
        gdi::PaintDc paint(window);
        kind.paint(window, paint.get(), field, look, *context.page->settings);
      }
      return 0;
    case WM_ERASEBKGND:
      if (!shown) break;
      return 1;
    case WM_VDX_BLINK:
      if (shown && kind.blinks(field)) {
        look.blinkPhase = lparam == 1;
        InvalidateRect(window, nullptr, FALSE);
      }
      return 0;
    default: break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT CALLBACK FixedTextProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  static constexpr DisplayControlClass kFixedText{ControlKind::Fixed, PaintFixedText,
                                                  [](const Field& field) { return field.Video() == kVideoBlink; }};
  return DisplayControlMessage(kFixedText, window, message, wparam, lparam);
}

}  // namespace vantor
