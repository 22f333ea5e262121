// Toolbar: bar and button windows, their double-buffered painting, and the key the buttons send.
#include "win/toolbar/toolbar.h"

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "win/base/bitmap_resource.h"
#include "win/base/messages.h"

namespace vantor {

namespace {

constexpr int kProgramIcon = 176;

std::uint32_t ToXrgb(COLORREF c) {
  return (std::uint32_t{GetRValue(c)} << 16) | (std::uint32_t{GetGValue(c)} << 8) | GetBValue(c);
}

ATOM RegisterBarClass(HINSTANCE module, const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = procedure;
  wc.hInstance = module;
  wc.hIcon = LoadIconW(module, MAKEINTRESOURCEW(kProgramIcon));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  wc.lpszClassName = name;
  return RegisterClassExW(&wc);
}

// A class left registered by an earlier bar (whose windows outlived it) can still be used.
bool ClassUsable(ATOM registered, HINSTANCE module, const wchar_t* name) {
  WNDCLASSEXW info{};
  info.cbSize = sizeof info;
  return registered != 0 || GetClassInfoExW(module, name, &info) != FALSE;
}

// The disabled look: a 32-bit copy of the picture with every non-transparent pixel blended to grey.
gdi::Bitmap MakeGreyed(HBITMAP picture, int width, int height, COLORREF transparent) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  gdi::WindowDc screen(nullptr);
  gdi::Bitmap greyed(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!greyed || bits == nullptr) return {};
  {
    gdi::MemoryDc source(screen.get());
    gdi::MemoryDc target(screen.get());
    gdi::Select selectSource(source.get(), picture);
    gdi::Select selectTarget(target.get(), greyed.get());
    if (!selectSource.ok() || !selectTarget.ok()) return {};
    BitBlt(target.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY);
  }
  GdiFlush();
  std::span<std::uint32_t> pixels(static_cast<std::uint32_t*>(bits),
                                  static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  toolbar::GreyPixels(pixels, ToXrgb(transparent));
  return greyed;
}

void DrawPicture(HDC target, HBITMAP picture, int x, int y, int width, int height, COLORREF transparent) {
  if (picture == nullptr || width <= 0 || height <= 0) return;
  gdi::MemoryDc source(target);
  gdi::Select select(source.get(), picture);
  if (!select.ok()) return;
  TransparentBlt(target, x, y, width, height, source.get(), 0, 0, width, height, transparent);
}

Toolbar* Attached(HWND window) { return reinterpret_cast<Toolbar*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

void Attach(HWND window, LPARAM lparam) {
  const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
}

}  // namespace

Toolbar::Toolbar(HWND mainWindow, HINSTANCE module, int toolbarSize) : module_(module), mainWindow_(mainWindow) {
  const toolbar::BarSize size = toolbar::BarSizeFor(toolbarSize < 0 ? 0 : toolbarSize);
  barHeight_ = size.barHeight;
  barClassRegistered_ = RegisterBarClass(module_, kToolbarClass, &Toolbar::BarProc);
  buttonClassRegistered_ = RegisterBarClass(module_, kToolbarButtonClass, &Toolbar::ButtonProc);

  gdi::WindowDc screen(nullptr);
  for (int i = 0; i < toolbar::kButtonCount; ++i) {
    const toolbar::FixedKey& fixed = toolbar::kButtons[static_cast<std::size_t>(i)];
    ToolbarButton& button = buttons_[static_cast<std::size_t>(i)];
    button.label = fixed.label;
    button.keyCode = fixed.defaultKey;
    // A missing picture leaves an empty button of the set's size, so the bar keeps its geometry.
    button.width = size.picture;
    button.height = size.picture;
    const int resource = fixed.bitmap[static_cast<std::size_t>(size.setIndex)];
    BitmapResource loaded = LoadBitmapResource(module_, resource, screen.get());
    button.picture = std::move(loaded.bitmap);
    if (!button.picture) continue;
    if (loaded.width > 0 && loaded.height > 0) {
      button.width = loaded.width;
      button.height = loaded.height;
    }
    if (loaded.corner != CLR_INVALID) button.transparent = loaded.corner;
    button.greyedPicture = MakeGreyed(button.picture.get(), button.width, button.height, button.transparent);
  }

  if (mainWindow_ == nullptr || !ClassUsable(barClassRegistered_, module_, kToolbarClass)) return;
  RECT client{};
  GetClientRect(mainWindow_, &client);
  // The bar window records itself and creates its buttons while it is being created.
  CreateWindowExW(0, kToolbarClass, L"TOOLBAR", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                  client.right - client.left, barHeight_, mainWindow_, nullptr, module_, this);
}

Toolbar::~Toolbar() {
  if (barWindow_ != nullptr && IsWindow(barWindow_)) DestroyWindow(barWindow_);
  barWindow_ = nullptr;
  for (ToolbarButton& button : buttons_) {
    button.picture.reset();
    button.greyedPicture.reset();
    button.label.clear();
  }
  if (buttonClassRegistered_ != 0) UnregisterClassW(kToolbarButtonClass, module_);
  if (barClassRegistered_ != 0) UnregisterClassW(kToolbarClass, module_);
}

void Toolbar::SetKeyLabel(unsigned keyCode, std::u16string_view label) {
  std::array<toolbar::KeyBinding, toolbar::kButtonCount> bindings;
  for (std::size_t i = 0; i < bindings.size(); ++i) {
    bindings[i] = {buttons_[i].label, buttons_[i].keyCode,
                   buttons_[i].buttonWindow != nullptr && IsWindowEnabled(buttons_[i].buttonWindow) != FALSE};
  }
  const toolbar::LabelResult result = toolbar::ApplyKeyLabel(bindings, keyCode, label);
  if (result.index < 0) return;
  ToolbarButton& button = buttons_[static_cast<std::size_t>(result.index)];
  button.keyCode = bindings[static_cast<std::size_t>(result.index)].key;
  if (button.buttonWindow != nullptr) {
    EnableWindow(button.buttonWindow, result.effect == toolbar::LabelEffect::Enabled ? TRUE : FALSE);
  }
}

void Toolbar::CreateButtons(HWND bar) {
  barWindow_ = bar;
  for (int i = 0; i < toolbar::kButtonCount; ++i) {
    ToolbarButton& button = buttons_[static_cast<std::size_t>(i)];
    const toolbar::Rect place = toolbar::ButtonRect(i, barHeight_, button.width, button.height);
    button.barWindow = bar;
    button.pressed = false;
    button.buttonWindow = CreateWindowExW(
        0, kToolbarButtonClass, reinterpret_cast<const wchar_t*>(button.label.c_str()),
        WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, place.x, place.y, place.width,
        place.height, bar, reinterpret_cast<HMENU>(static_cast<INT_PTR>(i)), module_, this);
  }
}

ToolbarButton* Toolbar::ButtonOf(HWND window) {
  const int index = GetDlgCtrlID(window);
  if (index < 0 || index >= toolbar::kButtonCount) return nullptr;
  ToolbarButton& button = buttons_[static_cast<std::size_t>(index)];
  // While the bar is still creating this window its handle is not recorded yet.
  return button.buttonWindow == window || button.buttonWindow == nullptr ? &button : nullptr;
}

void Toolbar::Repaint(HWND window) { RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }

void Toolbar::PaintBar(HWND bar) {
  gdi::PaintDc paint(bar);
  RECT client{};
  GetClientRect(bar, &client);
  gdi::Canvas canvas(paint.get(), client.right, client.bottom);
  if (!canvas.ok()) return;
  gdi::FillSolid(canvas.dc(), client, kToolbarFace);
  std::array<toolbar::BarLine, 6> lines;
  const int count = toolbar::BarLines(client.bottom, lines);
  for (int i = 0; i < count; ++i) {
    const RECT line{0, lines[static_cast<std::size_t>(i)].y, client.right, lines[static_cast<std::size_t>(i)].y + 1};
    gdi::FillSolid(canvas.dc(), line, lines[static_cast<std::size_t>(i)].colour);
  }
  canvas.Present(paint.get());
}

void Toolbar::PaintButton(HWND window, const ToolbarButton& button) {
  gdi::PaintDc paint(window);
  RECT client{};
  GetClientRect(window, &client);
  gdi::Canvas canvas(paint.get(), client.right, client.bottom);
  if (!canvas.ok()) return;
  HDC dc = canvas.dc();
  gdi::FillSolid(dc, client, kToolbarFace);
  const bool enabled = IsWindowEnabled(window) != FALSE;
  if (enabled) {
    gdi::Select pen(dc, GetStockObject(DC_PEN));
    for (const toolbar::Segment& s : toolbar::ButtonBevel(client.right, client.bottom, button.pressed)) {
      SetDCPenColor(dc, s.colour);
      MoveToEx(dc, s.x0, s.y0, nullptr);
      LineTo(dc, s.x1, s.y1);
    }
  }
  DrawPicture(dc, enabled ? button.picture.get() : button.greyedPicture.get(), 2, 2, button.width, button.height,
              button.transparent);
  canvas.Present(paint.get());
}

LRESULT CALLBACK Toolbar::BarProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CREATE) {
    Attach(window, lparam);
    if (Toolbar* self = Attached(window)) self->CreateButtons(window);
    return 0;
  }
  if (message == WM_CLOSE) {
    DestroyWindow(window);
    return 0;
  }
  Toolbar* self = Attached(window);
  if (message == WM_NCDESTROY && self != nullptr) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (self->barWindow_ == window) {
      self->barWindow_ = nullptr;
      for (ToolbarButton& button : self->buttons_) button.barWindow = nullptr;
    }
  }
  if (self == nullptr || message == WM_DESTROY || message == WM_NCDESTROY) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: self->PaintBar(window); return 0;
    default: return DefWindowProcW(window, message, wparam, lparam);
  }
}

