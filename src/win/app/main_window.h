// The main window: parent of the toolbar, the lock indicator and the pages; owns the terminal, its
// connection, the toolbar, the indicator and the serial channel; turns the controls' and the session
// thread's messages into the terminal's requests, maps the keyboard and carries the menus.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "model/page_list.h"
#include "session/connection_port.h"
#include "win/app/app_dialogs.h"
#include "win/app/serial_link.h"
#include "win/controls/page_window.h"

namespace vantor {

struct AppGlobals;
class AppFrame;
class HostConnection;
class LockIndicator;
class MainWindowView;
class SerialInbox;
class Terminal;
class Toolbar;

inline constexpr UINT_PTR kReconnectTimer = 1;
inline constexpr UINT kReconnectDelayMs = 1000;

struct MainWindowOptions {
  // Runs a dialog; RunAppDialog when empty.
  std::function<INT_PTR(const DialogRequest& request)> runDialog;
  // The session starts connecting when the window is created.
  bool startSession = true;
  // The destruction handler ends the message loop.
  bool postQuit = true;
};

class MainWindow final : private ConnectionPort {
 public:
  MainWindow(AppGlobals& app, MainWindowOptions options);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Registers the main window class (string 2; icons 176/177; menu 102 or 204 by the mode).
  static ATOM RegisterWindowClass(AppGlobals& app);

  // CreateWindowExW of the main window with this object as its state, then the toolbar and pages laid out.
  HWND Create(DWORD style, int left, int top, int width, int height);

  HWND Handle() const { return window_; }
  HWND PageWindow(int page) const;
  Terminal* GetTerminal() const { return terminal_.get(); }
  Toolbar* GetToolbar() const { return toolbar_.get(); }
  LockIndicator* GetIndicator() const { return indicator_.get(); }
  SerialChannel* GetSerial() const { return serial_.get(); }
  AppFrame* GetFrame() const { return frame_.get(); }
  // The open host message or prompt dialog, recorded by the dialog itself.
  HWND& HostDialog() { return hostDialog_; }

  // The toolbar across the top, the pages below it; only the page in front is shown.
  void Arrange();
  // Every page (and control) takes new cell metrics.
  void RelayoutChildren();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);

  // Creation and destruction.
  LRESULT OnCreate();
  void OnDestroy();
  void CreatePages();
  void DetachPages();
  void CreateToolbar();
  void OpenSerial();
  void SetMenuForMode();
  void RemoveMenu();

  // Messages.
  void OnClose();
  void OnSetFocus();
  void OnKey(WPARAM virtualKey);
  void OnRecord(LPARAM record);
  void OnSessionEnded(bool stopped);
  void StartSession();
  void OnHostMessage(LPARAM focusAfter);
  void OnHostPrompt();
  void OnIndicator(WPARAM mode, LPARAM show);
  void OnSerialInput();

  // Menu commands (main_window_menu.cpp).
  void OnCommand(int command);
  INT_PTR RunDialog(const DialogRequest& request);
  // Why the last connection to the host failed, as the Host options dialog shows it.
  std::u16string LinkFailureText() const;

  // ConnectionPort (the session thread, except AwaitSessionThread).
  void ConnectionStarting() override;
  void DeliverRecord(RecordBytes record) override;
  void ConnectionEnded(bool stopped) override;
  void AwaitSessionThread(const std::function<bool()>& finished) override;

  AppGlobals& app_;
  MainWindowOptions options_;
  HWND window_ = nullptr;
  HWND hostDialog_ = nullptr;
  std::unique_ptr<AppFrame> frame_;
  std::unique_ptr<Toolbar> toolbar_;
  std::unique_ptr<LockIndicator> indicator_;
  SerialChannelPtr serial_;
  std::shared_ptr<SerialInbox> serialInbox_;
  std::unique_ptr<MainWindowView> view_;
  std::unique_ptr<HostConnection> connection_;
  std::unique_ptr<Terminal> terminal_;
  std::array<PageWindowState, PageList::kPageCount> pageStates_{};
};

}  // namespace vantor
