// The demo host's listening socket on Winsock or BSD sockets.
#include "listener.h"

#ifdef _WIN32
#include <winsock2.h>
#include <windows.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace vantor::demo {

namespace {

#ifdef _WIN32
using AddressLength = int;
SOCKET Raw(net::Handle s) { return static_cast<SOCKET>(s); }
#else
using AddressLength = socklen_t;
int Raw(net::Handle s) { return static_cast<int>(s); }
#endif

}  // namespace

Listener::~Listener() { Close(); }

bool Listener::Open(std::uint32_t addressNetOrder, std::uint16_t port) {
  Close();
  const net::Handle s = net::OpenTcp();
  if (s == net::kInvalid) return false;
#ifndef _WIN32
  // The demo's fixed port can be taken again at once after a restart.
  const int on = 1;
  ::setsockopt(Raw(s), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
#endif
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = addressNetOrder;
  AddressLength length = sizeof address;
  if (::bind(Raw(s), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(Raw(s), 16) != 0 ||
      ::getsockname(Raw(s), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    net::Close(s);
    return false;
  }
  socket_ = s;
  port_ = ntohs(address.sin_port);
  return true;
}

net::Handle Listener::Accept(int seconds) {
  if (socket_ == net::kInvalid || net::WaitReadable(socket_, seconds) != 1) return net::kInvalid;
#ifdef _WIN32
  const SOCKET s = ::accept(Raw(socket_), nullptr, nullptr);
  return s == INVALID_SOCKET ? net::kInvalid : static_cast<net::Handle>(s);
#else
  const int s = ::accept(Raw(socket_), nullptr, nullptr);
  return s < 0 ? net::kInvalid : static_cast<net::Handle>(s);
#endif
}

void Listener::Close() {
  if (socket_ != net::kInvalid) net::Close(socket_);
  socket_ = net::kInvalid;
  port_ = 0;
}

}  // namespace vantor::demo
