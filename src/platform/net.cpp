// Name resolution on top of the platform's socket calls, the same on every platform.
#include "platform/net.h"

#include "platform/net_detail.h"

namespace vantor::net {

namespace {

bool HasZeroByte(const std::string& name) { return name.find('\0') != std::string::npos; }

// "[::1]" as a command line writes an IPv6 literal.
std::string WithoutBrackets(const std::string& name) {
  if (name.size() >= 2 && name.front() == '[' && name.back() == ']') return name.substr(1, name.size() - 2);
  return name;
}

// Dotted IPv4 text as ResolveHost reads it; none otherwise.
std::optional<std::uint32_t> DottedIpv4(const std::string& name) {
  const std::uint32_t parsed = detail::ParseIpv4(name.c_str());
  if (parsed != kAddressNone) return parsed;
  // The broadcast address parses to the same value as an error.
  if (name == "255.255.255.255") return kAddressNone;
  return std::nullopt;
}

}  // namespace

std::uint32_t ResolveHost(const std::string& name) {
  if (name.empty() || HasZeroByte(name)) return 0;
  if (const auto dotted = DottedIpv4(name)) return *dotted;
  return detail::LookupHost(name.c_str());
}

Resolution Resolve(const std::string& host, std::uint16_t port) {
  Resolution result;
  const std::string name = WithoutBrackets(host);
  if (!name.empty() && !HasZeroByte(name)) {
    if (const auto dotted = DottedIpv4(name)) {
      result.addresses.push_back(detail::Ipv4Address(*dotted, port));
    } else {
      result.addresses = detail::LookupAddresses(name, port, false);
    }
  }
  if (result.addresses.empty()) result.failure = LinkFailure::kHostNotFound;
  return result;
}

std::optional<std::vector<std::uint8_t>> IpLiteral(const std::string& host) {
  const std::string name = WithoutBrackets(host);
  if (name.empty() || HasZeroByte(name)) return std::nullopt;
  if (const auto dotted = DottedIpv4(name)) return detail::AddressBytes(detail::Ipv4Address(*dotted, 0));
  const std::vector<Address> numeric = detail::LookupAddresses(name, 0, true);
  if (numeric.empty()) return std::nullopt;
  return detail::AddressBytes(numeric.front());
}

}  // namespace vantor::net
