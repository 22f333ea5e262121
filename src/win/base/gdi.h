// Move-only owners of GDI handles (DCs, bitmaps, brushes, pens, fonts) with select-and-restore and a live count.
#pragma once

#include <windows.h>

#include <atomic>
#include <utility>

namespace vantor::gdi {

// Handles currently held by the owners below, process-wide. Wine's GetGuiResources reports 0, so
// tests compare this count before and after painting to prove that nothing leaks.
inline std::atomic<long> g_liveObjects{0};
inline long LiveObjects() { return g_liveObjects.load(std::memory_order_relaxed); }

namespace detail {
inline void Track(const void* handle, long delta) {
  if (handle != nullptr) g_liveObjects.fetch_add(delta, std::memory_order_relaxed);
}
}  // namespace detail

// An owned HBITMAP, HBRUSH, HPEN or HFONT; DeleteObject on destruction.
template <typename Handle>
class Object {
 public:
  Object() = default;
  explicit Object(Handle handle) : handle_(handle) { detail::Track(handle_, +1); }
  ~Object() { reset(); }
  Object(Object&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  Object& operator=(Object&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void reset(Handle handle = nullptr) {
    if (handle_ != nullptr) {
      DeleteObject(handle_);
      detail::Track(handle_, -1);
    }
    handle_ = handle;
    detail::Track(handle_, +1);
  }
  // Gives up ownership without deleting.
  Handle release() {
    detail::Track(handle_, -1);
    return std::exchange(handle_, nullptr);
  }

 private:
  Handle handle_ = nullptr;
};

using Bitmap = Object<HBITMAP>;
using Brush = Object<HBRUSH>;
using Pen = Object<HPEN>;
using Font = Object<HFONT>;

inline Brush SolidBrush(COLORREF colour) { return Brush(CreateSolidBrush(colour)); }
inline Pen SolidPen(COLORREF colour, int width = 1) { return Pen(CreatePen(PS_SOLID, width, colour)); }
inline Bitmap CompatibleBitmap(HDC dc, int width, int height) {
  return Bitmap(CreateCompatibleBitmap(dc, width, height));
}

// A memory DC (CreateCompatibleDC / DeleteDC).
class MemoryDc {
 public:
  MemoryDc() = default;
  explicit MemoryDc(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) { detail::Track(dc_, +1); }
  ~MemoryDc() { reset(); }
  MemoryDc(MemoryDc&& other) noexcept : dc_(std::exchange(other.dc_, nullptr)) {}
  MemoryDc& operator=(MemoryDc&& other) noexcept {
    if (this != &other) {
      reset();
      dc_ = std::exchange(other.dc_, nullptr);
    }
    return *this;
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;

  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }
  void reset() {
    if (dc_ != nullptr) {
      DeleteDC(dc_);
      detail::Track(dc_, -1);
      dc_ = nullptr;
    }
  }

 private:
  HDC dc_ = nullptr;
};

// A window's DC from GetDC (or the screen's for a null window), released with ReleaseDC.
class WindowDc {
 public:
  WindowDc() = default;
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) { detail::Track(dc_, +1); }
  ~WindowDc() { reset(); }
  WindowDc(WindowDc&& other) noexcept
      : window_(std::exchange(other.window_, nullptr)), dc_(std::exchange(other.dc_, nullptr)) {}
  WindowDc& operator=(WindowDc&& other) noexcept {
    if (this != &other) {
      reset();
      window_ = std::exchange(other.window_, nullptr);
      dc_ = std::exchange(other.dc_, nullptr);
    }
    return *this;
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }
  void reset() {
    if (dc_ != nullptr) {
      ReleaseDC(window_, dc_);
      detail::Track(dc_, -1);
      dc_ = nullptr;
    }
    window_ = nullptr;
  }

 private:
  HWND window_ = nullptr;
  HDC dc_ = nullptr;
};

// BeginPaint / EndPaint for one WM_PAINT. Not movable: EndPaint must run in the same handler.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window) {
    dc_ = BeginPaint(window_, &paint_);
    detail::Track(dc_, +1);
  }
  ~PaintDc() {
    EndPaint(window_, &paint_);
    detail::Track(dc_, -1);
  }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;

  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }
  const PAINTSTRUCT& info() const { return paint_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_ = nullptr;
};

// Selects an object into a DC and puts the previous one back on destruction, so that an owned
// object is never deleted while it is still selected.
class Select {
 public:
  Select(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
  ~Select() {
    if (dc_ != nullptr && previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  Select(Select&& other) noexcept
      : dc_(std::exchange(other.dc_, nullptr)), previous_(std::exchange(other.previous_, nullptr)) {}
  Select& operator=(Select&&) = delete;
  Select(const Select&) = delete;
  Select& operator=(const Select&) = delete;

  bool ok() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// Double buffering: an off-screen image of the target's size, composed freely and copied to the
// target in one BitBlt by Present.
class Canvas {
 public:
  Canvas(HDC target, int width, int height)
      : width_(width > 0 ? width : 0),
        height_(height > 0 ? height : 0),
        dc_(target),
        bitmap_(CompatibleBitmap(target, width_ > 0 ? width_ : 1, height_ > 0 ? height_ : 1)),
        select_(dc_.get(), bitmap_.get()) {}
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  bool ok() const { return dc_ && bitmap_ && select_.ok(); }
  bool Present(HDC target, int x = 0, int y = 0) const {
    return ok() && BitBlt(target, x, y, width_, height_, dc_.get(), 0, 0, SRCCOPY) != FALSE;
  }

 private:
  int width_;
  int height_;
  MemoryDc dc_;
  Bitmap bitmap_;
  Select select_;
};

// Fills a rectangle with a solid colour through the DC brush (no object to create or delete).
inline void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
  const COLORREF previous = SetDCBrushColor(dc, colour);
  FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  SetDCBrushColor(dc, previous);
}

}  // namespace vantor::gdi
