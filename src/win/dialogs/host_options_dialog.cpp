// The Host options dialog: Terminal ID, host, port and UTF-8, with a ping of the typed host.
#include "win/dialogs/host_options_dialog.h"

#include <commctrl.h>
#include <ipexport.h>

#include <array>

#include "win/base/app_support.h"
#include "win/dialogs/dialog_ids.h"
#include "win/dialogs/dialog_items.h"
#include "platform/net.h"
#include "settings/settings.h"

namespace vantor {

namespace {

using IcmpCreateFileFn = HANDLE(WINAPI*)();
using IcmpCloseHandleFn = BOOL(WINAPI*)(HANDLE);
using IcmpSendEchoFn = DWORD(WINAPI*)(HANDLE, IPAddr, LPVOID, WORD, PIP_OPTION_INFORMATION, LPVOID, DWORD, DWORD);

// Owns a library loaded at run time.
class LoadedLibrary {
 public:
  explicit LoadedLibrary(HMODULE module) : module_(module) {}
  ~LoadedLibrary() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;
  HMODULE get() const { return module_; }

  template <typename Fn>
  Fn Entry(const char* name) const {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

 private:
  HMODULE module_;
};

// Owns an ICMP handle.
class IcmpHandle {
 public:
  IcmpHandle(HANDLE handle, IcmpCloseHandleFn close) : handle_(handle), close_(close) {}
  ~IcmpHandle() {
    if (valid()) close_(handle_);
  }
  IcmpHandle(const IcmpHandle&) = delete;
  IcmpHandle& operator=(const IcmpHandle&) = delete;
  bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
  IcmpCloseHandleFn close_;
};

// The address to ping, or false (empty text, or no such name).
bool ResolvePingHost(const std::string& host, std::uint32_t* address) {
  if (host.empty()) return false;
  const std::uint32_t parsed = net::ParseIpv4(host.c_str());
  if (parsed != net::kAddressNone) {
    *address = parsed;
    return true;
  }
  if (host == "255.255.255.255") {
    *address = net::kAddressNone;
    return true;
  }
  *address = net::LookupHost(host.c_str());
  return *address != 0;
}

HostOptionsDialogState* StateOf(HWND dialog) {
  return reinterpret_cast<HostOptionsDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void FillDialog(HWND dialog, HostOptionsDialogState& state) {
  Settings& settings = *state.settings;
  settings.ReadSettings();
  SendDlgItemMessageW(dialog, IDC_HOST_TERMINAL_ID, EM_SETLIMITTEXT, kTerminalIdTextMax, 0);
  SendDlgItemMessageW(dialog, IDC_HOST_NAME, EM_SETLIMITTEXT, kHostTextMax, 0);
  SendDlgItemMessageW(dialog, IDC_HOST_PORT, EM_SETLIMITTEXT, kPortTextMax, 0);
  SendDlgItemMessageW(dialog, IDC_HOST_TERMINAL_ID_SPIN, UDM_SETRANGE32, kTerminalIdMin, kTerminalIdMax);
  SendDlgItemMessageW(dialog, IDC_HOST_PORT_SPIN, UDM_SETRANGE32, kHostPortMin, kHostPortMax);
  // Numbers as text: a value from a hand-edited file may lie outside the spin range.
  SetDlgItemTextW(dialog, IDC_HOST_TERMINAL_ID, std::to_wstring(settings.TerminalId()).c_str());
  SetDlgItemTextW(dialog, IDC_HOST_NAME, Wide(settings.HostName()));
  SetDlgItemTextW(dialog, IDC_HOST_PORT, std::to_wstring(settings.HostPort()).c_str());
  CheckDlgButton(dialog, IDC_HOST_UTF8, settings.HostTextIsUtf8() ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextW(dialog, IDC_HOST_PING_RESULT, L"");
}

void StoreDialog(HWND dialog, HostOptionsDialogState& state) {
  HostOptionsText text;
  text.terminalId = ItemText(dialog, IDC_HOST_TERMINAL_ID);
  text.host = ItemText(dialog, IDC_HOST_NAME);
  text.port = ItemText(dialog, IDC_HOST_PORT);
  text.utf8 = IsDlgButtonChecked(dialog, IDC_HOST_UTF8) == BST_CHECKED;
  ApplyHostOptions(text, *state.settings);
}

void OnPing(HWND dialog) {
  // The host as typed, in the thread's ANSI code page; the stored host is not touched.
  const std::wstring host = WindowText(GetDlgItem(dialog, IDC_HOST_NAME));
  std::string host8;
  if (!host.empty()) {
    const int size = WideCharToMultiByte(CP_THREAD_ACP, 0, host.data(), static_cast<int>(host.size()), nullptr, 0,
                                         nullptr, nullptr);
    if (size > 0) {
      host8.resize(static_cast<std::size_t>(size));
      WideCharToMultiByte(CP_THREAD_ACP, 0, host.data(), static_cast<int>(host.size()), host8.data(), size, nullptr,
                          nullptr);
    }
  }
  const std::u16string text = PingOutcomeText(PingHost(host8, 10));
  SetDlgItemTextW(dialog, IDC_HOST_PING_RESULT, Wide(text));
}

INT_PTR CALLBACK HostOptionsProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND && LOWORD(wparam) == IDC_HOST_PING && StateOf(dialog) != nullptr) {
    if (HIWORD(wparam) == BN_CLICKED) OnPing(dialog);
    return TRUE;
  }
  return OptionsDialogMessage<HostOptionsDialogState>(dialog, message, wparam, lparam, FillDialog, StoreDialog);
}

}  // namespace

INT_PTR RunHostOptionsDialog(HINSTANCE resources, HWND owner, Settings& settings) {
  HostOptionsDialogState state{&settings, -1};
  const INT_PTR result = DialogBoxParamW(resources, MAKEINTRESOURCEW(IDD_HOST_OPTIONS), owner, HostOptionsProc,
                                         reinterpret_cast<LPARAM>(&state));
  return result == IDOK ? 1 : 0;
}

HWND CreateHostOptionsDialog(HINSTANCE resources, HWND owner, HostOptionsDialogState* state) {
  return CreateDialogParamW(resources, MAKEINTRESOURCEW(IDD_HOST_OPTIONS), owner, HostOptionsProc,
                            reinterpret_cast<LPARAM>(state));
}

PingOutcome PingHost(const std::string& host, DWORD timeoutMs) {
  static const wchar_t* const kLibraries[] = {L"iphlpapi.dll", L"icmp.dll"};
  return PingHostWith(host, timeoutMs, kLibraries, 2);
}

PingOutcome PingHostWith(const std::string& host, DWORD timeoutMs, const wchar_t* const* libraries,
                         int libraryCount) {
  PingOutcome outcome;
  HMODULE module = nullptr;
  for (int i = 0; i < libraryCount && module == nullptr; ++i) module = LoadLibraryW(libraries[i]);
  LoadedLibrary library(module);
  if (library.get() == nullptr) {
    outcome.kind = PingOutcome::Kind::kNoIcmp;
    return outcome;
  }
  const auto create = library.Entry<IcmpCreateFileFn>("IcmpCreateFile");
  const auto close = library.Entry<IcmpCloseHandleFn>("IcmpCloseHandle");
  const auto send = library.Entry<IcmpSendEchoFn>("IcmpSendEcho");
  if (create == nullptr || close == nullptr || send == nullptr) {
    outcome.kind = PingOutcome::Kind::kNoIcmp;
    return outcome;
  }
  std::uint32_t address = 0;
  if (!ResolvePingHost(host, &address)) {
    outcome.kind = PingOutcome::Kind::kUnresolved;
    outcome.code = net::LastError();
    return outcome;
  }
  IcmpHandle icmp(create(), close);
  if (!icmp.valid()) {
    outcome.kind = PingOutcome::Kind::kFailed;
    outcome.code = static_cast<long>(GetLastError());
    return outcome;
  }
  // One reply record and 8 bytes of room, sized for this platform's reply record.
  alignas(ICMP_ECHO_REPLY) std::array<unsigned char, sizeof(ICMP_ECHO_REPLY) + 8> replyBuffer{};
  auto* reply = reinterpret_cast<ICMP_ECHO_REPLY*>(replyBuffer.data());
  reply->Status = 0;
  reply->RoundTripTime = 0xFFFFFFFFu;
  const DWORD replies = send(icmp.get(), address, nullptr, 0, nullptr, replyBuffer.data(),
                             static_cast<DWORD>(replyBuffer.size()), timeoutMs);
  if (replies == 0) {
    outcome.kind = PingOutcome::Kind::kFailed;
    outcome.code = static_cast<long>(GetLastError());
    return outcome;
  }
  if (reply->Status != 0) {
    outcome.kind = PingOutcome::Kind::kReplyStatus;
    outcome.code = static_cast<long>(reply->Status);
    return outcome;
  }
  outcome.kind = PingOutcome::Kind::kReply;
  outcome.roundTripMs = reply->RoundTripTime;
  outcome.ttl = reply->Options.Ttl;
  return outcome;
}

}  // namespace vantor
