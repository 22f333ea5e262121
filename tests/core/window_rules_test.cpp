// Frame rules: show state and window state, settings path, centring, command follow-ups.
#include "look/window_rules.h"

#include <gtest/gtest.h>

#include "look/menu_ids.h"

namespace vantor {
namespace {

TEST(WindowRulesTest, ShowCommandOpensMinimizedStateAsNormal) {
  EXPECT_EQ(ShowCommandForWindowState(1), 3);
  EXPECT_EQ(ShowCommandForWindowState(7), 3);
  EXPECT_EQ(ShowCommandForWindowState(0), 1);
  EXPECT_EQ(ShowCommandForWindowState(-1), 1);
  EXPECT_EQ(ShowCommandForWindowState(-2147483647 - 1), 1);
}

TEST(WindowRulesTest, WindowStateFromStylePrefersMaximized) {
  EXPECT_EQ(WindowStateFromStyle(MainWindowStyle(false)), 0);
  EXPECT_EQ(WindowStateFromStyle(MainWindowStyle(false) | kStyleMaximize), 1);
  EXPECT_EQ(WindowStateFromStyle(MainWindowStyle(false) | kStyleMinimize), -1);
  EXPECT_EQ(WindowStateFromStyle(kStyleMaximize | kStyleMinimize), 1);
}

TEST(WindowRulesTest, ModuleDirectoryCutsAtLastBackslash) {
  EXPECT_EQ(DirectoryOfModulePath(u"C:\\Program Files\\Vantor\\Vantor.exe"), u"C:\\Program Files\\Vantor");
  EXPECT_EQ(DirectoryOfModulePath(u"C:\\Vantor.exe"), u"C:");
  EXPECT_EQ(DirectoryOfModulePath(u"Vantor.exe"), u"\\");
  EXPECT_EQ(DirectoryOfModulePath(u""), u"\\");
  EXPECT_EQ(DirectoryOfModulePath(u"\\\\server\\share\\a.exe"), u"\\\\server\\share");
}

TEST(WindowRulesTest, SettingsPathIsBesideTheProgram) {
  EXPECT_EQ(SettingsPathInDirectory(u"C:\\Vantor"), u"C:\\Vantor\\Vantor.ini");
  // A module without a directory part: the root, not a doubled separator.
  EXPECT_EQ(SettingsPathInDirectory(DirectoryOfModulePath(u"Vantor.exe")), u"\\Vantor.ini");
}

TEST(WindowRulesTest, CentringKeepsTheDialogOnTheScreen) {
  int left = -1;
  int top = -1;
  const PixelRect screen{0, 0, 640, 480};
  CentreOver(PixelRect{0, 0, 240, 320}, 100, 60, screen, &left, &top);
  EXPECT_EQ(left, 70);
  EXPECT_EQ(top, 130);
  CentreOver(PixelRect{100, 50, 340, 370}, 100, 60, screen, &left, &top);
  EXPECT_EQ(left, 170);
  EXPECT_EQ(top, 180);
  // An owner at the bottom-right corner: the dialog moves up and left until it fits.
  CentreOver(PixelRect{500, 300, 740, 620}, 200, 150, screen, &left, &top);
  EXPECT_EQ(left, 440);
  EXPECT_EQ(top, 330);
  // A dialog larger than the screen keeps its title bar and top-left corner on it.
  CentreOver(PixelRect{0, 0, 240, 320}, 700, 500, screen, &left, &top);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(top, 0);
  CentreOver(PixelRect{-2147483647 - 1, -2147483647 - 1, 2147483647, 2147483647}, 10, 10, screen, &left, &top);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(top, 0);
}

TEST(WindowRulesTest, EveryHandledCommandPutsTheFocusBackExceptUserModeAndAClosingExit) {
  for (int command : {IDM_ABOUT, IDM_OPTIONS, IDM_HOST, IDM_SCANNER, IDM_SCREEN, IDM_FIELDS, IDM_FONT,
                      IDM_SERIAL_SETTINGS, IDM_SERIAL_FEATURE, IDM_FULLSCREEN, IDM_SOUND_NORMAL, IDM_SOUND_USER4}) {
    EXPECT_TRUE(FollowUpForCommand(command, false, false).navigate) << command;
  }
  EXPECT_FALSE(FollowUpForCommand(IDM_USER_MODE, true, false).navigate);
  EXPECT_FALSE(FollowUpForCommand(IDM_EXIT, false, true).navigate);
  EXPECT_TRUE(FollowUpForCommand(IDM_EXIT, false, false).navigate);  // full screen: Exit did nothing
  EXPECT_FALSE(FollowUpForCommand(IDM_ALT_F4, false, false).navigate);
  EXPECT_FALSE(FollowUpForCommand(12345, true, false).navigate);
}

TEST(WindowRulesTest, RelayoutOnlyAfterSettingsDialogsEndedWithOk) {
  for (int command : {IDM_SCANNER, IDM_SCREEN, IDM_FIELDS, IDM_FONT, IDM_SERIAL_SETTINGS, IDM_SERIAL_FEATURE,
                      IDM_SOUND_NORMAL, IDM_SOUND_ERROR, IDM_SOUND_SCAN_ACCEPT, IDM_SOUND_SCAN_REJECT,
                      IDM_SOUND_USER1, IDM_SOUND_USER2, IDM_SOUND_USER3, IDM_SOUND_USER4}) {
    EXPECT_TRUE(FollowUpForCommand(command, true, false).relayout) << command;
    EXPECT_FALSE(FollowUpForCommand(command, false, false).relayout) << command;
  }
  for (int command : {IDM_ABOUT, IDM_OPTIONS, IDM_HOST, IDM_FULLSCREEN}) {
    EXPECT_FALSE(FollowUpForCommand(command, true, false).relayout) << command;
  }
}

}  // namespace
}  // namespace vantor
