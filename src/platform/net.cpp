// Name resolution on top of the platform's socket calls, the same on every platform.
#include "platform/net.h"

namespace vantor::net {

std::uint32_t ResolveHost(const std::string& name) {
  if (name.empty() || name.find('\0') != std::string::npos) return 0;
  const std::uint32_t parsed = ParseIpv4(name.c_str());
  if (parsed != kAddressNone) return parsed;
  // The broadcast address parses to the same value as an error.
  if (name == "255.255.255.255") return kAddressNone;
  return LookupHost(name.c_str());
}

}  // namespace vantor::net
