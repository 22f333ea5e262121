// The Win32-level tests' shared fixture: the program's resources, pumping with a time-out, a temporary
// folder, an operator for modal loops, a recording main window, a page to make controls on, dialogs.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "win/base/app_support.h"
#include "win/base/messages.h"
#include "win/base/gdi.h"
#include "settings/settings.h"
#include "win/controls/control_classes.h"
#include "model/field.h"
#include "model/page.h"
#include "win/controls/page_window.h"

namespace vantor::wintest {

// Vantor.exe of the same build (beside the test program), loaded as a data file for its resources.
// Null when it is missing.
inline HMODULE ProgramResources() {
  static HMODULE module = [] {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::filesystem::path exe = std::filesystem::path(path).parent_path() / L"Vantor.exe";
    return LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  }();
  return module;
}

// Dispatches the thread's messages until the condition holds or the time is up; the condition's last
// value.
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

// Dispatches whatever is queued now.
inline void Pump() {
  PumpUntil([] { return false; }, 0);
}

// A fresh folder under the temporary directory, removed with its files at the end.
class TempDir {
 public:
  TempDir() {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    static int counter = 0;
    for (;;) {
      path_ = std::filesystem::path(base) /
              (L"vantor_win_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter));
      std::error_code error;
      if (std::filesystem::create_directory(path_, error)) break;
      if (counter > 1000) break;
    }
  }
  ~TempDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path File(const wchar_t* name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

inline std::string ReadFileBytes(const std::filesystem::path& path) {
  std::string text;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  CloseHandle(file);
  return text;
}

// Window facts the tests compare.
inline std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}
inline std::wstring TitleOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}
inline RECT RectInParent(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
  return r;
}
inline HWND Hwnd(const Field& field) { return reinterpret_cast<HWND>(field.window); }

// A pixel of what the window shows now (its pending paint done first).
inline COLORREF PixelOf(HWND window, int x, int y) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  gdi::WindowDc dc(window);
  return GetPixel(dc.get(), x, y);
}

// The thread's visible top-level window with this caption, or null.
inline HWND FindOwnWindow(const std::wstring& caption) {
  struct Search {
    const std::wstring* caption;
    HWND found;
  } search{&caption, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (IsWindowVisible(window) && TitleOf(window) == *s->caption) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Plays the operator inside whatever modal loop is running: one step per timer tick, a step returns
// false to be tried again at the next tick. After 10 s every visible window of the thread gets
// Cancel, so a failing test never hangs.
class ModalOperator {
 public:
  using Step = std::function<bool()>;
  explicit ModalOperator(std::vector<Step> steps) : steps_(std::move(steps)) {
    current_ = this;
    start_ = GetTickCount();
    timer_ = SetTimer(nullptr, 0, 30, Tick);
  }
  ~ModalOperator() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  ModalOperator(const ModalOperator&) = delete;
  ModalOperator& operator=(const ModalOperator&) = delete;
  bool Done() const { return next_ == steps_.size(); }

  // A step that posts the command to the window with the caption once it is shown.
  static Step Press(std::wstring caption, int command) {
    return [caption = std::move(caption), command] {
      HWND window = FindOwnWindow(caption);
      if (window != nullptr) PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(command), 0);
      return window != nullptr;
    };
  }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ModalOperator* self = current_;
    if (self == nullptr) return;
    if (GetTickCount() - self->start_ > 10000) {
      EnumThreadWindows(
          GetCurrentThreadId(),
          [](HWND window, LPARAM) -> BOOL {
            if (IsWindowVisible(window)) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            return TRUE;
          },
          0);
      return;
    }
    if (self->busy_ || self->Done()) return;
    self->busy_ = true;  // a step may open a message box whose loop ticks again
    if (self->steps_[self->next_]()) ++self->next_;
    self->busy_ = false;
  }

  static inline ModalOperator* current_ = nullptr;
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  bool busy_ = false;
  DWORD start_ = 0;
  UINT_PTR timer_ = 0;
};

struct RecordedMessage {
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};

// A top-level window that records every message in a given range (the custom messages by default)
// and WM_COMMAND, answering 0.
class RecordingWindow {
 public:
  explicit RecordingWindow(UINT first = WM_USER, UINT last = 0x7FFF, DWORD style = WS_OVERLAPPEDWINDOW)
      : first_(first), last_(last) {
    static const ATOM atom = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = Proc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"VantorTestRecorder";
      wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
      return RegisterClassW(&wc);
    }();
    (void)atom;
    window_ = CreateWindowExW(0, L"VantorTestRecorder", L"recorder", style, 0, 0, 240, 320, nullptr, nullptr,
                              GetModuleHandleW(nullptr), this);
  }
  ~RecordingWindow() {
    if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
  }
  RecordingWindow(const RecordingWindow&) = delete;
  RecordingWindow& operator=(const RecordingWindow&) = delete;

