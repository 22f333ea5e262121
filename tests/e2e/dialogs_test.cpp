// The host's Advisory and "Hey You" dialogs and the Login dialog of Vantor.exe on the virtual display.
#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

class DialogsTest : public TerminalTest {
 protected:
  void Login(const std::string& code, const std::string& caption);
};

ScreenBuilder TwoEntries() {
  ScreenBuilder screen;
  screen.SelectPage(0)
      .Define(20, 1, 0, kInputFlags, kPlainAttributes, 10)
      .Define(21, 3, 0, kInputFlags, kPlainAttributes, 10)
      .ShowPage(0)
      .FocusAndUnlock(20);
  return screen;
}

TEST_F(DialogsTest, HostMessageShowsAdvisoryAndOkReturnsTheFocusToTheNamedField) {
  StartConnected();
  SendScreen(TwoEntries());
  ASSERT_TRUE(WaitControl(21).has_value()) << Describe(windows_);
  SendScreen(ScreenBuilder().MessageAt(21, "  Check the pallet"));
  const auto dialog = WaitDialog("Advisory");
  ASSERT_TRUE(dialog.has_value());
  EXPECT_GE(dialog->x, 0);
  EXPECT_GE(dialog->y, 0);
  EXPECT_EQ(ItemText(*dialog, 1000), "Check the pallet");
  ASSERT_TRUE(TapItem(*dialog, 1));
  ASSERT_TRUE(Gone("Advisory"));
  const auto field = WaitControl(21);
  ASSERT_TRUE(field.has_value());
  EXPECT_TRUE(WaitFor(
      [&] {
        const auto focus = probe_.FocusInfo();
        return focus && focus->second == field->handle;
      },
      Millis(5000)));
}

TEST_F(DialogsTest, PromptAnswerIsSentWithItsLengthAndCancelSendsNothing) {
  StartConnected();
  SendScreen(TwoEntries());
  ASSERT_TRUE(WaitControl(20).has_value());
  SendScreen(ScreenBuilder().Prompt(10, "Quantity?"));
  auto dialog = WaitDialog("Hey You");
  ASSERT_TRUE(dialog.has_value());
  ASSERT_TRUE(SetItemText(*dialog, 1001, "42"));
  ASSERT_TRUE(probe_.Post(dialog->handle, kWmCommand, 1, 0));
  EXPECT_EQ(NextBody(), "R?" + HostByte(2) + "42");

  SendScreen(ScreenBuilder().Prompt(10, "Again?"));
  dialog = WaitDialog("Hey You");
  ASSERT_TRUE(dialog.has_value());
  ASSERT_TRUE(SetItemText(*dialog, 1001, "7"));
  ASSERT_TRUE(probe_.Post(dialog->handle, kWmCommand, 2, 0));
  ASSERT_TRUE(Gone("Hey You"));
  EXPECT_TRUE(host_.NothingArrives(Millis(1000)));
}

// The prompt length is at most 207 characters, so only multi-byte characters make an answer longer
// than the one-byte length can carry.
TEST_F(DialogsTest, LongAnswerUsesTheLongLengthForm) {
  StartConnected({{"fieldIsUTF8", "true"}});
  SendScreen(TwoEntries());
  ASSERT_TRUE(WaitControl(20).has_value());
  SendScreen(ScreenBuilder().Prompt(150, "Serials?"));
  const auto dialog = WaitDialog("Hey You");
  ASSERT_TRUE(dialog.has_value());
  std::string text;
  for (int i = 0; i < 110; ++i) text += "\xC3\xA9";  // 110 x U+00E9: 220 bytes in UTF-8
  ASSERT_TRUE(SetItemText(*dialog, 1001, text));
  ASSERT_TRUE(probe_.Post(dialog->handle, kWmCommand, 1, 0));
  EXPECT_EQ(NextBody(), "R?!" + HostByte(220 / 208) + HostByte(220 % 208) + text);
}

TEST_F(DialogsTest, IRecordClosesAnOpenPrompt) {
  StartConnected();
  SendScreen(TwoEntries());
  ASSERT_TRUE(WaitControl(20).has_value());
  SendScreen(ScreenBuilder().Prompt(5, "Scan?"));
  ASSERT_TRUE(WaitDialog("Hey You").has_value());
  ASSERT_TRUE(host_.SendRecord("I"));
  EXPECT_TRUE(Gone("Hey You", Millis(8000)));
  // Closed as by Cancel: no prompt reply.
  for (int i = 0; i < 5; ++i) {
    const std::string body = NextBody(Millis(300));
    EXPECT_NE(body.rfind("R?", 0), 0u) << body;
  }
}

// Opens File > Options... from the user menu, types the code, presses OK and dismisses the message box
// with the given caption.
void DialogsTest::Login(const std::string& code, const std::string& caption) {
  const auto dialog = OpenFromFileMenu("o", "Login");
  ASSERT_TRUE(dialog.has_value());
  ASSERT_TRUE(SetItemText(*dialog, 1010, code));
  ASSERT_TRUE(probe_.Post(dialog->handle, kWmCommand, 1, 0));
  const auto box = WaitDialog(caption);
  ASSERT_TRUE(box.has_value()) << "no \"" << caption << "\" message";
  ASSERT_TRUE(probe_.Keys(box->handle, {"enter"}));
  ASSERT_TRUE(Gone("Login"));
}

TEST_F(DialogsTest, WrongCodeKeepsTheUserMenuAndTheRightCodeBringsTheAdministratorMenu) {
  StartConnected({{"KorvathAdminMode", "true"}});
  const auto start = FileMenuHeight();
  ASSERT_TRUE(start.has_value());
  EXPECT_GT(*start, 180);
  // File > User Mode leaves administrator mode at once.
  ASSERT_TRUE(probe_.Keys(main_.handle, {"alt+f"}));
  ASSERT_TRUE(WaitFor([&] { return MenuOpen(); }, Millis(5000), Millis(200)));
  ASSERT_TRUE(probe_.Keys(0, {"u"}));
  std::optional<int> userMenu;
  ASSERT_TRUE(WaitFor(
      [&] {
        userMenu = FileMenuHeight();
        return userMenu && *userMenu < 130;
      },
      Millis(8000), Millis(300)));

  Login("123456", "User Mode");
  const auto user = FileMenuHeight();
  ASSERT_TRUE(user.has_value());
  EXPECT_LT(*user, 130);
  EXPECT_NE(terminal_.ReadIni().find("KorvathAdminMode"), std::string::npos);

  Login("604817", "Admin Mode");
  const auto admin = FileMenuHeight();
  ASSERT_TRUE(admin.has_value());
  EXPECT_GT(*admin, 180);
}

}  // namespace
}  // namespace vantor::e2e
