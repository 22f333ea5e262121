// The host link: one connection to the host (clear TCP or TLS, IPv4 or IPv6) that sends framed records
// and unescapes what it reads.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>

#include "platform/transport.h"

namespace vantor {

inline constexpr int kLargestSendPiece = 2000;
inline constexpr int kAssumedSendBuffer = 8192;

// Size of each piece of a long record: the send buffer size (8192 when it could not be read), at
// most 2000, never below 1.
int SendPieceSize(int sendBufferSize);

// Used by the session thread (connect, receive, its own records) and the UI thread (responses, close
// on stop). Close and Shutdown from any thread end a call waiting in another at once.
class HostLink {
 public:
  HostLink();
  ~HostLink();
  HostLink(const HostLink&) = delete;
  HostLink& operator=(const HostLink&) = delete;

  // Closes an open connection, then connects to each address of the host in turn (a name, an IPv4 or
  // an IPv6 literal), clear or TLS as `tls` asks: with TLS nothing is sent before the host's certificate
  // has passed. kNone once connected; else why not (LastFailure too), and not connected.
  LinkFailure Connect(const std::string& host, std::uint16_t port, const TlsOptions& tls = {},
                      std::chrono::milliseconds timeout = kDefaultConnectTimeout);

  // Sends one record as FrameRecord frames it, a long one in pieces of SendPieceSize bytes (the
  // terminator follows only when every piece went out). False when not connected or a send failed; a
  // failed send ends the connection (not connected from then on).
  bool Send(int terminalId, std::string_view data);

  // Waits up to `seconds` for input and reads once. Returns the number of bytes placed in the buffer
  // after unescaping; 0 when the host closed the connection, the read failed or the link was shut
  // down; -1 when nothing arrived in time, when not connected, or when the read brought only the
  // second half of an escaped pair.
  int Receive(std::uint8_t* buffer, int size, int seconds);

  // Any thread: ends the connection and releases it; a receive, send or connect waiting in another
  // thread returns at once. Not connected afterwards.
  void Close();
  // Any thread: ends the connection; a receive, send or connect waiting in another thread returns at
  // once, and every later send and receive fails.
  void Shutdown();

  bool IsConnected() const;
  // Why the last connect failed or the connection ended (kNone while connected).
  LinkFailure LastFailure() const;
  // The protocol agreed with the host ("TLSv1.3"); empty for clear text or when not connected.
  std::string Protocol() const;

 private:
  // Shared by every call; exclusive only while the session thread replaces the transport (when the
  // TLS options change), so that no call ever uses a transport being destroyed.
  mutable std::shared_mutex swap_;
  std::unique_ptr<Transport> transport_;
  TlsOptions options_;  // those the transport was made for; the session thread's
  // One record at a time: the pieces of two threads' records never interleave on the wire.
  std::mutex sending_;
  // Touched only by the receiving thread.
  bool pendingFf_ = false;
};

}  // namespace vantor
