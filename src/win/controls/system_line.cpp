// The system line window: re-reads the clock at every blink tick and draws one character per cell.
#include "win/controls/system_line.h"

#include "win/base/messages.h"
#include "win/base/gdi.h"
#include "settings/settings.h"
#include "model/field.h"
#include "win/controls/fixed_text.h"
#include "win/controls/gdi_metrics.h"
#include "model/page.h"
#include "win/controls/page_window.h"
#include "look/text_paint_rules.h"

namespace vantor {

void PaintSystemLine(HWND window, HDC target, const Field& field, const ControlLook& control,
                     const Settings& settings) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const std::u16string text =
      SystemLineText(FormatSystemLine(now, (field.format.flags & kFlagPassword) != 0), field.width);
  RECT client{};
  GetClientRect(window, &client);
  const int w = client.right, h = client.bottom;
  gdi::Canvas canvas(target, w, h);
  if (!canvas.ok()) return;
  const SystemLook look = SystemLineLook(field, control);
  gdi::FillSolid(canvas.dc(), client, look.background);
  if (CellWidthOf(w, field.width) > 0) {
    const COLORREF pageBackground = PageBackgroundOf(field);
    if (look.reverseFrame) {
      const bool lastRow = field.row >= settings.ScreenRows() - 1;
      DrawReverseFrame(canvas.dc(), field, pageBackground, control.colours.reverseBackground,
                       {field.column, field.row, field.width, w, h, lastRow});
    }
    if (look.pageEdges) DrawPageEdges(canvas.dc(), w, h, pageBackground);
    const auto cells =
        SystemLineCells(static_cast<int>(text.size()), field.width, w, (field.format.flags & kFlagRight) != 0);
    gdi::Font font = CreateScreenFont(settings, field.Video() == kVideoBold);
    gdi::Select fontIn(canvas.dc(), font.get());
    SetBkMode(canvas.dc(), TRANSPARENT);
    SetTextColor(canvas.dc(), look.text);
    for (std::size_t i = 0; i < cells.size(); ++i) {
      RECT rect{cells[i].left, 1, cells[i].right, h - 2};
      UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
      if (cells[i].centre)
        format |= DT_CENTER;
      else if (cells[i].alignRight)
        format |= DT_RIGHT;
      DrawTextW(canvas.dc(), reinterpret_cast<const wchar_t*>(text.c_str() + i), 1, &rect, format);
    }
  }
  canvas.Present(target);
}

std::u16string FormatSystemLine(const SYSTEMTIME& time, bool date) {
  wchar_t buffer[64] = {};
  int written = 0;
  if (date) {
    written = GetDateFormatW(LOCALE_USER_DEFAULT, 0, &time, reinterpret_cast<const wchar_t*>(kDatePicture), buffer, 64);
  } else {
    const std::u16string picture(ClockPicture(time.wSecond));
    written = GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time,
                             reinterpret_cast<const wchar_t*>(picture.c_str()), buffer, 64);
  }
  if (written <= 0) return {};
  return std::u16string(reinterpret_cast<const char16_t*>(buffer));
}

LRESULT CALLBACK SystemLineProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  // The clock refreshes itself at every tick (the colon blinks).
  static constexpr DisplayControlClass kSystemLine{ControlKind::System, PaintSystemLine,
                                                   [](const Field&) { return true; }};
  return DisplayControlMessage(kSystemLine, window, message, wparam, lparam);
}

}  // namespace vantor
