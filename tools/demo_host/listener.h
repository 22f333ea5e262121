// The demo host's listening socket (the terminal's own socket calls only connect).
#pragma once

#include <cstdint>

#include "platform/net.h"

namespace vantor::demo {

class Listener {
 public:
  Listener() = default;
  ~Listener();
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  // Listens on `address` (IPv4, network order) and `port` (0: any free port); false on failure.
  bool Open(std::uint32_t addressNetOrder, std::uint16_t port);
  std::uint16_t Port() const { return port_; }
  // The next terminal's connection, or net::kInvalid when none came within `seconds` or the wait failed.
  net::Handle Accept(int seconds);
  void Close();

 private:
  net::Handle socket_ = net::kInvalid;
  std::uint16_t port_ = 0;
};

}  // namespace vantor::demo
