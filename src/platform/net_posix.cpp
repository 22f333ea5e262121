// Socket calls on BSD sockets.
#include "platform/net.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/net_detail.h"

namespace vantor::net {

namespace {
int Raw(Handle socket) { return static_cast<int>(socket); }

using SteadyClock = std::chrono::steady_clock;

LinkFailure ConnectError(int error) {
  switch (error) {
    case ECONNREFUSED: return LinkFailure::kRefused;
    case ETIMEDOUT: return LinkFailure::kTimedOut;
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ENETDOWN:
    case EHOSTDOWN: return LinkFailure::kUnreachable;
    default: return LinkFailure::kConnectFailed;
  }
}

bool SetNonBlocking(int descriptor) {
  const int flags = ::fcntl(descriptor, F_GETFL, 0);
  return flags >= 0 && ::fcntl(descriptor, F_SETFL, flags | O_NONBLOCK) == 0;
}

bool WouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

void SetLingerZero(Handle socket) {
  linger value{1, 0};
  ::setsockopt(Raw(socket), SOL_SOCKET, SO_LINGER, &value, sizeof value);
}

// Each piece goes out at once instead of waiting for the previous one to be acknowledged (TCP_NODELAY):
// a record right after another must not wait for the host's delayed ACK.
void SetNoDelay(Handle socket) {
  const int on = 1;
  ::setsockopt(Raw(socket), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}
}  // namespace

bool Startup() { return true; }
void Cleanup() {}

int LastError() { return errno; }

void RaiseSocketLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
}

int Send(Handle socket, const char* data, int length) {
  const ssize_t sent = ::send(Raw(socket), data, static_cast<size_t>(length), MSG_NOSIGNAL);
  return sent < 0 ? -1 : static_cast<int>(sent);
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

namespace detail {

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

Address Ipv4Address(std::uint32_t addressNetOrder, std::uint16_t port) {
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(port);
  peer.sin_addr.s_addr = addressNetOrder;
  Address address;
  std::memcpy(address.bytes.data(), &peer, sizeof peer);
  address.length = sizeof peer;
  address.family = AF_INET;
  return address;
}

std::vector<Address> LookupAddresses(const std::string& name, std::uint16_t port, bool numericOnly) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV | (numericOnly ? AI_NUMERICHOST : 0);
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  std::vector<Address> addresses;
  if (::getaddrinfo(name.c_str(), service.c_str(), &hints, &found) != 0) return addresses;
  for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
    if ((entry->ai_family != AF_INET && entry->ai_family != AF_INET6) || entry->ai_addrlen > sizeof(Address::bytes))
      continue;
    Address address;
    std::memcpy(address.bytes.data(), entry->ai_addr, entry->ai_addrlen);
    address.length = static_cast<int>(entry->ai_addrlen);
    address.family = entry->ai_family;
    addresses.push_back(address);
  }
  ::freeaddrinfo(found);
  return addresses;
}

std::vector<std::uint8_t> AddressBytes(const Address& address) {
  if (address.family == AF_INET6) {
    sockaddr_in6 peer{};
    std::memcpy(&peer, address.bytes.data(), sizeof peer);
    return {peer.sin6_addr.s6_addr, peer.sin6_addr.s6_addr + 16};
  }
  sockaddr_in peer{};
  std::memcpy(&peer, address.bytes.data(), sizeof peer);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&peer.sin_addr.s_addr);
  return {bytes, bytes + 4};
}

}  // namespace detail

std::string AddressText(const Address& address) {
  char text[NI_MAXHOST] = {};
  if (::getnameinfo(reinterpret_cast<const sockaddr*>(address.bytes.data()), static_cast<socklen_t>(address.length),
                    text, sizeof text, nullptr, 0, NI_NUMERICHOST) != 0)
    return {};
  return text;
}

Wakeup::Wakeup() {
  int ends[2];
  if (::pipe(ends) != 0) return;
  SetNonBlocking(ends[1]);
  receiver_ = ends[0];
  sender_ = ends[1];
}

Wakeup::~Wakeup() {
  if (receiver_ != kInvalid) ::close(Raw(receiver_));
  if (sender_ != kInvalid) ::close(Raw(sender_));
}

void Wakeup::Signal() {
  // Never read back: the pipe stays readable, so every wait from now on ends at once.
  if (sender_ == kInvalid) return;
  const char byte = 1;
  const ssize_t written = ::write(Raw(sender_), &byte, 1);  // a full pipe is signalled already
  static_cast<void>(written);
}

WaitResult WaitFor(Handle socket, Direction direction, const Wakeup& wakeup, int milliseconds) {
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    pollfd entries[2] = {{Raw(socket), static_cast<short>(direction == Direction::kRead ? POLLIN : POLLOUT), 0},
                         {Raw(wakeup.Receiver()), POLLIN, 0}};
    int wait = kForever;
    if (milliseconds != kForever) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
      wait = static_cast<int>(std::clamp<decltype(left)>(left, 0, 24 * 3600 * 1000));
    }
    const int ready = ::poll(entries, wakeup.Valid() ? 2 : 1, wait);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return WaitResult::kFailed;
    if (ready == 0) return WaitResult::kTimedOut;
    if (entries[1].revents != 0) return WaitResult::kWoken;
    if (entries[0].revents & POLLNVAL) return WaitResult::kFailed;
    return WaitResult::kReady;
  }
}

Handle OpenStream(const Address& address) {
  const int s = ::socket(address.family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (s < 0) return kInvalid;
  if (!SetNonBlocking(s)) {
    ::close(s);
    return kInvalid;
  }
  SetLingerZero(s);
  SetNoDelay(s);
  return s;
}

LinkFailure ConnectWithin(Handle socket, const Address& address, const Wakeup& wakeup, int milliseconds) {
  if (::connect(Raw(socket), reinterpret_cast<const sockaddr*>(address.bytes.data()),
                static_cast<socklen_t>(address.length)) == 0)
    return LinkFailure::kNone;
  if (errno != EINPROGRESS) return ConnectError(errno);
  switch (WaitFor(socket, Direction::kWrite, wakeup, milliseconds)) {
    case WaitResult::kReady: break;
    case WaitResult::kTimedOut: return LinkFailure::kTimedOut;
    case WaitResult::kWoken: return LinkFailure::kClosed;
    case WaitResult::kFailed: return LinkFailure::kConnectFailed;
  }
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(Raw(socket), SOL_SOCKET, SO_ERROR, &error, &length) != 0) return ConnectError(errno);
  return error == 0 ? LinkFailure::kNone : ConnectError(error);
}

int SendSome(Handle socket, const char* data, int length) {
  const ssize_t sent = ::send(Raw(socket), data, static_cast<size_t>(length), MSG_NOSIGNAL);
  if (sent >= 0) return static_cast<int>(sent);
  return WouldBlock(errno) || errno == EINTR ? kWouldBlock : -1;
}

int ReceiveSome(Handle socket, char* buffer, int size) {
  const ssize_t got = ::recv(Raw(socket), buffer, static_cast<size_t>(size), 0);
  if (got >= 0) return static_cast<int>(got);
  return WouldBlock(errno) || errno == EINTR ? kWouldBlock : -1;
}

}  // namespace vantor::net
