// The Login, Advisory and prompt dialogs run modally from the program's templates; a thread timer
// plays the operator inside the dialog's own message loop.
#include "win/dialogs/host_dialogs.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "win/dialogs/dialog_ids.h"
#include "app_fixture_win.h"
#include "settings/settings.h"
#include "win/dialogs/host_dialog_ids.h"
#include "interpreter/screen.h"

namespace vantor {
namespace {

using wintest::FindOwnWindow;
using wintest::ProgramResources;
using Operator = wintest::ModalOperator;

std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

class HostDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(ProgramResources(), nullptr) << "Vantor.exe must be built beside win_tests.exe"; }
  HINSTANCE Resources() const { return ProgramResources(); }

  HostDialogContext Context() { return HostDialogContext{&screen_, &open_}; }

  Settings settings_;
  Screen screen_{kDefaultPageBackground};
  HWND open_ = nullptr;  // where the open host dialog records itself
};

TEST_F(HostDialogsTest, AdvisoryShowsTheMessageWithoutLeadingBlanksAndRecordsItself) {
  screen_.messageText = u"   Pallet complete";
  std::wstring shown;
  HWND recorded = nullptr;
  bool readOnly = false;
  Operator op({[&] {
    HWND dialog = FindOwnWindow(L"Advisory");
    if (dialog == nullptr) return false;
    shown = TextOf(GetDlgItem(dialog, IDC_HOST_TEXT));
    readOnly = (GetWindowLongW(GetDlgItem(dialog, IDC_HOST_TEXT), GWL_STYLE) & ES_READONLY) != 0;
    recorded = open_;
    EXPECT_EQ(recorded, dialog);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return true;
  }});
  EXPECT_EQ(RunAdvisoryDialog(Resources(), nullptr, Context()), IDOK);
  EXPECT_TRUE(op.Done());
  EXPECT_EQ(shown, L"Pallet complete");
  EXPECT_TRUE(readOnly);
  EXPECT_NE(recorded, nullptr);
  EXPECT_EQ(open_, nullptr);
}

TEST_F(HostDialogsTest, PromptIgnoresOtherCommandsLimitsTheAnswerAndKeepsItOnOkAndOnCancel) {
  screen_.messageText = u"Quantity?";
  screen_.promptLength = 4;
  std::wstring question;
  std::wstring typed;
  bool survivedOtherCommand = false;
  Operator op({Operator::Press(L"Hey You", 1234), [&] {
    HWND dialog = FindOwnWindow(L"Hey You");
    survivedOtherCommand = dialog != nullptr;
    if (dialog == nullptr) return true;
    question = TextOf(GetDlgItem(dialog, IDC_HOST_TEXT));
    HWND answer = GetDlgItem(dialog, IDC_PROMPT_ANSWER);
    // Typing goes through the edit box's limit, as the operator's keys would.
    SetFocus(answer);
    for (wchar_t c : std::wstring(L"123456")) SendMessageW(answer, WM_CHAR, c, 1);
    typed = TextOf(answer);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return true;
  }});
  EXPECT_EQ(RunPromptDialog(Resources(), nullptr, Context()), IDOK);
  EXPECT_TRUE(survivedOtherCommand) << "an unknown command closed the prompt";
  EXPECT_EQ(question, L"Quantity?");
  EXPECT_EQ(typed, L"1234");
  EXPECT_EQ(screen_.promptReply, u"1234");
  EXPECT_EQ(open_, nullptr);

  Operator cancel({[&] {
                     HWND dialog = FindOwnWindow(L"Hey You");
                     if (dialog != nullptr) SetWindowTextW(GetDlgItem(dialog, IDC_PROMPT_ANSWER), L"77");
                     return dialog != nullptr;
                   },
                   Operator::Press(L"Hey You", IDCANCEL)});
  EXPECT_EQ(RunPromptDialog(Resources(), nullptr, Context()), IDCANCEL);
  EXPECT_EQ(screen_.promptReply, u"77");
}

class LoginTest : public HostDialogsTest {
 protected:
  // Types the code, presses OK, and records the message box's caption and text.
  INT_PTR Login(const wchar_t* code) {
    Operator op({[&] {
                   HWND dialog = FindOwnWindow(L"Login");
                   if (dialog == nullptr) return false;
                   HWND edit = GetDlgItem(dialog, IDC_LOGIN_PASSWORD);
                   masked_ = (GetWindowLongW(edit, GWL_STYLE) & ES_PASSWORD) != 0;
                   SetWindowTextW(edit, code);
                   PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                   return true;
                 },
                 [&] {
                   for (const wchar_t* caption : {L"Admin Mode", L"User Mode"}) {
                     HWND box = FindOwnWindow(caption);
                     if (box == nullptr) continue;
                     caption_ = caption;
                     EnumChildWindows(
                         box,
                         [](HWND child, LPARAM data) -> BOOL {
                           const std::wstring text = TextOf(child);
                           if (text.find(L"Terminal") != std::wstring::npos) *reinterpret_cast<std::wstring*>(data) = text;
                           return TRUE;
                         },
                         reinterpret_cast<LPARAM>(&message_));
                     PostMessageW(box, WM_COMMAND, IDOK, 0);
                     return true;
                   }
                   return false;
                 }});
    const INT_PTR result = RunLoginDialog(Resources(), nullptr, settings_);
    EXPECT_TRUE(op.Done());
    return result;
  }
  bool masked_ = false;
  std::wstring caption_;
  std::wstring message_;
};

TEST_F(LoginTest, RightCodeUnlocksAndWrongCodeLocks) {
  settings_.SetAdminMode(false);
  EXPECT_EQ(Login(L"604817"), 1);
  EXPECT_TRUE(masked_);
  EXPECT_TRUE(settings_.AdminMode());
  EXPECT_EQ(caption_, L"Admin Mode");
  EXPECT_EQ(message_, L"Terminal UnLocked");
  EXPECT_EQ(Login(L"604818"), 1);
  EXPECT_FALSE(settings_.AdminMode());
  EXPECT_EQ(caption_, L"User Mode");
  EXPECT_EQ(message_, L"Terminal Locked");
}

// An owner partly off the screen: the dialog is still kept on it.
}  // namespace
}  // namespace vantor
