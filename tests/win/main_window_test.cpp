// The main window's message plumbing: creation from the settings, full screen, menu commands and their
// dialogs, host messages, the lock indicator, and where the focus goes.
#include "win/app/main_window.h"

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

#include "win/app/app_globals.h"
#include "win/base/app_support.h"
#include "win/base/message_loop.h"
#include "win/base/resource_ids.h"
#include "look/menu_ids.h"
#include "win/dialogs/dialog_ids.h"
#include "win/app/startup.h"
#include "win/base/messages.h"
#include "app_fixture_win.h"
#include "platform/net.h"
#include "model/field.h"
#include "model/page.h"
#include "screen_builder.h"
#include "session/terminal.h"
#include "test_host.h"
#include "win/toolbar/lock_indicator.h"
#include "win/toolbar/toolbar.h"

namespace vantor {
namespace {

using namespace wintest;

using testing_support::HostRecord;
using host_records::ScreenBuilder;
using testing_support::TestHost;

struct DialogCall {
  int templateId;
  int soundEvent;
  bool windowExisted;
};

UINT FirstMenuCommand(HWND window) { return GetMenuItemID(GetSubMenu(GetMenu(window), 0), 0); }

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(wintest::ProgramResources(), nullptr) << "Vantor.exe must be built beside win_tests.exe";
    ASSERT_TRUE(net::Startup());
    InitAppCommonControls();
    instance_ = GetModuleHandleW(nullptr);
    app_.instance = instance_;
    app_.resources = wintest::ProgramResources();
    app_.title = L"Vantor";
    app_.windowClass = L"VantorMainWindowTest";
    app_.settings = std::make_unique<Settings>(dir_.File(L"Vantor.ini"));
    app_.controlClasses = RegisterControlClasses(instance_);
    app_.accelerators = LoadAcceleratorsW(app_.resources, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    app_.messageLoop = &loop_;
    stored_.SetHostName(u"127.0.0.1");
    stored_.SetHostPort(host_.Port());
    stored_.SetTerminalId(7);
    stored_.SetAdminMode(true);
    stored_.SetToolbarSize(-1);
  }
  void TearDown() override {
    if (app_.mainWindow != nullptr && IsWindow(app_.mainWindow)) {
      ShowWindow(app_.mainWindow, SW_HIDE);
      DestroyWindow(app_.mainWindow);
    }
    app_.window.reset();
    UnregisterClassW(app_.windowClass.c_str(), instance_);
    // The lock indicator closes its window by a posted message, so its class can outlive it; the
    // next test (or suite) must be able to register it again.
    UnregisterClassW(L"VdxCAnimate", instance_);
    UnregisterControlClasses(instance_, app_.controlClasses);
    MSG quit{};
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    net::Cleanup();
  }

