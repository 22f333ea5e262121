// The main window: creation from the settings, menus by mode, full screen, keys while locked and
// unlocked, keyboard mapping, menu commands, the session's screens and reconnection, shutdown.
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
#include "session/serial_input.h"
#include "session/csession.h"
#include "session/responses.h"
#include "test_host.h"
#include "win/toolbar/lock_indicator.h"
#include "win/toolbar/toolbar.h"

namespace vantor {
namespace {

using namespace wintest;

using testing_support::HostRecord;
using testing_support::ScreenBuilder;
using testing_support::TestHost;

class CapturingSender final : public RecordSender {
 public:
  bool SendRecord(int terminalId, std::string_view data) override {
    (void)terminalId;
    records.emplace_back(data);
    return true;
  }
  std::vector<std::string> records;
};

struct DialogCall {
  int templateId;
  int soundEvent;
  bool windowExisted;
};

UINT FirstMenuCommand(HWND window) { return GetMenuItemID(GetSubMenu(GetMenu(window), 0), 0); }
int MenuItemCount(HWND window) { return GetMenuItemCount(GetSubMenu(GetMenu(window), 0)); }

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
    options.runDialog = [this](int templateId, int soundEvent) {
      dialogs_.push_back(DialogCall{templateId, soundEvent, app_.mainWindow != nullptr});
      if (onDialog_) onDialog_(templateId);
      return dialogResult_;
    };
    if (!InitInstance(app_, instance_, options)) return false;
    window_ = app_.mainWindow;
    if (!startSession && app_.session) app_.session->SetRecordSender(&sent_);
    return window_ != nullptr;
  }
  LRESULT Send(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    return SendMessageW(window_, message, wparam, lparam);
  }
  void Unlock() { Send(WM_VDX_INPUT_ON); }
  std::string KeyResponse(int code) const {
    Page* page = app_.session->CurrentPagePtr();
    return BuildKeyResponse(code, app_.session->FocusField(), page ? &page->Fields() : nullptr, CodePage::Ansi);
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
  CapturingSender sent_;
  std::vector<DialogCall> dialogs_;
  std::function<void(int)> onDialog_;
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
  EXPECT_EQ(MenuItemCount(window_), 18);
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
  EXPECT_EQ(loop_.Filter(), app_.frame.get());
  EXPECT_TRUE(dialogs_.empty());
}

TEST_F(MainWindowTest, KeysAreDroppedWhileLockedAndOneResponseGoesOutPerScreen) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(Send(WM_VDX_KEYBOARD_STATE), kKeyboardLocked);
  Send(WM_VDX_KEY, static_cast<WPARAM>(-1), 3);
  Send(WM_VDX_FIELD_CHANGED, 1, 0);
  EXPECT_TRUE(sent_.records.empty());
  Unlock();
  EXPECT_EQ(Send(WM_VDX_KEYBOARD_STATE), kKeyboardReady);
  const std::string expected = KeyResponse(3);
  Send(WM_VDX_KEY, static_cast<WPARAM>(-1), 3);
  Send(WM_VDX_KEY, static_cast<WPARAM>(-1), 4);
  ASSERT_EQ(sent_.records.size(), 1u);
  EXPECT_EQ(sent_.records[0], expected);
  EXPECT_EQ(Send(WM_VDX_KEYBOARD_STATE), kKeyboardLocked);
}

TEST_F(MainWindowTest, KeyboardMappingOfTheMainWindowItself) {
  stored_.SetEnterSendsKey(false);
  ASSERT_TRUE(Start());
  struct Case {
    bool ctrl, shift;
    WPARAM key;
    int code;
  };
  const Case cases[] = {{false, true, VK_F1, 11}, {true, false, VK_F24, 44}, {false, false, 0xF2, 27}};
  for (const Case& c : cases) {
    Unlock();
    sent_.records.clear();
    const std::string expected = KeyResponse(c.code);
    wintest::HeldKeys keys(c.ctrl, c.shift, false);
    Send(WM_KEYDOWN, c.key, 1);
    ASSERT_EQ(sent_.records.size(), 1u) << c.key;
    EXPECT_EQ(sent_.records[0], expected) << c.key;
  }
  Unlock();
  sent_.records.clear();
  wintest::HeldKeys keys(false, false, false);
  Send(WM_KEYDOWN, VK_RETURN, 1);
  Send(WM_KEYDOWN, 'A', 1);
  EXPECT_TRUE(sent_.records.empty());
  EXPECT_EQ(Send(WM_VDX_KEYBOARD_STATE), kKeyboardReady);
}

