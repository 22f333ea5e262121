// The Host options dialog: Terminal ID, host, port, UTF-8 and TLS, why the last connection failed, and a
// ping of the typed host.
#include "win/dialogs/host_options_dialog.h"

#include <ws2tcpip.h>
#include <commctrl.h>
#include <ipexport.h>

#include <array>
#include <atomic>
#include <cstring>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/codepage.h"
#include "platform/handles_win.h"
#include "platform/net.h"
#include "settings/settings.h"
#include "win/base/app_support.h"
#include "win/dialogs/dialog_ids.h"
#include "win/dialogs/dialog_items.h"

namespace vantor {

// One ping on its worker thread; the dialog shows the outcome when the worker reports it.
struct PingJob {
  std::atomic<HWND> dialog{nullptr};  // cleared when the dialog goes, so nothing is posted to it
  std::atomic<bool> done{false};
  PingOutcome outcome;
};

namespace {

// Posted by the ping's worker to the dialog.
constexpr UINT kPingDone = WM_APP + 1;
// The line on the link is read again this often while the dialog is open.
constexpr UINT_PTR kLinkTimer = 1;
constexpr UINT kLinkRefreshMs = 500;

using IcmpCreateFileFn = HANDLE(WINAPI*)();
using IcmpCloseHandleFn = BOOL(WINAPI*)(HANDLE);
using IcmpSendEchoFn = DWORD(WINAPI*)(HANDLE, IPAddr, LPVOID, WORD, PIP_OPTION_INFORMATION, LPVOID, DWORD, DWORD);
using Icmp6SendEcho2Fn = DWORD(WINAPI*)(HANDLE, HANDLE, void*, PVOID, sockaddr_in6*, sockaddr_in6*, LPVOID, WORD,
                                        PIP_OPTION_INFORMATION, LPVOID, DWORD, DWORD);

// An ICMPv6 echo reply as the service writes it (ICMPV6_ECHO_REPLY).
struct Icmp6EchoReply {
  IPV6_ADDRESS_EX address;
  ULONG status;
  unsigned int roundTripTime;
};

HostOptionsDialogState* StateOf(HWND dialog) {
  return reinterpret_cast<HostOptionsDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void ShowLinkFailure(HWND dialog, const HostOptionsDialogState& state) {
  const std::u16string text = state.linkFailure ? state.linkFailure() : std::u16string();
  if (ItemText(dialog, IDC_HOST_LINK_FAILURE) != text) SetItemText(dialog, IDC_HOST_LINK_FAILURE, text);
}

void FillDialog(HWND dialog, HostOptionsDialogState& state) {
  Settings& settings = *state.settings;
  settings.ReadSettings();
  SendDlgItemMessageW(dialog, IDC_HOST_TERMINAL_ID, EM_SETLIMITTEXT, kTerminalIdTextMax, 0);
  SendDlgItemMessageW(dialog, IDC_HOST_NAME, EM_SETLIMITTEXT, kHostTextMax, 0);
  SendDlgItemMessageW(dialog, IDC_HOST_PORT, EM_SETLIMITTEXT, kHostPortTextMax, 0);
  SendDlgItemMessageW(dialog, IDC_HOST_TERMINAL_ID_SPIN, UDM_SETRANGE32, kTerminalIdMin, kTerminalIdMax);
  SendDlgItemMessageW(dialog, IDC_HOST_PORT_SPIN, UDM_SETRANGE32, kHostPortMin, kHostPortMax);
  // Numbers as text: a value from a hand-edited file may lie outside the spin range.
  SetDlgItemTextW(dialog, IDC_HOST_TERMINAL_ID, std::to_wstring(settings.TerminalId()).c_str());
  SetDlgItemTextW(dialog, IDC_HOST_NAME, Wide(settings.HostName()));
  SetDlgItemTextW(dialog, IDC_HOST_PORT, std::to_wstring(settings.HostPort()).c_str());
  CheckDlgButton(dialog, IDC_HOST_UTF8, settings.HostTextIsUtf8() ? BST_CHECKED : BST_UNCHECKED);
  SendDlgItemMessageW(dialog, IDC_HOST_TLS_PIN, EM_SETLIMITTEXT, kHostTlsPinTextMax, 0);
  Check(dialog, IDC_HOST_TLS, settings.HostTls());
  SetItemText(dialog, IDC_HOST_TLS_PIN, settings.HostTlsPin());  // as read, however long
  EnableWindow(GetDlgItem(dialog, IDC_HOST_TLS_PIN), settings.HostTls());
  SetDlgItemTextW(dialog, IDC_HOST_PING_RESULT, L"");
  ShowLinkFailure(dialog, state);
  SetTimer(dialog, kLinkTimer, kLinkRefreshMs, nullptr);
}

void StoreDialog(HWND dialog, HostOptionsDialogState& state) {
  HostOptionsText text;
  text.terminalId = ItemText(dialog, IDC_HOST_TERMINAL_ID);
  text.host = ItemText(dialog, IDC_HOST_NAME);
  text.port = ItemText(dialog, IDC_HOST_PORT);
  text.utf8 = IsDlgButtonChecked(dialog, IDC_HOST_UTF8) == BST_CHECKED;
  text.tls = Checked(dialog, IDC_HOST_TLS);
  text.pin = ItemText(dialog, IDC_HOST_TLS_PIN);
  ApplyHostOptions(text, *state.settings);
}

// The typed host (in the code page the host link uses; the stored host is not touched) is pinged on
// a worker, so that a slow name lookup never freezes the dialog. One ping at a time.
void OnPing(HWND dialog, HostOptionsDialogState& state) {
  if (state.ping) return;
  auto job = std::make_shared<PingJob>();
  job->dialog = dialog;
  state.ping = job;
  std::string host = EncodeText(ItemText(dialog, IDC_HOST_NAME), CodePage::Ansi);
  try {
    std::thread([job, host = std::move(host)] {
      job->outcome = PingHost(host, 10);
      job->done = true;
      if (HWND target = job->dialog.load()) PostMessageW(target, kPingDone, 0, 0);
    }).detach();
  } catch (const std::system_error&) {
    state.ping.reset();  // no thread: no ping
  }
}

void OnPingDone(HWND dialog, HostOptionsDialogState& state) {
  if (!state.ping || !state.ping->done) return;
  const std::u16string text = PingOutcomeText(state.ping->outcome);
  state.ping.reset();
  SetDlgItemTextW(dialog, IDC_HOST_PING_RESULT, Wide(text));
}

INT_PTR CALLBACK HostOptionsProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (HostOptionsDialogState* state = StateOf(dialog)) {
    if (message == WM_COMMAND && LOWORD(wparam) == IDC_HOST_PING) {
      if (HIWORD(wparam) == BN_CLICKED) OnPing(dialog, *state);
      return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wparam) == IDC_HOST_TLS && HIWORD(wparam) == BN_CLICKED) {
      EnableWindow(GetDlgItem(dialog, IDC_HOST_TLS_PIN), Checked(dialog, IDC_HOST_TLS));
      return TRUE;
    }
    if (message == kPingDone) {
      OnPingDone(dialog, *state);
      return TRUE;
    }
    if (message == WM_TIMER && wparam == kLinkTimer) {
      ShowLinkFailure(dialog, *state);
      return TRUE;
    }
    if (message == WM_DESTROY) {
      KillTimer(dialog, kLinkTimer);
      if (state->ping) state->ping->dialog = nullptr;
    }
  }
  return OptionsDialogMessage<HostOptionsDialogState>(dialog, message, wparam, lparam, FillDialog, StoreDialog);
}

}  // namespace