  // Writes the stored settings (unless it is a first start) and creates the window.
  bool Start(bool startSession = false, bool writeFile = true) {
    if (writeFile && !stored_.WriteSettings()) return false;
    MainWindowOptions options;
    options.startSession = startSession;
    options.postQuit = false;
    options.runDialog = [this](const DialogRequest& request) {
      dialogs_.push_back(DialogCall{request.templateId, request.soundEvent, app_.mainWindow != nullptr});
      if (onDialog_) onDialog_(request);
      return dialogResult_;
    };
    if (!InitInstance(app_, instance_, options)) return false;
    window_ = app_.mainWindow;
    return window_ != nullptr;
  }
  // Starts connected to the test host, past the identification.
  bool StartConnected() { return Start(true) && AcceptWhilePumping() && ReadWhilePumping().has_value(); }
  // The host sends a screen and reads the "H" answer; the screen is then carried out.
  bool HostScreen(const ScreenBuilder& screen) {
    if (!host_.SendRecord(screen.RecordData())) return false;
    auto answer = ReadWhilePumping();
    return answer && answer->body == "H" &&
           wintest::PumpUntil([&] { return Screen().keyboard == Keyboard::Ready; }, 5000);
  }
  vantor::Screen& Screen() { return app_.window->GetTerminal()->GetScreen(); }
  LRESULT Send(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    return SendMessageW(window_, message, wparam, lparam);
  }
  // Waits for the host to see a terminal connect, dispatching the terminal's messages meanwhile.
  bool AcceptWhilePumping(int timeoutMs = 8000) {
    auto accepted = std::async(std::launch::async, [this] { return host_.Accept(std::chrono::milliseconds(8000)); });
    wintest::PumpUntil([&] { return accepted.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                       timeoutMs);
    return accepted.wait_for(std::chrono::seconds(0)) == std::future_status::ready && accepted.get();
  }
  std::optional<HostRecord> ReadWhilePumping(int timeoutMs = 5000) {
    auto record = std::async(std::launch::async, [this, timeoutMs] {
      return host_.ReadRecord(std::chrono::milliseconds(timeoutMs));
    });
    wintest::PumpUntil([&] { return record.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                       timeoutMs + 1000);
    if (record.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return std::nullopt;
    return record.get();
  }

  HINSTANCE instance_ = nullptr;
  wintest::TempDir dir_;
  TestHost host_;
  AppGlobals app_;
  MessageLoop loop_;
  Settings stored_{dir_.File(L"Vantor.ini")};
  std::vector<DialogCall> dialogs_;
  std::function<void(const DialogRequest&)> onDialog_;
  INT_PTR dialogResult_ = 0;
  HWND window_ = nullptr;
};

TEST_F(MainWindowTest, OpensFromTheSettingsWithTheAdministratorMenuAndSixteenPages) {
  stored_.SetWindowPosition(10, 20, 240, 320);
  ASSERT_TRUE(Start());
  EXPECT_EQ(TitleOf(window_), L"Vantor");
  RECT rect{};
  GetWindowRect(window_, &rect);
  EXPECT_EQ(rect.left, 10);
  EXPECT_EQ(rect.top, 20);
  EXPECT_EQ(rect.right - rect.left, 240);
  EXPECT_EQ(rect.bottom - rect.top, 320);
  EXPECT_EQ(GetWindowLongW(window_, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
  EXPECT_EQ(FirstMenuCommand(window_), static_cast<UINT>(IDM_ABOUT));
  for (int n = 0; n < PageList::kPageCount; ++n) {
    HWND page = app_.window->PageWindow(n);
    ASSERT_NE(page, nullptr) << n;
    EXPECT_EQ(GetParent(page), window_);
    EXPECT_EQ((GetWindowLongW(page, GWL_STYLE) & WS_VISIBLE) != 0, n == 0) << n;
  }
  // The page fills the client area; the message filter is installed.
  RECT client{};
  GetClientRect(window_, &client);
  RECT page{};
  GetWindowRect(app_.window->PageWindow(0), &page);
  EXPECT_EQ(page.right - page.left, client.right);
  EXPECT_EQ(page.bottom - page.top, client.bottom);
  EXPECT_EQ(loop_.Filter(), app_.window->GetFrame());
  EXPECT_TRUE(dialogs_.empty());
}

TEST_F(MainWindowTest, CurrentFieldQueryNamesTheFocusedRecord) {
  ASSERT_TRUE(Start());
  Field* field = nullptr;
  EXPECT_EQ(Send(WM_VDX_GET_CURRENT_FIELD, 0, reinterpret_cast<LPARAM>(&field)), 0);
  RemovedFields removed;
  Field& added = Screen().pages.At(0)->Fields().Add(4, 0, 0, 5, removed);
  Screen().focusField = 4;
  EXPECT_EQ(Send(WM_VDX_GET_CURRENT_FIELD, 0, reinterpret_cast<LPARAM>(&field)), 1);
  EXPECT_EQ(field, &added);
  Screen().currentPage = 40;
  EXPECT_EQ(Send(WM_VDX_GET_CURRENT_FIELD, 0, reinterpret_cast<LPARAM>(&field)), 0);
}

TEST_F(MainWindowTest, FullScreenIgnoresCloseAndExitUntilToggledOff) {
  stored_.SetFullScreen(true);
  stored_.SetWindowPosition(5, 6, 240, 320);
  ASSERT_TRUE(Start());
  EXPECT_EQ(GetWindowLongW(window_, GWL_STYLE) & WS_THICKFRAME, 0);
  EXPECT_NE(GetMenu(window_), nullptr);  // the menu is there at creation, whatever the mode
  Send(WM_CLOSE);
  Send(WM_COMMAND, IDM_EXIT);
  Send(WM_COMMAND, IDM_ALT_F4);
  ASSERT_TRUE(IsWindow(window_));
  Send(WM_COMMAND, IDM_FULLSCREEN);
  EXPECT_FALSE(app_.settings->FullScreen());
  EXPECT_NE(GetMenu(window_), nullptr);
  Send(WM_COMMAND, IDM_FULLSCREEN);
  EXPECT_TRUE(app_.settings->FullScreen());
  EXPECT_EQ(GetMenu(window_), nullptr);
  Send(WM_COMMAND, IDM_FULLSCREEN);
  ShowWindow(window_, SW_HIDE);
  Send(WM_COMMAND, IDM_EXIT);
  EXPECT_FALSE(IsWindow(window_));
}

TEST_F(MainWindowTest, MenuCommandsRunTheirDialogsAndActOnOk) {
  ASSERT_TRUE(Start());
  // User Mode: the file says so at once.
  Send(WM_COMMAND, IDM_USER_MODE);
  Settings written(dir_.File(L"Vantor.ini"));
  ASSERT_TRUE(written.ReadSettings());
  EXPECT_FALSE(written.AdminMode());
  dialogResult_ = 1;
  // Screen options: the toolbar follows the new size.
  onDialog_ = [this](const DialogRequest& request) {
    if (request.templateId == IDD_SCREEN_OPTIONS) app_.settings->SetToolbarSize(1);
  };
  Send(WM_COMMAND, IDM_SCREEN);
  ASSERT_NE(app_.window->GetToolbar(), nullptr);
  EXPECT_EQ(GetParent(app_.window->GetToolbar()->BarWindow()), window_);
  RECT bar{};
  GetWindowRect(app_.window->GetToolbar()->BarWindow(), &bar);
  RECT page{};
  GetWindowRect(app_.window->PageWindow(0), &page);
  EXPECT_EQ(page.top, bar.bottom);  // the page is laid out below the bar
  onDialog_ = [this](const DialogRequest& request) {
    if (request.templateId == IDD_SCREEN_OPTIONS) app_.settings->SetToolbarSize(-1);
  };
  Send(WM_COMMAND, IDM_SCREEN);
  EXPECT_EQ(app_.window->GetToolbar(), nullptr);
  // A sound dialog ended with OK rebuilds its event's player from the settings it stored.
  app_.sounds.Build(*app_.settings);
  int frequency = 440;
  onDialog_ = [&](const DialogRequest&) { app_.settings->SetTone(IndexOf(SoundEvent::ScanReject), frequency, 50); };
  Send(WM_COMMAND, IDM_SOUND_SCAN_REJECT);
  ASSERT_NE(app_.sounds.Player(SoundEvent::ScanReject), nullptr);
  EXPECT_EQ(app_.sounds.Player(SoundEvent::ScanReject)->Frequency(), 440);
  dialogResult_ = 0;
  frequency = 880;
  Send(WM_COMMAND, IDM_SOUND_SCAN_REJECT);
  EXPECT_EQ(app_.sounds.Player(SoundEvent::ScanReject)->Frequency(), 440);
  std::vector<int> templates;
  std::vector<int> events;
  for (const DialogCall& call : dialogs_) {
    templates.push_back(call.templateId);
    events.push_back(call.soundEvent);
  }
  EXPECT_EQ(templates,
            (std::vector<int>{IDD_SCREEN_OPTIONS, IDD_SCREEN_OPTIONS, IDD_SOUND_OPTIONS, IDD_SOUND_OPTIONS}));
  EXPECT_EQ(events.back(), 3);
  // Commands the window does not know go to the default handling and run nothing.
  Send(WM_COMMAND, 12345);
  EXPECT_EQ(dialogs_.size(), 4u);
}

TEST_F(MainWindowTest, HostMessageRunsTheAdvisoryAndAPromptOnlyWhenOneWasAsked) {
  ASSERT_TRUE(StartConnected());
  Send(WM_VDX_HOST_PROMPT, 1, 0);
  EXPECT_TRUE(dialogs_.empty());
  Send(WM_VDX_HOST_MESSAGE, 1, 0xFFFF);
  ASSERT_EQ(dialogs_.size(), 1u);
  EXPECT_EQ(dialogs_[0].templateId, IDD_ADVISORY);
  EXPECT_EQ(Screen().focusField, -1);
  EXPECT_EQ(Screen().keyboard, Keyboard::Ready);
  Screen().promptLength = 5;
  dialogResult_ = 1;
  onDialog_ = [this](const DialogRequest& request) {
    EXPECT_EQ(request.host.screen, &Screen());
    Screen().SetPromptAnswer(u"12");
  };
  Send(WM_VDX_HOST_PROMPT, 1, 0);
  ASSERT_EQ(dialogs_.size(), 2u);
  EXPECT_EQ(dialogs_[1].templateId, IDD_PROMPT);
  auto reply = ReadWhilePumping();
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->body, "R?212");
  EXPECT_FALSE(IsWindowEnabled(app_.window->PageWindow(0)));
}

TEST_F(MainWindowTest, LockIndicatorComesWithInputOffAndGoes) {
  ASSERT_TRUE(StartConnected());
  ASSERT_TRUE(HostScreen(ScreenBuilder().Input(2, 1, 0, 6).FocusAndUnlock(2)));
  ASSERT_TRUE(IsWindowEnabled(app_.window->PageWindow(0)));
  Terminal& terminal = *app_.window->GetTerminal();
  terminal.ConnectionStarting();
  ASSERT_NE(app_.window->GetIndicator(), nullptr);
  HWND indicator = app_.window->GetIndicator()->Window();
  ASSERT_NE(indicator, nullptr);
  EXPECT_EQ(TitleOf(indicator), L"Lock-B");
  EXPECT_FALSE(IsWindowEnabled(app_.window->PageWindow(0)));
  terminal.Navigate(Direction::Refocus);  // places the focus: the indicator goes
  EXPECT_EQ(app_.window->GetIndicator()->Window(), nullptr);
  // A page brought to the front stays under the indicator.
  ASSERT_TRUE(HostScreen(ScreenBuilder().Input(3, 1, 0, 6).FocusAndUnlock(3)));
  Send(WM_VDX_KEY, 3, 1);
  // The indicator raises itself when it paints.
  ASSERT_TRUE(wintest::PumpUntil(
      [&] {
        const auto* shown = app_.window->GetIndicator();
        return shown != nullptr && shown->Window() != nullptr && GetWindow(window_, GW_CHILD) == shown->Window();
      },
      3000));
  ASSERT_TRUE(host_.SendRecord(ScreenBuilder().ShowPage(2).RecordData()));
  wintest::PumpUntil([&] { return Screen().shownPage == 2; }, 3000);
  EXPECT_EQ(GetWindow(window_, GW_CHILD), app_.window->GetIndicator()->Window());
  EXPECT_EQ(GetWindow(app_.window->GetIndicator()->Window(), GW_HWNDNEXT), app_.window->PageWindow(2));
}

TEST_F(MainWindowTest, FocusGoesToTheFocusFieldsControlOrToThePage) {
  ASSERT_TRUE(StartConnected());
  ScreenBuilder screen;
  screen.Input(3, 0, 0, 5).Fixed(4, 1, 0, "text").FocusAndUnlock(3);
  ASSERT_TRUE(HostScreen(screen));
  HWND entry = Hwnd(*Screen().CurrentField(3));
  ASSERT_NE(entry, nullptr);
  SetFocus(nullptr);
  Send(WM_SETFOCUS);
  EXPECT_EQ(GetFocus(), entry);
  Screen().focusField = 4;
  Send(WM_SETFOCUS);
  EXPECT_EQ(GetFocus(), app_.window->PageWindow(0));
  SetFocus(entry);  // the entry makes itself the focus field
  EXPECT_EQ(Screen().focusField, 3);
  Screen().focusField = -1;
  Send(WM_SETFOCUS);
  EXPECT_EQ(GetFocus(), app_.window->PageWindow(0));
}

}  // namespace
}  // namespace vantor
