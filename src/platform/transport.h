// The host link's byte stream behind one seam: clear TCP, or TLS through the platform's engine.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/link_failure.h"
#include "platform/tls_options.h"

namespace vantor {

inline constexpr std::chrono::milliseconds kDefaultConnectTimeout{10000};

// One thread connects and receives while others send; Shutdown and Close come from any thread and
// end a call waiting in another at once, and no call ever uses a released socket.
class Transport {
 public:
  virtual ~Transport() = default;

  // Closes an open connection, resolves the host and connects to each of its addresses in turn until
  // one answers, each try bounded by `timeout`; with TLS the handshake and the checks of the host's
  // certificate follow, bounded by `timeout` again. Nothing is sent before the host has passed them.
  // kNone once connected; else why not (kept as LastFailure), and not connected.
  virtual LinkFailure Connect(const std::string& host, std::uint16_t port,
                              std::chrono::milliseconds timeout = kDefaultConnectTimeout) = 0;

  // Sends every byte, waiting while the host does not read. Calls from two threads go out one after
  // the other, never mixed. False when not connected or the send failed; a failed send ends the
  // connection (LastFailure kConnectionLost).
  virtual bool Send(std::string_view bytes) = 0;

  // Waits up to `seconds` for bytes from the host and places up to `size` of them in the buffer.
  // Bytes placed; 0 when the host closed the connection, a read failed or the connection was shut down
  // (LastFailure says why); -1 when nothing arrived in time or when not connected. One thread
  // receives at a time. After the host closed its side, a last record can still be sent.
  virtual int Receive(std::uint8_t* buffer, int size, int seconds) = 0;

  // Any thread: ends the connection; a receive, send or connect waiting in another thread returns at
  // once, and every later send and receive fails. The socket is released by Close.
  virtual void Shutdown() = 0;
  // Any thread: shuts down and releases the socket once no other call uses it. Not connected after.
  virtual void Close() = 0;

  virtual bool IsConnected() const = 0;
  // The protocol agreed with the host ("TLSv1.3", "TLSv1.2"); empty for clear text or when not
  // connected.
  virtual std::string Protocol() const = 0;
  // Why the last Connect failed or the connection ended; kNone while connected.
  virtual LinkFailure LastFailure() const = 0;
};

// Clear TCP. The first bytes from the host are looked at once: a TLS alert ends the connection with
// kExpectsTls (a TLS host refusing what it took for a client hello); a host that ends the connection
// before its first byte gives kClosedWithoutReply (what a TLS host on OpenSSL does to clear text).
std::unique_ptr<Transport> MakeClearTransport();
// TLS 1.2 or later through the platform's engine (OpenSSL; SChannel on Windows), never clear text.
std::unique_ptr<Transport> MakeTlsTransport(const TlsOptions& options);
// The one the options ask for.
std::unique_ptr<Transport> MakeTransport(const TlsOptions& options);

}  // namespace vantor