LRESULT CALLBACK Toolbar::ButtonProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CREATE) {
    Attach(window, lparam);
    return 0;
  }
  if (message == WM_CLOSE) {
    DestroyWindow(window);
    return 0;
  }
  Toolbar* self = Attached(window);
  ToolbarButton* button = self != nullptr ? self->ButtonOf(window) : nullptr;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (button != nullptr && button->buttonWindow == window) {
      button->buttonWindow = nullptr;
      button->pressed = false;
    }
  }
  if (button == nullptr || message == WM_DESTROY || message == WM_NCDESTROY) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: self->PaintButton(window, *button); return 0;
    case WM_LBUTTONDOWN:
      // Disabled buttons get no mouse input, even when a message is sent to them directly.
      if (IsWindowEnabled(window) == FALSE) return 0;
      button->pressed = true;
      self->Repaint(window);
      SetCapture(window);
      return 0;
    case WM_LBUTTONUP: {
      // Only a press that started on this button sends its key; a release that merely ends over
      // it (a press begun elsewhere) sends nothing.
      if (IsWindowEnabled(window) == FALSE || !button->pressed) return 0;
      button->pressed = false;
      self->Repaint(window);
      const HWND mainWindow = self->mainWindow_;
      const unsigned keyCode = button->keyCode;
      if (GetCapture() == window) ReleaseCapture();
      // Last: the main window's answer may rebuild the toolbar.
      SendMessageW(mainWindow, WM_VDX_TOOLBARKEY, static_cast<WPARAM>(keyCode), 0);
      return 0;
    }
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      // The press was taken away (a dialog, another capture): back to released, no key.
      if (button->pressed) {
        button->pressed = false;
        self->Repaint(window);
      }
      if (message == WM_CANCELMODE && GetCapture() == window) ReleaseCapture();
      return 0;
    case WM_ENABLE:
      button->pressed = false;
      if (GetCapture() == window) ReleaseCapture();
      self->Repaint(window);
      return 0;
    default: return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace vantor
