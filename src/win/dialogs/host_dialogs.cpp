// Dialog procedures of Login, About, Advisory and the host prompt; all centred over the main window.
#include "win/dialogs/host_dialogs.h"

#include <algorithm>
#include <string>
#include <vector>

#include "win/base/app_support.h"
#include "win/base/resource_ids.h"
#include "win/dialogs/dialog_ids.h"
#include "settings/settings.h"
#include "win/dialogs/host_dialog_ids.h"
#include "forms/host_dialogs.h"
#include "interpreter/screen.h"

namespace vantor {

namespace {

template <typename T>
T* StateOf(HWND dialog) {
  return reinterpret_cast<T*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

std::u16string ItemText(HWND dialog, int item) { return FromWide(WindowText(GetDlgItem(dialog, item))); }

INT_PTR CALLBACK LoginProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lparam);
    CentreDialogOverOwner(dialog);
    return TRUE;
  }
  auto* settings = StateOf<Settings>(dialog);
  if (message != WM_COMMAND || settings == nullptr) return FALSE;
  switch (LOWORD(wparam)) {
    case IDOK: {
      const LoginOutcome outcome = ApplyLogin(*settings, ItemText(dialog, IDC_LOGIN_PASSWORD));
      const std::u16string text(outcome.message);
      const std::u16string caption(outcome.caption);
      MessageBoxW(dialog, Wide(text), Wide(caption), MB_OK);
      settings->WriteSettings();
      EndDialog(dialog, 1);
      return TRUE;
    }
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    default: return FALSE;
  }
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    CentreDialogOverOwner(dialog);
    auto resources = reinterpret_cast<HINSTANCE>(lparam);
    DWORD ms = 0, ls = 0;
    ReadFixedVersion(resources, &ms, &ls);
    const std::u16string text = AboutText(FromWide(LoadResourceString(resources, IDS_APP_TITLE)), ms, ls);
    SetDlgItemTextW(dialog, IDC_ABOUT_TEXT, Wide(text));
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wparam) == IDOK ? 1 : 0);
    return TRUE;
  }
  return FALSE;
}

// Shows the host's text and records the dialog as the open one.
void OpenHostDialog(HWND dialog, const HostDialogContext& context) {
  CentreDialogOverOwner(dialog);
  if (context.open != nullptr) *context.open = dialog;
  const std::u16string text(context.screen->MessageShown());
  SetDlgItemTextW(dialog, IDC_HOST_TEXT, Wide(text));
}

// The command that closes a host dialog, or 0 for any other message.
int ClosingCommand(UINT message, WPARAM wparam) {
  if (message != WM_COMMAND) return 0;
  const int command = LOWORD(wparam);
  return command == IDOK || command == IDCANCEL ? command : 0;
}

INT_PTR CALLBACK AdvisoryProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lparam);
    OpenHostDialog(dialog, *reinterpret_cast<HostDialogContext*>(lparam));
    SetForegroundWindow(dialog);
    return TRUE;
  }
  auto* context = StateOf<HostDialogContext>(dialog);
  const int command = ClosingCommand(message, wparam);
  if (context == nullptr || command == 0) return FALSE;
  if (context->open != nullptr) *context->open = nullptr;
  EndDialog(dialog, command);
  return TRUE;
}

INT_PTR CALLBACK PromptProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lparam);
    const auto& context = *reinterpret_cast<HostDialogContext*>(lparam);
    OpenHostDialog(dialog, context);
    // EM_LIMITTEXT takes 0 as "no limit": an empty prompt gets room for one character, and the
    // prompt reply is cut to the prompt length anyway.
    const int length = context.screen->promptLength;
    SendDlgItemMessageW(dialog, IDC_PROMPT_ANSWER, EM_LIMITTEXT, static_cast<WPARAM>(length > 0 ? length : 1), 0);
    return TRUE;
  }
  auto* context = StateOf<HostDialogContext>(dialog);
  const int command = ClosingCommand(message, wparam);
  if (context == nullptr || command == 0) return FALSE;
  if (context->open != nullptr) *context->open = nullptr;
  if (context->answer != nullptr) *context->answer = ItemText(dialog, IDC_PROMPT_ANSWER);
  EndDialog(dialog, command);
  return TRUE;
}

}  // namespace

bool ReadFixedVersion(HINSTANCE module, DWORD* versionMs, DWORD* versionLs) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16) /* RT_VERSION */);
  if (found == nullptr) return false;
  const DWORD size = SizeofResource(module, found);
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr || size == 0) return false;
  // VerQueryValueW may write converted strings past the block: give it a copy with room to spare.
  std::vector<unsigned char> copy(static_cast<std::size_t>(size) * 2);
  std::copy_n(static_cast<const unsigned char*>(data), size, copy.begin());
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(copy.data(), L"\\", reinterpret_cast<void**>(&info), &length) || info == nullptr ||
      length < sizeof(VS_FIXEDFILEINFO)) {
    return false;
  }
  *versionMs = info->dwFileVersionMS;
  *versionLs = info->dwFileVersionLS;
  return true;
}

INT_PTR RunLoginDialog(HINSTANCE resources, HWND owner, Settings& settings) {
  return DialogBoxParamW(resources, MAKEINTRESOURCEW(IDD_LOGIN), owner, LoginProc, reinterpret_cast<LPARAM>(&settings));
}

INT_PTR RunAboutDialog(HINSTANCE resources, HWND owner) {
  return DialogBoxParamW(resources, MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutProc, reinterpret_cast<LPARAM>(resources));
}

INT_PTR RunAdvisoryDialog(HINSTANCE resources, HWND owner, HostDialogContext context) {
  return DialogBoxParamW(resources, MAKEINTRESOURCEW(IDD_ADVISORY), owner, AdvisoryProc,
                         reinterpret_cast<LPARAM>(&context));
}

INT_PTR RunPromptDialog(HINSTANCE resources, HWND owner, HostDialogContext context) {
  return DialogBoxParamW(resources, MAKEINTRESOURCEW(IDD_PROMPT), owner, PromptProc,
                         reinterpret_cast<LPARAM>(&context));
}

}  // namespace vantor