TEST_F(MainWindowTest, ToolbarKeyGoesOutForTheFocusField) {
  ASSERT_TRUE(Start());
  Unlock();
  app_.session->SetFocusField(5);
  const std::string expected = BuildKeyResponse(9, 5, &app_.session->CurrentPagePtr()->Fields(), CodePage::Ansi);
  Send(WM_VDX_TOOLBARKEY, 0x10009, 0);
  ASSERT_EQ(sent_.records.size(), 1u);
  EXPECT_EQ(sent_.records[0], expected);
}

TEST_F(MainWindowTest, CurrentFieldAndInputPageQueries) {
  ASSERT_TRUE(Start());
  Page* page = nullptr;
  EXPECT_EQ(Send(WM_VDX_GET_INPUT_PAGE, 0, reinterpret_cast<LPARAM>(&page)), 1);
  EXPECT_EQ(page, app_.session->Pages().At(0));
  Field* field = nullptr;
  EXPECT_EQ(Send(WM_VDX_GET_CURRENT_FIELD, 0, reinterpret_cast<LPARAM>(&field)), 0);
  Field& added = page->Fields().Add(4, 0, 0, 5);
  app_.session->SetFocusField(4);
  EXPECT_EQ(Send(WM_VDX_GET_CURRENT_FIELD, 0, reinterpret_cast<LPARAM>(&field)), 1);
  EXPECT_EQ(field, &added);
  app_.session->SetCurrentPage(40);
  EXPECT_EQ(Send(WM_VDX_GET_INPUT_PAGE, 0, reinterpret_cast<LPARAM>(&page)), 0);
  EXPECT_EQ(page, nullptr);
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
  Settings written(dir_.File(L"Vantor.ini"));
  ASSERT_TRUE(written.ReadSettings());
  EXPECT_FALSE(written.FullScreen());
}

TEST_F(MainWindowTest, HostOptionsOkRestartsTheSessionAndCancelDoesNot) {
  ASSERT_TRUE(Start(true));
  ASSERT_TRUE(AcceptWhilePumping());
  auto identify = ReadWhilePumping();
  ASSERT_TRUE(identify.has_value());
  EXPECT_EQ(identify->terminalId, "7");
  EXPECT_EQ(identify->body, "I");
  dialogResult_ = 0;
  Send(WM_COMMAND, IDM_HOST);
  ASSERT_EQ(dialogs_.size(), 1u);
  EXPECT_EQ(dialogs_[0].templateId, IDD_HOST_OPTIONS);
  wintest::PumpUntil([] { return false; }, 300);
  EXPECT_FALSE(host_.PeerClosed());
  dialogResult_ = 1;
  Send(WM_COMMAND, IDM_HOST);
  // Dropped at once, connected again about a second later.
  const auto dropped = std::chrono::steady_clock::now();
  ASSERT_TRUE(AcceptWhilePumping());
  const auto elapsed = std::chrono::steady_clock::now() - dropped;
  EXPECT_GE(elapsed, std::chrono::milliseconds(800));
  EXPECT_EQ(host_.AcceptCount(), 2);
}