INT_PTR RunHostOptionsDialog(HINSTANCE resources, HWND owner, Settings& settings, LinkFailureSource linkFailure) {
  HostOptionsDialogState state{&settings, -1, nullptr, std::move(linkFailure)};
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

namespace {

PingOutcome Failed(PingOutcome::Kind kind, long code) {
  PingOutcome outcome;
  outcome.kind = kind;
  outcome.code = code;
  return outcome;
}

// Where the service has no ICMPv6, its entry points answer that they cannot.
bool NotProvided(DWORD error) { return error == ERROR_NOT_SUPPORTED || error == ERROR_CALL_NOT_IMPLEMENTED; }

PingOutcome PingIpv6(const win::LoadedLibrary& library, const net::Address& address, DWORD timeoutMs) {
  const auto create = library.Entry<IcmpCreateFileFn>("Icmp6CreateFile");
  const auto close = library.Entry<IcmpCloseHandleFn>("IcmpCloseHandle");
  const auto send = library.Entry<Icmp6SendEcho2Fn>("Icmp6SendEcho2");
  if (create == nullptr || close == nullptr || send == nullptr) return Failed(PingOutcome::Kind::kNoIcmp, 0);
  win::UniqueHandle icmp(create(), close);
  if (!icmp) {
    const DWORD error = GetLastError();
    return Failed(NotProvided(error) ? PingOutcome::Kind::kNoIcmp : PingOutcome::Kind::kFailed,
                  static_cast<long>(error));
  }
  sockaddr_in6 source{};
  source.sin6_family = AF_INET6;
  sockaddr_in6 destination{};
  std::memcpy(&destination, address.bytes.data(), sizeof destination);
  // The reply, room for an ICMP error message, and the service's own status block.
  alignas(Icmp6EchoReply) std::array<unsigned char, sizeof(Icmp6EchoReply) + 8 + 32> replyBuffer{};
  const DWORD replies = send(icmp.Get(), nullptr, nullptr, nullptr, &source, &destination, nullptr, 0, nullptr,
                             replyBuffer.data(), static_cast<DWORD>(replyBuffer.size()), timeoutMs);
  if (replies == 0) {
    const DWORD error = GetLastError();
    return Failed(NotProvided(error) ? PingOutcome::Kind::kNoIcmp : PingOutcome::Kind::kFailed,
                  static_cast<long>(error));
  }
  const auto* reply = reinterpret_cast<const Icmp6EchoReply*>(replyBuffer.data());
  if (reply->status != 0) return Failed(PingOutcome::Kind::kReplyStatus, static_cast<long>(reply->status));
  PingOutcome outcome;
  outcome.kind = PingOutcome::Kind::kReply;
  outcome.roundTripMs = reply->roundTripTime;
  outcome.ipv6 = true;
  return outcome;
}

}  // namespace

PingOutcome PingHostWith(const std::string& host, DWORD timeoutMs, const wchar_t* const* libraries, int libraryCount) {
  win::LoadedLibrary library;
  for (int i = 0; i < libraryCount && !library; ++i) library = win::LoadedLibrary(libraries[i]);
  if (!library) return Failed(PingOutcome::Kind::kNoIcmp, 0);
  const auto create = library.Entry<IcmpCreateFileFn>("IcmpCreateFile");
  const auto close = library.Entry<IcmpCloseHandleFn>("IcmpCloseHandle");
  const auto send = library.Entry<IcmpSendEchoFn>("IcmpSendEcho");
  if (create == nullptr || close == nullptr || send == nullptr) return Failed(PingOutcome::Kind::kNoIcmp, 0);
  const net::Resolution resolved = net::Resolve(host, 0);
  if (resolved.addresses.empty()) return Failed(PingOutcome::Kind::kUnresolved, net::LastError());
  const net::Address& address = resolved.addresses.front();
  if (address.family == AF_INET6) return PingIpv6(library, address, timeoutMs);
  sockaddr_in destination{};
  std::memcpy(&destination, address.bytes.data(), sizeof destination);
  win::UniqueHandle icmp(create(), close);
  if (!icmp) return Failed(PingOutcome::Kind::kFailed, static_cast<long>(GetLastError()));
  // One reply record and 8 bytes of room, sized for this platform's reply record.
  alignas(ICMP_ECHO_REPLY) std::array<unsigned char, sizeof(ICMP_ECHO_REPLY) + 8> replyBuffer{};
  auto* reply = reinterpret_cast<ICMP_ECHO_REPLY*>(replyBuffer.data());
  reply->Status = 0;
  reply->RoundTripTime = 0xFFFFFFFFu;
  const DWORD replies = send(icmp.Get(), destination.sin_addr.s_addr, nullptr, 0, nullptr, replyBuffer.data(),
                             static_cast<DWORD>(replyBuffer.size()), timeoutMs);
  if (replies == 0) return Failed(PingOutcome::Kind::kFailed, static_cast<long>(GetLastError()));
  if (reply->Status != 0) return Failed(PingOutcome::Kind::kReplyStatus, static_cast<long>(reply->Status));
  PingOutcome outcome;
  outcome.kind = PingOutcome::Kind::kReply;
  outcome.roundTripMs = reply->RoundTripTime;
  outcome.ttl = reply->Options.Ttl;
  return outcome;
}

}  // namespace vantor
