// Rules of the Host options dialog: the values its fields store, and the texts its ping and its line on
// the link show.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/link_failure.h"
#include "settings/setting_rules.h"
#include "settings/setting_table.h"

namespace vantor {

// Edit-box limits of the dialog; a number's box holds the digits of its setting's upper limit.
inline constexpr int kTerminalIdTextMax = DecimalDigits(kTerminalIdMax);
inline constexpr int kHostTextMax = 255;
inline constexpr int kHostPortTextMax = DecimalDigits(kHostPortMax);
// Room for a pin as openssl prints it, with its "SHA256 Fingerprint=" in front.
inline constexpr int kHostTlsPinTextMax = 128;

// What the dialog's fields hold when OK is pressed.
struct HostOptionsText {
  std::u16string terminalId;
  std::u16string host;
  std::u16string port;
  bool utf8 = false;
  bool tls = false;
  std::u16string pin;  // stored as typed, so that a pin read from the file goes back unchanged
};

// Port and terminal id text read as unsigned decimal numbers (no number gives 0) and clamped to their
// settings' limits.
int PortFromText(std::u16string_view text);
int TerminalIdFromText(std::u16string_view text);

// Stores the fields in the settings (the host as typed); the caller writes the file.
void ApplyHostOptions(const HostOptionsText& text, Settings& settings);

// Why the last connection failed, as the dialog shows it; empty while connected.
std::u16string LinkFailureText(LinkFailure failure);

// The text of an IP status code of the ICMP service; "Unknown error=<code>" for any other code.
std::u16string IcmpStatusText(long code);

// The outcome of one ping.
struct PingOutcome {
  enum class Kind {
    kReply,        // an echo reply with status 0
    kNoIcmp,       // no ICMP library or entry point
    kUnresolved,   // the host name could not be resolved; code = socket error
    kFailed,       // no reply, or the ICMP handle could not be opened; code = IP status / system error
    kReplyStatus,  // a reply came with a non-zero status; code = that status
  };
  Kind kind = Kind::kFailed;
  long code = 0;
  std::uint32_t roundTripMs = 0;
  int ttl = 0;
  bool ipv6 = false;  // an ICMPv6 echo: its reply carries no TTL
};

// Shown when the platform has no ICMP service.
inline constexpr std::u16string_view kNoIcmpText = u"Ping not available: no ICMP service.";

// The text the dialog shows for a ping: "time=<ms>ms TTL=<ttl>ms" for a reply ("time=<ms>ms" over IPv6),
// otherwise the reason.
std::u16string PingOutcomeText(const PingOutcome& outcome);

}  // namespace vantor
