// Sockets, Winsock on Windows and BSD sockets elsewhere, one signature each: what the transports need,
// and the blocking calls of test hosts.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/link_failure.h"

namespace vantor::net {

using Handle = std::intptr_t;
inline constexpr Handle kInvalid = -1;
inline constexpr std::uint32_t kAddressNone = 0xFFFFFFFFu;

// Process-wide start-up and clean-up (WSAStartup 1.1 / WSACleanup; nothing on POSIX).
bool Startup();
void Cleanup();
// Raises the soft limit of open descriptors to the hard one (POSIX; a thousand connections need more
// than the usual 1024). Nothing on Windows, where sockets have no such limit.
void RaiseSocketLimit();

int LastError();
// A host as the settings name it (8-bit text): dotted IPv4 text or a name to look up. Its IPv4 address
// in network order; 0 when the name is empty or cannot be resolved (255.255.255.255 is the broadcast
// address, not a failure).
std::uint32_t ResolveHost(const std::string& name);
// Bytes sent, or -1 on failure. Never raises SIGPIPE.
int Send(Handle socket, const char* data, int length);
// 1 readable, 0 time-out, -1 failure.
int WaitReadable(Handle socket, int seconds);
// Bytes read; 0 when the peer closed; -1 on failure.
int Receive(Handle socket, char* buffer, int size);
// Wakes a thread waiting on the socket and closes it; false when the close failed.
bool Close(Handle socket);
// Ends both directions but keeps the handle: a thread waiting on the socket wakes and reads the end of
// the stream, and the handle number cannot be reused before its owner closes it.
bool Shutdown(Handle socket);

// ---- Either address family, connects with a time-out, waits that another thread can end.

// A socket address of either family, as the socket calls take it.
struct Address {
  std::array<std::uint8_t, 128> bytes{};  // a sockaddr_in or sockaddr_in6
  int length = 0;
  int family = 0;
};

struct Resolution {
  std::vector<Address> addresses;  // to be tried in this order
  LinkFailure failure = LinkFailure::kNone;
};

// A host as the settings or a command line name it (8-bit text): dotted IPv4 text as ResolveHost takes
// it (255.255.255.255 included), an IPv6 literal with or without brackets and with or without a scope
// id ("fe80::1%3"), or a name to look up, whose addresses of both families come in the resolver's
// order. kHostNotFound when there is none.
Resolution Resolve(const std::string& host, std::uint16_t port);

// The address bytes (4 or 16, no scope) when the host is an IP literal as Resolve reads one; none
// for a name.
std::optional<std::vector<std::uint8_t>> IpLiteral(const std::string& host);

// The address as numeric text ("127.0.0.1", "::1"), without the port.
std::string AddressText(const Address& address);

// Ends, from any thread, every wait on it (WaitFor, ConnectWithin) at once and for good.
class Wakeup {
 public:
  Wakeup();
  ~Wakeup();
  Wakeup(const Wakeup&) = delete;
  Wakeup& operator=(const Wakeup&) = delete;

  bool Valid() const { return receiver_ != kInvalid; }
  void Signal();
  Handle Receiver() const { return receiver_; }

 private:
  Handle receiver_ = kInvalid;  // readable once signalled
  Handle sender_ = kInvalid;
};

enum class Direction { kRead, kWrite };
enum class WaitResult { kReady, kTimedOut, kWoken, kFailed };
inline constexpr int kForever = -1;

// Waits until the socket can be read (or has ended), or written, for up to `milliseconds` (kForever
// for no limit). The wake-up wins over a ready socket.
WaitResult WaitFor(Handle socket, Direction direction, const Wakeup& wakeup, int milliseconds);

// A non-blocking stream socket for the address's family that sends each piece at once (no delay) and
// resets the connection when closed (linger 0); kInvalid on failure.
Handle OpenStream(const Address& address);

// Connects the socket opened by OpenStream, waiting up to `milliseconds`. kNone once connected;
// kRefused, kUnreachable, kTimedOut, kConnectFailed, or kClosed when woken.
LinkFailure ConnectWithin(Handle socket, const Address& address, const Wakeup& wakeup, int milliseconds);

inline constexpr int kWouldBlock = -2;
// On a non-blocking socket: bytes moved, kWouldBlock when none can move now, -1 on failure; receiving
// 0 means the peer closed. Sending never raises SIGPIPE.
int SendSome(Handle socket, const char* data, int length);
int ReceiveSome(Handle socket, char* buffer, int size);

}  // namespace vantor::net
