// Rules of the Host options dialog.
#include "forms/host_options.h"

#include <array>
#include <string>

#include "settings/setting_rules.h"
#include "settings/settings.h"

namespace vantor {

namespace {

std::u16string Ascii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

// Status texts for the codes 11000..11034 in order.
constexpr std::array<std::string_view, 35> kStatusTexts = {
    "Error Base.",
    "Buffer too small.",
    "Destination net unreachable.",
    "Destination host unreachable.",
    "Destination protocol unreachable.",
    "Destination port unreachable.",
    "Out of resources.",
    "Bad option.",
    "Hardware error.",
    "Packet too large.",
    "Request timed out.",
    "Bad request.",
    "Bad route.",
    "TTL expired in transit.",
    "TTL expired REASSEM.",
    "Param problem.",
    "Source quench.",
    "Option too large.",
    "Bad destination.",
    "Address deleted.",
    "Requested MTU change.",
    "MTU change.",
    "Unload.",
    "Address added.",
    "Media connect.",
    "Media disconnect.",
    "Bind adapter.",
    "Unbind adapter.",
    "Device does not exist.",
    "Duplicate address.",
    "Interface metric change.",
    "Reconfig secfltr.",
    "Negotiating IPSEC.",
    "Interface WOL capability change.",
    "Duplicate IP address.",
};

std::u16string UnknownErrorText(long code) { return Ascii("Unknown error=" + std::to_string(code)); }

}  // namespace

int PortFromText(std::u16string_view text) {
  return ClampSetting(ReadUnsignedDecimal(text), kHostPortMin, kHostPortMax);
}

int TerminalIdFromText(std::u16string_view text) {
  return ClampSetting(ReadUnsignedDecimal(text), kTerminalIdMin, kTerminalIdMax);
}

void ApplyHostOptions(const HostOptionsText& text, Settings& settings) {
  settings.SetHostName(text.host);
  settings.SetHostPort(PortFromText(text.port));
  settings.SetTerminalId(TerminalIdFromText(text.terminalId));
  settings.SetHostTextIsUtf8(text.utf8);
  settings.SetHostTls(text.tls);
  settings.SetHostTlsPin(text.pin);
}

std::u16string LinkFailureText(LinkFailure failure) { return Ascii(Describe(failure)); }

std::u16string IcmpStatusText(long code) {
  if (code >= 11000 && code < 11000 + static_cast<long>(kStatusTexts.size())) {
    return Ascii(kStatusTexts[static_cast<std::size_t>(code - 11000)]);
  }
  if (code == 11050) return u"General failure.";
  if (code == 11255) return u"Pending.";
  return UnknownErrorText(code);
}

std::u16string PingOutcomeText(const PingOutcome& outcome) {
  switch (outcome.kind) {
    case PingOutcome::Kind::kReply: {
      // The round-trip time is printed as a signed number, as the reply format always has.
      const std::string time = "time=" + std::to_string(static_cast<std::int32_t>(outcome.roundTripMs)) + "ms";
      return Ascii(outcome.ipv6 ? time : time + " TTL=" + std::to_string(outcome.ttl) + "ms");
    }
    case PingOutcome::Kind::kNoIcmp: return std::u16string(kNoIcmpText);
    case PingOutcome::Kind::kUnresolved:
      // Socket error codes overlap the IP status numbers (11001 is also "host not found"), so they
      // are never looked up in the status table.
      return UnknownErrorText(outcome.code);
    case PingOutcome::Kind::kFailed:
    case PingOutcome::Kind::kReplyStatus: return IcmpStatusText(outcome.code);
  }
  return UnknownErrorText(outcome.code);
}

}  // namespace vantor
