// The program's resources as Windows loads them: icons, both menus, the accelerators and the manifest.
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

using MenuEntries = std::vector<std::pair<UINT, std::wstring>>;  // id 0: separator, -1: popup

MenuEntries Entries(HMENU menu) {
  MenuEntries entries;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    entries.emplace_back(GetMenuItemID(menu, i), text);
  }
  return entries;
}

class ResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(ProgramResources(), nullptr) << "Vantor.exe must be built beside win_tests.exe"; }
};

TEST_F(ResourcesTest, IconsLoad) {
  for (const auto& [id, size] : {std::pair{IDI_VANTOR, 32}, std::pair{IDI_VANTOR_SMALL, 16}}) {
    HICON icon = static_cast<HICON>(LoadImageW(ProgramResources(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
    EXPECT_NE(icon, nullptr) << id;
    if (icon != nullptr) DestroyIcon(icon);
  }
}

// Each menu item must carry the command its caption names: a wrong id runs another dialog.
TEST_F(ResourcesTest, MenusHoldEveryCommandInOrder) {
  const UINT popup = static_cast<UINT>(-1);
  const MenuEntries admin = {
      {IDM_ABOUT, L"&About..."}, {0, L""}, {IDM_HOST, L"&Host..."}, {0, L""}, {IDM_SCANNER, L"Sca&nner..."},
      {0, L""}, {IDM_SCREEN, L"&Screen..."}, {IDM_FIELDS, L"F&ields..."}, {IDM_FONT, L"&Font..."}, {0, L""},
      {IDM_SERIAL_SETTINGS, L"&Serial settings..."}, {IDM_SERIAL_FEATURE, L"Se&rial feature..."}, {0, L""},
      {popup, L"Soun&ds"}, {0, L""}, {IDM_USER_MODE, L"&User Mode"}, {0, L""}, {IDM_EXIT, L"E&xit"}};
  const MenuEntries sounds = {
      {IDM_SOUND_NORMAL, L"Normal..."}, {IDM_SOUND_ERROR, L"Error..."}, {IDM_SOUND_SCAN_ACCEPT, L"Scan Accept..."},
      {IDM_SOUND_SCAN_REJECT, L"Scan Reject..."}, {IDM_SOUND_USER1, L"User 1..."}, {IDM_SOUND_USER2, L"User 2..."},
      {IDM_SOUND_USER3, L"User 3..."}, {IDM_SOUND_USER4, L"User 4..."}};
  const MenuEntries user = {
      {IDM_ABOUT, L"&About..."}, {0, L""}, {IDM_OPTIONS, L"&Options..."}, {0, L""}, {IDM_EXIT, L"E&xit"}};

  HMENU adminMenu = LoadMenuW(ProgramResources(), MAKEINTRESOURCEW(IDR_MENU_ADMIN));
  ASSERT_NE(adminMenu, nullptr);
  EXPECT_EQ(Entries(adminMenu), (MenuEntries{{popup, L"&File"}}));
  HMENU file = GetSubMenu(adminMenu, 0);
  EXPECT_EQ(Entries(file), admin);
  EXPECT_EQ(Entries(GetSubMenu(file, 13)), sounds);
  DestroyMenu(adminMenu);

  HMENU userMenu = LoadMenuW(ProgramResources(), MAKEINTRESOURCEW(IDR_MENU_USER));
  ASSERT_NE(userMenu, nullptr);
  EXPECT_EQ(Entries(GetSubMenu(userMenu, 0)), user);
  DestroyMenu(userMenu);
}

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
