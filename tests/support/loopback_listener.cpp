// The loopback listener on the platform's sockets.
#include "loopback_listener.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#else
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#endif

#include "platform/net.h"

namespace vantor::testing_support {

namespace {
#ifdef _WIN32
using Native = SOCKET;
using AddressLength = int;
constexpr Native kNoSocket = INVALID_SOCKET;
#else
using Native = int;
using AddressLength = socklen_t;
constexpr Native kNoSocket = -1;
#endif
Native Raw(std::intptr_t s) { return static_cast<Native>(s); }
}  // namespace

LoopbackListener::LoopbackListener(bool ipv6, std::uint16_t port) {
  const Native s = ::socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM, 0);
  if (s == kNoSocket) return;
#ifndef _WIN32
  // A fixed port can be taken again at once after an earlier run.
  const int on = 1;
  ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
#endif
  sockaddr_storage address{};
  AddressLength length = 0;
  if (ipv6) {
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
    v6->sin6_family = AF_INET6;
    v6->sin6_addr = in6addr_loopback;
    v6->sin6_port = htons(port);
    length = sizeof *v6;
  } else {
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    v4->sin_family = AF_INET;
    v4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    v4->sin_port = htons(port);
    length = sizeof *v4;
  }
  if (::bind(s, reinterpret_cast<const sockaddr*>(&address), length) != 0 || ::listen(s, 8) != 0 ||
      ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    net::Close(static_cast<std::intptr_t>(s));
    return;
  }
  port_ = ntohs(ipv6 ? reinterpret_cast<sockaddr_in6*>(&address)->sin6_port
                     : reinterpret_cast<sockaddr_in*>(&address)->sin_port);
  socket_ = static_cast<std::intptr_t>(s);
}

LoopbackListener::~LoopbackListener() {
  if (socket_ != -1) net::Close(socket_);
}

std::intptr_t LoopbackListener::Accept(std::chrono::milliseconds timeout) {
  if (socket_ == -1) return -1;
  const int seconds = static_cast<int>((timeout.count() + 999) / 1000);
  if (net::WaitReadable(socket_, seconds) != 1) return -1;
  const Native accepted = ::accept(Raw(socket_), nullptr, nullptr);
  return accepted == kNoSocket ? -1 : static_cast<std::intptr_t>(accepted);
}

std::optional<std::string> Ipv6LoopbackName() {
  for (const char* name : {"localhost", "ip6-localhost", "ip6-loopback"}) {
    for (const net::Address& address : net::Resolve(name, 1).addresses) {
      if (net::AddressText(address) == "::1") return name;
    }
  }
  return std::nullopt;
}

}  // namespace vantor::testing_support
