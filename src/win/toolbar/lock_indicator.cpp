// LockIndicator: the indicator window, its 100 ms timer and the double-buffered "Lock-B" / "Lock-H" pictures.
#include "win/toolbar/lock_indicator.h"

namespace vantor {

namespace {

constexpr int kProgramIcon = 176;
constexpr UINT kFirstTickMs = 5000;
constexpr UINT kTickMs = 100;
constexpr DWORD kStyle = WS_CHILD | WS_CAPTION | WS_DISABLED | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;

// One counter for the process: every indicator window starts it again from 0.
animation::TickCounter g_counter;

LockIndicator* Attached(HWND window) { return reinterpret_cast<LockIndicator*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

const wchar_t* TitleFor(int mode) { return mode != 0 ? L"Lock-H" : L"Lock-B"; }

}  // namespace

const animation::TickCounter& LockIndicator::Counter() { return g_counter; }

LockIndicator::LockIndicator(HWND mainWindow, HINSTANCE module) : module_(module), mainWindow_(mainWindow) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = &LockIndicator::WindowProc;
  wc.hInstance = module_;
  wc.hIcon = LoadIconW(module_, MAKEINTRESOURCEW(kProgramIcon));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  wc.lpszClassName = kLockIndicatorClass;
  classRegistered_ = RegisterClassExW(&wc);

