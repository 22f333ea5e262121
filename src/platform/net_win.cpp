// Socket calls on Winsock.
#include "platform/net.h"

#include <winsock2.h>
#include <windows.h>

namespace vantor::net {

namespace {
SOCKET Raw(Handle socket) { return static_cast<SOCKET>(socket); }
}  // namespace

bool Startup() {
  WSADATA data;
  return WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

void Cleanup() { WSACleanup(); }

Handle OpenTcp() {
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, 0);
  return s == INVALID_SOCKET ? kInvalid : static_cast<Handle>(s);
}

int LastError() { return WSAGetLastError(); }

void SetLingerZero(Handle socket) {
  linger value{1, 0};
  ::setsockopt(Raw(socket), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&value), sizeof value);
}

void RaiseSocketLimit() {}

void SetNoDelay(Handle socket) {
  const BOOL on = TRUE;
  ::setsockopt(Raw(socket), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
}

std::uint32_t ParseIpv4(const char* name) { return ::inet_addr(name); }

std::uint32_t LookupHost(const char* name) {
  const hostent* entry = ::gethostbyname(name);
  if (entry == nullptr || entry->h_addr_list == nullptr || entry->h_addr_list[0] == nullptr || entry->h_length != 4)
    return 0;
  std::uint32_t address = 0;
  memcpy(&address, entry->h_addr_list[0], 4);
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
  const int sent = ::send(Raw(socket), data, length, 0);
  return sent == SOCKET_ERROR ? -1 : sent;
}

int SendBufferSize(Handle socket) {
  int size = 0;
  int length = sizeof size;
  if (::getsockopt(Raw(socket), SOL_SOCKET, SO_SNDBUF, reinterpret_cast<char*>(&size), &length) != 0) return -1;
  return size;
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

}  // namespace vantor::net
