// Socket calls on BSD sockets.
#include "platform/net.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vantor::net {

namespace {
int Raw(Handle socket) { return static_cast<int>(socket); }
}  // namespace

bool Startup() { return true; }
void Cleanup() {}

Handle OpenTcp() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  return s < 0 ? kInvalid : static_cast<Handle>(s);
}

int LastError() { return errno; }

void SetLingerZero(Handle socket) {
  linger value{1, 0};
  ::setsockopt(Raw(socket), SOL_SOCKET, SO_LINGER, &value, sizeof value);
}

void RaiseSocketLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
}

void SetNoDelay(Handle socket) {
  const int on = 1;
  ::setsockopt(Raw(socket), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

std::uint32_t ParseIpv4(const char* name) { return ::inet_addr(name); }

std::uint32_t LookupHost(const char* name) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(name, nullptr, &hints, &found) != 0 || found == nullptr) return 0;
  std::uint32_t address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  ::freeaddrinfo(found);
  return address;
}

bool Connect(Handle socket, std::uint32_t addressNetOrder, std::uint16_t port) {
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(port);
  peer.sin_addr.s_addr = addressNetOrder;
  return ::connect(Raw(socket), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0;
}

int Send(Handle socket, const char* data, int length) {
  const ssize_t sent = ::send(Raw(socket), data, static_cast<size_t>(length), MSG_NOSIGNAL);
  return sent < 0 ? -1 : static_cast<int>(sent);
}

int SendBufferSize(Handle socket) {
  int size = 0;
  socklen_t length = sizeof size;
  if (::getsockopt(Raw(socket), SOL_SOCKET, SO_SNDBUF, &size, &length) != 0) return -1;
  return size;
}

int WaitReadable(Handle socket, int seconds) {
  pollfd entry{Raw(socket), POLLIN, 0};
  const int ready = ::poll(&entry, 1, seconds * 1000);
  if (ready < 0) return -1;
  if (ready > 0 && (entry.revents & POLLNVAL)) return -1;
  return ready > 0 ? 1 : 0;
}

int Receive(Handle socket, char* buffer, int size) {
  const ssize_t got = ::recv(Raw(socket), buffer, static_cast<size_t>(size), 0);
  return got < 0 ? -1 : static_cast<int>(got);
}

bool Shutdown(Handle socket) { return ::shutdown(Raw(socket), SHUT_RDWR) == 0; }

bool Close(Handle socket) {
  // Unlike closesocket, close() alone does not wake a thread blocked in poll() on the socket.
  ::shutdown(Raw(socket), SHUT_RDWR);
  return ::close(Raw(socket)) == 0;
}

}  // namespace vantor::net
