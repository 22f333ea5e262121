// Toolbar: the strip of five fixed keys (SAVE, BACK, EXIT, NEXT, CLEAR) across the top of the main window.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <string_view>

#include "win/base/class_names.h"
#include "win/base/gdi.h"
#include "look/toolbar_layout.h"

namespace vantor {

struct ToolbarButton {
  gdi::Bitmap picture;
  gdi::Bitmap greyedPicture;
  int width = 0;
  int height = 0;
  COLORREF transparent = kTransparentMagenta;
  HWND buttonWindow = nullptr;
  HWND barWindow = nullptr;
  bool pressed = false;
  unsigned keyCode = 0;
  std::u16string label;
};

// Built by the main window when `toolbarsize` is 0 or more, rebuilt after the Screen options, deleted
// with the main window. UI thread only. Releasing a pressed button sends WM_VDX_TOOLBARKEY
// (key code, 0) to the main window.
class Toolbar {
 public:
  // Registers the window classes, loads the pictures from `module` and creates the bar window at the
  // top of `mainWindow`, as wide as its client area. A negative size builds the 1x bar (the main
  // window builds no toolbar then).
  Toolbar(HWND mainWindow, HINSTANCE module, int toolbarSize);
  ~Toolbar();
  Toolbar(const Toolbar&) = delete;
  Toolbar& operator=(const Toolbar&) = delete;

  // One host key definition (code 0..36 and the label the session stored for it).
  void SetKeyLabel(unsigned keyCode, std::u16string_view label);

  // For the main window's layout: null when no bar window exists.
  HWND BarWindow() const { return barWindow_; }
  int BarHeight() const { return barHeight_; }

  // For tests and diagnostics.
  const ToolbarButton& Button(int index) const { return buttons_[static_cast<std::size_t>(index)]; }

 private:
  static LRESULT CALLBACK BarProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void CreateButtons(HWND bar);
  void PaintBar(HWND bar);
  void PaintButton(HWND window, const ToolbarButton& button);
  ToolbarButton* ButtonOf(HWND window);
  void Repaint(HWND window);

  HWND barWindow_ = nullptr;
  int barHeight_ = 0;
  HINSTANCE module_ = nullptr;
  HWND mainWindow_ = nullptr;
  ATOM barClassRegistered_ = 0;
  ATOM buttonClassRegistered_ = 0;
  std::array<ToolbarButton, toolbar::kButtonCount> buttons_;
};

}  // namespace vantor
