// The Host options dialog (template 190): the host, the link's TLS, why the last connection failed,
// and the ICMP ping.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "forms/host_options.h"

namespace vantor {

class Settings;

// Why the last connection failed, as the dialog shows it (empty while connected); asked again while
// the dialog is open, as the terminal keeps trying.
using LinkFailureSource = std::function<std::u16string()>;

// Runs the dialog modally (owner may be none); 1 for OK (settings stored and written), 0 for Cancel.
INT_PTR RunHostOptionsDialog(HINSTANCE resources, HWND owner, Settings& settings, LinkFailureSource linkFailure = {});

struct PingJob;

// The state of one open dialog; result is -1 while it is open, then 1 (OK) or 0 (Cancel).
struct HostOptionsDialogState {
  Settings* settings = nullptr;
  INT_PTR result = -1;
  std::shared_ptr<PingJob> ping;  // the ping under way, if any
  LinkFailureSource linkFailure;  // none: the line stays empty
};

// Opens the dialog modeless (for the tests); it ends as the modal one does but stays until destroyed.
HWND CreateHostOptionsDialog(HINSTANCE resources, HWND owner, HostOptionsDialogState* state);

// One ICMP echo to the host (8-bit text, ANSI code page; an IPv4 or IPv6 address or a name, its first
// address taken) with no payload and the given time-out; ICMPv6 for an IPv6 address. The ICMP service
// is loaded at run time from the first library in the list that loads ("iphlpapi.dll", then "icmp.dll"
// by default); a service without ICMPv6 is "not available" for IPv6. Needs the socket layer started
// (for the name lookup). Any thread.
PingOutcome PingHost(const std::string& host, DWORD timeoutMs);
PingOutcome PingHostWith(const std::string& host, DWORD timeoutMs, const wchar_t* const* libraries, int libraryCount);

}  // namespace vantor
