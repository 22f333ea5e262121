// The main window: parent of the toolbar, the lock indicator and the pages; turns the custom messages
// of the session thread, the controls and the toolbar into session calls, maps the keyboard, carries
// the menus. It is the session's port to the UI thread and carries out the screen effects.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "model/page_list.h"
#include "win/controls/page_window.h"
#include "interpreter/screen_effects.h"
#include "session/serial_input.h"
#include "session/session_port.h"

namespace vantor {

struct AppGlobals;
class SerialInbox;

inline constexpr UINT_PTR kReconnectTimer = 1;
inline constexpr UINT kReconnectDelayMs = 1000;

struct MainWindowOptions {
  // Runs a dialog by template (and sound event); RunAppDialog when empty.
  std::function<INT_PTR(int templateId, int soundEvent)> runDialog;
  // The session starts connecting when the window is created.
  bool startSession = true;
  // The destruction handler ends the message loop.
  bool postQuit = true;
};

class MainWindow final : public SessionPort, public ScreenEffects, public SerialInputTarget {
 public:
  MainWindow(AppGlobals& app, MainWindowOptions options);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Registers the main window class (string 2; icons 176/177; menu 102 or 204 by the mode).
  static ATOM RegisterWindowClass(AppGlobals& app);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  // CreateWindowExW of the main window with this object as its state.
  HWND Create(DWORD style, int left, int top, int width, int height);

  HWND Handle() const { return window_; }
  HWND PageWindow(int page) const;

  // SessionPort (session thread, except AwaitSessionThread).
  void Indicator(int wparam, int lparam) override;
  void DeliverRecord(RecordBytes record) override;
  void SessionEnded(int stopFlag) override;
  void AwaitSessionThread(const std::function<bool()>& finished) override;

  // ScreenEffects (UI thread).
  void RefreshPage(Page& page) override;
  void ShowPage(int page) override;
  void RequestFocus(Page& page, Field& field) override;
  void FocusPage(Page& page) override;
  void InputOn() override;
  void InputOff() override;
  void PostHostMessage(int focusField) override;
  void PostHostPrompt(int inputLength) override;
  void PlaySound(int soundEvent) override;
  void SerialOut(std::string_view bytes) override;
  void Relayout() override;
  void KeyLabelChanged(int code) override;
  void ScannerEnable(bool enable) override;
  void CancelHostDialog(std::uintptr_t dialog) override;
  void DiscardWindow(int page, std::uintptr_t window) override;
  void EnablePage(int page) override;
  void DisableAllPages() override;

  // SerialInputTarget (UI thread, from the serial inbox).
  void SendSerialInput(SerialBytes piece) override;
  bool HasCurrentPage() const override;
  int KeyboardState() const override;
  int FirstSerialInputField() override;
  bool FieldHasWindow(int field) override;
  int FieldLength(int field) override;
  void ClearField(int field) override;
  void FeedChar(int field, char16_t ch) override;

 private:
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnCreate();
  void OnDestroy();
  void OnCommand(WPARAM wparam, LPARAM lparam);
  void OnKey(WPARAM virtualKey);
  void OnSetFocus();
  void OnSessionEnded(WPARAM stopFlag);
  void OnHostMessage(WPARAM wparam, LPARAM lparam);
  void OnHostPrompt();
  void OnIndicator(WPARAM wparam, LPARAM lparam);
  void OnInputOn();
  void OnSerialInput();
  void Arrange();
  void SetMenuForMode();
  void RemoveMenu();
  void CreateToolBar();
  void OpenSerial();
  void CreatePages();
  void DetachPages();
  INT_PTR RunDialog(int templateId, int soundEvent = -1);
  Field* FindCurrentField(int id) const;

  AppGlobals& app_;
  MainWindowOptions options_;
  HWND window_ = nullptr;
  std::array<PageWindowState, PageList::kPageCount> pageStates_{};
  std::shared_ptr<SerialInbox> serialInbox_;
};

}  // namespace vantor