  HWND get() const { return window_; }
  const std::vector<RecordedMessage>& messages() const { return messages_; }
  void clear() { messages_.clear(); }
  std::vector<RecordedMessage> Of(UINT message) const {
    std::vector<RecordedMessage> found;
    for (const RecordedMessage& m : messages_) {
      if (m.message == message) found.push_back(m);
    }
    return found;
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && ((message >= self->first_ && message <= self->last_) || message == WM_COMMAND)) {
      self->messages_.push_back(RecordedMessage{message, wparam, lparam});
      return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
  }

  UINT first_;
  UINT last_;
  HWND window_ = nullptr;
  std::vector<RecordedMessage> messages_;
};

// Sets the thread's view of the Ctrl, Shift and Alt keys for the duration of a scope.
class HeldKeys {
 public:
  HeldKeys(bool ctrl, bool shift, bool alt) {
    GetKeyboardState(saved_);
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    keys[VK_LCONTROL] = ctrl ? 0x80 : 0;
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    keys[VK_LSHIFT] = shift ? 0x80 : 0;
    keys[VK_MENU] = alt ? 0x80 : 0;
    keys[VK_LMENU] = alt ? 0x80 : 0;
    SetKeyboardState(keys);
  }
  ~HeldKeys() { SetKeyboardState(saved_); }
  HeldKeys(const HeldKeys&) = delete;
  HeldKeys& operator=(const HeldKeys&) = delete;

 private:
  BYTE saved_[256] = {};
};

// A shown page window of a main window that records what the controls report, with the control
// classes registered; the fields are added by the test and made by Refresh().
class PageFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    instance_ = GetModuleHandleW(nullptr);
    atoms_ = RegisterControlClasses(instance_);
    settings_.SetShowWatermark(false);
    page_.shown = true;
    state_ = PageWindowState{&page_, &settings_, main_.get()};
    pageWindow_ = CreatePageWindow(main_.get(), instance_, &state_);
    ASSERT_NE(pageWindow_, nullptr);
  }
  void TearDown() override {
    ReleaseCapture();
    if (IsWindow(pageWindow_)) {
      DetachPageWindow(pageWindow_);
      DestroyWindow(pageWindow_);
    }
    UnregisterControlClasses(instance_, atoms_);
  }
  Field& AddField(int id, int row, int column, int width, int mode, int type, std::u16string_view text = u"") {
    RemovedFields removed;
    Field& field = page_.Fields().Add(id, row, column, width, removed);
    field.flags = static_cast<std::uint8_t>(mode);
    field.type = static_cast<std::uint8_t>(type);
    field.SetText(text);
    return field;
  }
  void Refresh() { ApplyRefreshPlan(pageWindow_, PlanRefresh(page_)); }

  HINSTANCE instance_ = nullptr;
  ControlClassAtoms atoms_{};
  RecordingWindow main_;
  Settings settings_;
  Page page_{1, kDefaultPageBackground};
  PageWindowState state_;
  HWND pageWindow_ = nullptr;
};

// Dialog control facts the tests compare.
inline std::wstring ItemText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }
inline bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
inline int TextLimit(HWND dialog, int id) {
  return static_cast<int>(SendDlgItemMessageW(dialog, id, EM_GETLIMITTEXT, 0, 0));
}

// An options dialog test: a settings file in a folder of its own, prepared by the test, the settings
// object the dialog works on, and one modeless dialog.
class DialogFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(ProgramResources(), nullptr) << "Vantor.exe must be built beside win_tests.exe";
    InitAppCommonControls();
  }
  void TearDown() override {
    if (dialog_ != nullptr && IsWindow(dialog_)) DestroyWindow(dialog_);
  }
  // Writes the settings file as `prepare` leaves a new settings object, and keeps its bytes.
  void StoreFile(const std::function<void(Settings&)>& prepare) {
    Settings stored(SettingsPath());
    prepare(stored);
    ASSERT_TRUE(stored.WriteSettings());
    fileBefore_ = FileBytes();
  }
  std::filesystem::path SettingsPath() const { return dir_.File(L"Vantor.ini"); }
  std::string FileBytes() const { return ReadFileBytes(SettingsPath()); }
  void Press(int id) { SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

  TempDir dir_;
  std::unique_ptr<Settings> settings_ = std::make_unique<Settings>(SettingsPath());
  std::string fileBefore_;
  HWND dialog_ = nullptr;
};

}  // namespace vantor::wintest
