// The main window in session with a loopback host: key labels on the toolbar, the host's message and prompt,
// connecting again, and what taps and function keys send.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include "app_fixture_win.h"
#include "devices/serial_channel_win.h"
#include "pty_port_win.h"
#include "test_host.h"
#include "settings/settings.h"
#include "win/app/app_dialogs.h"
#include "win/dialogs/host_dialog_ids.h"
#include "win/toolbar/toolbar.h"

namespace vantor {
namespace {

using namespace wintest;
using host_records::ScreenBuilder;
using testing_support::KeyResponse;
using testing_support::Millis;
using testing_support::Response;
using testing_support::ResponseByte;
namespace field = host_records::field;
namespace option = host_records::option;

class HostedWindowTest : public ::testing::Test {
 protected:
  // A host call that waits, made on another thread while this one serves the window (the session thread
  // sends it its records and the connecting lock). The host's own time-outs bound it.
  template <class Call>
  auto Serving(Call call) {
    auto result = std::async(std::launch::async, call);
    PumpUntil([&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 30000);
    return result.get();
  }
  void SetUp() override {
    ASSERT_TRUE(host_.Listening());
    terminal_.hostPort = host_.Port();
    terminal_.toolbarSize = 0;
    terminal_.runDialog = [this](const DialogRequest& request) { return RunAppDialog(terminal_.app, request); };
    ASSERT_TRUE(terminal_.Open()) << "Vantor.exe must be built beside win_tests.exe";
    ASSERT_TRUE(Serving([&] { return host_.Accept(); }));
    ASSERT_EQ(NextBody(), "I");
  }
  // The terminal's next record but the "H" that acknowledges each screen record.
  std::string NextBody() {
    for (;;) {
      const auto record = Serving([&] { return host_.ReadRecord(); });
      if (!record) return "(nothing)";
      if (record->body != "H") return record->body;
    }
  }
  // Two entry fields, 20 and 21, on a clean page; the keyboard unlocked.
  void ShowEntries(int focus) {
    terminal_.Receive(ScreenBuilder().ErasePage().Input(20, 1, 0, 8).Input(21, 2, 0, 8).FocusAndUnlock(focus));
  }
  HWND Control(int id) const {
    const Field* found = terminal_.Screen().CurrentField(id);
    return found ? Hwnd(*found) : nullptr;
  }
  static void Tap(HWND window) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  }

  testing_support::TestHost host_;
  AppWindow terminal_{L"VantorHostedWindowTest"};
};

TEST_F(HostedWindowTest, AKeyLabelFromTheHostEnablesItsToolbarButtonWhoseTapSendsTheKeyForTheFocusField) {
  const HWND next = terminal_.app.window->GetToolbar()->Button(3).buttonWindow;
  ShowEntries(21);
  EXPECT_FALSE(IsWindowEnabled(next));
  terminal_.Receive(ScreenBuilder().KeyLabel(12, "NEXT").FocusAndUnlock(21));
  ASSERT_TRUE(IsWindowEnabled(next));
  Tap(next);
  EXPECT_EQ(NextBody(), KeyResponse(12, 21));
}

// The operator closes the host's dialog, or the host's I record does; then the main window's F5 shows
// what was sent meanwhile. A message puts the focus on its field afterwards.
TEST_F(HostedWindowTest, TheHostsMessageAndPromptCloseByOkCancelOrAnIRecord) {
  const std::string marker = KeyResponse(5, -1);
  struct Case {
    bool prompt;
    int close;                        // the command the operator gives; 0: the host sends an I record instead
    std::optional<std::string> sent;  // before the marker; the I record's end is answered by an empty record
  } const cases[] = {{false, IDOK, {}},    {false, IDCANCEL, {}},
                     {false, 0, ""},       {true, IDOK, "R?" + ResponseByte(3) + "123"},
                     {true, IDCANCEL, {}}, {true, 0, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.prompt ? "prompt" : "message") << " closed by " << c.close);
    ShowEntries(20);
    terminal_.Receive(c.prompt ? ScreenBuilder().Prompt(4, "Qty?") : ScreenBuilder().MessageAt(21, "Wait"));
    static std::function<void()> tick;
    std::wstring shown;
    int ticks = 0;
    tick = [&] {
      const HWND dialog = terminal_.app.window->HostDialog();
      if (++ticks > 300) {  // 10 s: whatever the thread shows is cancelled, so that a failing test never hangs
        EnumThreadWindows(
            GetCurrentThreadId(), [](HWND w, LPARAM) { return PostMessageW(w, WM_COMMAND, IDCANCEL, 0); }, 0);
      } else if (dialog != nullptr && shown.empty()) {
        shown = WindowText(GetDlgItem(dialog, IDC_HOST_TEXT));
        for (wchar_t ch : std::wstring(L"123")) SendMessageW(GetDlgItem(dialog, IDC_PROMPT_ANSWER), WM_CHAR, ch, 1);
        if (c.close != 0) PostMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(c.close), 0);
        if (c.close == 0) host_.SendRecord("I");
      }
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR, DWORD) { tick(); });
    const bool closed =
        PumpUntil([&] { return !shown.empty() && terminal_.app.window->HostDialog() == nullptr; }, 15000);
    KillTimer(nullptr, timer);
    ASSERT_TRUE(closed);
    EXPECT_EQ(shown, c.prompt ? L"Qty?" : L"Wait");
    EXPECT_LT(ticks, 300) << "closed only by the safety net";
    EXPECT_EQ(Control(20) == nullptr, c.close == 0) << "an I record clears the screen";
    if (!c.prompt && c.close != 0) {
      EXPECT_EQ(GetFocus(), Control(21));
    }
    if (c.sent) {
      EXPECT_EQ(NextBody(), *c.sent);
    }
    terminal_.Receive(ScreenBuilder().FocusAndUnlock(-1));
    terminal_.Send(WM_KEYDOWN, VK_F5);
    EXPECT_EQ(NextBody(), marker) << "nothing more was sent";
  }
}

