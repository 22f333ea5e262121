// The entry field window: caret, clipboard paste, password stars and the double-buffered text strip.
#include "win/controls/entry_field.h"

#include <string>

#include "look/text_paint_rules.h"
#include "model/entry_editor.h"
#include "model/field.h"
#include "model/page.h"
#include "settings/settings.h"
#include "win/base/app_support.h"
#include "win/base/gdi.h"
#include "win/base/keys.h"
#include "win/base/messages.h"
#include "win/controls/gdi_metrics.h"
#include "win/controls/notify_requests.h"
#include "win/controls/page_window.h"

namespace vantor {

namespace {

// Nesting depth of clipboard pastes on the UI thread; a pasted Ctrl+V must not paste again.
int g_pasteDepth = 0;

// The clipboard's Unicode text, or empty when there is none or the clipboard is busy.
std::u16string ClipboardText(HWND window) {
  std::u16string text;
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(window)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    const SIZE_T bytes = GlobalSize(data);
    if (const auto* chars = static_cast<const char16_t*>(GlobalLock(data))) {
      // Never read past the block, whether or not it holds a terminator.
      const std::size_t count = bytes / sizeof(char16_t);
      std::size_t length = 0;
      while (length < count && chars[length] != 0) ++length;
      text.assign(chars, length);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

// The entry field's window as its editor sees it.
class WinEntryWindow final : public EntryWindow {
 public:
  WinEntryWindow(HWND window, Field& field, const PageWindowState& page, ControlWindowState& state)
      : window_(window), field_(field), page_(page), state_(state) {}

  bool OwnsFocus() override { return GetFocus() == window_; }
  void Beep(std::uint32_t type) override { MessageBeep(type); }
  void CaretChanged() override {
    const bool focused = field_.edit.hasFocus;
    if (focused) HideCaret(window_);
    int caretX = 2;
    {
      gdi::WindowDc dc(window_);
      if (dc) caretX = state_.caretX = PaintEntryField(window_, dc.get(), field_, state_.look, *page_.settings, true);
    }
    if (focused) {
      SetCaretPos(caretX, 1);
      ShowCaret(window_);
    }
  }
  void Paste() override {
    const std::u16string text = ClipboardText(window_);
    ++g_pasteDepth;
    for (char16_t c : text) {
      HWND focus = GetFocus();
      if (focus == nullptr) break;
      SendMessageW(focus, WM_CHAR, c, 0);
    }
    --g_pasteDepth;
  }
  void ForwardChar(char16_t c) override {
    HWND focus = GetFocus();
    if (focus != nullptr && focus != window_) SendMessageW(focus, WM_CHAR, c, 0);
  }

 private:
  HWND window_;
  Field& field_;
  const PageWindowState& page_;
  ControlWindowState& state_;
};

}  // namespace

int PaintEntryField(HWND window, HDC target, const Field& field, const ControlLook& look, const Settings& settings,
                    bool caretMode) {
  RECT client{};
  GetClientRect(window, &client);
  const int w = client.right, h = client.bottom;
  const bool focused = GetFocus() == window;
  const TextColours colours = EntryColours(field, look, settings, focused);
  gdi::Canvas canvas(target, w, h);
  if (!canvas.ok()) return 2;
  gdi::FillSolid(canvas.dc(), client, colours.background);

  const bool password = (field.format.flags & kFlagPassword) != 0;
  const std::u16string shown = password ? std::u16string(field.Text().size(), u'*') : field.Text();
  const int length = static_cast<int>(shown.size());
  // Until the first key the caret of a password field stands at its start.
  const int caret = password && caretMode && field.edit.replacePending ? 0 : field.edit.caret;
  const int strip = EntryStripWidth(length, field.width, settings.CellWidth(), settings.ExtraCellWidth());
  EntryLayout layout;
  if (w > 2 && h > 2) {
    gdi::Canvas text(target, strip > 0 ? strip : 1, h - 2);
    gdi::Font font = CreateScreenFont(settings, field.Video() == kVideoBold);
    gdi::Select fontIn(text.dc(), font.get());
    if (text.ok()) {
      RECT fill{0, 0, strip - 3, h - 2};
      gdi::FillSolid(text.dc(), fill, colours.background);
      SetBkMode(text.dc(), TRANSPARENT);
      SetTextColor(text.dc(), colours.text);
      RECT box{0, 0, strip, h - 2};
      UINT format = DT_NOCLIP | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
      if (!password) format |= DT_BOTTOM;
      if (!password && field.width == 1) format |= DT_CENTER;
      DrawTextW(text.dc(), Wide(shown), length, &box, format);
    }
    auto extent = [&](int n) {
      SIZE size{};
      if (n <= 0) return 0;
      GetTextExtentPoint32W(text.dc(), Wide(shown), n, &size);
      return static_cast<int>(size.cx);
    };
    layout = LayoutEntry(w, length, caret, (field.format.flags & kFlagRight) != 0, password, extent);
    // The frame, then the visible part of the strip inside it.
    gdi::Pen pen = gdi::SolidPen(colours.frame);
    gdi::Brush brush = gdi::SolidBrush(colours.background);
    {
      gdi::Select penIn(canvas.dc(), pen.get());
      gdi::Select brushIn(canvas.dc(), brush.get());
      Rectangle(canvas.dc(), 0, 0, w, h);
    }
    if (text.ok()) BitBlt(canvas.dc(), layout.offset, 1, w - 2, h - 2, text.dc(), layout.scroll, 0, SRCCOPY);
  }
  canvas.Present(target);
  return layout.caretX;
}

LRESULT CALLBACK EntryFieldProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  TrackControlInput(window, message);
  if (message == WM_CREATE) {
    AttachControlAtCreate(window, lparam, ControlKind::Entry);
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
  WinEntryWindow entry(window, *field, *page, state);
  NotifyRequests requests(page->notify);
  EntryEditor editor(*field, *page->settings, entry, requests);
  editor.SetPasting(g_pasteDepth > 0);
  switch (message) {
    case WM_DESTROY:
    case WM_LBUTTONDOWN:
    case WM_KEYUP: return 0;
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_PAINT:
      if (!page->page->shown) break;
      {
        gdi::PaintDc paint(window);
        state.caretX = PaintEntryField(window, paint.get(), *field, state.look, *page->settings, false);
      }
      return 0;
    case WM_ERASEBKGND:
      if (!page->page->shown) break;
      return 1;
    case WM_SETCURSOR:
      if (lparam == kFocusRequest) {
        if (!field->IsSerial()) SetFocus(window);
        return TRUE;
      }
      break;
    case WM_SETFOCUS: {
      RECT client{};
      GetClientRect(window, &client);
      CreateCaret(window, nullptr, 1, client.bottom - 3 > 0 ? client.bottom - 3 : 1);
      editor.StartEditing();
      SetCaretPos(state.caretX, 1);
      ShowCaret(window);
      return 0;
    }
    case WM_KILLFOCUS:
      editor.EndEditing();
      HideCaret(window);
      DestroyCaret();
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: editor.KeyDown(static_cast<unsigned>(wparam), HeldModifiers()); return 0;
    case WM_CHAR: editor.TypedChar(static_cast<char16_t>(wparam), HeldModifiers(), entry); return 0;
    case WM_VDX_FEED_CHAR: editor.FedChar(static_cast<char16_t>(wparam)); return 0;
    case WM_VDX_CLEAR_FIELD: editor.Clear(); return 0;
    case WM_VDX_FIELD_EDITED:
      entry.CaretChanged();
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_VDX_BLINK:
      if (!page->page->shown) return 0;
      if (field->Video() == kVideoBlink) {
        state.look.blinkPhase = lparam == 1;
        InvalidateRect(window, nullptr, FALSE);
      }
      return 0;
    default: break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace vantor
