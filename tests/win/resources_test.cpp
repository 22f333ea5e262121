// The program's resources: title and class strings, icons, both menus, the accelerator table, the
// Host options template, the version and the manifest.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/resource_ids.h"
#include "app_fixture_win.h"

namespace vantor {
namespace {

using wintest::ProgramResources;

std::wstring ResourceString(UINT id) {
  wchar_t buffer[100] = {};
  const int length = LoadStringW(ProgramResources(), id, buffer, 100);
  return std::wstring(buffer, length > 0 ? length : 0);
}

struct MenuEntry {
  UINT id;  // 0 separator, -1 popup
  std::wstring text;
};

std::vector<MenuEntry> Entries(HMENU menu) {
  std::vector<MenuEntry> entries;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    entries.push_back(MenuEntry{GetMenuItemID(menu, i), text});
  }
  return entries;
}

class ResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(ProgramResources(), nullptr) << "Vantor.exe must be built beside win_tests.exe"; }
};

TEST_F(ResourcesTest, TitleAndClassNameStrings) {
  EXPECT_EQ(ResourceString(IDS_APP_TITLE), L"Vantor");
  EXPECT_EQ(ResourceString(IDS_WINDOW_CLASS), L"VORANDEXWIN");
}

TEST_F(ResourcesTest, IconsLoad) {
  HICON large = static_cast<HICON>(LoadImageW(ProgramResources(), MAKEINTRESOURCEW(IDI_VANTOR), IMAGE_ICON, 32, 32, 0));
  HICON small = static_cast<HICON>(
      LoadImageW(ProgramResources(), MAKEINTRESOURCEW(IDI_VANTOR_SMALL), IMAGE_ICON, 16, 16, 0));
  EXPECT_NE(large, nullptr);
  EXPECT_NE(small, nullptr);
  if (large != nullptr) DestroyIcon(large);
  if (small != nullptr) DestroyIcon(small);
}

TEST_F(ResourcesTest, AdministratorMenuHoldsEveryCommandInOrder) {
  HMENU menu = LoadMenuW(ProgramResources(), MAKEINTRESOURCEW(IDR_MENU_ADMIN));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 1);
  wchar_t title[16] = {};
  GetMenuStringW(menu, 0, title, 16, MF_BYPOSITION);
  EXPECT_STREQ(title, L"&File");
  HMENU file = GetSubMenu(menu, 0);
  const std::vector<MenuEntry> entries = Entries(file);
  const std::vector<MenuEntry> expected = {
      {IDM_ABOUT, L"&About..."}, {0, L""}, {IDM_HOST, L"&Host..."}, {0, L""}, {IDM_SCANNER, L"Sca&nner..."},
      {0, L""}, {IDM_SCREEN, L"&Screen..."}, {IDM_FIELDS, L"F&ields..."}, {IDM_FONT, L"&Font..."}, {0, L""},
      {IDM_SERIAL_SETTINGS, L"&Serial settings..."}, {IDM_SERIAL_FEATURE, L"Se&rial feature..."}, {0, L""},
      {static_cast<UINT>(-1), L"Soun&ds"}, {0, L""}, {IDM_USER_MODE, L"&User Mode"}, {0, L""},
      {IDM_EXIT, L"E&xit"}};
  ASSERT_EQ(entries.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(entries[i].id, expected[i].id) << i;
    EXPECT_EQ(entries[i].text, expected[i].text) << i;
  }
  const std::vector<MenuEntry> sounds = Entries(GetSubMenu(file, 13));
  const std::vector<MenuEntry> expectedSounds = {
      {IDM_SOUND_NORMAL, L"Normal..."}, {IDM_SOUND_ERROR, L"Error..."}, {IDM_SOUND_SCAN_ACCEPT, L"Scan Accept..."},
      {IDM_SOUND_SCAN_REJECT, L"Scan Reject..."}, {IDM_SOUND_USER1, L"User 1..."}, {IDM_SOUND_USER2, L"User 2..."},
      {IDM_SOUND_USER3, L"User 3..."}, {IDM_SOUND_USER4, L"User 4..."}};
  ASSERT_EQ(sounds.size(), expectedSounds.size());
  for (std::size_t i = 0; i < expectedSounds.size(); ++i) {
    EXPECT_EQ(sounds[i].id, expectedSounds[i].id) << i;
    EXPECT_EQ(sounds[i].text, expectedSounds[i].text) << i;
  }
  DestroyMenu(menu);
}