TEST_F(HostedWindowTest, ComesBackAboutASecondAfterALostConnectionAndNotAfterAStop) {
  host_.CloseConnection();
  const auto lost = std::chrono::steady_clock::now();
  ASSERT_TRUE(Serving([&] { return host_.Accept(Millis(10000)); })) << "it did not come back";
  EXPECT_GE(std::chrono::steady_clock::now() - lost, Millis(700)) << "it waits about a second";
  EXPECT_EQ(NextBody(), "I");
  terminal_.Send(WM_VDX_SESSION_ENDED, 1);  // as the session thread reports a stop
  EXPECT_TRUE(Serving([&] { return host_.WaitPeerClosed(); }));
  EXPECT_FALSE(Serving([&] { return host_.Accept(Millis(2500)); })) << "connected again after a stop";
}

// A tap on each kind of button (auto-sending but the last); the main window's F5 follows each.
TEST_F(HostedWindowTest, TapsOnButtonsSendWhatTheyShould) {
  constexpr auto kAutoSend = field::kBase | field::kInput | field::kAutoSend;
  struct Case {
    char type;
    std::uint8_t flags;
    const char* text;
    std::vector<std::string> sent;
  } const cases[] = {
      {'B', kAutoSend, "OK", {KeyResponse(0, 30, {{30, "OK"}}), KeyResponse(5, -1)}},
      {'C', kAutoSend, " Box", {Response("R%" + ResponseByte(30), {{30, "XBox"}}), KeyResponse(5, -1)}},
      {'R',
       kAutoSend,
       " Radio",
       {Response("R%" + ResponseByte(30), {{30, "XRadio"}, {31, " Other"}}), KeyResponse(5, -1)}},
      {'S', kAutoSend, " Pick", {Response("R%" + ResponseByte(30), {{30, "XPick"}}), KeyResponse(5, -1)}},
      {'C', field::kBase | field::kInput, " Box", {KeyResponse(5, -1, {{30, "XBox"}})}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    ScreenBuilder screen;
    screen.ErasePage().Define(30, 1, 0, c.flags, field::kBase, 8).Options(30, {option::Type(c.type)}).Text(30, c.text);
    screen.Input(31, 2, 0, 8).Options(31, {option::Type(c.type)}).Text(31, "XOther");
    terminal_.Receive(screen.FocusAndUnlock(31));
    Tap(Control(30));
    terminal_.Receive(ScreenBuilder().FocusAndUnlock(-1));
    terminal_.Send(WM_KEYDOWN, VK_F5);
    std::vector<std::string> sent;
    for (std::size_t n = 0; n < c.sent.size(); ++n) sent.push_back(NextBody());
    EXPECT_EQ(sent, c.sent);
  }
}

// Function keys the page window or the main window gets, with Shift or Ctrl held.
TEST_F(HostedWindowTest, FunctionKeysReachingThePageOrTheMainWindowSendTheirCodes) {
  struct Case {
    bool page;
    WPARAM key;
    int modifier;
    int code;
  } const cases[] = {
      {false, VK_F1, 0, 1}, {true, VK_F5, 0, 5}, {true, VK_F2, VK_SHIFT, 12}, {false, VK_F3, VK_CONTROL, 23}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    ShowEntries(20);
    BYTE keys[256] = {};
    keys[c.modifier] = 0x80;  // the key held, as the window reads it
    SetKeyboardState(keys);
    SendMessageW(c.page ? terminal_.app.window->PageWindow(0) : terminal_.window, WM_KEYDOWN, c.key, 1);
    SetKeyboardState(std::array<BYTE, 256>{}.data());
    EXPECT_EQ(NextBody(), KeyResponse(c.code, -1));
  }
}

// The terminal on a pseudo-terminal COM port, scans framed by 2 and 3 going to the host.
class HostedSerialTest : public HostedWindowTest {
 protected:
  void SetUp() override {
    // A port number of this process's own, other than the serial channel test's.
    ASSERT_TRUE(port_.Start(10 + static_cast<int>(GetCurrentProcessId() / 4 % 230 + 1))) << "no pseudo-terminal port";
    terminal_.configure = [this](Settings& settings) {
      settings.SetSerialLine({port_.PortName(), u"9600", u"8", u"None", u"1"});
      settings.SetSerialFeature({true, 2, 3, false, 0, 0});
      settings.SetSerialTimeouts({100, 0, 0, 0, 0});
      settings.SetSerialCommandMode(true);
    };
    HostedWindowTest::SetUp();
  }
  void TearDown() override {  // the terminal lets the port go before the device goes
    ShowWindow(terminal_.window, SW_HIDE);
    DestroyWindow(terminal_.window);
  }

  PtyPort port_;
};

TEST_F(HostedSerialTest, ScansArrivingTogetherReachTheHostInTheirOrder) {
  ASSERT_TRUE(terminal_.app.window->GetSerial()->IsOpen());
  ASSERT_TRUE(port_.Write("\\002A1\\003\\002B22\\003\\002C333\\003"));
  std::vector<std::string> sent;
  for (int n = 0; n < 3; ++n) sent.push_back(NextBody());
  EXPECT_EQ(sent, (std::vector<std::string>{"R<1" + ResponseByte(2) + "A1", "R<1" + ResponseByte(3) + "B22",
                                            "R<1" + ResponseByte(4) + "C333"}));
}

}  // namespace
}  // namespace vantor
