// The message loop of the main thread and its accelerator filter (CMessageFilter, CMessageLoop, CAppFrame).
#pragma once

#include <winsock2.h>
#include <windows.h>

namespace vantor {

// A hook offered every message of the thread before it is translated and dispatched.
class CMessageFilter {
 public:
  // True: the message was consumed and must be neither translated nor dispatched.
  virtual bool FilterMessage(MSG* message) = 0;

 protected:
  CMessageFilter() = default;
  ~CMessageFilter() = default;
  CMessageFilter(const CMessageFilter&) = default;
  CMessageFilter& operator=(const CMessageFilter&) = default;
};

// GetMessageW / TranslateMessage / DispatchMessageW until WM_QUIT, with at most one filter.
class CMessageLoop {
 public:
  CMessageLoop() = default;
  CMessageLoop(const CMessageLoop&) = delete;
  CMessageLoop& operator=(const CMessageLoop&) = delete;

  // Installs the filter (replacing any other); the loop does not own it.
  bool SetFilter(CMessageFilter* filter);
  bool ClearFilter();
  CMessageFilter* Filter() const { return filter_; }

  // The installed filter's verdict, false without a filter.
  virtual bool FilterMessage(MSG* message);

  // Runs until WM_QUIT and returns its wParam. A GetMessageW failure is passed over.
  int Run();

 private:
  CMessageFilter* filter_ = nullptr;
  MSG message_{};
};

// Offers every message of the thread to the accelerator table against the main window.
class CAppFrame final : public CMessageFilter {
 public:
  CAppFrame(HWND mainWindow, HACCEL accelerators) : mainWindow_(mainWindow), accelerators_(accelerators) {}

  bool FilterMessage(MSG* message) override;
  // Lays the toolbar and pages out again (after a modal dialog has gone).
  void RequestLayout();

  HWND MainWindow() const { return mainWindow_; }

 private:
  HWND mainWindow_;
  HACCEL accelerators_;
};

}  // namespace vantor