  gdi::WindowDc screen(nullptr);
  auto load = [&](Picture& picture, int resource) {
    picture.bitmap.reset(static_cast<HBITMAP>(
        LoadImageW(module_, MAKEINTRESOURCEW(resource), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    if (!picture.bitmap) return;
    BITMAP info{};
    if (GetObjectW(picture.bitmap.get(), sizeof info, &info) == sizeof info) {
      picture.width = info.bmWidth;
      picture.height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    }
    gdi::MemoryDc probe(screen.get());
    gdi::Select select(probe.get(), picture.bitmap.get());
    const COLORREF corner = select.ok() ? GetPixel(probe.get(), 0, 0) : CLR_INVALID;
    if (corner != CLR_INVALID) picture.transparent = corner;
  };
  load(background_, animation::InfoOf(animation::Picture::Background).firstResource);
  if (background_.bitmap && background_.width > 0 && background_.height > 0) {
    backgroundWidth_ = background_.width;
    backgroundHeight_ = background_.height;
  }
  load(left_, animation::InfoOf(animation::Picture::Left).firstResource);
  load(right_, animation::InfoOf(animation::Picture::Right).firstResource);
  load(slide1_, animation::InfoOf(animation::Picture::Slide1).firstResource);
  load(slide2_, animation::InfoOf(animation::Picture::Slide2).firstResource);
  for (std::size_t i = 0; i < figure_.size(); ++i) {
    load(figure_[i], animation::InfoOf(animation::Picture::Figure).firstResource + static_cast<int>(i));
  }
  for (std::size_t i = 0; i < sprites_.size(); ++i) {
    load(sprites_[i], animation::InfoOf(animation::Picture::Sprite).firstResource + static_cast<int>(i));
  }
  animation::ResetHostScene(scene_);
}

LockIndicator::~LockIndicator() {
  // The object goes away now, so its window goes with it rather than at a later posted close.
  if (window_ != nullptr) {
    const HWND window = window_;
    window_ = nullptr;
    KillTimer(window, kAnimateTimer);
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (IsWindow(window)) DestroyWindow(window);
  }
  if (classRegistered_ != 0) UnregisterClassW(kLockIndicatorClass, module_);
}

void LockIndicator::Show(LockMode lock) {
  const int mode = lock == LockMode::Connecting ? 0 : 1;
  if (window_ == nullptr) {
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    if (mainWindow_ == nullptr || (classRegistered_ == 0 && !GetClassInfoExW(module_, kLockIndicatorClass, &info))) return;
    mode_ = mode != 0 ? 1 : 0;
    RECT client{};
    GetClientRect(mainWindow_, &client);
    // The window records itself and fits its client area to the background while it is created.
    const HWND window = CreateWindowExW(kExStyle, kLockIndicatorClass, TitleFor(mode_), kStyle,
                                        client.right - backgroundWidth_, 0, backgroundWidth_, backgroundHeight_,
                                        mainWindow_, nullptr, module_, this);
    if (window == nullptr) {
      window_ = nullptr;
      return;
    }
    window_ = window;
    ShowWindow(window, SW_SHOWNA);
    return;
  }
  if (mode == 0 && mode_ != 0) {
    mode_ = 0;
    SetWindowTextW(window_, TitleFor(0));
    InvalidateRect(window_, nullptr, FALSE);
  }
}

void LockIndicator::Hide() {
  if (window_ == nullptr) return;
  const HWND window = window_;
  window_ = nullptr;
  KillTimer(window, kAnimateTimer);
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  PostMessageW(window, WM_CLOSE, 0, 0);
}

void LockIndicator::Reposition() {
  if (window_ == nullptr || mainWindow_ == nullptr) return;
  RECT client{}, frame{};
  GetClientRect(mainWindow_, &client);
  GetWindowRect(window_, &frame);
  SetWindowPos(window_, nullptr, client.right - (frame.right - frame.left), 0, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void LockIndicator::OnCreate(HWND window) {
  window_ = window;
  g_counter.Reset();
  RECT frame{0, 0, backgroundWidth_, backgroundHeight_};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT client{};
  if (mainWindow_ != nullptr) GetClientRect(mainWindow_, &client);
  SetWindowPos(window, nullptr, client.right - width, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  SetTimer(window, kAnimateTimer, kFirstTickMs, nullptr);
}

void LockIndicator::KeepTicking(HWND window) {
  SetTimer(window, kAnimateTimer, kTickMs, nullptr);
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

const LockIndicator::Picture* LockIndicator::PictureFor(animation::Picture picture, int frame) const {
  switch (picture) {
    case animation::Picture::Background: return &background_;
    case animation::Picture::Left: return &left_;
    case animation::Picture::Right: return &right_;
    case animation::Picture::Slide1: return &slide1_;
    case animation::Picture::Slide2: return &slide2_;
    case animation::Picture::Figure: return &figure_[static_cast<std::size_t>(frame & 3)];
    case animation::Picture::Sprite:
      return frame >= 0 && frame < 10 ? &sprites_[static_cast<std::size_t>(frame)] : nullptr;
  }
  return nullptr;
}

void LockIndicator::Draw(HDC target, HDC source, const animation::DrawOp& op) const {
  const Picture* picture = PictureFor(op.picture, op.frame);
  if (picture == nullptr || !picture->bitmap || picture->width <= 0 || picture->height <= 0) return;
  gdi::Select select(source, picture->bitmap.get());
  if (!select.ok()) return;
  if (op.picture == animation::Picture::Background) {
    BitBlt(target, op.x, op.y, picture->width, picture->height, source, 0, 0, SRCCOPY);
    return;
  }
  // Sprites are scaled by age; every other picture is drawn at its own size.
  const bool scaled = op.picture == animation::Picture::Sprite;
  const int width = scaled ? op.width : picture->width;
  const int height = scaled ? op.height : picture->height;
  if (width <= 0 || height <= 0) return;
  TransparentBlt(target, op.x, op.y, width, height, source, 0, 0, picture->width, picture->height,
                 picture->transparent);
}

void LockIndicator::Paint(HWND window) {
  {
    gdi::PaintDc paint(window);
    RECT client{};
    GetClientRect(window, &client);
    gdi::Canvas canvas(paint.get(), client.right, client.bottom);
    if (canvas.ok()) {
      gdi::FillSolid(canvas.dc(), client, GetSysColor(COLOR_WINDOW));
      const animation::FramePlan plan = mode_ == 0
                                            ? animation::PlanSlidingFrame(g_counter.value, scene_.random)
                                            : animation::PlanHostFrame(scene_, g_counter.value, client.bottom);
      gdi::MemoryDc source(canvas.dc());
      for (const animation::DrawOp& op : plan.ops) Draw(canvas.dc(), source.get(), op);
      for (std::size_t i = 0; i < animation::kDotXOffsets.size(); ++i) {
        if ((plan.dots >> i) & 1u) {
          SetPixelV(canvas.dc(), animation::kRightX + animation::kDotXOffsets[i],
                    animation::kRightY + animation::kDotYOffset, RGB(0, 0, 0));
        }
      }
      canvas.Present(paint.get());
    }
  }
  KeepTicking(window);
}

LRESULT CALLBACK LockIndicator::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
      auto* self = static_cast<LockIndicator*>(create->lpCreateParams);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      if (self != nullptr) self->OnCreate(window);
      return 0;
    }
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      KillTimer(window, kAnimateTimer);
      return 0;
    case WM_NCDESTROY:
      if (LockIndicator* self = Attached(window)) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        // Destroyed with its parent: the object must not keep a stale handle.
        if (self->window_ == window) self->window_ = nullptr;
      }
      return DefWindowProcW(window, message, wparam, lparam);
    default:
      break;
  }
  LockIndicator* self = Attached(window);
  if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      self->Paint(window);
      return 0;
    case WM_TIMER:
      if (wparam != kAnimateTimer) return 0;
      g_counter.Turn();
      RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      g_counter.Step();
      self->KeepTicking(window);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace vantor
