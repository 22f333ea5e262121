// The message loop's quit code and filter, the frame translating the program's accelerators, its manifest.
#include "win/base/message_loop.h"

#include <gtest/gtest.h>

#include <vector>

#include "app_fixture_win.h"
#include "look/menu_ids.h"
#include "win/base/resource_ids.h"

namespace vantor {
namespace {

constexpr UINT kProbe = WM_USER + 77;

class CountingFilter final : public MessageFilter {
 public:
  bool FilterMessage(MSG* message) override {
    seen += message->message == kProbe;
    return message->message == kProbe;
  }
  int seen = 0;
};

TEST(MessageLoopTest, RunReturnsTheQuitCodeAndTheFilterKeepsMessagesFromTheirWindow) {
  wintest::RecordingWindow window;
  MessageLoop loop;
  CountingFilter filter;
  PostMessageW(window.get(), kProbe, 1, 0);
  PostMessageW(window.get(), kProbe + 1, 2, 0);
  PostQuitMessage(7);
  // Ends the loop with 99 if the quit above never came, so that a broken loop cannot hang.
  const UINT_PTR watchdog = SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(99); });
  EXPECT_TRUE(loop.SetFilter(&filter));
  EXPECT_EQ(loop.Run(), 7);
  KillTimer(nullptr, watchdog);
  EXPECT_EQ(filter.seen, 1);
  EXPECT_TRUE(window.Of(kProbe).empty());
  EXPECT_EQ(window.Of(kProbe + 1).size(), 1u);
  EXPECT_TRUE(loop.ClearFilter());
  MSG probe{nullptr, kProbe, 0, 0, 0, {}};
  EXPECT_FALSE(loop.FilterMessage(&probe));
}

TEST(MessageLoopTest, FrameTranslatesTheProgramsAcceleratorsForTheMainWindowWhateverTheTarget) {
  ASSERT_NE(wintest::ProgramResources(), nullptr) << "Vantor.exe must be built beside win_tests.exe";
  HACCEL table = LoadAcceleratorsW(wintest::ProgramResources(), MAKEINTRESOURCEW(IDR_ACCELERATORS));
  ASSERT_NE(table, nullptr);
  wintest::RecordingWindow main, other;
  AppFrame frame(main.get(), table);
  constexpr LPARAM kAlt = 1 << 29 | 1;
  const MSG messages[] = {{other.get(), WM_SYSKEYDOWN, VK_F4, kAlt, 0, {}},  // the shadowing command, never Exit
                          {other.get(), WM_SYSCHAR, '/', kAlt, 0, {}},
                          {other.get(), WM_SYSKEYDOWN, '0', kAlt, 0, {}},  // with Ctrl
                          {other.get(), WM_KEYDOWN, VK_F4, 1, 0, {}}};     // no Alt: no command
  for (MSG message : messages) {
    BYTE keys[256] = {};  // the keys held, as the translation reads them
    keys[VK_MENU] = keys[VK_LMENU] = message.lParam == kAlt ? 0x80 : 0;
    keys[VK_CONTROL] = keys[VK_LCONTROL] = message.wParam == '0' ? 0x80 : 0;
    SetKeyboardState(keys);
    EXPECT_EQ(frame.FilterMessage(&message), message.lParam == kAlt) << message.wParam;
    EXPECT_FALSE(AppFrame(main.get(), nullptr).FilterMessage(&message));
  }
  BYTE none[256] = {};
  SetKeyboardState(none);
  DestroyAcceleratorTable(table);
  std::vector<int> commands;
  for (const MSG& m : main.Of(WM_COMMAND)) commands.push_back(LOWORD(m.wParam));
  EXPECT_EQ(commands, (std::vector<int>{IDM_ALT_F4, IDM_ABOUT, IDM_FULLSCREEN}));
  EXPECT_TRUE(other.Of(WM_COMMAND).empty());
}

TEST(ResourcesTest, ManifestAsksForCommonControlsSixAndDpiAwareness) {
  const HMODULE resources = wintest::ProgramResources();
  HRSRC found = FindResourceW(resources, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(found, nullptr);
  const std::string manifest(static_cast<const char*>(LockResource(LoadResource(resources, found))),
                             SizeofResource(resources, found));
  for (const char* part : {"Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"", "<dpiAware>true</dpiAware>"}) {
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
  }
}

}  // namespace
}  // namespace vantor
