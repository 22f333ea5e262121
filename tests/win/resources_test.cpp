// The program's resources as Windows loads them: the accelerators and the manifest.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "win/base/resource_ids.h"
#include "look/menu_ids.h"
#include "app_fixture_win.h"

namespace vantor {
namespace {

using wintest::ProgramResources;

class ResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(ProgramResources(), nullptr) << "Vantor.exe must be built beside win_tests.exe"; }
};

TEST_F(ResourcesTest, AcceleratorsTranslateToTheirCommands) {
  HACCEL table = LoadAcceleratorsW(ProgramResources(), MAKEINTRESOURCEW(IDR_ACCELERATORS));
  ASSERT_NE(table, nullptr);
  wintest::RecordingWindow window;
  ASSERT_NE(window.get(), nullptr);
  constexpr LPARAM kAltDown = 1 << 29;
  {
    wintest::HeldKeys keys(false, false, true);
    MSG altF4{window.get(), WM_SYSKEYDOWN, VK_F4, kAltDown | 1, 0, {}};
    EXPECT_TRUE(TranslateAcceleratorW(window.get(), table, &altF4));
    MSG altSlash{window.get(), WM_SYSCHAR, '/', kAltDown | 1, 0, {}};
    EXPECT_TRUE(TranslateAcceleratorW(window.get(), table, &altSlash));
  }
  {
    wintest::HeldKeys keys(true, false, true);
    MSG ctrlAlt0{window.get(), WM_SYSKEYDOWN, '0', kAltDown | 1, 0, {}};
    EXPECT_TRUE(TranslateAcceleratorW(window.get(), table, &ctrlAlt0));
  }
  {
    wintest::HeldKeys keys(false, false, false);
    MSG plainF4{window.get(), WM_KEYDOWN, VK_F4, 1, 0, {}};
    EXPECT_FALSE(TranslateAcceleratorW(window.get(), table, &plainF4));
  }
  const auto commands = window.Of(WM_COMMAND);
  ASSERT_EQ(commands.size(), 3u);
  // Alt+F4 produces the shadowing command, never Exit.
  EXPECT_EQ(LOWORD(commands[0].wparam), IDM_ALT_F4);
  EXPECT_EQ(LOWORD(commands[1].wparam), IDM_ABOUT);
  EXPECT_EQ(LOWORD(commands[2].wparam), IDM_FULLSCREEN);
}

TEST_F(ResourcesTest, ManifestAsksForCommonControlsSixAndDpiAwareness) {
  HRSRC found = FindResourceW(ProgramResources(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(found, nullptr);
  const char* text = static_cast<const char*>(LockResource(LoadResource(ProgramResources(), found)));
  const std::string manifest(text, SizeofResource(ProgramResources(), found));
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(manifest.find("<dpiAware>true</dpiAware>"), std::string::npos);
}

}  // namespace
}  // namespace vantor
