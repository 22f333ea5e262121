// Socket calls on Winsock.
#include "platform/net.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/net_detail.h"

namespace vantor::net {

namespace {
SOCKET Raw(Handle socket) { return static_cast<SOCKET>(socket); }

using SteadyClock = std::chrono::steady_clock;

LinkFailure ConnectError(int error) {
  switch (error) {
    case WSAECONNREFUSED: return LinkFailure::kRefused;
    case WSAETIMEDOUT: return LinkFailure::kTimedOut;
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
    case WSAENETDOWN:
    case WSAEHOSTDOWN: return LinkFailure::kUnreachable;
    default: return LinkFailure::kConnectFailed;
  }
}

bool SetNonBlocking(SOCKET socket) {
  u_long on = 1;
  return ::ioctlsocket(socket, FIONBIO, &on) == 0;
}

void SetLingerZero(Handle socket) {
  linger value{1, 0};
  ::setsockopt(Raw(socket), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&value), sizeof value);
}

// Each piece goes out at once instead of waiting for the previous one to be acknowledged (TCP_NODELAY):
// a record right after another must not wait for the host's delayed ACK.
void SetNoDelay(Handle socket) {
  const BOOL on = TRUE;
  ::setsockopt(Raw(socket), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
}
}  // namespace

bool Startup() {
  WSADATA data;
  return WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

void Cleanup() { WSACleanup(); }

int LastError() { return WSAGetLastError(); }

void RaiseSocketLimit() {}

int Send(Handle socket, const char* data, int length) {
  const int sent = ::send(Raw(socket), data, length, 0);
  return sent == SOCKET_ERROR ? -1 : sent;
}

int WaitReadable(Handle socket, int seconds) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(Raw(socket), &readable);
  timeval timeout{seconds, 0};
  const int ready = ::select(0, &readable, nullptr, nullptr, &timeout);
  if (ready == SOCKET_ERROR) return -1;
  return ready > 0 ? 1 : 0;
}

int Receive(Handle socket, char* buffer, int size) {
  const int got = ::recv(Raw(socket), buffer, size, 0);
  return got == SOCKET_ERROR ? -1 : got;
}

bool Shutdown(Handle socket) { return ::shutdown(Raw(socket), SD_BOTH) == 0; }

bool Close(Handle socket) { return ::closesocket(Raw(socket)) == 0; }

namespace detail {

std::uint32_t ParseIpv4(const char* name) { return ::inet_addr(name); }

std::uint32_t LookupHost(const char* name) {
  const hostent* entry = ::gethostbyname(name);
  if (entry == nullptr || entry->h_addr_list == nullptr || entry->h_addr_list[0] == nullptr || entry->h_length != 4)
    return 0;
  std::uint32_t address = 0;
  memcpy(&address, entry->h_addr_list[0], 4);
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
  hints.ai_flags = numericOnly ? AI_NUMERICHOST : 0;
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
  if (::getnameinfo(reinterpret_cast<const sockaddr*>(address.bytes.data()), address.length, text, sizeof text, nullptr,
                    0, NI_NUMERICHOST) != 0)
    return {};
  return text;
}

// Winsock has no pipes: a datagram socket on loopback that sends itself one datagram when signalled
// (never read back) serves select as a pipe's read end would.
Wakeup::Wakeup() {
  const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == INVALID_SOCKET) return;
  sockaddr_in self{};
  self.sin_family = AF_INET;
  self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof self;
  if (::bind(s, reinterpret_cast<const sockaddr*>(&self), sizeof self) != 0 ||
      ::getsockname(s, reinterpret_cast<sockaddr*>(&self), &length) != 0 ||
      ::connect(s, reinterpret_cast<const sockaddr*>(&self), sizeof self) != 0 || !SetNonBlocking(s)) {
    ::closesocket(s);
    return;
  }
  receiver_ = static_cast<Handle>(s);
}

Wakeup::~Wakeup() {
  if (receiver_ != kInvalid) ::closesocket(Raw(receiver_));
}

void Wakeup::Signal() {
  const char byte = 1;
  if (receiver_ != kInvalid) ::send(Raw(receiver_), &byte, 1, 0);
}

WaitResult WaitFor(Handle socket, Direction direction, const Wakeup& wakeup, int milliseconds) {
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(milliseconds);
  fd_set readable, writable, failed;
  FD_ZERO(&readable);
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  if (direction == Direction::kRead) {
    FD_SET(Raw(socket), &readable);
  } else {
    FD_SET(Raw(socket), &writable);
    FD_SET(Raw(socket), &failed);  // where a failed connect shows
  }
  if (wakeup.Valid()) FD_SET(Raw(wakeup.Receiver()), &readable);
  timeval limit{};
  if (milliseconds != kForever) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
    const long wait = static_cast<long>(std::clamp<decltype(left)>(left, 0, 24 * 3600 * 1000));
    limit = {wait / 1000, (wait % 1000) * 1000};
  }
  const int ready = ::select(0, &readable, &writable, &failed, milliseconds == kForever ? nullptr : &limit);
  if (ready == SOCKET_ERROR) return WaitResult::kFailed;
  if (ready == 0) return WaitResult::kTimedOut;
  if (wakeup.Valid() && FD_ISSET(Raw(wakeup.Receiver()), &readable)) return WaitResult::kWoken;
  return WaitResult::kReady;
}

Handle OpenStream(const Address& address) {
  const SOCKET s = ::socket(address.family, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return kInvalid;
  if (!SetNonBlocking(s)) {
    ::closesocket(s);
    return kInvalid;
  }
  const Handle handle = static_cast<Handle>(s);
  SetLingerZero(handle);
  SetNoDelay(handle);
  return handle;
}

LinkFailure ConnectWithin(Handle socket, const Address& address, const Wakeup& wakeup, int milliseconds) {
  if (::connect(Raw(socket), reinterpret_cast<const sockaddr*>(address.bytes.data()), address.length) == 0)
    return LinkFailure::kNone;
  const int error = WSAGetLastError();
  if (error != WSAEWOULDBLOCK && error != WSAEINPROGRESS) return ConnectError(error);
  switch (WaitFor(socket, Direction::kWrite, wakeup, milliseconds)) {
    case WaitResult::kReady: break;
    case WaitResult::kTimedOut: return LinkFailure::kTimedOut;
    case WaitResult::kWoken: return LinkFailure::kClosed;
    case WaitResult::kFailed: return LinkFailure::kConnectFailed;
  }
  int result = 0;
  int length = sizeof result;
  if (::getsockopt(Raw(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&result), &length) != 0)
    return ConnectError(WSAGetLastError());
  return result == 0 ? LinkFailure::kNone : ConnectError(result);
}

int SendSome(Handle socket, const char* data, int length) {
  const int sent = ::send(Raw(socket), data, length, 0);
  if (sent != SOCKET_ERROR) return sent;
  return WSAGetLastError() == WSAEWOULDBLOCK ? kWouldBlock : -1;
}

int ReceiveSome(Handle socket, char* buffer, int size) {
  const int got = ::recv(Raw(socket), buffer, size, 0);
  if (got != SOCKET_ERROR) return got;
  return WSAGetLastError() == WSAEWOULDBLOCK ? kWouldBlock : -1;
}

}  // namespace vantor::net
