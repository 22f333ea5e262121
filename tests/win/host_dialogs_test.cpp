// The prompt dialog on the program's template, run modally with a thread timer playing the operator.
#include "win/dialogs/host_dialogs.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app_fixture_win.h"
#include "interpreter/screen.h"
#include "win/dialogs/host_dialog_ids.h"

namespace vantor {
namespace {

TEST(HostDialogsTest, PromptIgnoresOtherCommandsLimitsTheAnswerAndRecordsItselfWhileOpen) {
  ASSERT_NE(wintest::ProgramResources(), nullptr) << "Vantor.exe must be built beside win_tests.exe";
  Screen screen{kDefaultPageBackground};
  screen.messageText = u"Quantity?";
  screen.promptLength = 4;
  HWND open = nullptr, recorded = nullptr;
  std::u16string answer;
  std::wstring question, typed;
  int ticks = 0;
  static std::function<void()> tick;
  tick = [&] {
    const HWND dialog = FindWindowW(nullptr, L"Hey You");
    if (++ticks > 300) {  // 10 s: whatever the thread shows is cancelled, so that a failing test never hangs
      EnumThreadWindows(
          GetCurrentThreadId(), [](HWND w, LPARAM) { return PostMessageW(w, WM_COMMAND, IDCANCEL, 0); }, 0);
    } else if (dialog != nullptr && recorded == nullptr) {
      recorded = open;
      PostMessageW(dialog, WM_COMMAND, 1234, 0);  // a command the prompt does not know
    } else if (dialog != nullptr && typed.empty()) {
      question = WindowText(GetDlgItem(dialog, IDC_HOST_TEXT));
      const HWND answerBox = GetDlgItem(dialog, IDC_PROMPT_ANSWER);
      for (wchar_t c : std::wstring(L"123456")) SendMessageW(answerBox, WM_CHAR, c, 1);  // through the box's limit
      typed = WindowText(answerBox);
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
  };
  const UINT_PTR timer = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR, DWORD) { tick(); });
  EXPECT_EQ(RunPromptDialog(wintest::ProgramResources(), nullptr, HostDialogContext{&screen, &open, &answer}), IDOK);
  KillTimer(nullptr, timer);
  EXPECT_NE(recorded, nullptr) << "the open prompt records itself";
  EXPECT_EQ(question, L"Quantity?");
  EXPECT_EQ(typed, L"1234") << "an unknown command closed the prompt, or the limit is wrong";
  EXPECT_EQ(answer, u"1234");
  EXPECT_EQ(open, nullptr);
}

}  // namespace
}  // namespace vantor
