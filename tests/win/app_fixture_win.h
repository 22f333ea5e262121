// Shared fixture of the Win32-level tests: the program's resources, timed pumping, a temporary folder, a recorder,
// the program's main window.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "model/field.h"
#include "screen_builder.h"
#include "session/terminal.h"
#include "win/app/app_globals.h"
#include "win/app/main_window.h"
#include "win/app/startup.h"
#include "win/base/app_support.h"
#include "win/base/gdi.h"
#include "win/base/message_loop.h"
#include "win/base/messages.h"

namespace vantor::wintest {

// Vantor.exe of the same build (beside the test program), loaded as a data file; null when missing.
inline HMODULE ProgramResources() {
  static HMODULE module = [] {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const auto exe = std::filesystem::path(path).parent_path() / L"Vantor.exe";
    return LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  }();
  return module;
}

// Dispatches the thread's messages until the condition holds or the time is up; the condition's last value.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}
inline void Pump() {
  PumpUntil([] { return false; }, 0);
}

// A fresh folder under the temporary directory, removed with its files at the end.
struct TempDir {
  TempDir() { std::filesystem::create_directories(path); }
  ~TempDir() {
    std::error_code error;
    std::filesystem::remove_all(path, error);
  }
  std::filesystem::path File(const wchar_t* name) const { return path / name; }
  static inline int g_count = 0;
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      ("vantor_win_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++g_count));
};

inline RECT RectInParent(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
  return r;
}
inline HWND Hwnd(const Field& field) { return reinterpret_cast<HWND>(field.link.window); }

// A pixel of what the window shows now (its pending paint done first); negative coordinates count from
// the right or bottom edge.
inline COLORREF PixelOf(HWND window, int x, int y) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  RECT client{};
  GetClientRect(window, &client);
  gdi::WindowDc dc(window);
  return GetPixel(dc.get(), x < 0 ? client.right + x : x, y < 0 ? client.bottom + y : y);
}

// Every pixel of the window as shown now, row by row.
inline std::vector<std::uint32_t> Pixels(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = client.right;
  info.bmiHeader.biHeight = -client.bottom;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  gdi::WindowDc screen(window);
  void* bits = nullptr;
  gdi::Bitmap image(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  gdi::MemoryDc memory(screen.get());
  gdi::Select select(memory.get(), image.get());
  if (bits == nullptr || !select.ok()) return {};
  BitBlt(memory.get(), 0, 0, client.right, client.bottom, screen.get(), 0, 0, SRCCOPY);
  GdiFlush();
  const auto* first = static_cast<const std::uint32_t*>(bits);
  return {first, first + client.right * client.bottom};
}

// A top-level window that records the custom messages and WM_COMMAND, answering 0.
class RecordingWindow {
 public:
  explicit RecordingWindow(DWORD style = WS_OVERLAPPEDWINDOW) {
    static const ATOM atom = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = Proc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"VantorTestRecorder";
      return RegisterClassW(&wc);
    }();
    window_ = CreateWindowExW(0, MAKEINTATOM(atom), L"recorder", style, 0, 0, 240, 320, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~RecordingWindow() {
    if (IsWindow(window_)) DestroyWindow(window_);
  }
  HWND get() const { return window_; }
  std::vector<MSG> Of(UINT message) const {
    std::vector<MSG> found;
    for (const MSG& m : messages_) {
      if (m.message == message) found.push_back(m);
    }
    return found;
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || (message < WM_USER && message != WM_COMMAND) || message > 0x7FFF) {
      return DefWindowProcW(window, message, wparam, lparam);
    }
    self->messages_.push_back(MSG{window, message, wparam, lparam, 0, {}});
    return 0;
  }

  HWND window_ = nullptr;
  std::vector<MSG> messages_;
};

// The program's main window as InitInstance makes it, with settings of its own (administrator mode, no
// toolbar, 240 x 320 at the given place), without a session or modal dialogs unless asked for. Windows of
// the same thread share the keyboard focus: the one made last is active.
class AppWindow {
 public:
  explicit AppWindow(std::wstring windowClass, int left = 10, int top = 20) : left_(left), top_(top) {
    app.windowClass = std::move(windowClass);
  }
  ~AppWindow() {
    if (window != nullptr && IsWindow(window)) {
      ShowWindow(window, SW_HIDE);  // without a window manager, destroying a shown window waits
      DestroyWindow(window);
    }
    app.window.reset();
    UnregisterClassW(app.windowClass.c_str(), app.instance);
    UnregisterControlClasses(app.instance, app.controlClasses);
  }
  AppWindow(const AppWindow&) = delete;
  AppWindow& operator=(const AppWindow&) = delete;

  // False when the program's resources are missing or the window could not be made.
  bool Open() {
    if (ProgramResources() == nullptr) return false;
    InitAppCommonControls();
    app.instance = GetModuleHandleW(nullptr);
    app.resources = ProgramResources();
    app.title = L"Vantor";
    app.settings = std::make_unique<Settings>(tempDir.File(L"Vantor.ini"));
    app.controlClasses = RegisterControlClasses(app.instance);
    app.messageLoop = &loop;
    Settings stored(tempDir.File(L"Vantor.ini"));
    stored.SetAdminMode(true);
    stored.SetToolbarSize(toolbarSize);
    stored.SetWindowPosition(left_, top_, 240, 320);
    stored.SetHostName(u"127.0.0.1");
    stored.SetHostPort(hostPort);
    if (configure) configure(stored);
    if (!stored.WriteSettings()) return false;
    MainWindowOptions options;
    options.startSession = hostPort != 0;
    options.postQuit = false;
    options.runDialog = runDialog;
    if (!InitInstance(app, app.instance, options)) return false;
    window = app.mainWindow;
    return true;
  }
  LRESULT Send(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) const {
    return SendMessageW(window, message, wparam, lparam);
  }
  // A host record as the session thread hands it over.
  void Receive(const host_records::ScreenBuilder& screen) const {
    const std::string record = screen.Record();
    RecordBytes bytes(reinterpret_cast<const std::uint8_t*>(record.data()), record.size());
    Send(WM_VDX_SESSION_RECORD, 0, reinterpret_cast<LPARAM>(&bytes));
  }
  const vantor::Screen& Screen() const { return app.window->GetTerminal()->GetScreen(); }

  // Set before Open: the toolbar's size (negative: none), the loopback host's port (0: no session), how
  // dialogs run (by default none runs, so there is no modal loop), other settings.
  int toolbarSize = -1;
  std::uint16_t hostPort = 0;
  std::function<INT_PTR(const DialogRequest&)> runDialog = [](const DialogRequest&) { return INT_PTR{0}; };
  std::function<void(Settings&)> configure;

  TempDir tempDir;  // first: the settings file lives in it
  AppGlobals app;
  MessageLoop loop;
  HWND window = nullptr;

 private:
  int left_, top_;
};

}  // namespace vantor::wintest
