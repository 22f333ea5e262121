// The message loop of the main thread and its accelerator filter (MessageFilter, MessageLoop, AppFrame).
#pragma once

#include <winsock2.h>
#include <windows.h>

namespace vantor {

// A hook offered every message of the thread before it is translated and dispatched.
class MessageFilter {
 public:
  // True: the message was consumed and must be neither translated nor dispatched.
  virtual bool FilterMessage(MSG* message) = 0;

 protected:
  MessageFilter() = default;
  ~MessageFilter() = default;
  MessageFilter(const MessageFilter&) = default;
  MessageFilter& operator=(const MessageFilter&) = default;
};

// GetMessageW / TranslateMessage / DispatchMessageW until WM_QUIT, with at most one filter.
class MessageLoop {
 public:
  MessageLoop() = default;
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;

  // Installs the filter (replacing any other); the loop does not own it.
  bool SetFilter(MessageFilter* filter);
  bool ClearFilter();
  MessageFilter* Filter() const { return filter_; }

  // The installed filter's verdict, false without a filter.
  bool FilterMessage(MSG* message);

  // Runs until WM_QUIT and returns its wParam. A GetMessageW failure is passed over.
  int Run();

 private:
  MessageFilter* filter_ = nullptr;
  MSG message_{};
};

// Offers every message of the thread to the accelerator table against the main window.
class AppFrame final : public MessageFilter {
 public:
  AppFrame(HWND mainWindow, HACCEL accelerators) : mainWindow_(mainWindow), accelerators_(accelerators) {}

  bool FilterMessage(MSG* message) override;

  HWND MainWindow() const { return mainWindow_; }

 private:
  HWND mainWindow_;
  HACCEL accelerators_;
};

}  // namespace vantor
