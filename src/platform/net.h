// The socket calls the host link needs: Winsock on Windows, BSD sockets elsewhere, one signature each.
#pragma once

#include <cstdint>
#include <string>

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

Handle OpenTcp();
int LastError();
void SetLingerZero(Handle socket);
// Sends each piece at once instead of holding it back until the previous one is acknowledged
// (TCP_NODELAY): a record right after another must not wait for the host's delayed ACK.
void SetNoDelay(Handle socket);
// Dotted IPv4 text to an address in network order, kAddressNone when it is not one.
std::uint32_t ParseIpv4(const char* name);
// Name lookup; the first IPv4 address in network order, or 0.
std::uint32_t LookupHost(const char* name);
// A host as the settings name it (8-bit text): dotted IPv4 text or a name to look up. The address in
// network order; 0 when the name is empty or cannot be resolved (255.255.255.255 is the broadcast
// address, not a failure).
std::uint32_t ResolveHost(const std::string& name);
bool Connect(Handle socket, std::uint32_t addressNetOrder, std::uint16_t port);
// Bytes sent, or -1 on failure. Never raises SIGPIPE.
int Send(Handle socket, const char* data, int length);
// SO_SNDBUF, or -1 when it cannot be read.
int SendBufferSize(Handle socket);
// 1 readable, 0 time-out, -1 failure.
int WaitReadable(Handle socket, int seconds);
// Bytes read; 0 when the peer closed; -1 on failure.
int Receive(Handle socket, char* buffer, int size);
// Wakes a thread waiting on the socket and closes it; false when the close failed.
bool Close(Handle socket);
// Ends both directions but keeps the handle: a thread waiting on the socket wakes and reads the end of
// the stream, and the handle number cannot be reused before its owner closes it.
bool Shutdown(Handle socket);

}  // namespace vantor::net