TEST_F(MainWindowTest, AScreenFromTheHostMakesItsControlsOnItsPageAndTakesOneKey) {
  ASSERT_TRUE(Start(true));
  ASSERT_TRUE(AcceptWhilePumping());
  ASSERT_TRUE(ReadWhilePumping().has_value());
  ScreenBuilder screen;
  screen.SelectPage(1).Fixed(1, 0, 0, "Item").Input(2, 1, 2, 6).ShowPage(1).FocusAndUnlock(2);
  ASSERT_TRUE(host_.SendRecord(screen.RecordData()));
  auto answer = ReadWhilePumping();
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(answer->body, "H");
  ASSERT_TRUE(wintest::PumpUntil([&] { return app_.session->KeyboardState() == kKeyboardReady; }, 5000));
  Page* page = app_.session->Pages().At(1);
  for (int id : {1, 2}) {
    ASSERT_NE(page->Fields().Find(id), nullptr) << id;
    EXPECT_EQ(GetParent(Hwnd(*page->Fields().Find(id))), app_.window->PageWindow(1)) << id;
  }
  EXPECT_TRUE(GetWindowLongW(app_.window->PageWindow(1), GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(GetWindowLongW(app_.window->PageWindow(0), GWL_STYLE) & WS_VISIBLE);
  EXPECT_TRUE(IsWindowEnabled(app_.window->PageWindow(1)));
  // Arranging again keeps the pages behind hidden.
  Send(WM_VDX_ARRANGE);
  EXPECT_FALSE(GetWindowLongW(app_.window->PageWindow(0), GWL_STYLE) & WS_VISIBLE);
  // One key for the host, the second one while it answers is dropped.
  Send(WM_VDX_KEY, 2, 5);
  Send(WM_VDX_KEY, 2, 6);
  auto key = ReadWhilePumping();
  ASSERT_TRUE(key.has_value());
  EXPECT_EQ(key->body.substr(0, 2), "RF");
  EXPECT_EQ(key->body[2], static_cast<char>(5 + 48));
  EXPECT_TRUE(host_.NothingArrives(std::chrono::milliseconds(300)));
}

TEST_F(MainWindowTest, ClosingWritesWindowStateAndPositionAfterStoppingTheSession) {
  stored_.SetWindowPosition(3, 4, 240, 320);
  ASSERT_TRUE(Start(true));
  ASSERT_TRUE(AcceptWhilePumping());
  SetWindowPos(window_, nullptr, 30, 40, 250, 330, SWP_NOZORDER);
  ShowWindow(window_, SW_HIDE);
  ShowWindow(window_, SW_SHOWNOACTIVATE);
  ShowWindow(window_, SW_HIDE);
  Send(WM_CLOSE);
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_EQ(app_.session, nullptr);
  EXPECT_EQ(app_.frame, nullptr);
  EXPECT_EQ(loop_.Filter(), nullptr);
  Settings written(dir_.File(L"Vantor.ini"));
  ASSERT_TRUE(written.ReadSettings());
  EXPECT_EQ(written.WindowPosition(), (WindowPos{30, 40, 250, 330}));
  EXPECT_EQ(written.WindowState(), 0);
  EXPECT_TRUE(host_.WaitPeerClosed(std::chrono::milliseconds(3000)));
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
  onDialog_ = [this](int templateId) {
    if (templateId == IDD_SCREEN_OPTIONS) app_.settings->SetToolbarSize(1);
  };
  Send(WM_COMMAND, IDM_SCREEN);
  ASSERT_NE(app_.toolbar, nullptr);
  EXPECT_EQ(GetParent(app_.toolbar->BarWindow()), window_);
  RECT bar{};
  GetWindowRect(app_.toolbar->BarWindow(), &bar);
  RECT page{};
  GetWindowRect(app_.window->PageWindow(0), &page);
  EXPECT_EQ(page.top, bar.bottom);  // the page is laid out below the bar
  onDialog_ = [this](int templateId) {
    if (templateId == IDD_SCREEN_OPTIONS) app_.settings->SetToolbarSize(-1);
  };
  Send(WM_COMMAND, IDM_SCREEN);
  EXPECT_EQ(app_.toolbar, nullptr);
  // A sound dialog ended with OK rebuilds its event's player.
  onDialog_ = nullptr;
  Send(WM_COMMAND, IDM_SOUND_SCAN_REJECT);
  ASSERT_NE(app_.soundPlayers[3], nullptr);
  dialogResult_ = 0;
  SoundPlayer* before = app_.soundPlayers[3].get();
  Send(WM_COMMAND, IDM_SOUND_SCAN_REJECT);
  EXPECT_EQ(app_.soundPlayers[3].get(), before);
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
  ASSERT_TRUE(Start());
  Send(WM_VDX_HOST_PROMPT, 1, 0);
  EXPECT_TRUE(dialogs_.empty());
  Send(WM_VDX_HOST_MESSAGE, 1, 0xFFFF);
  ASSERT_EQ(dialogs_.size(), 1u);
  EXPECT_EQ(dialogs_[0].templateId, IDD_ADVISORY);
  EXPECT_EQ(app_.session->FocusField(), -1);
  EXPECT_EQ(app_.session->KeyboardState(), kKeyboardReady);
  app_.session->SetPromptLength(5);
  dialogResult_ = 1;
  Send(WM_VDX_HOST_PROMPT, 1, 5);
  ASSERT_EQ(dialogs_.size(), 2u);
  EXPECT_EQ(dialogs_[1].templateId, IDD_PROMPT);
  ASSERT_EQ(sent_.records.size(), 1u);  // the reply to the prompt
  EXPECT_EQ(sent_.records[0].substr(0, 1), "R");
}

TEST_F(MainWindowTest, LockIndicatorComesWithInputOffAndGoes) {
  ASSERT_TRUE(Start());
  Unlock();
  ASSERT_TRUE(IsWindowEnabled(app_.window->PageWindow(0)));
  Send(WM_VDX_INDICATOR, 0, 1);
  ASSERT_NE(app_.indicator, nullptr);
  HWND indicator = app_.indicator->Window();
  ASSERT_NE(indicator, nullptr);
  wchar_t title[16] = {};
  GetWindowTextW(indicator, title, 16);
  EXPECT_STREQ(title, L"Lock-B");
  EXPECT_FALSE(IsWindowEnabled(app_.window->PageWindow(0)));
  Send(WM_VDX_INDICATOR_OFF);
  EXPECT_EQ(app_.indicator->Window(), nullptr);
  // A page brought to the front stays under the indicator.
  Send(WM_VDX_INDICATOR, 1, 1);
  wintest::PumpUntil([] { return false; }, 300);  // the indicator raises itself when it paints
  app_.session->Pages().Show(2);
  EXPECT_EQ(GetWindow(window_, GW_CHILD), app_.indicator->Window());
  EXPECT_EQ(GetWindow(app_.indicator->Window(), GW_HWNDNEXT), app_.window->PageWindow(2));
}

TEST_F(MainWindowTest, FocusGoesToTheFocusFieldsControlOrToThePage) {
  ASSERT_TRUE(Start());
  Unlock();
  Page* page = app_.session->CurrentPagePtr();
  Field& entry = page->Fields().Add(3, 0, 0, 5);
  entry.flags = kModeInput;
  Field& text = page->Fields().Add(4, 1, 0, 5);
  text.flags = kModeDisplay;
  text.SetText(u"text");
  app_.session->Pages().Refresh(0);
  ASSERT_NE(entry.window, 0u);
  app_.session->SetFocusField(3);
  SetFocus(nullptr);
  Send(WM_SETFOCUS);
  EXPECT_EQ(GetFocus(), reinterpret_cast<HWND>(entry.window));
  app_.session->SetFocusField(4);
  Send(WM_SETFOCUS);
  EXPECT_EQ(GetFocus(), app_.window->PageWindow(0));
  SetFocus(reinterpret_cast<HWND>(entry.window));  // the entry makes itself the focus field
  EXPECT_EQ(app_.session->FocusField(), 3);
  app_.session->SetFocusField(-1);
  Send(WM_SETFOCUS);
  EXPECT_EQ(GetFocus(), app_.window->PageWindow(0));
}

TEST_F(MainWindowTest, SerialInputIsDeliveredOnTheWindowsThread) {
  ASSERT_TRUE(Start());
  // Command mode: straight to the host, locked or not.
  const std::string data = "SCAN123";
  RouteSerialInput(SerialBytes(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()), true,
                   *app_.window);
  ASSERT_EQ(sent_.records.size(), 1u);
  EXPECT_NE(sent_.records[0].find("SCAN123"), std::string::npos);
  // Field mode: the page's serial input field is emptied and filled up to its length.
  Unlock();
  Page* page = app_.session->CurrentPagePtr();
  Field& field = page->Fields().Add(6, 0, 0, 3);
  field.flags = kModeInput;
  field.serial = 1;
  field.SetText(u"old");
  app_.session->Pages().Refresh(0);
  ASSERT_NE(field.window, 0u);
  EXPECT_EQ(app_.window->FirstSerialInputField(), 6);
  EXPECT_EQ(app_.window->FieldLength(6), 3);
  app_.window->ClearField(6);
  EXPECT_EQ(field.Text(), u"");
  EXPECT_EQ(app_.window->FirstSerialInputField(), 6);
  EXPECT_FALSE(app_.window->FieldHasWindow(99));
  EXPECT_EQ(app_.window->FieldLength(99), 0);
}

}  // namespace
}  // namespace vantor