TEST_F(ResourcesTest, UserMenuHoldsAboutOptionsExit) {
  HMENU menu = LoadMenuW(ProgramResources(), MAKEINTRESOURCEW(IDR_MENU_USER));
  ASSERT_NE(menu, nullptr);
  const std::vector<MenuEntry> entries = Entries(GetSubMenu(menu, 0));
  const std::vector<MenuEntry> expected = {
      {IDM_ABOUT, L"&About..."}, {0, L""}, {IDM_OPTIONS, L"&Options..."}, {0, L""}, {IDM_EXIT, L"E&xit"}};
  ASSERT_EQ(entries.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(entries[i].id, expected[i].id) << i;
    EXPECT_EQ(entries[i].text, expected[i].text) << i;
  }
  DestroyMenu(menu);
}

TEST_F(ResourcesTest, AcceleratorTableOrderAndKeys) {
  HACCEL table = LoadAcceleratorsW(ProgramResources(), MAKEINTRESOURCEW(IDR_ACCELERATORS));
  ASSERT_NE(table, nullptr);
  ACCEL entries[8] = {};
  ASSERT_EQ(CopyAcceleratorTableW(table, entries, 8), 4);
  EXPECT_EQ(entries[0].key, VK_F4);
  EXPECT_EQ(entries[0].cmd, IDM_ALT_F4);
  EXPECT_EQ(entries[0].fVirt & (FVIRTKEY | FALT | FCONTROL | FSHIFT), FVIRTKEY | FALT);
  EXPECT_EQ(entries[1].key, VK_F4);
  EXPECT_EQ(entries[1].cmd, IDM_EXIT);
  EXPECT_EQ(entries[2].key, '/');
  EXPECT_EQ(entries[2].cmd, IDM_ABOUT);
  EXPECT_EQ(entries[2].fVirt & (FVIRTKEY | FALT), FALT);
  EXPECT_EQ(entries[3].key, '0');
  EXPECT_EQ(entries[3].cmd, IDM_FULLSCREEN);
  EXPECT_EQ(entries[3].fVirt & (FVIRTKEY | FALT | FCONTROL | FSHIFT), FVIRTKEY | FALT | FCONTROL);
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

TEST_F(ResourcesTest, HostOptionsTemplateHasEveryControl) {
  HRSRC found = FindResourceW(ProgramResources(), MAKEINTRESOURCEW(IDD_HOST_OPTIONS), MAKEINTRESOURCEW(5));
  ASSERT_NE(found, nullptr);
  // A DIALOGEX template: signature 0xFFFF after the version word, size in dialog units further on.
  const auto* words = static_cast<const WORD*>(LockResource(LoadResource(ProgramResources(), found)));
  ASSERT_NE(words, nullptr);
  EXPECT_EQ(words[0], 1);
  EXPECT_EQ(words[1], 0xFFFF);
  const auto* bytes = reinterpret_cast<const BYTE*>(words);
  WORD count = 0, cx = 0, cy = 0;
  memcpy(&count, bytes + 16, 2);
  memcpy(&cx, bytes + 22, 2);
  memcpy(&cy, bytes + 24, 2);
  EXPECT_EQ(cx, 132);
  EXPECT_EQ(cy, 105);
  EXPECT_EQ(count, 13);  // three labels, five edits and spins, check box, Ping, result, OK, Cancel
}

TEST_F(ResourcesTest, VersionIsOneZeroZeroZero) {
  const std::wstring path = wintest::ProgramPath();
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> data(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, data.data()));
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length));
  EXPECT_EQ(info->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(info->dwFileVersionLS, 0u);
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
