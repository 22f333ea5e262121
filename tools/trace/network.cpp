// Endpoints as the command line writes them.
#include "network.h"

namespace vantor::trace {

std::optional<Endpoint> ParseEndpoint(const std::string& text, bool hostRequired) {
  const std::size_t colon = text.rfind(':');
  Endpoint endpoint;
  std::string port = text;
  if (colon != std::string::npos) {
    endpoint.host = text.substr(0, colon);
    port = text.substr(colon + 1);
    if (endpoint.host.empty()) return std::nullopt;
  }
  if (hostRequired && endpoint.host.empty()) return std::nullopt;
  if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  const unsigned long value = std::stoul(port);
  if (value > 65535) return std::nullopt;
  endpoint.port = static_cast<std::uint16_t>(value);
  return endpoint;
}

}  // namespace vantor::trace
