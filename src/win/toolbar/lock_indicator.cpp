// LockIndicator: the indicator window, its 100 ms timer and the double-buffered "Lock-B" / "Lock-H" pictures.
#include "win/toolbar/lock_indicator.h"

#include <algorithm>
#include <utility>

#include "win/base/bitmap_resource.h"

namespace vantor {

namespace {

constexpr int kProgramIcon = 176;
constexpr UINT kFirstTickMs = 5000;
constexpr UINT kTickMs = 100;
constexpr DWORD kStyle = WS_CHILD | WS_CAPTION | WS_DISABLED | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;

// One counter for the process: every indicator window starts it again from 0.
animation::TickCounter g_counter;

LockIndicator* Attached(HWND window) {
  return reinterpret_cast<LockIndicator*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

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
    BitmapResource loaded = LoadBitmapResource(module_, resource, screen.get());
    if (!loaded.bitmap) return;
    picture.bitmap = std::move(loaded.bitmap);
    picture.width = loaded.width;
    picture.height = loaded.height;
    if (loaded.corner != CLR_INVALID) picture.transparent = loaded.corner;
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
  BuildAtlases(screen.get());
  animation::ResetHostScene(scene_);
}

void LockIndicator::BuildAtlases(HDC screen) {
  std::array<Picture*, 4 + 4 + 10> pictures{&left_, &right_, &slide1_, &slide2_};
  for (std::size_t i = 0; i < figure_.size(); ++i) pictures[4 + i] = &figure_[i];
  for (std::size_t i = 0; i < sprites_.size(); ++i) pictures[8 + i] = &sprites_[i];
  int width = 0, height = 1;
  for (Picture* picture : pictures) {
    if (!picture->bitmap || picture->width <= 0 || picture->height <= 0) continue;
    picture->atlasX = width;
    width += picture->width;
    height = std::max(height, picture->height);
  }
  auto make = [&](Atlas& atlas, int w, int h) {
    atlas.dc = gdi::MemoryDc(screen);
    atlas.bitmap = gdi::CompatibleBitmap(screen, w > 0 ? w : 1, h);
    atlas.selected.emplace(atlas.dc.get(), atlas.bitmap.get());
    return atlas.selected->ok();
  };
  if (background_.bitmap && make(backgroundImage_, background_.width, background_.height)) {
    gdi::MemoryDc source(screen);
    gdi::Select select(source.get(), background_.bitmap.get());
    BitBlt(backgroundImage_.dc.get(), 0, 0, background_.width, background_.height, source.get(), 0, 0, SRCCOPY);
  }
  if (!make(masks_, width, height) || !make(cutouts_, width, height)) {
    for (Picture* picture : pictures) picture->atlasX = -1;
    return;
  }
  gdi::Bitmap mono(CreateBitmap(width > 0 ? width : 1, height, 1, 1, nullptr));
  gdi::MemoryDc monoDc(screen);
  gdi::Select monoIn(monoDc.get(), mono.get());
  for (HDC dc : {masks_.dc.get(), cutouts_.dc.get()}) {
    SetTextColor(dc, kBlack);  // monochrome to colour: 0 black, 1 white
    SetBkColor(dc, kWhite);
  }
  gdi::MemoryDc source(screen);
  for (Picture* picture : pictures) {
    if (picture->atlasX < 0) continue;
    gdi::Select select(source.get(), picture->bitmap.get());
    const int x = picture->atlasX, w = picture->width, h = picture->height;
    SetBkColor(source.get(), picture->transparent);  // colour to monochrome: the background colour gives 1
    BitBlt(monoDc.get(), x, 0, w, h, source.get(), 0, 0, SRCCOPY);
    BitBlt(masks_.dc.get(), x, 0, w, h, monoDc.get(), x, 0, SRCCOPY);
    BitBlt(cutouts_.dc.get(), x, 0, w, h, source.get(), 0, 0, SRCCOPY);
    constexpr DWORD kDestinationAndNotSource = 0x00220326;
    BitBlt(cutouts_.dc.get(), x, 0, w, h, monoDc.get(), x, 0, kDestinationAndNotSource);
  }
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
  if (window_ != nullptr && (hidden_ || hidePending_)) {
    Restart(mode);
    return;
  }
  if (window_ == nullptr) {
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    if (mainWindow_ == nullptr || (classRegistered_ == 0 && !GetClassInfoExW(module_, kLockIndicatorClass, &info)))
      return;
    mode_ = mode != 0 ? 1 : 0;
    RECT client{};
    GetClientRect(mainWindow_, &client);
    // The window records itself and fits its client area to the background while it is created.
    const HWND window =
        CreateWindowExW(kExStyle, kLockIndicatorClass, TitleFor(mode_), kStyle, client.right - backgroundWidth_, 0,
                        backgroundWidth_, backgroundHeight_, mainWindow_, nullptr, module_, this);
    if (window == nullptr) {
      window_ = nullptr;
      return;
    }
    window_ = window;
    hidden_ = false;
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
  if (window_ == nullptr || hidden_) return;
  if (holds_ > 0) {
    hidePending_ = true;
    return;
  }
  HideNow();
}

void LockIndicator::HideNow() {
  hidePending_ = false;
  if (window_ == nullptr || hidden_) return;
  hidden_ = true;
  KillTimer(window_, kAnimateTimer);
  ShowWindow(window_, SW_HIDE);
  image_.reset();
}

void LockIndicator::Restart(int mode) {
  const bool shown = !hidden_;
  hidePending_ = false;
  hidden_ = false;
  g_counter.Reset();
  if (mode != mode_) {
    mode_ = mode;
    SetWindowTextW(window_, TitleFor(mode_));
    nextPlanned_ = false;
    shown_ = animation::FramePlan{};
    if (shown) InvalidateRect(window_, nullptr, FALSE);
  }
  // Still up in the same mode: the picture goes on as it is (the host's picture does not follow the
  // counter), the ticks too.
  if (shown) return;
  nextPlanned_ = false;
  shown_ = animation::FramePlan{};
  ticking_ = false;
  SetTimer(window_, kAnimateTimer, kFirstTickMs, nullptr);
  RECT client{}, frame{};
  GetClientRect(mainWindow_, &client);
  GetWindowRect(window_, &frame);
  SetWindowPos(window_, HWND_TOP, client.right - (frame.right - frame.left), 0, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

LockIndicator::Hold::Hold(LockIndicator* indicator) : indicator_(indicator) {
  if (indicator_ != nullptr) ++indicator_->holds_;
}

LockIndicator::Hold::~Hold() {
  if (indicator_ == nullptr || --indicator_->holds_ > 0) return;
  if (indicator_->hidePending_) indicator_->HideNow();
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
  ticking_ = false;
  nextPlanned_ = false;
  shown_ = animation::FramePlan{};
  RECT frame{0, 0, backgroundWidth_, backgroundHeight_};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT client{};
  if (mainWindow_ != nullptr) GetClientRect(mainWindow_, &client);
  SetWindowPos(window, nullptr, client.right - width, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  SetTimer(window, kAnimateTimer, kFirstTickMs, nullptr);
}

// Above the pages, shown: a page brought to the front may have covered it.
void LockIndicator::KeepOnTop(HWND window) const {
  if (GetWindow(GetParent(window), GW_CHILD) == window && IsWindowVisible(window)) return;
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

animation::FramePlan LockIndicator::NextFrame(int clientHeight) {
  return mode_ == 0 ? animation::PlanSlidingFrame(g_counter.value, scene_.random)
                    : animation::PlanHostFrame(scene_, clientHeight);
}

// A tick plans the next frame and has the window repaint, at once, only where it differs.
void LockIndicator::OnTick(HWND window) {
  g_counter.Turn();
  RECT client{};
  GetClientRect(window, &client);
  next_ = NextFrame(client.bottom);
  nextPlanned_ = true;
  // One rectangle around every change: one transfer, one request to the window system.
  RECT changed{};
  for (const animation::Area& area : animation::ChangedAreas(shown_, next_)) {
    const RECT rect{area.left, area.top, area.right, area.bottom};
    UnionRect(&changed, &changed, &rect);
  }
  if (!IsRectEmpty(&changed)) {
    InvalidateRect(window, &changed, FALSE);
    UpdateWindow(window);
  }
  g_counter.Step();
  KeepOnTop(window);
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
  if (op.picture == animation::Picture::Background) {
    if (backgroundImage_.selected && backgroundImage_.selected->ok()) {
      BitBlt(target, op.x, op.y, picture->width, picture->height, backgroundImage_.dc.get(), 0, 0, SRCCOPY);
      return;
    }
    gdi::Select select(source, picture->bitmap.get());
    if (select.ok()) BitBlt(target, op.x, op.y, picture->width, picture->height, source, 0, 0, SRCCOPY);
    return;
  }
  // Sprites are scaled by age; every other picture is drawn at its own size.
  const bool scaled = op.picture == animation::Picture::Sprite;
  const int width = scaled ? op.width : picture->width;
  const int height = scaled ? op.height : picture->height;
  if (width <= 0 || height <= 0) return;
  if (picture->atlasX < 0) {
    gdi::Select select(source, picture->bitmap.get());
    if (select.ok()) {
      TransparentBlt(target, op.x, op.y, width, height, source, 0, 0, picture->width, picture->height,
                     picture->transparent);
    }
    return;
  }
  // target: text black and background white, so that the mask's white keeps what is under the picture.
  auto transfer = [&](const Atlas& atlas, DWORD operation) {
    if (width == picture->width && height == picture->height) {
      BitBlt(target, op.x, op.y, width, height, atlas.dc.get(), picture->atlasX, 0, operation);
    } else {
      StretchBlt(target, op.x, op.y, width, height, atlas.dc.get(), picture->atlasX, 0, picture->width, picture->height,
                 operation);
    }
  };
  transfer(masks_, SRCAND);
  transfer(cutouts_, SRCPAINT);
}

// The picture is composed off-screen and kept from frame to frame, so a frame recomposes only the
// area where it differs from the last one; the part that needs painting goes out in one transfer.
void LockIndicator::Compose(HWND window, const animation::FramePlan& plan, int width, int height, RECT area) {
  if (!image_ || image_->width() != width || image_->height() != height) {
    image_.reset();
    gdi::WindowDc screen(window);
    image_ = std::make_unique<gdi::Canvas>(screen.get(), width, height);
    area = RECT{0, 0, width, height};
  }
  if (!image_->ok()) return;
  const HDC dc = image_->dc();
  SetTextColor(dc, kBlack);
  SetBkColor(dc, kWhite);
  SetStretchBltMode(dc, COLORONCOLOR);
  SelectClipRgn(dc, nullptr);
  IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
  gdi::FillSolid(dc, area, GetSysColor(COLOR_WINDOW));
  gdi::MemoryDc source(dc);  // only for pictures the atlases could not take
  for (std::size_t i = 0; i <= plan.ops.size(); ++i) {
    if (i == plan.dotsAfter) {
      for (std::size_t d = 0; d < animation::kDotXOffsets.size(); ++d) {
        if ((plan.dots >> d) & 1u) {
          SetPixelV(dc, animation::kRightX + animation::kDotXOffsets[d], animation::kRightY + animation::kDotYOffset,
                    kBlack);
        }
      }
    }
    if (i == plan.ops.size()) break;
    const animation::Area where = animation::AreaOf(plan.ops[i]);
    const RECT box{where.left, where.top, where.right, where.bottom};
    RECT overlap{};
    if (IntersectRect(&overlap, &box, &area)) Draw(dc, source.get(), plan.ops[i]);
  }
  SelectClipRgn(dc, nullptr);
}

void LockIndicator::Paint(HWND window) {
  // The first paint starts the 100 ms ticks and raises the window; later ones leave both to the ticks.
  if (!ticking_) {
    SetTimer(window, kAnimateTimer, kTickMs, nullptr);
    ticking_ = true;
    KeepOnTop(window);
  }
  RECT client{};
  GetClientRect(window, &client);
  // A paint the tick did not ask for (uncovered, raised) shows a frame of its own: the whole window
  // follows it, the rest of it at the paint that follows.
  const bool planned = nextPlanned_;
  const animation::FramePlan before = shown_;
  if (!planned) next_ = NextFrame(client.bottom);
  RECT rest{};
  {
    gdi::PaintDc paint(window);
    const RECT& part = paint.info().rcPaint;
    Compose(window, next_, client.right, client.bottom, planned ? part : client);
    shown_ = next_;
    if (image_ && image_->ok()) {
      BitBlt(paint.get(), part.left, part.top, part.right - part.left, part.bottom - part.top, image_->dc(), part.left,
             part.top, SRCCOPY);
    }
    if (!planned) {
      for (const animation::Area& area : animation::ChangedAreas(before, shown_)) {
        const RECT rect{area.left, area.top, area.right, area.bottom};
        UnionRect(&rest, &rest, &rect);
      }
    }
  }
  // The follow-up paint shows this same frame.
  nextPlanned_ = !planned && !IsRectEmpty(&rest);
  if (nextPlanned_) InvalidateRect(window, &rest, FALSE);
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
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_DESTROY: KillTimer(window, kAnimateTimer); return 0;
    case WM_NCDESTROY:
      if (LockIndicator* self = Attached(window)) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        // Destroyed with its parent: the object must not keep a stale handle.
        if (self->window_ == window) {
          self->window_ = nullptr;
          self->hidden_ = false;
          self->hidePending_ = false;
        }
      }
      return DefWindowProcW(window, message, wparam, lparam);
    default: break;
  }
  LockIndicator* self = Attached(window);
  if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: self->Paint(window); return 0;
    case WM_TIMER:
      if (wparam == kAnimateTimer) self->OnTick(window);
      return 0;
    default: return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace vantor
