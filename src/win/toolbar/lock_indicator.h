// LockIndicator: the animated lock indicator ("Lock-B" / "Lock-H") in the top-right corner of the main window.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <optional>

#include "interpreter/screen_view.h"
#include "win/base/class_names.h"
#include "win/base/gdi.h"
#include "look/animation.h"
#include "settings/palette.h"

namespace vantor {

inline constexpr UINT_PTR kAnimateTimer = 2;

// Owned by the main window, shown and hidden as the terminal's view asks. UI thread only.
class LockIndicator {
 public:
  // Registers the window class, loads the pictures and spreads the sprites; no window yet.
  LockIndicator(HWND mainWindow, HINSTANCE module);
  ~LockIndicator();
  LockIndicator(const LockIndicator&) = delete;
  LockIndicator& operator=(const LockIndicator&) = delete;

  // "Lock-B" while connecting, "Lock-H" while the host holds the screen. Creates the window when there
  // is none, and shows a hidden one again as a new one (the animation from its start, on top); a shown
  // "Lock-H" window turns into "Lock-B", never the other way round.
  void Show(LockMode mode);
  // Hides the window (kept for the next Show), or, while a Hold lives, when the Hold ends unless a Show
  // came first: then the window stays up, its counter from 0 again as a new window's.
  void Hide();
  // Keeps the window glued to the top-right corner of the main window's client area.
  void Reposition();

  // Hides wait while one lives (one host record), so that a record that unlocks and locks again
  // leaves the window up.
  class Hold {
   public:
    explicit Hold(LockIndicator* indicator);
    ~Hold();
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    LockIndicator* indicator_;
  };

  // The window while it shows (or is to hide at the end of a Hold); null when there is none or it is hidden.
  HWND Window() const { return hidden_ ? nullptr : window_; }
  LockMode Mode() const { return mode_ == 0 ? LockMode::Connecting : LockMode::Host; }
  // The process-wide tick counter shared by indicator windows.
  static const animation::TickCounter& Counter();

 private:
  struct Picture {
    gdi::Bitmap bitmap;
    int width = 0;
    int height = 0;
    COLORREF transparent = kTransparentMagenta;
    int atlasX = -1;  // where the picture sits in the atlases; -1 when it is not there
  };

  // Every picture but the background side by side, twice: as a mask (white where the picture is
  // transparent, black elsewhere) and cut out (the picture, black where it is transparent). A frame
  // draws each picture with two plain transfers from DCs that keep their bitmaps selected: selecting
  // a bitmap costs a round trip to the window system on some platforms, ten times a second.
  struct Atlas {
    gdi::MemoryDc dc;
    gdi::Bitmap bitmap;
    std::optional<gdi::Select> selected;
  };

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void OnCreate(HWND window);
  void HideNow();
  // Shows the window again as Show would make it: the counter from 0, the mode's picture; a hidden
  // window on top with the first, longer wait before its ticks.
  void Restart(int mode);
  void OnTick(HWND window);
  void Paint(HWND window);
  void KeepOnTop(HWND window) const;
  animation::FramePlan NextFrame(int clientHeight);
  void Compose(HWND window, const animation::FramePlan& plan, int width, int height, RECT area);
  void BuildAtlases(HDC screen);
  const Picture* PictureFor(animation::Picture picture, int frame) const;
  void Draw(HDC target, HDC source, const animation::DrawOp& op) const;

  HINSTANCE module_ = nullptr;
  HWND mainWindow_ = nullptr;
  HWND window_ = nullptr;
  ATOM classRegistered_ = 0;
  int backgroundWidth_ = animation::kClientWidth;
  int backgroundHeight_ = animation::kClientHeight;
  int mode_ = 0;
  Picture background_, left_, right_, slide1_, slide2_;
  std::array<Picture, 4> figure_;
  std::array<Picture, 10> sprites_;
  animation::HostScene scene_;
  // The last frame shown, and the next one when a tick has planned it; kept between ticks with the
  // image they were composed into, so that a tick copies only what changed.
  animation::FramePlan shown_;
  animation::FramePlan next_;
  bool nextPlanned_ = false;
  bool ticking_ = false;  // at 100 ms (after the first, longer wait)
  bool hidden_ = false;
  bool hidePending_ = false;
  int holds_ = 0;
  std::unique_ptr<gdi::Canvas> image_;
  Atlas masks_, cutouts_, backgroundImage_;
};

}  // namespace vantor
