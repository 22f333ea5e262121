// A host on the tools' command lines: HOST:PORT, an IPv6 address in brackets ([::1]:9999).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantor::tools {

struct HostPort {
  std::string host;  // without the brackets; empty when the text gave a port alone
  std::uint16_t port = 0;
};

// "HOST:PORT" or "[IPV6]:PORT", and where the host may be left out, "PORT" alone. None when the port is
// no number in 0..65535, a host that is required is missing, or an IPv6 address lacks its brackets.
inline std::optional<HostPort> ParseHostPort(std::string_view text, bool hostRequired) {
  HostPort parsed;
  std::string_view port = text;
  if (const std::size_t colon = text.rfind(':'); colon != std::string_view::npos) {
    std::string_view host = text.substr(0, colon);
    port = text.substr(colon + 1);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
      host = host.substr(1, host.size() - 2);
      if (host.find(':') == std::string_view::npos) return std::nullopt;  // brackets are for IPv6 alone
    } else if (host.find_first_of("[]:") != std::string_view::npos) {
      return std::nullopt;
    }
    if (host.empty()) return std::nullopt;
    parsed.host = host;
  }
  if (hostRequired && parsed.host.empty()) return std::nullopt;
  if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string_view::npos)
    return std::nullopt;
  const unsigned long value = std::stoul(std::string(port));
  if (value > 65535) return std::nullopt;
  parsed.port = static_cast<std::uint16_t>(value);
  return parsed;
}

// The host as an address is written beside a port: IPv6 in brackets.
inline std::string WithPort(const std::string& host, std::uint16_t port) {
  const bool ipv6 = host.find(':') != std::string::npos;
  return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

}  // namespace vantor::tools
