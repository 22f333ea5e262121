// The host link: one blocking IPv4 TCP connection that sends framed records and unescapes what it reads.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>

#include "platform/net.h"

namespace vantor {

inline constexpr int kLargestSendPiece = 2000;
inline constexpr int kAssumedSendBuffer = 8192;

// Size of each piece of a long record: the send buffer size (8192 when it could not be read), at
// most 2000, never below 1.
int SendPieceSize(int sendBufferSize);

// Used by the session thread (connect, receive, its own records) and the UI thread (responses, close
// on stop). Where a close does not wake a thread waiting on the socket, Close shuts the socket down
// first and releases the handle only once no other call is using it, so a handle number is never
// used after it could have been reused.
class HostLink {
 public:
  HostLink() = default;
  virtual ~HostLink();
  HostLink(const HostLink&) = delete;
  HostLink& operator=(const HostLink&) = delete;

  // Opens the connection (linger 0, so a close resets it at once). On failure LastError holds the
  // socket error and the transport is not connected. An open connection is closed first.
  bool Connect(const std::string& host, std::uint16_t port);

  // Sends one record as FrameRecord frames it, a long one in pieces of SendPieceSize bytes (the
  // terminator follows only when every piece went out). False when not connected or a send failed; a
  // failed send shuts the connection down (not connected from then on).
  bool Send(int terminalId, std::string_view data);

  // Waits up to `seconds` for input and reads once. Returns the number of bytes placed in the buffer
  // after unescaping; 0 when the peer closed the connection or the read failed; -1 when nothing
  // arrived in time, when the wait failed (for instance because the transport is not connected) or
  // when the read brought only the second half of an escaped pair.
  int Receive(std::uint8_t* buffer, int size, int seconds);

  // Any thread: ends a receive, send or connect waiting on the socket in another thread and closes
  // it. True unless closing the socket failed; not connected afterwards in every case.
  bool Close();

  // Any thread: ends the connection without releasing the handle; a receive waiting on it (or a
  // connect in progress) ends at once, and every later send and receive fails.
  void Shutdown();

  bool IsConnected() const { return socket_.load() != net::kInvalid && !broken_.load(); }
  int LastError() const { return lastError_.load(); }

 private:
  bool SendAll(net::Handle socket, std::string_view bytes);
  void Break(net::Handle socket);

  // Shared by send, receive, connect and shutdown; exclusive for close.
  mutable std::shared_mutex use_;
  // One record at a time: the pieces of two threads' records never interleave on the wire.
  std::mutex sending_;
  std::atomic<net::Handle> socket_{net::kInvalid};
  std::atomic<bool> broken_{false};
  std::atomic<int> lastError_{0};
  std::uint32_t address_ = 0;
  // Touched only by the receiving thread.
  bool pendingFf_ = false;
};

}  // namespace vantor
