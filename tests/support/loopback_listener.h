// A listening socket on the loopback address of either family, for tests of the host link's transports.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace vantor::testing_support {

class LoopbackListener {
 public:
  // Listens on 127.0.0.1 (or ::1): on an ephemeral port when port is 0, else on that port.
  explicit LoopbackListener(bool ipv6 = false, std::uint16_t port = 0);
  ~LoopbackListener();
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;

  bool Listening() const { return socket_ != -1; }
  std::uint16_t Port() const { return port_; }
  std::intptr_t Handle() const { return socket_; }

  // One connection accepted within the time-out, a blocking socket the caller closes (net::Close);
  // -1 when none came.
  std::intptr_t Accept(std::chrono::milliseconds timeout);

 private:
  std::intptr_t socket_ = -1;
  std::uint16_t port_ = 0;
};

// The first of the usual names of the IPv6 loopback (localhost, ip6-localhost, ip6-loopback) that this
// machine resolves to ::1; none when its hosts file names none.
std::optional<std::string> Ipv6LoopbackName();

}  // namespace vantor::testing_support
